// The JSON document: every field with its offset, its size and its value, in file order;
// vertices and names as arrays of records. It is written as the file is read and is valid
// however the run ends: records left open by a stop are closed and marked incomplete, and the
// "end" member says what stopped the run, where, and which bytes no field accounts for.

#include "common/json_report.hpp"
#include "printer.hpp"

namespace skndump {
namespace {

// The outcomes by name, in the order of Outcome.
constexpr const char* kOutcomeNames[] = {"complete", "fileEndsEarly", "headerRefused",
                                         "weightRefused"};

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
  explicit JsonPrinter(common::JsonReport& report) : report_(report) {}

  void header(Span span, std::int32_t value) override {
    report_.integerField("header", span, value);
  }
  void vertexCount(Span span, std::int32_t value) override {
    report_.integerField("vertexCount", span, value);
  }
  void beginVertices() override { report_.beginArray("vertices"); }
  void beginVertex(std::int64_t number, std::uint64_t offset) override {
    beginNumberedRecord(number, offset);
  }
  void position(Axis axis, Span span, float value) override {
    xzyFloat("position", axis, span, value);
  }
  void flag(int index, Span span, std::int8_t value) override {
    constexpr const char* kKeys[] = {"flagA", "bone", "flagC"};
    report_.integerField(kKeys[index], span, value);
  }
  void weight(Span span, float value) override { report_.floatField("weight", span, value); }
  void envelope(Axis axis, Span span, float value) override {
    xzyFloat("envelope", axis, span, value);
  }
  void beginExtension(std::uint64_t offset) override {
    report_.beginRecord("extension", offset);
    report_.integerMember("offset", static_cast<std::int64_t>(offset));
  }
  void extensionFlag(int number, Span span, std::int8_t value) override {
    if (number == 1) report_.beginArray("flags");
    report_.integerField(nullptr, span, value);
    if (number == 2) report_.endArray();
  }
  void secondWeight(Span span, float value) override { report_.floatField("weight", span, value); }
  void cFloat(int index, Span span, float value) override {
    if (index == 0) report_.beginArray("cFloats");
    report_.floatField(nullptr, span, value);
  }
  void endExtension(std::uint64_t end) override {
    report_.endArray();  // the C_Floats
    report_.endRecord(end);
  }
  void endVertex(std::uint64_t end) override { report_.endRecord(end); }
  void nameCount(Span span, std::uint16_t value) override {
    report_.endArray();  // the vertices
    report_.integerField("nameCount", span, value);
    report_.beginArray("names");
  }
  void beginName(std::int64_t number, std::uint64_t offset) override {
    beginNumberedRecord(number, offset);
  }
  void nameLength(Span span, std::uint16_t length) override {
    report_.integerField("length", span, length);
  }
  void name(Span span, std::string_view bytes) override { report_.nameField("name", span, bytes); }
  void endName(std::uint64_t end) override { report_.endRecord(end); }

  void end(const Ending& ending) override {
    report_.endDump(ending, kOutcomeNames[static_cast<int>(ending.outcome)]);
  }
  void cannotOpen(const std::string& reason) override { report_.cannotOpen(reason); }

  bool finish() override { return report_.finish(); }

 private:
  void beginNumberedRecord(std::int64_t number, std::uint64_t offset) {
    report_.beginRecord(nullptr, offset);
    report_.integerMember("number", number);
    report_.integerMember("offset", static_cast<std::int64_t>(offset));
  }

  // Positions and envelopes: an object whose members x, z, y come in file order.
  void xzyFloat(const char* key, Axis axis, Span span, float value) {
    if (axis == Axis::x) report_.beginObject(key);
    report_.floatField(axisKey(axis), span, value);
    if (axis == Axis::y) report_.endObject();
  }

  common::JsonReport& report_;
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter(common::JsonReport& report) {
  return std::make_unique<JsonPrinter>(report);
}

}  // namespace skndump
