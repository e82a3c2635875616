// The JSON document: every field with its offset, its size and its value, in file order; names,
// bones, components and runs as arrays of records, each run with its decoded values (one for a
// repeat run, which stands for `length` frames). It is written as the file is read and is valid
// however the run ends: records left open by a stop are closed and marked incomplete, and the
// "end" member says what stopped the run, where, and which bytes no field accounts for.

#include "common/json_report.hpp"
#include "printer.hpp"

namespace bafdump {
namespace {

// The outcomes by name, in the order of Outcome.
constexpr const char* kOutcomeNames[] = {"complete", "fileEndsEarly", "headerRefused",
                                         "nameLengthRefused"};

class JsonPrinter final : public Printer {
 public:
  explicit JsonPrinter(common::JsonReport& report) : report_(report) {}

  void fileOpened() override {}
  void header(Span span, std::int32_t value) override {
    report_.integerField("header", span, value);
  }
  void boneCount(Span span, std::uint16_t value) override {
    report_.integerField("boneCount", span, value);
  }
  void beginNames() override { report_.beginArray("names"); }
  void beginName(std::int64_t bone, std::uint64_t offset) override {
    beginNumberedRecord("bone", bone, offset);
  }
  void nameLength(Span span, std::uint16_t length) override {
    report_.integerField("length", span, length);
  }
  void name(Span span, std::string_view bytes) override { report_.nameField("name", span, bytes); }
  void endName(std::uint64_t end) override { report_.endRecord(end); }
  void frameCount(Span span, std::int32_t value) override {
    report_.endArray();  // the names
    report_.integerField("frameCount", span, value);
  }
  void precision(Span span, std::uint8_t value) override {
    report_.integerField("precision", span, value);
    report_.beginArray("bones");
  }
  void beginBone(std::int64_t bone, std::uint64_t offset) override {
    beginNumberedRecord("bone", bone, offset);
  }
  void bonePrefix(Span span, std::uint16_t word) override {
    report_.integerField("prefix", span, word);
    report_.beginArray("components");
  }
  void beginComponent(int component, std::uint64_t offset) override {
    beginNumberedRecord("component", component, offset);
  }
  void componentPrefix(Span span, std::uint16_t word) override {
    report_.integerField("prefix", span, word);
    report_.beginArray("runs");
  }
  void beginRun(Span control, std::uint16_t word, ControlWord run) override {
    report_.beginRecord(nullptr, control.offset);
    report_.integerMember("offset", static_cast<std::int64_t>(control.offset));
    report_.integerField("control", control, word);
    report_.derivedBoolean("repeat", run.repeat);
    report_.derivedInteger("length", run.length);
    report_.beginArray("values");
  }
  void sample(Span, std::uint16_t, float value) override { report_.floatElement(value); }
  void endRun(std::uint64_t end) override { endRecordAndItsArray(end); }        // the values
  void endComponent(std::uint64_t end) override { endRecordAndItsArray(end); }  // the runs
  void endBone(std::uint64_t end) override { endRecordAndItsArray(end); }       // the components

  void end(const Ending& ending) override {
    report_.endDump(ending, kOutcomeNames[static_cast<int>(ending.outcome)]);
  }
  void cannotOpen(const std::string& reason) override { report_.cannotOpen(reason); }

  bool finish() override { return report_.finish(); }

 private:
  // A record numbered from 1: a name or a bone by its bone, a component by its own number.
  void beginNumberedRecord(const char* numberKey, std::int64_t number, std::uint64_t offset) {
    report_.beginRecord(nullptr, offset);
    report_.integerMember("offset", static_cast<std::int64_t>(offset));
    report_.integerMember(numberKey, number);
  }
  // A bone, a component and a run each end with the array of what they hold.
  void endRecordAndItsArray(std::uint64_t end) {
    report_.endArray();
    report_.endRecord(end);
  }

  common::JsonReport& report_;
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter(common::JsonReport& report) {
  return std::make_unique<JsonPrinter>(report);
}

}  // namespace bafdump
