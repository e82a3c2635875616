#pragma once

// Where a dumper's walk takes its fields from, front to back: typed little-endian fields, the
// offset and size of each, a FileEndsEarly when the file ends inside one, and what is left after
// the last field. One place decides what a short read means. The fields come from a file
// (StreamFieldReader), or from a document that describes one and is written back into it
// (DocumentFieldReader, document_reader.hpp): one walk serves both directions.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "file_system.hpp"

namespace common {

// Where a field lies in the file.
struct Span {
  std::uint64_t offset;
  std::uint64_t size;
};

// The types of the fields. q15 is a 16-bit two's-complement sample with 15 fraction bits, which
// the file holds as its word and a document as its value alone; a name is bytes of text.
enum class FieldType { i8, u8, u16, i32, q15, f32, name };
std::size_t sizeOf(FieldType type);

// A place in a document: a member by its key, or an element by its index.
struct PathSegment {
  std::string_view key;  // empty for an element
  std::int64_t index = -1;
};
// Where a field's value lies in the document, from its outermost member down to the field.
using Place = std::span<const PathSegment>;

// The JSON Pointer of a place: "/bones/0/name".
std::string pointerOf(Place place);

// Thrown where a read runs out of file, with the bytes of the field that the file still holds.
struct FileEndsEarly {
  std::string bytes;
};

constexpr std::size_t kUnreadShown = 16;

// The bytes from where reading stopped to the end of the file, which no field accounts for:
// how many, the first few, and the file to read them all from, placed at the first of them.
struct Unread {
  std::uint64_t count = 0;
  std::string firstBytes;  // at most kUnreadShown
  ByteSource* rest = nullptr;
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

  // The value of an integer field at `place`; for q15, its word.
  virtual std::int64_t integer(FieldType type, Place place) = 0;
  virtual float real(Place place) = 0;
  // `count` bytes of text, a name.
  virtual void text(char* out, std::size_t count, Place place) = 0;
  // A member that the fields before it make (a run's repeat flag and length): a document read
  // back must agree with it where it gives it.
  virtual void derived(std::string_view, std::int64_t, bool) {}

  // What is left after the last field read.
  virtual Unread describeUnread() = 0;

 protected:
  // Kept by every reader: the field just read lies from fieldStart_ to offset_.
  std::uint64_t offset_ = 0;
  std::uint64_t fieldStart_ = 0;
};

// The fields of a file, read from `in` (opened) through a buffer of its own. It hands on the
// bytes after the last field as a source of its own.
class StreamFieldReader final : public FieldReader, private ByteSource {
 public:
  explicit StreamFieldReader(ByteSource& in);
  std::int64_t integer(FieldType type, Place place) override;
  float real(Place place) override;
  void text(char* out, std::size_t count, Place place) override;
  Unread describeUnread() override;

 private:
  static constexpr std::size_t kBufferBytes = std::size_t{64} << 10;

  std::uint32_t littleEndian(std::size_t size);
  // The rest of the file, from where reading stands.
  std::optional<std::string> open() override { return std::nullopt; }
  std::optional<std::size_t> read(char* out, std::size_t count) override;
  std::uint64_t size() override { return in_.size(); }
  // Makes `count` bytes wait in the buffer, or as many as the file still holds.
  void fill(std::size_t count);

  ByteSource& in_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;  // the bytes waiting in the buffer
  std::size_t end_ = 0;
};

}  // namespace common
