#pragma once

// A streaming JSON writer: each value goes out as it is given, in the order given, so a document
// of any size takes constant memory. It keeps the document valid UTF-8 and valid JSON: strings
// are escaped and invalid UTF-8 in them is replaced, and a float that JSON cannot hold (NaN, an
// infinity) is written as null, for the caller to say which it was.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// As deep as the tools' documents nest, the document's own object counted: a stack of open
// containers takes its room once, at this depth, not a doubling at a time.
constexpr std::size_t kUsualJsonDepth = 8;

// Appends `bytes` as a JSON string: quoted, escaped, invalid UTF-8 replaced by U+FFFD.
void appendJsonString(std::string& out, std::string_view bytes);

class JsonWriter {
 public:
  explicit JsonWriter(std::FILE* out);

  void beginObject();
  void endObject();
  void beginArray();
  void endArray();
  // The key of the next member of the object being written: plain ASCII, written as it is.
  void key(std::string_view name);

  void number(std::int64_t value);
  // The shortest text that reads back to the same float; null when the float is not finite.
  void number(float value);
  void boolean(bool value);
  void string(std::string_view bytes);
  // Two lowercase hex digits per byte, as one string.
  void hex(std::string_view bytes);
  // The same string in parts, for bytes too many to hold at once.
  void beginHex();
  void hexPart(std::string_view bytes);
  void endHex();

  // Closes every open object and array; they are left open only when a run stops early.
  void closeAll();
  // Ends the document with a newline and hands it to the stream; false when that failed.
  bool finish();

 private:
  void beforeValue();
  void appendString(std::string_view bytes);
  void open(char bracket);
  void close();
  void write(std::string_view text);

  std::FILE* out_;
  std::string buffer_;
  std::vector<char> open_;  // the closing bracket of every open container, innermost last
  bool first_ = true;       // nothing written yet in the innermost container
  bool afterKey_ = false;
};

}  // namespace common
