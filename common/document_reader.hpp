#pragma once

// A dump's JSON document read back into the file it describes. The dumper's own walk pulls every
// field from the document instead of the file: each field is looked for at the place the walk's
// scopes give it; its value is checked against the field's type, and its bytes go to the new
// file. The checks, the order and the stopping points are the dump's own, so a document a dump
// wrote comes back as the file it was made of, byte for byte, and an edited one as the file its
// values describe. The way through the document is in document_reader.cpp, the fields' values in
// document_values.cpp.
//
// What a document must hold: "format" first, then every field in file order, each as
// {"value": ...} (or the value alone), a name as its "text" or its "hex" (or both, agreeing).
// Members that describe the old file's layout (offsets, sizes, numbering, "complete") are left
// out or ignored; anything else is refused, with its place in the document.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "json_reader.hpp"
#include "output_file.hpp"
#include "report_form.hpp"
#include "walk.hpp"

namespace common {

// What a tool tells the reading of its documents.
struct DocumentFormat {
  std::string_view format;                      // the value of "format": "ske"
  std::span<const std::string_view> numbering;  // the keys that number its records: "number"
};

class DocumentFieldReader final : public FieldReader {
 public:
  // Reads "format" at once: a document of another format is refused before anything is written.
  DocumentFieldReader(JsonReader& json, const DocumentFormat& format, ByteSink& out);

  // After a walk that was not stopped by a missing field: the rest of the document must hold no
  // field, and the bytes after the last field, which its "end" gives, are written. `checkStop`
  // says why a check of the format stopped the walk, if one did: the file ends there.
  void finish(const std::string& checkStop);
  Unread describeUnread() override { return {}; }

  std::int64_t integer(FieldType type, Place place) override;
  float real(Place place) override;
  void text(char* out, std::size_t count, Place place) override;
  void derived(std::string_view key, std::int64_t value, bool boolean) override;

  // The JSON Pointer of where the reading stands.
  std::string pointer() const;

 private:
  using Token = JsonReader::Token;
  // A float's text and bits, a name's text: far longer than any a dump writes.
  static constexpr std::size_t kMostScalarBytes = 64;

  // A container the reading is in, and where it stands in the one around it.
  struct Level {
    bool object;
    std::string key;        // a member's key, or empty for
    std::int64_t index;     // an element's index
    std::int64_t elements;  // of an array: how many have been entered
  };
  // A field as the document gives it: its number's text, or null, and the bits of a float.
  struct FieldValue {
    TextPosition at;  // of the value
    std::string number;
    bool isNull = false;
    std::optional<std::uint32_t> bits;
  };

  // The first token of the value at `place`, the field of `size` bytes. A missing one stops the
  // walk, when the document is of a file that ends there, or is refused.
  Token reach(Place place, std::size_t size);
  bool standsWithin(Place place) const;
  void enter(Token token, std::string key, std::int64_t index);
  // Leaves the innermost container; what is left of it must hold no field.
  void leave();
  void skipMember();
  void skipFieldless(Token first, std::string key, std::int64_t index);
  bool isLayout(std::string_view key) const;
  // The JSON Pointer of the container that the first `levels` of levels_ reach.
  std::string pointerWithin(std::size_t levels) const;
  // What a refusal says of a member or an element that no field of the file reaches.
  std::string noFieldHere(const std::string& key) const;
  // `token` is the key of the document's "end".
  bool isTheEnd(Token token) const;
  [[noreturn]] void missing(Place place, std::size_t size);
  // Reads the rest of the document, which must hold no field, and its "end", writing the bytes
  // after the last field, or with `fieldSize` those of the field the file ends in; the outcome.
  std::string readToTheEnd(std::optional<std::size_t> fieldSize);
  std::string readEnd(std::optional<std::size_t> fieldSize);
  void readUnread(bool stoppedInField);

  // The value of a field, which takes `takes` ("a signed byte (-128 to 127)").
  FieldValue readValue(Token first, Place place, std::string_view takes);
  std::uint16_t writeQ15(const FieldValue& given, Place place);
  void writeField(std::uint32_t bits, std::size_t size);
  void writeBytes(std::string_view bytes);
  // Decodes a hex string piece by piece into `sink`, refusing more than `most` bytes; how many.
  // The pointer of a refusal and what it says of too many bytes are made only for a refusal.
  using RefusalText = std::function<std::string()>;
  std::uint64_t readHex(const RefusalText& where, std::uint64_t most, const RefusalText& tooMany,
                        const std::function<void(std::string_view)>& sink);

  Token take();
  void putBack(Token token) {
    pending_ = token;
    hasPending_ = true;
  }
  std::string memberPointer(std::string_view key) const;
  static std::string memberPointerIn(const std::string& container, std::string_view key);
  std::string elementPointer(std::int64_t index) const;
  [[noreturn]] void refuse(const std::string& pointer, std::string message) const;
  [[noreturn]] static void refuseAt(TextPosition at, const std::string& pointer,
                                    std::string message);

  JsonReader& json_;
  const DocumentFormat& format_;
  ByteSink& out_;
  std::vector<Level> levels_;  // the document's object first
  // The outermost member being skipped, where one is: its key or index in the container that
  // the first `levels` of levels_ reach. Its pointer is made only for a refusal.
  struct Skipped {
    std::size_t levels;
    std::string key;
    std::int64_t index;
    TextPosition at;
  };
  std::optional<Skipped> skipping_;
  std::string checkStop_;  // why a check stopped the walk, once it has
  Token pending_ = Token::end;
  bool hasPending_ = false;
  std::string decodedHex_;  // a piece of a hex string: its room serves every one of the document
};

// The walk of a dump on a document, which prints nothing. It returns why a check of the format
// stopped it (checkStopOf), or nothing.
using DocumentWalk = std::function<std::string(Walk& walk)>;

// Reads the document `in` (named `name` in a refusal's line) through the walk, writing the file it
// describes to `out`. Returns the exit code: 0 when written, 1 after one "***ERROR" line.
int readDocument(ByteSource& in, std::string_view name, const DocumentFormat& format,
                 const DocumentWalk& walk, ByteSink& out);

// Writes the file that the document at `documentPath` ("-": standard input) describes to
// `outputPath` through `reverse`, replacing it only once the whole document is taken. Returns the
// exit code: 0 when written, 1 after one "***ERROR" line.
int writeFromDocument(const char* documentPath, const char* outputPath, ReverseRun reverse);

}  // namespace common
