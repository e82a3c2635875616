// The JSON document: every field with its offset, its size and its value, in file order; the
// bones as an array of records. It is written as the file is read and is valid however the
// run ends: a record left open by a stop is closed and marked incomplete, and the "end"
// member says what stopped the run, where, and which bytes no field accounts for.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/json_writer.hpp"
#include "printer.hpp"

namespace skedump {
namespace {

class JsonPrinter final : public Printer {
 public:
  explicit JsonPrinter(const char* path) : json_(stdout) {
    json_.beginObject();
    json_.key("format");
    json_.string("ske");
    json_.key("file");
    json_.string(path);
  }

  void header(Span span, std::int32_t value) override {
    header_ = value;
    integerField("header", span, value);
  }
  void boneCount(Span span, std::int32_t value) override { integerField("boneCount", span, value); }
  void beginBones() override {
    json_.key("bones");
    json_.beginArray();
    bonesOpen_ = true;
  }
  void beginBone(std::int64_t number, std::uint64_t offset) override {
    json_.beginObject();
    json_.key("number");
    json_.number(number);
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(offset));
    boneIndex_ = number - 1;
    boneOffset_ = offset;
    boneOpen_ = true;
    floatsOpen_ = false;
  }
  void nameLength(Span span, std::uint16_t length) override {
    nameLength_ = length;
    integerField("nameLength", span, length);
  }
  void name(Span span, std::string_view bytes) override {
    beginField("name", span);
    json_.key("text");
    json_.string(bytes.substr(0, bytes.find('\0')));
    json_.key("hex");
    json_.hex(bytes);
    json_.endObject();
  }
  void shortValue(Span span, std::uint16_t value) override { integerField("short", span, value); }
  void boneFloat(Span span, float value) override {
    if (!floatsOpen_) {
      json_.key("floats");
      json_.beginArray();
      floatsOpen_ = true;
    }
    json_.beginObject();
    spanMembers(span);
    floatMembers(value);
    json_.endObject();
  }
  void endBone(std::uint64_t end) override { closeBone(end, true); }

  void end(const Ending& ending) override {
    if (boneOpen_) closeBone(ending.offset, false);
    if (bonesOpen_) json_.endArray();
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
  void spanMembers(Span span) {
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(span.offset));
    json_.key("size");
    json_.number(static_cast<std::int64_t>(span.size));
  }
  void beginField(const char* key, Span span) {
    json_.key(key);
    json_.beginObject();
    spanMembers(span);
  }
  void integerField(const char* key, Span span, std::int64_t value) {
    beginField(key, span);
    json_.key("value");
    json_.number(value);
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

  void closeBone(std::uint64_t end, bool complete) {
    if (floatsOpen_) json_.endArray();
    json_.key("size");
    json_.number(static_cast<std::int64_t>(end - boneOffset_));
    json_.key("complete");
    json_.boolean(complete);
    json_.endObject();
    boneOpen_ = false;
    floatsOpen_ = false;
  }

  static const char* outcomeName(Outcome outcome) {
    switch (outcome) {
      case Outcome::complete:
        return "complete";
      case Outcome::fileEndsEarly:
        return "fileEndsEarly";
      case Outcome::headerRefused:
        return "headerRefused";
      case Outcome::nameLengthRefused:
        return "nameLengthRefused";
    }
    return "";
  }

  // A JSON Pointer to the member the run stopped at.
  std::string fieldPath(const Ending& ending) const {
    if (ending.outcome == Outcome::headerRefused) return "/header";
    const std::string key =
        ending.outcome == Outcome::nameLengthRefused ? "nameLength" : ending.field.key;
    if (boneIndex_ < 0) return "/" + key;
    std::string path = "/bones/" + std::to_string(boneIndex_) + "/" + key;
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict, bug 105329) on "/" + text.
    if (ending.index >= 0) path.append("/").append(std::to_string(ending.index));
    return path;
  }

  std::string reason(const Ending& ending) const {
    switch (ending.outcome) {
      case Outcome::headerRefused:
        return "the header is " + std::to_string(header_) + ", not " +
               std::to_string(kExpectedHeader);
      case Outcome::nameLengthRefused:
        return "the name length " + std::to_string(nameLength_) + " is above " +
               std::to_string(kMaxNameLength);
      case Outcome::fileEndsEarly:
        return common::fileEndsEarlyReason(ending.offset);
      case Outcome::complete:
        break;
    }
    return "";
  }

  common::JsonWriter json_;
  std::int32_t header_ = 0;
  std::uint16_t nameLength_ = 0;
  std::int64_t boneIndex_ = -1;  // the bone being read, counted from 0; -1 before the first
  std::uint64_t boneOffset_ = 0;
  bool bonesOpen_ = false;
  bool boneOpen_ = false;
  bool floatsOpen_ = false;
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter(const char* path) {
  return std::make_unique<JsonPrinter>(path);
}

}  // namespace skedump
