#include "json_report.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>

#include "report.hpp"

namespace common {

JsonReport::JsonReport(std::FILE* out) : json_(out) {
  open_.reserve(kUsualJsonDepth);
  json_.beginObject();
}

JsonReport::JsonReport(std::FILE* out, std::string_view format, std::string_view file)
    : JsonReport(out) {
  file_ = file;
  stringMember("format", format);
  stringMember("file", file);
}

void JsonReport::integerMember(std::string_view key, std::int64_t value) {
  place(key);
  json_.number(value);
}

void JsonReport::booleanMember(std::string_view key, bool value) {
  place(key);
  json_.boolean(value);
}

void JsonReport::stringMember(std::string_view key, std::string_view text) {
  place(key);
  json_.string(text);
}

void JsonReport::floatElement(float value) {
  json_.number(value);
}

void JsonReport::integerField(std::string_view key, Span span, std::int64_t value) {
  beginField(key, span);
  json_.key("value");
  json_.number(value);
  json_.endObject();
}

void writeFloatValue(JsonWriter& json, float value) {
  json.key("value");
  json.number(value);
  // JSON has no NaN and no infinities.
  if (std::isfinite(value)) return;
  json.key("nonFinite");
  json.string(std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf");
  json.key("bits");
  json.string(floatBitsText(value));
}

void JsonReport::floatField(std::string_view key, Span span, float value) {
  beginField(key, span);
  writeFloatValue(json_, value);
  json_.endObject();
}

void JsonReport::nameField(std::string_view key, Span span, std::string_view bytes) {
  beginField(key, span);
  json_.key("text");
  json_.string(bytes.substr(0, bytes.find('\0')));
  json_.key("hex");
  json_.hex(bytes);
  json_.endObject();
}

void JsonReport::beginObject(std::string_view key) {
  open(Kind::object, key, 0);
}

void JsonReport::endObject() {
  open_.pop_back();
  json_.endObject();
}

void JsonReport::beginArray(std::string_view key) {
  open(Kind::array, key, 0);
}

void JsonReport::endArray() {
  open_.pop_back();
  json_.endArray();
}

void JsonReport::beginRecord(std::string_view key, std::uint64_t offset) {
  open(Kind::record, key, offset);
}

void JsonReport::endRecord(std::uint64_t end, bool complete) {
  integerMember("size", static_cast<std::int64_t>(end - open_.back().offset));
  booleanMember("complete", complete);
  endObject();
}

void JsonReport::openScope(const Scope& scope, std::int64_t number, std::uint64_t offset) {
  if (scope.kind == Scope::Kind::array) return beginArray(scope.key);
  if (scope.kind == Scope::Kind::object) return beginObject(scope.key);
  beginRecord(scope.key, offset);
  const bool numbered = !scope.numbering.empty();
  if (numbered && !scope.numberAfterOffset) integerMember(scope.numbering, number);
  integerMember("offset", static_cast<std::int64_t>(offset));
  if (numbered && scope.numberAfterOffset) integerMember(scope.numbering, number);
}

void JsonReport::closeScope(const Scope& scope, std::uint64_t end) {
  if (scope.kind == Scope::Kind::array) return endArray();
  if (scope.kind == Scope::Kind::object) return endObject();
  endRecord(end);
}

void JsonReport::closeOpen(std::uint64_t end) {
  while (!open_.empty()) {
    switch (open_.back().kind) {
      case Kind::record:
        endRecord(end, false);
        break;
      case Kind::object:
        endObject();
        break;
      case Kind::array:
        endArray();
        break;
    }
  }
}

void JsonReport::endDump(const Stop& stop, const char* outcome, bool endsInField) {
  closeOpen(stop.offset);
  if (endsInField) printEndsEarly(stop.offset, stop.pointer);
  endMember({outcome, stop.offset, stop.pointer, stop.reason, &stop.unread,
             endsInField ? &stop.fieldBytes : nullptr});
}

void JsonReport::cannotOpen(const std::string& reason) {
  writeCannotOpen(stderr, file_, reason);
  endMember({"cannotOpen", {}, "", reason});
}

void JsonReport::printEndsEarly(std::uint64_t offset, const std::string& field) const {
  writeEndsEarly(stderr, file_, offset, field);
}

void JsonReport::endMember(const EndMember& end) {
  beginObject("end");
  stringMember("outcome", end.outcome);
  if (end.offset) integerMember("offset", static_cast<std::int64_t>(*end.offset));
  if (!end.field.empty()) stringMember("field", end.field);
  if (!end.reason.empty()) stringMember("reason", end.reason);
  if (end.fieldBytes != nullptr && !end.fieldBytes->empty()) {
    json_.key("fieldBytes");
    json_.hex(*end.fieldBytes);
  }
  if (end.unread != nullptr) {
    beginObject("unread");
    integerMember("offset", static_cast<std::int64_t>(end.offset.value_or(0)));
    integerMember("count", static_cast<std::int64_t>(end.unread->count));
    json_.key("firstBytes");
    json_.hex(end.unread->firstBytes);
    // The first bytes are all of them, more often than not; else all of them follow.
    if (end.unread->rest != nullptr && end.unread->count > kUnreadShown) {
      unreadBytes(*end.unread->rest);
    }
    endObject();
  }
  endObject();
}

// Every byte after the last field, read and written a piece at a time, so that a file with any
// number of them is written back whole in the same memory.
void JsonReport::unreadBytes(ByteSource& rest) {
  json_.key("bytes");
  json_.beginHex();
  std::array<char, 4096> piece{};
  for (std::size_t got = 0; (got = rest.read(piece.data(), piece.size()).value_or(0)) > 0;) {
    json_.hexPart(std::string_view(piece.data(), got));
  }
  json_.endHex();
}

bool JsonReport::finish() {
  json_.closeAll();
  if (json_.finish()) return true;
  printWriteFailure();
  return false;
}

void JsonReport::place(std::string_view key) {
  if (!key.empty()) json_.key(key);
}

void JsonReport::open(Kind kind, std::string_view key, std::uint64_t offset) {
  place(key);
  if (kind == Kind::array) {
    json_.beginArray();
  } else {
    json_.beginObject();
  }
  open_.push_back({kind, offset});
}

void JsonReport::beginField(std::string_view key, Span span) {
  place(key);
  json_.beginObject();
  json_.key("offset");
  json_.number(static_cast<std::int64_t>(span.offset));
  json_.key("size");
  json_.number(static_cast<std::int64_t>(span.size));
}

}  // namespace common
