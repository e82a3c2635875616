#include "svg_writer.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "report.hpp"
#include "text_pieces.hpp"
#include "utf8.hpp"

namespace common {

namespace {

constexpr std::size_t kFlushBytes = std::size_t{1} << 12;

// The control picture of a control character: U+2400 + c, and U+2421 for DEL.
void appendControlPicture(std::string& text, unsigned char c) {
  const unsigned picture = c == 0x7F ? 0x2421 : 0x2400 + c;
  text += static_cast<char>(0xE0 | picture >> 12);
  text += static_cast<char>(0x80 | (picture >> 6 & 0x3F));
  text += static_cast<char>(0x80 | (picture & 0x3F));
}

// How many bytes `bytes` begins with that stand for themselves in XML text and attributes.
std::size_t plainPrefixLength(std::string_view bytes) {
  std::size_t length = 0;
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (c < 0x20 || c >= 0x7F || c == '&' || c == '<' || c == '>' || c == '"') break;
    ++length;
  }
  return length;
}

// Room for the longest SVG number: 309 digits, a sign, the point and two decimals.
using SvgNumberDigits = std::array<char, std::numeric_limits<double>::max_exponent10 + 6>;

// `value` as an SVG number, in `digits`.
std::string_view formatSvgNumber(SvgNumberDigits& digits, double value) {
  char* const first = digits.data();
  char* const last = first + digits.size();
  if (!std::isfinite(value)) value = 0;
  // Most of a picture's numbers are whole pixels: the same text, without formatting decimals.
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    const char* end = std::to_chars(first, last, static_cast<std::int64_t>(value)).ptr;
    return {first, static_cast<std::size_t>(end - first)};
  }
  const char* end = std::to_chars(first, last, value, std::chars_format::fixed, 2).ptr;
  std::string_view number(first, static_cast<std::size_t>(end - first));
  while (number.ends_with('0')) number.remove_suffix(1);
  if (number.ends_with('.')) number.remove_suffix(1);
  if (number == "-0") number = "0";
  return number;
}

}  // namespace

void appendSvgNumber(std::string& text, double value) {
  SvgNumberDigits digits;
  text += formatSvgNumber(digits, value);
}

// The buffer's room is taken once, as the JSON writer's is.
SvgWriter::SvgWriter(std::FILE* out) : out_(out) {
  buffer_.reserve(2 * kFlushBytes);
}

void SvgWriter::begin(double width, double height) {
  buffer_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  open("svg").attribute("xmlns", "http://www.w3.org/2000/svg");
  attribute("xmlns:at", kFactsNamespace).attribute("version", "1.1");
  attribute("width", width).attribute("height", height);
  std::string viewBox = "0 0 ";
  appendSvgNumber(viewBox, width);
  viewBox += ' ';
  appendSvgNumber(viewBox, height);
  attribute("viewBox", viewBox).close();
  buffer_ += '\n';
}

SvgWriter& SvgWriter::open(std::string_view name) {
  buffer_ += '<';
  buffer_ += name;
  return *this;
}

SvgWriter& SvgWriter::attribute(std::string_view name, std::string_view value) {
  if (plainPrefixLength(value) == value.size()) {
    appendPlainAttribute(name, value);
    return *this;
  }
  buffer_ += ' ';
  buffer_ += name;
  buffer_ += "=\"";
  appendEscaped(value);
  buffer_ += '"';
  return *this;
}

SvgWriter& SvgWriter::attribute(std::string_view name, double value) {
  SvgNumberDigits digits;
  appendPlainAttribute(name, formatSvgNumber(digits, value));
  return *this;
}

SvgWriter& SvgWriter::exactAttribute(std::string_view name, double value) {
  char digits[32];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return attribute(name, std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void SvgWriter::close() {
  buffer_ += '>';
  write();
}

void SvgWriter::empty() {
  buffer_ += "/>\n";
  write();
}

void SvgWriter::end(std::string_view name) {
  buffer_ += "</";
  buffer_ += name;
  buffer_ += ">\n";
  write();
}

bool SvgWriter::finish() {
  buffer_ += "</svg>\n";
  std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
  // A write that failed on the way leaves the stream's error flag set.
  if (std::fflush(out_) == 0 && std::ferror(out_) == 0) return true;
  printWriteFailure();
  return false;
}

void SvgWriter::appendPlainAttribute(std::string_view name, std::string_view value) {
  appendPieces(buffer_, ' ', name, '=', '"', value, '"');
}

void SvgWriter::appendEscaped(std::string_view bytes) {
  while (!bytes.empty()) {
    // Most text is printable ASCII that XML takes as it is: it goes in whole.
    const std::size_t plain = plainPrefixLength(bytes);
    buffer_.append(bytes.substr(0, plain));
    bytes.remove_prefix(plain);
    if (bytes.empty()) return;
    const auto c = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = validUtf8Length(bytes);
    if (length == 0) {
      buffer_ += kReplacementCharacter;
    } else if (length > 1) {
      // U+FFFE and U+FFFF are UTF-8, but no characters of XML.
      const bool noCharacter =
          bytes.substr(0, 3) == "\xEF\xBF\xBE" || bytes.substr(0, 3) == "\xEF\xBF\xBF";
      buffer_ += noCharacter ? kReplacementCharacter : bytes.substr(0, length);
    } else if (c < 0x20 || c == 0x7F) {
      appendControlPicture(buffer_, c);
    } else if (c == '&') {
      buffer_ += "&amp;";
    } else if (c == '<') {
      buffer_ += "&lt;";
    } else if (c == '>') {
      buffer_ += "&gt;";
    } else {
      buffer_ += "&quot;";  // the last byte that is not plain
    }
    bytes.remove_prefix(length == 0 ? 1 : length);
  }
}

void SvgWriter::write() {
  if (buffer_.size() < kFlushBytes) return;
  std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
}

}  // namespace common
