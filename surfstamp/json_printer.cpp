// The JSON document: the id argument, the format byte and the model count, every collision
// chunk as the check of the whole file found it, then every material id field in file order
// with the id read and, unless nothing was written, the id written; last, how the run ended.

#include <cstdio>

#include "common/json_report.hpp"
#include "common/report.hpp"
#include "printer.hpp"

namespace surfstamp {
namespace {

// The outcomes by name, in the order of Outcome.
constexpr const char* kOutcomeNames[] = {"stamped",          "checked",    "notAModel",
                                         "noCollisionModel", "idTooLarge", "refused"};

class JsonPrinter final : public Printer {
 public:
  JsonPrinter(const char* path, bool dryRun) : report_(stdout, "sm", path), dryRun_(dryRun) {
    report_.booleanMember("dryRun", dryRun);
  }

  void materialId(const char* text, MaterialIdArgument id) override {
    report_.beginObject("materialId");
    report_.stringMember("text", text);
    report_.integerMember("value", id.value);
    report_.booleanMember("tooLarge", id.tooLarge);
    report_.endObject();
    id_ = id.value;
  }
  void formatByte(Field field) override { fieldMember("formatByte", field); }
  void modelCount(Field field) override { fieldMember("modelCount", field); }
  void modelCountAccepted() override {}
  void chunk(const Chunk& chunk) override {
    if (!chunksOpen_) {
      report_.beginArray("chunks");
      chunksOpen_ = true;
    }
    report_.beginObject({});
    report_.integerMember("number", chunk.number);
    report_.integerMember("offset", chunk.offset);
    const Field* fields[] = {&chunk.length, &chunk.entryCount, &chunk.recordCount};
    const char* keys[] = {"length", "entryCount", "recordCount"};
    for (int i = 0; i < chunk.fieldsRead; ++i) fieldMember(keys[i], *fields[i]);
    if (chunk.complete) report_.integerMember("size", 4 + chunk.length.value);
    report_.booleanMember("complete", chunk.complete);
    report_.endObject();
  }
  void beginIdFields() override {
    closeChunks();
    report_.beginArray("idFields");
    idFieldsOpen_ = true;
  }
  void idField(const IdField& field) override {
    report_.beginObject({});
    report_.integerMember("chunk", field.chunk);
    report_.integerMember("record", field.record);
    report_.integerMember("recordSize", field.recordSize);
    report_.integerMember("offset", field.offset);
    report_.integerMember("size", 2);
    report_.integerMember("read", field.read);
    if (!dryRun_) report_.integerMember("written", id_);
    report_.endObject();
  }

  void end(Outcome outcome, const std::string& reason) override {
    closeChunks();
    if (idFieldsOpen_) report_.endArray();
    idFieldsOpen_ = false;
    report_.endMember({kOutcomeNames[static_cast<int>(outcome)], std::nullopt, "", reason});
    // The one failure of the run (exit code 1), where a reader of the terminal looks for it.
    if (outcome == Outcome::refused) common::printErrorLine("***ERROR ", reason);
  }

  bool finish() override { return report_.finish(); }

 private:
  void fieldMember(const char* key, Field field) {
    report_.integerField(
        key, {static_cast<std::uint64_t>(field.offset), static_cast<std::uint64_t>(field.size)},
        field.value);
  }
  void closeChunks() {
    if (chunksOpen_) report_.endArray();
    chunksOpen_ = false;
  }

  common::JsonReport report_;
  bool dryRun_;
  std::uint16_t id_ = 0;
  bool chunksOpen_ = false;
  bool idFieldsOpen_ = false;
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter(const char* path, bool dryRun) {
  return std::make_unique<JsonPrinter>(path, dryRun);
}

}  // namespace surfstamp
