// The JSON document, the manifest of a cut: the input's header facts and geometry, one entry per
// tile as its file is created (or could not be), with the square of the picture it covers,
// what no tile covers, and how the run ended.

#include <cstdio>

#include "common/json_writer.hpp"
#include "printer.hpp"

namespace tilecut {
namespace {

class JsonPrinter final : public Printer {
 public:
  JsonPrinter() : json_(stdout) { json_.beginObject(); }

  void input(const std::string& name) override {
    json_.key("input");
    json_.string(name);
  }
  void header(const TgaHeader& header) override {
    json_.key("header");
    json_.beginObject();
    member("idLength", header.idLength);
    member("colourMapType", header.colourMapType);
    member("imageType", header.imageType);
    member("colourMapLength", header.colourMapLength);
    member("colourMapEntryBits", header.colourMapEntryBits);
    member("width", header.width);
    member("height", header.height);
    member("pixelDepth", header.depthWord & 0xFF);
    member("descriptor", header.depthWord >> 8);
    json_.endObject();
  }
  void grid(const TgaHeader& header, const GridFacts& grid) override {
    json_.key("grid");
    json_.beginObject();
    member("pixelDataOffset", static_cast<std::int64_t>(grid.pixelDataOffset));
    member("tilesAcross", grid.tilesAcross);
    member("tileSide", grid.side);
    member("rows", grid.rows);
    json_.endObject();
    // Columns on the right and lines at the top of the picture that no tile covers.
    leftOutColumns_ = header.width - std::int64_t{grid.tilesAcross} * grid.side;
    leftOutLines_ = header.height - std::int64_t{grid.rows} * grid.side;
    side_ = grid.side;
    json_.key("tiles");
    json_.beginArray();
    tilesOpen_ = true;
  }
  void tile(const TileFacts& tile) override {
    json_.beginObject();
    json_.key("name");
    json_.string(tile.name);
    member("column", tile.column);
    member("row", tile.row);
    member("x", tile.x);
    member("y", tile.y);
    member("side", side_);
    json_.key("created");
    json_.boolean(tile.created);
    if (!tile.created) member("error", tile.error);
    json_.endObject();
  }
  void end(Outcome outcome, const std::string& reason) override {
    if (tilesOpen_) {
      json_.endArray();
      json_.key("leftOut");
      json_.beginObject();
      member("rightColumns", leftOutColumns_);
      member("topLines", leftOutLines_);
      json_.endObject();
    }
    json_.key("end");
    json_.beginObject();
    json_.key("outcome");
    json_.string(outcomeName(outcome));
    if (!reason.empty()) {
      json_.key("reason");
      json_.string(reason);
    }
    json_.endObject();
  }
  bool finish() override {
    json_.closeAll();
    return json_.finish();
  }

 private:
  void member(const char* key, std::int64_t value) {
    json_.key(key);
    json_.number(value);
  }

  static const char* outcomeName(Outcome outcome) {
    switch (outcome) {
      case Outcome::cut:
        return "cut";
      case Outcome::tileNotCreated:
        return "tileNotCreated";
      case Outcome::depthRefused:
        return "depthRefused";
      case Outcome::refused:
        return "refused";
    }
    return "";
  }

  common::JsonWriter json_;
  bool tilesOpen_ = false;
  std::int64_t leftOutColumns_ = 0;
  std::int64_t leftOutLines_ = 0;
  std::int64_t side_ = 0;
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter() {
  return std::make_unique<JsonPrinter>();
}

}  // namespace tilecut
