#pragma once

// What the tools' JSON documents share above the writer: plain members, fields with the offset
// and size they have in the file, records that get their size and whether they are complete when
// they close, the "end" member that closes every document, and the one printer that writes a
// dumper's document from its walk.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "json_writer.hpp"
#include "walk.hpp"

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

// A float's "value" as the documents give it: null when JSON cannot hold it, with "nonFinite"
// saying which it is and its "bits".
void writeFloatValue(JsonWriter& json, float value);

class JsonReport {
 public:
  // Opens the document's object; everything else goes into it.
  explicit JsonReport(std::FILE* out);
  // The document of a file begins with its format and the file's name.
  JsonReport(std::FILE* out, std::string_view format, std::string_view file);

  // In each of the calls below, an empty `key` makes the value the next element of the open array.
  void integerMember(std::string_view key, std::int64_t value);
  void booleanMember(std::string_view key, bool value);
  void stringMember(std::string_view key, std::string_view text);
  void floatElement(float value);

  // A field of the file: {"offset", "size", and its value}. A float that JSON cannot hold is
  // null, with "nonFinite" saying which it is and its "bits"; a name is its "text" up to the
  // first NUL and its "hex", every byte.
  void integerField(std::string_view key, Span span, std::int64_t value);
  void floatField(std::string_view key, Span span, float value);
  void nameField(std::string_view key, Span span, std::string_view bytes);

  void beginObject(std::string_view key);
  void endObject();
  void beginArray(std::string_view key);
  void endArray();
  // A record of the file: an object that gets its "size" and "complete" when it closes.
  void beginRecord(std::string_view key, std::uint64_t offset);
  void endRecord(std::uint64_t end, bool complete = true);
  // A walk's scope: a record gets its "offset" and its number.
  void openScope(const Scope& scope, std::int64_t number, std::uint64_t offset);
  void closeScope(const Scope& scope, std::uint64_t end);
  // Closes everything open below the document, a record as incomplete and ending at `end`: what
  // a run that stops early leaves open.
  void closeOpen(std::uint64_t end);

  void endMember(const EndMember& end);
  // The end of a dump: closes what the walk left open, a record as incomplete, then the "end"
  // member: where the walk stopped, if it did not complete, and why, and the bytes no field
  // accounts for.
  void endDump(const Stop& stop, const char* outcome, bool endsInField);
  void cannotOpen(const std::string& reason);
  // Closes the document and hands it to the stream; false when that failed.
  bool finish();

 private:
  enum class Kind { object, array, record };
  // An open container.
  struct Open {
    Kind kind;
    std::uint64_t offset = 0;  // of a record
  };

  // Writes the key of a member; an element has none.
  void place(std::string_view key);
  void open(Kind kind, std::string_view key, std::uint64_t offset);
  // A field is an object of its own, closed before anything else is written.
  void beginField(std::string_view key, Span span);
  void unreadBytes(ByteSource& rest);
  // The failure that ends a dump with exit code 1 also goes to standard error, as one line.
  void printEndsEarly(std::uint64_t offset, const std::string& field) const;

  JsonWriter json_;
  std::string file_;        // the name the document gives the file, if any
  std::vector<Open> open_;  // below the document, innermost last
};

}  // namespace common

namespace common {

// The document of a dump, for any format: the walk's scopes and fields as they come, each field
// under its key with its offset and size, a sample as its value alone, and the "end" member.
// `outcomeNames` names the outcomes in their order.
template <typename Outcome>
class DumpDocument final : public DumpPrinter<Outcome> {
 public:
  DumpDocument(std::string_view format, std::string_view file,
               std::span<const char* const> outcomeNames)
      : report_(stdout, format, file), outcomeNames_(outcomeNames) {}

  void open(const Scope& scope, std::int64_t number, std::uint64_t offset) override {
    report_.openScope(scope, number, offset);
  }
  void close(const Scope& scope, std::uint64_t end) override { report_.closeScope(scope, end); }
  void integer(const Field& field, Span span, std::int64_t value) override {
    report_.integerField(field.key, span, value);
  }
  void real(const Field& field, Span span, float value) override {
    if (field.type == FieldType::q15) return report_.floatElement(value);
    report_.floatField(field.key, span, value);
  }
  void name(const Field& field, Span span, std::string_view bytes) override {
    report_.nameField(field.key, span, bytes);
  }
  void derived(std::string_view key, std::int64_t value, bool boolean) override {
    if (boolean) return report_.booleanMember(key, value != 0);
    report_.integerMember(key, value);
  }

  void end(const Ending<Outcome>& ending) override {
    report_.endDump(ending, outcomeNames_[static_cast<std::size_t>(ending.outcome)],
                    ending.outcome == Outcome::fileEndsEarly);
  }
  void cannotOpen(const std::string& reason) override { report_.cannotOpen(reason); }
  bool finish() override { return report_.finish(); }

 private:
  JsonReport report_;
  std::span<const char* const> outcomeNames_;
};

}  // namespace common
