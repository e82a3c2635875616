#pragma once

// What the tools' JSON documents share above the writer: plain members, fields with the offset
// and size they have in the file, records that get their size and whether they are complete when
// they close, the JSON Pointer of where the document stands, and the "end" member that closes
// every document.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "field_reader.hpp"
#include "json_writer.hpp"

namespace common {

// How a run ended, as the "end" member gives it; the parts that are empty are left out.
struct EndMember {
  const char* outcome;
  std::optional<std::uint64_t> offset;  // where reading stopped
  std::string field;                    // a JSON Pointer to the member the run stopped at
  std::string reason;
  const Unread* unread = nullptr;  // the bytes from `offset` on that no field accounts for
  // With a file that ends inside a field: the bytes of it that are there, if any.
  const std::string* fieldBytes = nullptr;
};

// A place in a document: a member by its key, or an element by its index.
struct PathSegment {
  std::string_view key;  // empty for an element
  std::int64_t index = -1;
};

// The JSON Pointer of a place: "/bones/0/name".
std::string pointerOf(std::span<const PathSegment> segments);

// Members that a printer derives from the fields before it, which a document read back must
// agree with where it gives them.
class DerivedMembers {
 public:
  virtual ~DerivedMembers() = default;
  virtual void integer(const char* key, std::int64_t value) = 0;
  virtual void boolean(const char* key, bool value) = 0;
};

class JsonReport {
 public:
  // Opens the document's object; everything else goes into it.
  explicit JsonReport(std::FILE* out);
  // The document of a file begins with its format and the file's name.
  JsonReport(std::FILE* out, std::string_view format, std::string_view file);
  // A report of no stream, the shape of a document being read back: nothing is written, and the
  // derived members are checked against the document.
  void readBack(DerivedMembers& check) { check_ = &check; }

  // In each of the calls below, a null `key` makes the value the next element of the open array.
  void integerMember(const char* key, std::int64_t value);
  void booleanMember(const char* key, bool value);
  void stringMember(const char* key, std::string_view text);
  void floatElement(float value);
  // Members the format derives from the fields before them (a run's repeat flag and length).
  void derivedInteger(const char* key, std::int64_t value);
  void derivedBoolean(const char* key, bool value);

  // A field of the file: {"offset", "size", and its value}. A float that JSON cannot hold is
  // null, with "nonFinite" saying which it is and its "bits"; a name is its "text" up to the
  // first NUL and its "hex", every byte.
  void integerField(const char* key, Span span, std::int64_t value);
  void floatField(const char* key, Span span, float value);
  void nameField(const char* key, Span span, std::string_view bytes);

  void beginObject(const char* key);
  void endObject();
  void beginArray(const char* key);
  void endArray();
  // A record of the file: an object that gets its "size" and "complete" when it closes.
  void beginRecord(const char* key, std::uint64_t offset);
  void endRecord(std::uint64_t end, bool complete = true);
  // Closes everything open below the document, a record as incomplete and ending at `end`: what
  // a run that stops early leaves open.
  void closeOpen(std::uint64_t end);

  // The JSON Pointer of member `key` ("position/x" too) of the innermost open record, or of the
  // document when no record is open, and of that member's element `index` unless it is -1.
  std::string pointerInRecord(std::string_view key, std::int64_t index = -1) const;
  // The place of the innermost open record, or nothing for the document itself, in `segments`;
  // how many it takes.
  std::size_t recordPath(std::span<PathSegment> segments) const;
  // Changes whenever a container opens or closes: the record path stays while it does not.
  std::uint64_t version() const { return version_; }

  void endMember(const EndMember& end);
  // The end of a dump: closes what the walk left open, a record as incomplete, then the "end"
  // member: where the walk stopped, if it did not complete, and why, and the bytes no field
  // accounts for.
  template <typename Outcome>
  void endDump(const Ending<Outcome>& ending, const char* outcome) {
    const std::string field = ending.outcome == Outcome::complete
                                  ? std::string()
                                  : pointerInRecord(ending.field.key, ending.index);
    closeOpen(ending.offset);
    const bool endsInField = ending.outcome == Outcome::fileEndsEarly;
    if (endsInField) printEndsEarly(ending.offset, field);
    endMember({outcome, ending.offset, field, ending.reason, &ending.unread,
               endsInField ? &ending.fieldBytes : nullptr});
  }
  void cannotOpen(const std::string& reason);
  // Closes the document and hands it to the stream; false when that failed.
  bool finish();

 private:
  enum class Kind { object, array, record };
  // An open container, and where it stands in the one around it: by its key, or as the element
  // `index` of an array.
  struct Open {
    Kind kind;
    std::string_view key;  // empty for an element
    std::int64_t index;
    std::uint64_t offset = 0;   // of a record
    std::int64_t elements = 0;  // of an array, so far
  };

  // Counts an element of the open array, and writes its key or nothing; false when the report
  // writes nothing at all.
  bool place(const char* key);
  void open(Kind kind, const char* key, std::uint64_t offset);
  // A field is an object of its own, closed before anything else is written.
  bool beginField(const char* key, Span span);
  void unreadBytes(std::istream& rest);
  // The failure that ends a dump with exit code 1 also goes to standard error, as one line.
  void printEndsEarly(std::uint64_t offset, const std::string& field) const;

  JsonWriter json_;
  std::string file_;        // the name the document gives the file, if any
  std::vector<Open> open_;  // below the document, innermost last
  bool writes_;
  std::uint64_t version_ = 0;
  DerivedMembers* check_ = nullptr;
};

}  // namespace common
