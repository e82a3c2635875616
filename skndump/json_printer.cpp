// The JSON document: every field with its offset, its size and its value, in file order;
// vertices and names as arrays of records. It is written as the file is read and is valid
// however the run ends: records left open by a stop are closed and marked incomplete, and the
// "end" member says what stopped the run, where, and which bytes no field accounts for.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/json_writer.hpp"
#include "printer.hpp"

namespace skndump {
namespace {

const char* axisKey(Axis axis) {
  switch (axis) {
    case Axis::x:
      return "x";
    case Axis::z:
      return "z";
    case Axis::y:
      return "y";
  }
  return "";
}

class JsonPrinter final : public Printer {
 public:
  explicit JsonPrinter(const char* path) : json_(stdout) {
    json_.beginObject();
    json_.key("format");
    json_.string("skn");
    json_.key("file");
    json_.string(path);
  }

  void header(Span span, std::int32_t value) override {
    header_ = value;
    integerField("header", span, value);
  }
  void vertexCount(Span span, std::int32_t value) override {
    integerField("vertexCount", span, value);
  }
  void beginVertices() override { openArray("vertices"); }
  void beginVertex(std::int64_t number, std::uint64_t offset) override {
    recordPath_ = "/vertices/" + std::to_string(number - 1);
    openRecord(nullptr, offset, number);
  }
  void position(Axis axis, Span span, float value) override {
    xzyFloat("position", axis, span, value);
  }
  void flag(int index, Span span, std::int8_t value) override {
    constexpr const char* kKeys[] = {"flagA", "bone", "flagC"};
    integerField(kKeys[index], span, value);
  }
  void weight(Span span, float value) override { floatField("weight", span, value); }
  void envelope(Axis axis, Span span, float value) override {
    xzyFloat("envelope", axis, span, value);
  }
  void beginExtension(std::uint64_t offset) override {
    closeXzy();
    openRecord("extension", offset, 0);
  }
  void extensionFlag(int number, Span span, std::int8_t value) override {
    if (number == 1) openArray("flags");
    json_.beginObject();
    spanMembers(span);
    json_.key("value");
    json_.number(std::int64_t{value});
    json_.endObject();
    if (number == 2) closeTop(0, true);
  }
  void secondWeight(Span span, float value) override { floatField("weight", span, value); }
  void cFloat(Span span, float value) override {
    if (open_.back().kind != Kind::array) openArray("cFloats");
    json_.beginObject();
    spanMembers(span);
    floatMembers(value);
    json_.endObject();
  }
  void endExtension(std::uint64_t end) override {
    closeTop(end, true);  // the C_Floats
    closeTop(end, true);  // the extension
  }
  void endVertex(std::uint64_t end) override {
    closeXzy();
    closeTop(end, true);
  }
  void nameCount(Span span, std::uint16_t value) override {
    closeTop(0, true);  // the vertices
    recordPath_.clear();
    integerField("nameCount", span, value);
    openArray("names");
  }
  void beginName(std::int64_t number, std::uint64_t offset) override {
    recordPath_ = "/names/" + std::to_string(number - 1);
    openRecord(nullptr, offset, number);
  }
  void nameLength(Span span, std::uint16_t length) override {
    integerField("length", span, length);
  }
  void name(Span span, std::string_view bytes) override {
    json_.key("name");
    json_.beginObject();
    spanMembers(span);
    json_.key("text");
    json_.string(bytes.substr(0, bytes.find('\0')));
    json_.key("hex");
    json_.hex(bytes);
    json_.endObject();
  }
  void endName(std::uint64_t end) override { closeTop(end, true); }

  void end(const Ending& ending) override {
    while (!open_.empty()) closeTop(ending.offset, false);
    json_.key("end");
    json_.beginObject();
    json_.key("outcome");
    json_.string(outcomeName(ending.outcome));
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(ending.offset));
    if (ending.outcome != Outcome::complete) {
      json_.key("field");
      json_.string(fieldPath(ending));
      json_.key("reason");
      json_.string(reason(ending));
    }
    json_.key("unread");
    json_.beginObject();
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(ending.offset));
    json_.key("count");
    json_.number(static_cast<std::int64_t>(ending.unread.count));
    json_.key("firstBytes");
    json_.hex(ending.unread.firstBytes);
    json_.endObject();
    json_.endObject();
  }

  void cannotOpen(const std::string& reason) override {
    json_.key("end");
    json_.beginObject();
    json_.key("outcome");
    json_.string("cannotOpen");
    json_.key("reason");
    json_.string(reason);
    json_.endObject();
  }

  bool finish() override {
    json_.closeAll();
    return json_.finish();
  }

 private:
  // An object or array opened below the document: a record gets its size and whether it is
  // complete when it closes.
  enum class Kind { record, object, array };
  struct Open {
    Kind kind;
    std::uint64_t offset;
  };

  void openRecord(const char* key, std::uint64_t offset, std::int64_t number) {
    if (key != nullptr) json_.key(key);
    json_.beginObject();
    if (number > 0) {
      json_.key("number");
      json_.number(number);
    }
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(offset));
    open_.push_back({Kind::record, offset});
  }
  void openArray(const char* key) {
    json_.key(key);
    json_.beginArray();
    open_.push_back({Kind::array, 0});
  }
  void closeTop(std::uint64_t end, bool complete) {
    const Open top = open_.back();
    open_.pop_back();
    if (top.kind == Kind::array) {
      json_.endArray();
      return;
    }
    if (top.kind == Kind::record) {
      json_.key("size");
      json_.number(static_cast<std::int64_t>(end - top.offset));
      json_.key("complete");
      json_.boolean(complete);
    }
    json_.endObject();
  }

  // Positions and envelopes: an object whose members x, z, y come in file order.
  void xzyFloat(const char* key, Axis axis, Span span, float value) {
    if (axis == Axis::x) {
      closeXzy();
      json_.key(key);
      json_.beginObject();
      open_.push_back({Kind::object, 0});
      xzyOpen_ = true;
    }
    floatField(axisKey(axis), span, value);
    if (axis == Axis::y) closeXzy();
  }
  void closeXzy() {
    if (!xzyOpen_) return;
    closeTop(0, true);
    xzyOpen_ = false;
  }

  void spanMembers(Span span) {
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(span.offset));
    json_.key("size");
    json_.number(static_cast<std::int64_t>(span.size));
  }
  void integerField(const char* key, Span span, std::int64_t value) {
    json_.key(key);
    json_.beginObject();
    spanMembers(span);
    json_.key("value");
    json_.number(value);
    json_.endObject();
  }
  void floatField(const char* key, Span span, float value) {
    json_.key(key);
    json_.beginObject();
    spanMembers(span);
    floatMembers(value);
    json_.endObject();
  }
  // JSON has no NaN and no infinities: those are null, with which one it was and its bits.
  void floatMembers(float value) {
    json_.key("value");
    json_.number(value);
    if (std::isfinite(value)) return;
    json_.key("nonFinite");
    json_.string(std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf");
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char text[9];
    std::snprintf(text, sizeof text, "%08x", bits);
    json_.key("bits");
    json_.string(text);
  }

  static const char* outcomeName(Outcome outcome) {
    switch (outcome) {
      case Outcome::complete:
        return "complete";
      case Outcome::fileEndsEarly:
        return "fileEndsEarly";
      case Outcome::headerRefused:
        return "headerRefused";
      case Outcome::weightRefused:
        return "weightRefused";
    }
    return "";
  }

  // A JSON Pointer to the member the run stopped at.
  std::string fieldPath(const Ending& ending) const {
    if (ending.outcome == Outcome::headerRefused) return "/header";
    if (ending.outcome == Outcome::weightRefused) return recordPath_ + "/weight";
    std::string path = recordPath_ + "/" + ending.field.key;
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict, bug 105329) on "/" + text.
    if (ending.index >= 0) path.append("/").append(std::to_string(ending.index));
    return path;
  }

  std::string reason(const Ending& ending) const {
    switch (ending.outcome) {
      case Outcome::headerRefused:
        return "the header is " + std::to_string(header_) + ", not " +
               std::to_string(kExpectedHeader);
      case Outcome::weightRefused:
        return "the weight is neither 1 nor 0.5";
      case Outcome::fileEndsEarly:
        return common::fileEndsEarlyReason(ending.offset);
      case Outcome::complete:
        break;
    }
    return "";
  }

  common::JsonWriter json_;
  std::vector<Open> open_;
  std::string recordPath_;  // a JSON Pointer to the record being read; empty at the top
  std::int32_t header_ = 0;
  bool xzyOpen_ = false;
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter(const char* path) {
  return std::make_unique<JsonPrinter>(path);
}

}  // namespace skndump
