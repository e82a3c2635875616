#pragma once

// A streaming SVG 1.1 writer: elements go out as they are given and are handed on a few KiB at a
// time, so a picture of any size takes the same small memory. Its text is always valid XML:
// escaped, each byte that is not UTF-8 replaced by U+FFFD, and each control character (which
// XML cannot hold) shown as its control picture, U+2400 to U+241F, and DEL as U+2421. The
// pictures' own facts (their scales) go into attributes of the namespace kFactsNamespace, for
// programs that read them back.

#include <charconv>
#include <concepts>
#include <cstdio>
#include <string>
#include <string_view>

#include "number_text.hpp"

namespace common {

constexpr std::string_view kFactsNamespace = "urn:assettools:picture";

// `value` as an SVG number: at most two decimals, no trailing zeros.
void appendSvgNumber(std::string& text, double value);

// A float in a text, exactly as it is: the shortest text that reads back as the same float.
struct ExactFloat {
  float value;
};

class SvgWriter {
 public:
  explicit SvgWriter(std::FILE* out);

  // The document element: a picture of `width` × `height` pixels.
  void begin(double width, double height);
  // "<name", then its attributes, then close() for an element that has content or empty().
  SvgWriter& open(std::string_view name);
  SvgWriter& attribute(std::string_view name, std::string_view value);
  SvgWriter& attribute(std::string_view name, double value);
  // A number exactly as it is, for the facts a program reads back: "0.0123456789".
  SvgWriter& exactAttribute(std::string_view name, double value);
  void close();
  void empty();
  void end(std::string_view name);
  // Text made of `parts`, each written straight into the document: bytes escaped, integers in
  // decimal, ExactFloat as the shortest text of its float. No text is put together beforehand.
  template <typename... Parts>
  void text(const Parts&... parts) {
    (appendPart(parts), ...);
    write();
  }
  // A <title> element of `parts`, as text(): what a browser shows under the pointer.
  template <typename... Parts>
  void title(const Parts&... parts) {
    buffer_ += "<title>";
    (appendPart(parts), ...);
    buffer_ += "</title>";
    write();
  }
  // Markup the caller made of fixed parts, written as they are, one after the other.
  template <typename... Parts>
  void markup(const Parts&... fixed) {
    (buffer_.append(std::string_view(fixed)), ...);
    write();
  }
  // Closes the document and hands it on; false when that failed.
  bool finish();

 private:
  void appendPart(std::string_view bytes) { appendEscaped(bytes); }
  void appendPart(const char* bytes) { appendEscaped(bytes); }
  void appendPart(const std::string& bytes) { appendEscaped(bytes); }
  void appendPart(ExactFloat number) { appendExactFloat(buffer_, number.value); }
  template <std::integral Integer>
  void appendPart(Integer number) {
    char digits[24];
    buffer_.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
  }
  void appendEscaped(std::string_view bytes);
  // ` name="value"`, of a value that needs no escaping.
  void appendPlainAttribute(std::string_view name, std::string_view value);
  void write();

  std::FILE* out_;
  std::string buffer_;
};

}  // namespace common
