// The JSON document, the manifest of a cut: the input's header facts and geometry, one entry per
// tile as its file is created (or could not be), with the square of the picture it covers,
// what no tile covers, and how the run ended.

#include <cstdio>

#include "common/json_report.hpp"
#include "common/report.hpp"
#include "printer.hpp"

namespace tilecut {
namespace {

// The outcomes by name, in the order of Outcome.
constexpr const char* kOutcomeNames[] = {"cut", "tileNotCreated", "depthRefused", "refused",
                                         "checked"};

class JsonPrinter final : public Printer {
 public:
  explicit JsonPrinter(const Options& options) : report_(stdout), options_(options) {}

  void input(const std::string& name) override {
    report_.stringMember("input", name);
    if (!options_.directory.empty()) report_.stringMember("directory", options_.directory);
    if (options_.dryRun) report_.booleanMember("dryRun", true);
  }
  void header(const TgaHeader& header) override {
    report_.beginObject("header");
    report_.integerMember("idLength", header.idLength);
    report_.integerMember("colourMapType", header.colourMapType);
    report_.integerMember("imageType", header.imageType);
    report_.integerMember("colourMapLength", header.colourMapLength);
    report_.integerMember("colourMapEntryBits", header.colourMapEntryBits);
    report_.integerMember("width", header.width);
    report_.integerMember("height", header.height);
    report_.integerMember("pixelDepth", header.depthWord & 0xFF);
    report_.integerMember("descriptor", header.depthWord >> 8);
    report_.endObject();
  }
  void grid(const TgaHeader& header, const GridFacts& grid) override {
    report_.beginObject("grid");
    report_.integerMember("pixelDataOffset", static_cast<std::int64_t>(grid.pixelDataOffset));
    report_.integerMember("tilesAcross", grid.tilesAcross);
    report_.integerMember("tileSide", grid.side);
    report_.integerMember("rows", grid.rows);
    if (grid.border > 0) report_.integerMember("border", grid.border);
    report_.endObject();
    // Columns on the right and lines at the top of the picture that no tile covers.
    leftOutColumns_ = header.width - std::int64_t{grid.tilesAcross} * grid.side;
    leftOutLines_ = header.height - std::int64_t{grid.rows} * grid.side;
    side_ = grid.side;
    border_ = grid.border;
    fileSide_ = grid.tileSide();
    report_.beginArray("tiles");
    tilesOpen_ = true;
  }
  void tile(const TileFacts& tile) override {
    report_.beginObject({});
    report_.stringMember("name", tile.name);
    report_.integerMember("column", tile.column);
    report_.integerMember("row", tile.row);
    report_.integerMember("x", tile.x);
    report_.integerMember("y", tile.y);
    report_.integerMember("side", side_);
    // What the tile file holds: the square and its border, which may reach past the picture.
    if (border_ > 0) {
      report_.beginObject("withBorder");
      report_.integerMember("x", tile.x - border_);
      report_.integerMember("y", tile.y - border_);
      report_.integerMember("side", fileSide_);
      report_.endObject();
    }
    // A dry run creates no tile, and says nothing of it.
    if (!options_.dryRun) {
      report_.booleanMember("created", tile.created);
      if (!tile.created) {
        report_.integerMember("error", tile.error);
        common::printErrorLine("***Error with file ", tile.name, "  Colde: ", tile.error);
      }
    }
    report_.endObject();
  }
  void end(Outcome outcome, const std::string& reason) override {
    if (tilesOpen_) {
      report_.endArray();
      report_.beginObject("leftOut");
      report_.integerMember("rightColumns", leftOutColumns_);
      report_.integerMember("topLines", leftOutLines_);
      report_.endObject();
    }
    report_.endMember({kOutcomeNames[static_cast<int>(outcome)], std::nullopt, "", reason});
    // The failures of the run (exit code 1), where a reader of the terminal looks for them.
    if (outcome == Outcome::depthRefused) common::printErrorLine("***ERROR bitdepth not 24");
    if (outcome == Outcome::refused) common::printErrorLine("***ERROR ", reason);
  }
  bool finish() override { return report_.finish(); }

 private:
  common::JsonReport report_;
  const Options& options_;
  bool tilesOpen_ = false;
  std::int64_t leftOutColumns_ = 0;
  std::int64_t leftOutLines_ = 0;
  std::int64_t side_ = 0;
  std::int64_t border_ = 0;
  std::int64_t fileSide_ = 0;
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter(const Options& options) {
  return std::make_unique<JsonPrinter>(options);
}

}  // namespace tilecut
