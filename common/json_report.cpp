#include "json_report.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <istream>

#include "report.hpp"

namespace common {

namespace {

// A JSON Pointer writes "~" as "~0" and "/" as "~1" within a key.
void appendSegment(std::string& pointer, std::string_view segment) {
  pointer += '/';
  for (const char c : segment) {
    if (c == '~') {
      pointer += "~0";
    } else if (c == '/') {
      pointer += "~1";
    } else {
      pointer += c;
    }
  }
}

void appendIndex(std::string& pointer, std::int64_t index) {
  char digits[24];
  appendSegment(pointer,
                std::string_view(digits, std::to_chars(digits, digits + sizeof digits, index).ptr));
}

std::string bitsText(float value) {
  constexpr char kHexDigits[] = "0123456789abcdef";
  const auto bits = std::bit_cast<std::uint32_t>(value);
  std::string text(8, '0');
  for (std::size_t i = 0; i < 8; ++i) text[7 - i] = kHexDigits[(bits >> (4 * i)) & 0xF];
  return text;
}

}  // namespace

std::string pointerOf(std::span<const PathSegment> segments) {
  std::string pointer;
  for (const PathSegment& segment : segments) {
    if (segment.key.empty()) {
      appendIndex(pointer, segment.index);
    } else {
      appendSegment(pointer, segment.key);
    }
  }
  return pointer;
}

JsonReport::JsonReport(std::FILE* out) : json_(out), writes_(out != nullptr) {
  open_.reserve(kUsualJsonDepth);
  json_.beginObject();
}

JsonReport::JsonReport(std::FILE* out, std::string_view format, std::string_view file)
    : JsonReport(out) {
  file_ = file;
  stringMember("format", format);
  stringMember("file", file);
}

void JsonReport::integerMember(const char* key, std::int64_t value) {
  if (place(key)) json_.number(value);
}

void JsonReport::booleanMember(const char* key, bool value) {
  if (place(key)) json_.boolean(value);
}

void JsonReport::stringMember(const char* key, std::string_view text) {
  if (place(key)) json_.string(text);
}

void JsonReport::floatElement(float value) {
  if (place(nullptr)) json_.number(value);
}

void JsonReport::derivedInteger(const char* key, std::int64_t value) {
  if (check_ != nullptr) return check_->integer(key, value);
  integerMember(key, value);
}

void JsonReport::derivedBoolean(const char* key, bool value) {
  if (check_ != nullptr) return check_->boolean(key, value);
  booleanMember(key, value);
}

void JsonReport::integerField(const char* key, Span span, std::int64_t value) {
  if (!beginField(key, span)) return;
  json_.key("value");
  json_.number(value);
  json_.endObject();
}

void JsonReport::floatField(const char* key, Span span, float value) {
  if (!beginField(key, span)) return;
  json_.key("value");
  json_.number(value);
  // JSON has no NaN and no infinities.
  if (!std::isfinite(value)) {
    json_.key("nonFinite");
    json_.string(std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf");
    json_.key("bits");
    json_.string(bitsText(value));
  }
  json_.endObject();
}

void JsonReport::nameField(const char* key, Span span, std::string_view bytes) {
  if (!beginField(key, span)) return;
  json_.key("text");
  json_.string(bytes.substr(0, bytes.find('\0')));
  json_.key("hex");
  json_.hex(bytes);
  json_.endObject();
}

void JsonReport::beginObject(const char* key) {
  open(Kind::object, key, 0);
}

void JsonReport::endObject() {
  open_.pop_back();
  ++version_;
  json_.endObject();
}

void JsonReport::beginArray(const char* key) {
  open(Kind::array, key, 0);
}

void JsonReport::endArray() {
  open_.pop_back();
  ++version_;
  json_.endArray();
}

void JsonReport::beginRecord(const char* key, std::uint64_t offset) {
  open(Kind::record, key, offset);
}

void JsonReport::endRecord(std::uint64_t end, bool complete) {
  integerMember("size", static_cast<std::int64_t>(end - open_.back().offset));
  booleanMember("complete", complete);
  endObject();
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

std::string JsonReport::pointerInRecord(std::string_view key, std::int64_t index) const {
  std::vector<PathSegment> segments(open_.size());
  segments.resize(recordPath(segments));
  std::string pointer = pointerOf(segments);
  // A field's key is a path already: "position/x".
  pointer += '/';
  pointer += key;
  if (index >= 0) appendIndex(pointer, index);
  return pointer;
}

std::size_t JsonReport::recordPath(std::span<PathSegment> segments) const {
  std::size_t record = open_.size();
  while (record > 0 && open_[record - 1].kind != Kind::record) --record;
  for (std::size_t i = 0; i < record; ++i) {
    segments[i] = {open_[i].key, open_[i].index};
  }
  return record;
}

void JsonReport::cannotOpen(const std::string& reason) {
  printErrorLine("***ERROR cannot open ", file_, ": ", reason);
  endMember({"cannotOpen", {}, "", reason});
}

void JsonReport::printEndsEarly(std::uint64_t offset, const std::string& field) const {
  printErrorLine("***ERROR ", file_, " ends at byte ", offset, " while reading ", field);
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
void JsonReport::unreadBytes(std::istream& rest) {
  json_.key("bytes");
  json_.beginHex();
  std::array<char, 4096> piece{};
  for (std::streamsize got = 0; (got = rest.rdbuf()->sgetn(piece.data(), piece.size())) > 0;) {
    json_.hexPart(std::string_view(piece.data(), static_cast<std::size_t>(got)));
  }
  json_.endHex();
}

bool JsonReport::finish() {
  json_.closeAll();
  if (json_.finish()) return true;
  printWriteFailure();
  return false;
}

bool JsonReport::place(const char* key) {
  if (key == nullptr) ++open_.back().elements;
  if (!writes_) return false;
  if (key != nullptr) json_.key(key);
  return true;
}

void JsonReport::open(Kind kind, const char* key, std::uint64_t offset) {
  const std::int64_t index = key == nullptr ? open_.back().elements : -1;
  if (place(key)) {
    if (kind == Kind::array) {
      json_.beginArray();
    } else {
      json_.beginObject();
    }
  }
  ++version_;
  open_.push_back(
      {kind, key == nullptr ? std::string_view() : std::string_view(key), index, offset, 0});
}

bool JsonReport::beginField(const char* key, Span span) {
  if (!place(key)) return false;
  json_.beginObject();
  json_.key("offset");
  json_.number(static_cast<std::int64_t>(span.offset));
  json_.key("size");
  json_.number(static_cast<std::int64_t>(span.size));
  return true;
}

}  // namespace common
