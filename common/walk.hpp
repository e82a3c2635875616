#pragma once

// The walk of a format's file, described once. A format names each of its fields once, as plain
// data: its key in the document, its label in the text report, its type. Its walk opens the
// document's scopes (records, objects, arrays) and reads each field at the call, through a Walk,
// which takes the field from a FieldReader and hands it to a printer (the text report, the
// document, a picture). The fields come from a file (StreamFieldReader), or from a document that
// describes one and is written back into it (DocumentFieldReader, document_reader.hpp): one walk
// serves both directions. The Walk knows where in the document the walk stands, so the reader
// finds each field there and a stop is placed there. One place decides what a short read means.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "file_system.hpp"
#include "report.hpp"

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

// A field of a format.
struct Field {
  std::string_view key;    // in the document; empty for the next element of the open array
  std::string_view label;  // in the text report's lines
  FieldType type;
};

// A scope of the document that a walk opens.
struct Scope {
  enum class Kind { object, array, record };
  Kind kind;
  std::string_view key = {};  // empty for the next element of the open array
  // A record of the file gets its "offset", and the member that numbers it, if any ("number"),
  // before or after the offset.
  std::string_view numbering = {};
  bool numberAfterOffset = false;
  // Shown only once its first field is read: a run is a record once its control word is in, and
  // a group of floats an object or array once its first float is.
  bool shownWithFirstField = false;
  // The runs of a coded stream of samples: two files are compared by the samples they decode
  // to, frame by frame, whatever runs code them.
  bool samplesByFrame = false;
};

// What a printer is handed by a walk, in file order. Each form takes what it shows.
class FieldPrinter {
 public:
  virtual ~FieldPrinter() = default;
  // A scope opens at `offset`; a record numbered `number` when its scope numbers it.
  virtual void open(const Scope&, std::int64_t /*number*/, std::uint64_t /*offset*/) {}
  virtual void close(const Scope&, std::uint64_t /*end*/) {}
  virtual void integer(const Field&, Span, std::int64_t) {}
  // A float, or a sample's value.
  virtual void real(const Field&, Span, float) {}
  virtual void name(const Field&, Span, std::string_view) {}
  // A sample's value, standing for `frames` frames of its stream: by default, a float.
  virtual void sample(const Field& field, Span span, float value, int /*frames*/) {
    real(field, span, value);
  }
  // A member the fields before it make: a whole number, or a boolean when `boolean`.
  virtual void derived(std::string_view, std::int64_t, bool /*boolean*/) {}
};

// How a walk ended: the outcome and, when a check of the format stopped it, the field checked
// and why; a file that ends early stops it at the field it ends in. Where reading stopped and
// what it left unread complete the ending.
struct Stop {
  const Field* field = nullptr;  // the field the walk stopped at,
  std::string pointer;           // and its place in the document
  std::string reason;            // why, in words, for the documents
  std::uint64_t offset = 0;      // where reading stopped
  std::string fieldBytes;        // with a file that ends inside a field: the bytes of it there are
  Unread unread;
};

template <typename Outcome>
struct Ending : Stop {
  Ending() = default;
  // A walk that completes returns its outcome alone.
  Ending(Outcome how, const Field* at = nullptr, std::string why = {}) : outcome(how) {
    field = at;
    reason = std::move(why);
  }
  Outcome outcome{};
};

// Why a check stopped the walk that ended so ("the header is 2, not 1"); empty when it did not.
template <typename Outcome>
std::string checkStopOf(const Ending<Outcome>& ending) {
  return ending.outcome == Outcome::complete ? std::string() : ending.reason;
}

// What every dump's printer is told besides the fields: how the run ended, and when to hand the
// report on.
template <typename Outcome>
class DumpPrinter : public FieldPrinter {
 public:
  // The last call of a run whose file opened.
  virtual void end(const Ending<Outcome>& ending) = 0;
  // The only call of a run whose file did not open.
  virtual void cannotOpen(const std::string& reason) = 0;
  // Hands everything to standard output; false when that failed.
  virtual bool finish() = 0;
};

class Walk {
 public:
  Walk(FieldReader& reader, FieldPrinter& printer) : reader_(reader), printer_(printer) {
    path_.reserve(16);
    open_.reserve(16);
  }

  void open(const Scope& scope, std::int64_t number = 0) {
    path_.push_back(segmentOf(scope.key));
    open_.push_back({&scope, number, reader_.offset(), false});
    hidden_ = true;
    if (!scope.shownWithFirstField) show();
  }
  // Closes the innermost scope.
  void close() {
    if (open_.back().shown) printer_.close(*open_.back().scope, reader_.offset());
    open_.pop_back();
    path_.pop_back();
  }

  std::int64_t integer(const Field& field) {
    const std::int64_t value = reader_.integer(field.type, enter(field));
    leave();
    printer_.integer(field, reader_.last(), value);
    return value;
  }
  float real(const Field& field) {
    const float value = reader_.real(enter(field));
    leave();
    printer_.real(field, reader_.last(), value);
    return value;
  }
  // A q15 sample, handed on as the value `decode` makes of its word, for `frames` frames.
  template <typename Decode>
  void sample(const Field& field, Decode decode, int frames) {
    const auto word = static_cast<std::uint16_t>(reader_.integer(FieldType::q15, enter(field)));
    leave();
    printer_.sample(field, reader_.last(), decode(word), frames);
  }
  // A name of `length` bytes, read into `buffer`.
  std::string_view name(const Field& field, char* buffer, std::size_t length) {
    reader_.text(buffer, length, enter(field));
    leave();
    const std::string_view bytes(buffer, length);
    printer_.name(field, reader_.last(), bytes);
    return bytes;
  }
  void derived(std::string_view key, std::int64_t value, bool boolean = false) {
    reader_.derived(key, value, boolean);
    printer_.derived(key, value, boolean);
  }

  // The field a read ran out of file in.
  const Field* reading() const { return reading_; }
  // The JSON Pointer of the field a stop is at: the field being read, or the one a check refused.
  std::string pointerOf(const Field& field) const;

 private:
  struct Opened {
    const Scope* scope;
    std::int64_t number;
    std::uint64_t offset;
    bool shown;
    std::int64_t elements = 0;  // of an array, so far
  };

  PathSegment segmentOf(std::string_view key) {
    if (key.empty()) return {{}, open_.back().elements++};
    return {key};
  }
  Place enter(const Field& field) {
    reading_ = &field;
    inField_ = true;
    path_.push_back(segmentOf(field.key));
    return path_;
  }
  void leave() {
    path_.pop_back();
    inField_ = false;
    if (hidden_) show();
  }
  // Hands the printer the scopes that wait for their first field.
  void show();

  FieldReader& reader_;
  FieldPrinter& printer_;
  std::vector<PathSegment> path_;  // of the open scopes, and of the field being read
  std::vector<Opened> open_;
  const Field* reading_ = nullptr;
  bool inField_ = false;
  bool hidden_ = false;  // some scope is not shown yet
};

// What the text reports share: the file's name, the line of a file that cannot be opened and of
// one that ends inside a field, and every line flushed the moment it is printed.
template <typename Outcome>
class TextReport : public DumpPrinter<Outcome> {
 public:
  explicit TextReport(const char* path) : path_(path) {}
  void cannotOpen(const std::string& reason) override { writeCannotOpen(stdout, path_, reason); }
  bool finish() override { return true; }

 protected:
  // The field the file ends in, in the report's words, and `within`: " of bone 2".
  void printEndsEarly(const Ending<Outcome>& ending, const std::string& within) const {
    writeEndsEarly(stdout, path_, ending.offset, std::string(ending.field->label) + within);
  }

  const char* path_;
};

// Dumps the file `input`: `walkFile(walk)` reads it field by field, handing each to the printer,
// and returns how it ended, unless the file ends early. The printer gets `cannotOpen(reason)` or
// `end(ending)`, then `finish()` hands what it printed on. Returns the exit code: 1 when the file
// cannot be opened or ends early, or the report cannot be written.
template <typename Outcome, typename WalkFunction>
int dumpFile(ByteSource& input, DumpPrinter<Outcome>& printer, WalkFunction walkFile) {
  if (const std::optional<std::string> failure = input.open()) {
    printer.cannotOpen(*failure);
    printer.finish();
    return 1;
  }
  StreamFieldReader reader(input);
  Walk walk(reader, printer);
  Ending<Outcome> ending;
  try {
    ending = walkFile(walk);
  } catch (FileEndsEarly& early) {
    ending = {Outcome::fileEndsEarly, walk.reading(),
              "the file ends at byte " + std::to_string(reader.offset()) + ", inside this field"};
    ending.fieldBytes = std::move(early.bytes);
  }
  if (ending.field != nullptr) ending.pointer = walk.pointerOf(*ending.field);
  ending.offset = reader.offset();
  ending.unread = reader.describeUnread();
  printer.end(ending);
  const bool written = printer.finish();
  return ending.outcome == Outcome::fileEndsEarly || !written ? 1 : 0;
}

}  // namespace common
