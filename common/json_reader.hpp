#pragma once

// A JSON reader that pulls one token at a time from a stream read in pieces, so that a document
// of any size is read in the same small memory, and that knows the line and column of every
// token. It checks the whole grammar (RFC 8259) as it goes: valid UTF-8, escapes, numbers,
// commas and colons, one value and nothing after it. Strings are decoded only when asked for,
// whole or in pieces, so that a long one never has to be held.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "file_system.hpp"

namespace common {

// Where a token begins: 1-based line and column, the column counted in characters.
struct TextPosition {
  std::uint64_t line = 1;
  std::uint64_t column = 1;
};

// The value of a hex digit, either case; -1 for anything else.
int hexDigitValue(int c);

// The document is not JSON, or not the JSON its reader expects; thrown.
struct JsonError {
  std::string message;
  TextPosition at;
  std::string pointer = {};  // the member it is about, when its reader knows
};

class JsonReader {
 public:
  enum class Token {
    beginObject,
    endObject,
    beginArray,
    endArray,
    key,  // the key of the next member of the open object
    string,
    number,
    boolean,
    null,
    end,  // of the document
  };

  // Reads `in` a buffer of `bufferBytes` at a time.
  explicit JsonReader(ByteSource& in, std::size_t bufferBytes = std::size_t{64} << 10);

  // The next token. A string value is read as it is asked for: stringValue(), stringPieces(),
  // or skipped when the next token is read.
  Token next();
  TextPosition position() const { return tokenAt_; }

  // With Token::key: the key, decoded; until the next token is read.
  std::string_view key() const { return key_; }
  // With Token::number: its text as written; until the next token is read.
  std::string_view numberText() const { return number_; }
  // With Token::boolean.
  bool booleanValue() const { return boolean_; }
  // With Token::string: the decoded string, which must have at most `most` bytes.
  std::string stringValue(std::size_t most);
  // With Token::string: the decoded string in pieces of a few KiB each.
  template <typename Take>
  void stringPieces(Take take) {
    for (bool more = true; more;) {
      piece_.clear();
      more = readStringPiece(piece_);
      if (!piece_.empty()) take(std::string_view(piece_));
    }
  }
  // Skips the rest of the value whose first token was just read: a whole object or array.
  void skipValue(Token first);

  [[noreturn]] void fail(std::string message) const;

 private:
  enum class Expect { value, firstKey, key, firstElement, afterValue, nothing };

  int peek();
  void advance();
  bool refill();
  std::uint64_t offset() const { return consumed_ + static_cast<std::uint64_t>(at_ - start_); }
  TextPosition here() const;
  [[noreturn]] void failHere(std::string message) const;

  void skipWhiteSpace() {
    if (at_ == end_ || *at_ == ' ' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r') skipSpaces();
  }
  void skipSpaces();
  Token readValueStart();
  Token close(char bracket);
  void readKey();
  void readNumber();
  void readLiteral(std::string_view word);
  // Appends the next part of the open string to `piece`; false once its closing quote is read.
  bool readStringPiece(std::string& piece);
  void readWholeString(std::string& text, std::size_t most);
  void appendEscape(std::string& piece);
  void appendCodeUnits(std::string& piece);
  void appendMultiByte(std::string& piece, unsigned char lead);
  void finishValue();

  ByteSource& in_;
  // Left unset until read into: a small document costs no 64 KiB of zeros.
  std::unique_ptr<char[]> buffer_;
  std::size_t bufferBytes_;
  const char* start_ = nullptr;  // of the bytes in the buffer
  const char* at_ = nullptr;
  const char* end_ = nullptr;
  std::uint64_t consumed_ = 0;  // bytes before the buffer's
  std::uint64_t line_ = 1;
  std::uint64_t lineStart_ = 0;      // the offset of the first byte of the line
  std::uint64_t continuations_ = 0;  // UTF-8 continuation bytes on the line so far
  TextPosition tokenAt_;

  std::vector<char> open_;  // '{' or '[' for every open container, innermost last
  Expect expect_ = Expect::value;
  bool stringOpen_ = false;  // a string value whose characters are not read yet
  // Keys and numbers are seen where they lie in the buffer, as a rule; one that crosses its end,
  // or is still wanted when the buffer is filled anew, is kept apart.
  std::string_view key_;
  std::string_view number_;
  std::string keyKept_;
  std::string numberKept_;
  std::string piece_;  // of a string read in pieces: its room serves every string of the document
  bool boolean_ = false;
};

}  // namespace common
