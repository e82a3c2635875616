#pragma once

// The report on standard output. Each line is built in one buffer, handed to the C library in
// one write and flushed, so a reader on a pipe sees every line the moment it is complete, and
// never a part of one.

#include <cerrno>
#include <charconv>
#include <concepts>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "number_text.hpp"

namespace common {

namespace report_parts {

inline void append(std::string& text, std::string_view part) {
  text += part;
}
inline void append(std::string& text, char part) {
  text += part;
}
inline void append(std::string& text, float part) {
  appendFloatText(text, part);
}

// Integers in decimal; 8-bit ones too, as numbers, never as characters.
template <std::integral Integer>
requires(!std::same_as<Integer, char> &&
         !std::same_as<Integer, bool>) void append(std::string& text, Integer part) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, part).ptr;
  text.append(digits, end);
}

// One buffer for the run: cleared for each line, it keeps its room.
inline std::string& buffer() {
  static std::string text;
  text.clear();
  return text;
}

}  // namespace report_parts

// Writes `parts` without an end of line and without a flush: for texts that carry their own.
template <typename... Parts>
void printText(const Parts&... parts) {
  std::string& text = report_parts::buffer();
  (report_parts::append(text, parts), ...);
  std::fwrite(text.data(), 1, text.size(), stdout);
}

// Writes one line made of `parts` and its end of line to `stream`, then flushes.
template <typename... Parts>
void writeLine(std::FILE* stream, const Parts&... parts) {
  std::string& text = report_parts::buffer();
  (report_parts::append(text, parts), ...);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

// Writes one report line made of `parts` and its end of line, then flushes.
template <typename... Parts>
void printLine(const Parts&... parts) {
  writeLine(stdout, parts...);
}

// Writes one line made of `parts` to standard error: a refusal of the command line, or the
// failure of a run whose standard output is a document, where a script or a reader looks for it.
template <typename... Parts>
void printErrorLine(const Parts&... parts) {
  writeLine(stderr, parts...);
}

// The lines of a file that cannot be opened, and of one that ends inside a field, `where` naming
// the field: on standard output in a text report, on standard error beside a document or a
// picture.
inline void writeCannotOpen(std::FILE* stream, std::string_view path, std::string_view reason) {
  writeLine(stream, "***ERROR cannot open ", path, ": ", reason);
}
inline void writeEndsEarly(std::FILE* stream, std::string_view path, std::uint64_t offset,
                           std::string_view where) {
  writeLine(stream, "***ERROR ", path, " ends at byte ", offset, " while reading ", where);
}

// Says on standard error that a write to standard output failed: a document or a help text cut
// short must not pass for a whole one, and standard output is what failed.
inline void printWriteFailure() {
  printErrorLine("***ERROR cannot write to standard output: ", std::strerror(errno));
}

}  // namespace common
