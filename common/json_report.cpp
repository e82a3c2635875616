#include "json_report.hpp"

#include <bit>
#include <charconv>
#include <cmath>

namespace common {

namespace {

void appendSegment(std::string& pointer, std::string_view segment) {
  pointer += '/';
  pointer += segment;
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
  for (int i = 0; i < 8; ++i) text[7 - i] = kHexDigits[(bits >> (4 * i)) & 0xF];
  return text;
}

}  // namespace

JsonReport::JsonReport(std::FILE* out) : json_(out) {
  json_.beginObject();
}

JsonReport::JsonReport(std::FILE* out, std::string_view format, std::string_view file)
    : JsonReport(out) {
  stringMember("format", format);
  stringMember("file", file);
}

void JsonReport::integerMember(const char* key, std::int64_t value) {
  place(key);
  json_.number(value);
}

void JsonReport::booleanMember(const char* key, bool value) {
  place(key);
  json_.boolean(value);
}

void JsonReport::stringMember(const char* key, std::string_view text) {
  place(key);
  json_.string(text);
}

void JsonReport::floatElement(float value) {
  place(nullptr);
  json_.number(value);
}

void JsonReport::integerField(const char* key, Span span, std::int64_t value) {
  beginField(key, span);
  json_.key("value");
  json_.number(value);
  json_.endObject();
}

void JsonReport::floatField(const char* key, Span span, float value) {
  beginField(key, span);
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
  beginField(key, span);
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
  json_.endObject();
}

void JsonReport::beginArray(const char* key) {
  open(Kind::array, key, 0);
}

void JsonReport::endArray() {
  open_.pop_back();
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
  std::size_t record = open_.size();
  while (record > 0 && open_[record - 1].kind != Kind::record) --record;
  std::string pointer;
  for (std::size_t i = 0; i < record; ++i) {
    if (open_[i].key != nullptr) {
      appendSegment(pointer, open_[i].key);
    } else {
      appendIndex(pointer, open_[i].index);
    }
  }
  appendSegment(pointer, key);
  if (index >= 0) appendIndex(pointer, index);
  return pointer;
}

void JsonReport::endMember(const EndMember& end) {
  beginObject("end");
  stringMember("outcome", end.outcome);
  if (end.offset) integerMember("offset", static_cast<std::int64_t>(*end.offset));
  if (!end.field.empty()) stringMember("field", end.field);
  if (!end.reason.empty()) stringMember("reason", end.reason);
  if (end.unread != nullptr) {
    beginObject("unread");
    integerMember("offset", static_cast<std::int64_t>(end.offset.value_or(0)));
    integerMember("count", static_cast<std::int64_t>(end.unread->count));
    json_.key("firstBytes");
    json_.hex(end.unread->firstBytes);
    endObject();
  }
  endObject();
}

bool JsonReport::finish() {
  json_.closeAll();
  return json_.finish();
}

void JsonReport::place(const char* key) {
  if (key != nullptr) {
    json_.key(key);
  } else {
    ++open_.back().elements;
  }
}

void JsonReport::open(Kind kind, const char* key, std::uint64_t offset) {
  const std::int64_t index = key == nullptr ? open_.back().elements : -1;
  place(key);
  if (kind == Kind::array) {
    json_.beginArray();
  } else {
    json_.beginObject();
  }
  open_.push_back({kind, key, index, offset, 0});
}

void JsonReport::beginField(const char* key, Span span) {
  place(key);
  json_.beginObject();
  json_.key("offset");
  json_.number(static_cast<std::int64_t>(span.offset));
  json_.key("size");
  json_.number(static_cast<std::int64_t>(span.size));
}

}  // namespace common
