#pragma once

// The checked reader every dumper reads its file with: little-endian fields front to back, the
// offset and size of each, a FileEndsEarly naming the field when the file ends inside one, and a
// description of the bytes after the last field read. One place decides what a short read means.

#include <cstdint>
#include <fstream>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace common {

// Where a field lies in the file.
struct Span {
  std::uint64_t offset;
  std::uint64_t size;
};

// A field as each form names it: the text report's error lines, and the document's key within
// the record being read ("position/x": member x of member position).
struct FieldName {
  const char* label;
  const char* key;
};

// Thrown where a read runs out of file: the field being read, and its place in its array when it
// is an element of one.
struct FileEndsEarly {
  FieldName field;
  std::int64_t index;
};

constexpr std::size_t kUnreadShown = 16;

// The bytes from where reading stopped to the end of the file, which no field accounts for.
struct Unread {
  std::uint64_t count = 0;
  std::string firstBytes;  // at most kUnreadShown
};

// How a walk of a file ended: the tool's own outcome, where reading stopped and what is left.
template <typename Outcome>
struct Ending {
  Outcome outcome{};
  std::uint64_t offset = 0;  // where reading stopped
  FieldName field{};         // with a file that ends early: the field it ends in,
  std::int64_t index = -1;   // and its place in its array, when it is an element of one
  Unread unread;
};

class FieldReader {
 public:
  explicit FieldReader(std::istream& in) : in_(in) {}

  std::uint64_t offset() const { return offset_; }
  // Where the field just read lies.
  Span last() const { return {fieldStart_, offset_ - fieldStart_}; }

  // `index` places an element of an array of fields; -1 for a field of its own.
  std::int32_t i32(FieldName field, std::int64_t index = -1);
  std::uint16_t u16(FieldName field, std::int64_t index = -1);
  std::int8_t i8(FieldName field, std::int64_t index = -1);
  std::uint8_t u8(FieldName field, std::int64_t index = -1);
  float f32(FieldName field, std::int64_t index = -1);
  void bytes(char* out, std::size_t count, FieldName field, std::int64_t index = -1);

  // The bytes from the current offset to the end of the file.
  Unread describeUnread();

 private:
  template <std::size_t Size>
  std::uint32_t littleEndian(FieldName field, std::int64_t index);

  std::istream& in_;
  std::uint64_t offset_ = 0;
  std::uint64_t fieldStart_ = 0;
};

// Opens `path` for reading as raw bytes, never creating it. Nothing when it opened, else the
// reason in the C library's words (a directory is refused as one).
std::optional<std::string> openForReading(const char* path, std::ifstream& file);

// The text reports' line for a file that ends inside a field, `where` naming the field and its
// record; and the documents' reason for the same stop.
void printFileEndsEarly(std::string_view path, std::uint64_t offset, std::string_view where);
std::string fileEndsEarlyReason(std::uint64_t offset);

// Dumps the file at `path`: `walk(reader)` reads it field by field through the printer and says
// how it ended, unless the file ends early. The printer gets `cannotOpen(reason)` or
// `end(ending)`. Returns the exit code: 1 when the file cannot be opened or ends early.
template <typename Outcome, typename Printer, typename Walk>
int dumpFile(const char* path, Printer& printer, Walk walk) {
  std::ifstream file;
  if (const std::optional<std::string> failure = openForReading(path, file)) {
    printer.cannotOpen(*failure);
    return 1;
  }
  FieldReader reader(file);
  Ending<Outcome> ending;
  try {
    ending.outcome = walk(reader);
  } catch (const FileEndsEarly& early) {
    ending.outcome = Outcome::fileEndsEarly;
    ending.field = early.field;
    ending.index = early.index;
  }
  ending.offset = reader.offset();
  ending.unread = reader.describeUnread();
  printer.end(ending);
  return ending.outcome == Outcome::fileEndsEarly ? 1 : 0;
}

}  // namespace common
