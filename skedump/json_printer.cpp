// The JSON document: every field with its offset, its size and its value, in file order; the
// bones as an array of records. It is written as the file is read and is valid however the
// run ends: a record left open by a stop is closed and marked incomplete, and the "end"
// member says what stopped the run, where, and which bytes no field accounts for.

#include "common/json_report.hpp"
#include "printer.hpp"

namespace skedump {
namespace {

// The outcomes by name, in the order of Outcome.
constexpr const char* kOutcomeNames[] = {"complete", "fileEndsEarly", "headerRefused",
                                         "nameLengthRefused"};

class JsonPrinter final : public Printer {
 public:
  explicit JsonPrinter(common::JsonReport& report) : report_(report) {}

  void header(Span span, std::int32_t value) override {
    report_.integerField("header", span, value);
  }
  void boneCount(Span span, std::int32_t value) override {
    report_.integerField("boneCount", span, value);
  }
  void beginBones() override { report_.beginArray("bones"); }
  void beginBone(std::int64_t number, std::uint64_t offset) override {
    report_.beginRecord(nullptr, offset);
    report_.integerMember("number", number);
    report_.integerMember("offset", static_cast<std::int64_t>(offset));
  }
  void nameLength(Span span, std::uint16_t length) override {
    report_.integerField("nameLength", span, length);
  }
  void name(Span span, std::string_view bytes) override { report_.nameField("name", span, bytes); }
  void shortValue(Span span, std::uint16_t value) override {
    report_.integerField("short", span, value);
  }
  void boneFloat(int index, Span span, float value) override {
    if (index == 0) report_.beginArray("floats");
    report_.floatField(nullptr, span, value);
  }
  void endBone(std::uint64_t end) override {
    report_.endArray();  // the floats
    report_.endRecord(end);
  }

  void end(const Ending& ending) override {
    report_.endDump(ending, kOutcomeNames[static_cast<int>(ending.outcome)]);
  }
  void cannotOpen(const std::string& reason) override { report_.cannotOpen(reason); }

  bool finish() override { return report_.finish(); }

 private:
  common::JsonReport& report_;
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter(common::JsonReport& report) {
  return std::make_unique<JsonPrinter>(report);
}

}  // namespace skedump
