#include "json_writer.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "number_text.hpp"
#include "text_pieces.hpp"
#include "utf8.hpp"

namespace common {

namespace {

// Handed on a few KiB at a time: large writes, and no more memory than the text report takes.
constexpr std::size_t kFlushBytes = std::size_t{1} << 12;
constexpr char kHexDigits[] = "0123456789abcdef";

// A byte that stands for itself in a JSON string.
bool isPlainAscii(char byte) {
  const auto c = static_cast<unsigned char>(byte);
  return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}

void appendEscaped(std::string& out, unsigned char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (c < 0x20) {
    out += "\\u00";
    out += kHexDigits[c >> 4];
    out += kHexDigits[c & 0xF];
  } else {
    out += static_cast<char>(c);
  }
}

}  // namespace

// The buffer's room is taken once: grown a doubling at a time, it would be allocated and copied up
// to nine times for every document. So is the room of the brackets of a document as deep as the
// tools' are.
JsonWriter::JsonWriter(std::FILE* out) : out_(out) {
  buffer_.reserve(2 * kFlushBytes);
  open_.reserve(kUsualJsonDepth);
}

void JsonWriter::beginObject() {
  open('}');
}
void JsonWriter::endObject() {
  close();
}
void JsonWriter::beginArray() {
  open(']');
}
void JsonWriter::endArray() {
  close();
}

void JsonWriter::key(std::string_view name) {
  beforeValue();
  // Keys are the printers' own names, plain ASCII: nothing to escape.
  appendPieces(buffer_, '"', name, '"', ':');
  afterKey_ = true;
}

void JsonWriter::number(std::int64_t value) {
  beforeValue();
  char digits[24];
  buffer_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
  write({});
}

void JsonWriter::number(float value) {
  beforeValue();
  if (!std::isfinite(value)) {
    buffer_ += "null";
  } else if (value == 0 && std::signbit(value)) {
    // "-0" is exact, but most parsers read it as the integer 0 and lose the sign.
    buffer_ += "-0.0";
  } else {
    char digits[32];
    buffer_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
  }
  write({});
}

void JsonWriter::boolean(bool value) {
  beforeValue();
  write(value ? "true" : "false");
}

void JsonWriter::string(std::string_view bytes) {
  beforeValue();
  appendString(bytes);
  write({});
}

void appendJsonString(std::string& out, std::string_view bytes) {
  out += '"';
  // Keys and most text are plain printable ASCII: they go in whole.
  if (std::all_of(bytes.begin(), bytes.end(), isPlainAscii)) {
    out.append(bytes);
    out += '"';
    return;
  }
  while (!bytes.empty()) {
    const std::size_t length = validUtf8Length(bytes);
    if (length == 0) {
      out += kReplacementCharacter;
      bytes.remove_prefix(1);
    } else if (length == 1) {
      appendEscaped(out, static_cast<unsigned char>(bytes[0]));
      bytes.remove_prefix(1);
    } else {
      out.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  out += '"';
}

void JsonWriter::appendString(std::string_view bytes) {
  appendJsonString(buffer_, bytes);
}

void JsonWriter::hex(std::string_view bytes) {
  beginHex();
  hexPart(bytes);
  endHex();
}

void JsonWriter::beginHex() {
  beforeValue();
  buffer_ += '"';
}

void JsonWriter::hexPart(std::string_view bytes) {
  appendHexDigits(buffer_, bytes);
  write({});
}

void JsonWriter::endHex() {
  write("\"");
}

void JsonWriter::closeAll() {
  while (!open_.empty()) close();
}

bool JsonWriter::finish() {
  buffer_ += '\n';
  const bool written = std::fwrite(buffer_.data(), 1, buffer_.size(), out_) == buffer_.size();
  buffer_.clear();
  return std::fflush(out_) == 0 && written;
}

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
  } else {
    if (!first_) buffer_ += ',';
    first_ = false;
  }
}

void JsonWriter::open(char bracket) {
  beforeValue();
  buffer_ += bracket == '}' ? '{' : '[';
  open_.push_back(bracket);
  first_ = true;
}

void JsonWriter::close() {
  const char bracket = open_.back();
  open_.pop_back();
  first_ = false;
  write(std::string_view(&bracket, 1));
}

void JsonWriter::write(std::string_view text) {
  buffer_ += text;
  if (buffer_.size() >= kFlushBytes) {
    std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    buffer_.clear();
  }
}

}  // namespace common
