#pragma once

// The checked reader every dumper's walk takes its fields from, front to back: typed
// little-endian fields, the offset and size of each, a FileEndsEarly naming the field when the
// file ends inside one, and what is left after the last field. One place decides what a short
// read means. The fields come from a file (StreamFieldReader), or from a document that
// describes one and is written back into it (DocumentFieldReader, document_reader.hpp): one walk
// serves both directions.

#include <cstdint>
#include <fstream>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace common {

// Where a field lies in the file.
struct Span {
  std::uint64_t offset;
  std::uint64_t size;
};

// A field as each form names it: the text report's error lines, and the document's key within
// the record being read ("position/x": member x of member position). When the field is an
// element of an array of records, `member` is where in the element its value lies.
struct FieldName {
  std::string_view label;
  std::string_view key;
  std::string_view member = {};
};

// The types of the fields, as the file holds them; q15 is a 16-bit two's-complement number with
// 15 fraction bits, which the file holds as its word and a document as its value.
enum class FieldType { i8, u8, u16, i32, q15 };
std::size_t sizeOf(FieldType type);

// Thrown where a read runs out of file: the field being read, its place in its array when it is
// an element of one, and the bytes of it that the file still holds.
struct FileEndsEarly {
  FieldName field;
  std::int64_t index;
  std::string bytes;
};

constexpr std::size_t kUnreadShown = 16;

// The bytes from where reading stopped to the end of the file, which no field accounts for:
// how many, the first few, and the file to read them all from, placed at the first of them.
struct Unread {
  std::uint64_t count = 0;
  std::string firstBytes;  // at most kUnreadShown
  std::istream* rest = nullptr;
};

// How a walk of a file ended. A walk returns the outcome and, when a check of the format stopped
// it, the field checked and why; a file that ends early stops it at the field it ends in. Where
// reading stopped and what it left unread complete the ending.
template <typename Outcome>
struct Ending {
  Ending() = default;
  // A walk that completes returns its outcome alone.
  Ending(Outcome how, FieldName at = {}, std::string why = {}, std::int64_t element = -1)
      : outcome(how), field(at), index(element), reason(std::move(why)) {}

  Outcome outcome{};
  FieldName field{};         // the field the walk stopped at,
  std::int64_t index = -1;   // and its place in its array, when it is an element of one
  std::string reason;        // why, in words, for the documents
  std::uint64_t offset = 0;  // where reading stopped
  std::string fieldBytes;    // with a file that ends inside a field: the bytes of it there are
  Unread unread;
};

// The reasons of the checks: "the header is 2, not 1", "the name length 129 is above 128".
std::string isNot(std::string_view what, std::int64_t value, std::int64_t expected);
std::string isAbove(std::string_view what, std::int64_t value, std::int64_t limit);

class FieldReader {
 public:
  virtual ~FieldReader() = default;

  std::uint64_t offset() const { return offset_; }
  // Where the field just read lies.
  Span last() const { return {fieldStart_, offset_ - fieldStart_}; }

  // `index` places an element of an array of fields; -1 for a field of its own.
  std::int32_t i32(FieldName field, std::int64_t index = -1) {
    return static_cast<std::int32_t>(integer(FieldType::i32, field, index));
  }
  std::uint16_t u16(FieldName field, std::int64_t index = -1) {
    return static_cast<std::uint16_t>(integer(FieldType::u16, field, index));
  }
  std::int8_t i8(FieldName field, std::int64_t index = -1) {
    return static_cast<std::int8_t>(integer(FieldType::i8, field, index));
  }
  std::uint8_t u8(FieldName field, std::int64_t index = -1) {
    return static_cast<std::uint8_t>(integer(FieldType::u8, field, index));
  }
  // The word of a q15 field.
  std::uint16_t q15(FieldName field, std::int64_t index = -1) {
    return static_cast<std::uint16_t>(integer(FieldType::q15, field, index));
  }
  float f32(FieldName field, std::int64_t index = -1) { return real(field, index); }
  // `count` bytes of text, a name.
  void bytes(char* out, std::size_t count, FieldName field, std::int64_t index = -1) {
    text(out, count, field, index);
  }

  // What is left after the last field read.
  virtual Unread describeUnread() = 0;

 protected:
  // The value of an integer field; for q15, its word.
  virtual std::int64_t integer(FieldType type, FieldName field, std::int64_t index) = 0;
  virtual float real(FieldName field, std::int64_t index) = 0;
  virtual void text(char* out, std::size_t count, FieldName field, std::int64_t index) = 0;

  // Kept by every reader: the field just read lies from fieldStart_ to offset_.
  std::uint64_t offset_ = 0;
  std::uint64_t fieldStart_ = 0;
};

// The fields of a file.
class StreamFieldReader final : public FieldReader {
 public:
  explicit StreamFieldReader(std::istream& in) : in_(in) {}
  Unread describeUnread() override;

 private:
  std::int64_t integer(FieldType type, FieldName field, std::int64_t index) override;
  float real(FieldName field, std::int64_t index) override;
  void text(char* out, std::size_t count, FieldName field, std::int64_t index) override;
  std::uint32_t littleEndian(std::size_t size, FieldName field, std::int64_t index);

  std::istream& in_;
};

// Opens `path` for reading as raw bytes, never creating it. Nothing when it opened, else the
// reason in the C library's words (a directory is refused as one).
std::optional<std::string> openInputStream(const char* path, std::ifstream& file);

// The text reports' lines for a file that cannot be opened, and for one that ends inside a field,
// `where` naming the field and its record.
void printCannotOpen(std::string_view path, std::string_view reason);
void printFileEndsEarly(std::string_view path, std::uint64_t offset, std::string_view where);

// Why a check stopped the walk that ended so ("the header is 2, not 1"); empty when it did not.
template <typename Outcome>
std::string checkStopOf(const Ending<Outcome>& ending) {
  return ending.outcome == Outcome::complete ? std::string() : ending.reason;
}

// What every dump's printer is told: how the run ended, and when to hand the report on.
template <typename Ending>
class DumpPrinter {
 public:
  virtual ~DumpPrinter() = default;
  // The last call of a run whose file opened.
  virtual void end(const Ending& ending) = 0;
  // The only call of a run whose file did not open.
  virtual void cannotOpen(const std::string& reason) = 0;
  // Hands everything to standard output; false when that failed.
  virtual bool finish() = 0;
};

// Dumps the file at `path`, or the bytes of `opened` (from the first) when given: `walk(reader,
// printer)` reads it field by field, handing each to the printer, and returns how it ended,
// unless the file ends early. The printer gets `cannotOpen(reason)` or `end(ending)`, then
// `finish()` hands what it printed on. Returns the exit code: 1 when the file cannot be opened or
// ends early, or the report cannot be written.
template <typename Outcome, typename Printer, typename Walk>
int dumpFile(const char* path, Printer& printer, Walk walk, std::istream* opened) {
  std::ifstream file;
  if (opened != nullptr) {
    opened->clear();
    opened->rdbuf()->pubseekpos(0, std::ios::in);
  } else if (const std::optional<std::string> failure = openInputStream(path, file)) {
    printer.cannotOpen(*failure);
    printer.finish();
    return 1;
  }
  StreamFieldReader reader(opened != nullptr ? *opened : file);
  Ending<Outcome> ending;
  try {
    ending = walk(reader, printer);
  } catch (FileEndsEarly& early) {
    ending = {Outcome::fileEndsEarly, early.field,
              "the file ends at byte " + std::to_string(reader.offset()) + ", inside this field",
              early.index};
    ending.fieldBytes = std::move(early.bytes);
  }
  ending.offset = reader.offset();
  ending.unread = reader.describeUnread();
  printer.end(ending);
  const bool written = printer.finish();
  return ending.outcome == Outcome::fileEndsEarly || !written ? 1 : 0;
}

}  // namespace common
