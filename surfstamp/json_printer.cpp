// The JSON document: the id argument, the format byte and the model count, every collision
// chunk as the check of the whole file found it, then every material id field in file order
// with the id read and, unless nothing was written, the id written; last, how the run ended.

#include <cstdio>
#include <vector>

#include "common/json_writer.hpp"
#include "printer.hpp"

namespace surfstamp {
namespace {

class JsonPrinter final : public Printer {
 public:
  JsonPrinter(const char* path, bool dryRun) : json_(stdout), dryRun_(dryRun) {
    json_.beginObject();
    json_.key("format");
    json_.string("sm");
    json_.key("file");
    json_.string(path);
    json_.key("dryRun");
    json_.boolean(dryRun);
  }

  void materialId(const char* text, MaterialIdArgument id) override {
    json_.key("materialId");
    json_.beginObject();
    json_.key("text");
    json_.string(text);
    json_.key("value");
    json_.number(std::int64_t{id.value});
    json_.key("tooLarge");
    json_.boolean(id.tooLarge);
    json_.endObject();
    id_ = id.value;
  }
  void formatByte(Field field) override { fieldMember("formatByte", field); }
  void modelCount(Field field) override { fieldMember("modelCount", field); }
  void modelCountAccepted() override {}
  void chunk(const Chunk& chunk) override {
    if (!chunksOpen_) {
      json_.key("chunks");
      json_.beginArray();
      chunksOpen_ = true;
    }
    json_.beginObject();
    json_.key("number");
    json_.number(std::int64_t{chunk.number});
    json_.key("offset");
    json_.number(chunk.offset);
    const Field* fields[] = {&chunk.length, &chunk.entryCount, &chunk.recordCount};
    const char* keys[] = {"length", "entryCount", "recordCount"};
    for (int i = 0; i < chunk.fieldsRead; ++i) fieldMember(keys[i], *fields[i]);
    if (chunk.complete) {
      json_.key("size");
      json_.number(4 + chunk.length.value);
    }
    json_.key("complete");
    json_.boolean(chunk.complete);
    json_.endObject();
  }
  void beginIdFields() override {
    closeChunks();
    json_.key("idFields");
    json_.beginArray();
    idFieldsOpen_ = true;
  }
  void idField(const IdField& field) override {
    json_.beginObject();
    json_.key("chunk");
    json_.number(std::int64_t{field.chunk});
    json_.key("record");
    json_.number(field.record);
    json_.key("recordSize");
    json_.number(std::int64_t{field.recordSize});
    json_.key("offset");
    json_.number(field.offset);
    json_.key("size");
    json_.number(std::int64_t{2});
    json_.key("read");
    json_.number(std::int64_t{field.read});
    if (!dryRun_) {
      json_.key("written");
      json_.number(std::int64_t{id_});
    }
    json_.endObject();
  }

  void end(Outcome outcome, const std::string& reason) override {
    closeChunks();
    if (idFieldsOpen_) json_.endArray();
    idFieldsOpen_ = false;
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
  void fieldMember(const char* key, Field field) {
    json_.key(key);
    json_.beginObject();
    json_.key("offset");
    json_.number(field.offset);
    json_.key("size");
    json_.number(field.size);
    json_.key("value");
    json_.number(field.value);
    json_.endObject();
  }
  void closeChunks() {
    if (chunksOpen_) json_.endArray();
    chunksOpen_ = false;
  }

  static const char* outcomeName(Outcome outcome) {
    switch (outcome) {
      case Outcome::stamped:
        return "stamped";
      case Outcome::checked:
        return "checked";
      case Outcome::notAModel:
        return "notAModel";
      case Outcome::noCollisionModel:
        return "noCollisionModel";
      case Outcome::idTooLarge:
        return "idTooLarge";
      case Outcome::refused:
        return "refused";
    }
    return "";
  }

  common::JsonWriter json_;
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
