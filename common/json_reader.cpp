#include "json_reader.hpp"

#include <array>
#include <cerrno>
#include <cstring>

#include "utf8.hpp"

namespace common {

namespace {

constexpr std::size_t kPieceBytes = std::size_t{4} << 10;
// Far deeper than any document of the tools, and a bound on what a hostile one can open.
constexpr std::size_t kMostDepth = 64;
constexpr std::size_t kMostKeyBytes = 256;
constexpr std::size_t kMostNumberCharacters = 1024;

bool isDigit(int c) {
  return c >= '0' && c <= '9';
}

bool isNumberCharacter(char c) {
  static constexpr auto kTable = [] {
    std::array<bool, 256> table{};
    for (const char member : std::string_view("0123456789+-.eE")) {
      table[static_cast<unsigned char>(member)] = true;
    }
    return table;
  }();
  return kTable[static_cast<unsigned char>(c)];
}

// -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(std::string_view text) {
  std::size_t at = 0;
  const auto digits = [&] {
    const std::size_t first = at;
    while (at < text.size() && isDigit(static_cast<unsigned char>(text[at]))) ++at;
    return at > first;
  };
  if (at < text.size() && text[at] == '-') ++at;
  if (at < text.size() && text[at] == '0') {
    ++at;
  } else if (!digits()) {
    return false;
  }
  if (at < text.size() && text[at] == '.' && (++at, !digits())) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (!digits()) return false;
  }
  return at == text.size();
}

// A byte that stands for itself in a string.
bool isPlain(int c) {
  return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}

void appendUtf8(std::string& text, std::uint32_t codePoint) {
  if (codePoint < 0x80) {
    text += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    text += static_cast<char>(0xC0 | codePoint >> 6);
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    text += static_cast<char>(0xE0 | codePoint >> 12);
    text += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | codePoint >> 18);
    text += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
    text += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

int hexDigitValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

JsonReader::JsonReader(ByteSource& in, std::size_t bufferBytes)
    : in_(in),
      buffer_(std::make_unique_for_overwrite<char[]>(bufferBytes)),
      bufferBytes_(bufferBytes) {
  start_ = at_ = end_ = buffer_.get();
  open_.reserve(kMostDepth);
  // A byte order mark is no part of JSON, but editors on Windows write one.
  if (peek() == 0xEF) {
    for (const int c : {0xEF, 0xBB, 0xBF}) {
      if (peek() != c) failHere("not JSON: a document begins with a value");
      advance();
    }
    lineStart_ = offset();
  } else if (peek() == 0xFF || peek() == 0xFE) {
    failHere("the document is UTF-16; save it as UTF-8 (in PowerShell: Out-File -Encoding utf8)");
  }
}

JsonReader::Token JsonReader::next() {
  if (stringOpen_) stringPieces([](std::string_view) {});
  for (;;) {
    skipWhiteSpace();
    tokenAt_ = here();
    const int c = peek();
    switch (expect_) {
      case Expect::value:
        return readValueStart();
      case Expect::firstKey:
        if (c == '}') return close('}');
        [[fallthrough]];
      case Expect::key:
        if (c != '"') failHere("expected a key in double quotes");
        readKey();
        skipWhiteSpace();
        if (peek() != ':') failHere("expected ':' after the key");
        advance();
        expect_ = Expect::value;
        return Token::key;
      case Expect::firstElement:
        if (c == ']') return close(']');
        return readValueStart();
      case Expect::afterValue:
        if (c == ',') {
          advance();
          expect_ = open_.back() == '{' ? Expect::key : Expect::value;
          continue;
        }
        if (c == (open_.back() == '{' ? '}' : ']')) return close(static_cast<char>(c));
        failHere(open_.back() == '{' ? "expected ',' or '}' after the member"
                                     : "expected ',' or ']' after the element");
      case Expect::nothing:
        if (c == EOF) return Token::end;
        failHere("more text after the end of the document");
    }
  }
}

std::string JsonReader::stringValue(std::size_t most) {
  std::string text;
  readWholeString(text, most);
  return text;
}

void JsonReader::skipValue(Token first) {
  if (first != Token::beginObject && first != Token::beginArray) return;
  for (std::size_t depth = 1; depth > 0;) {
    const Token token = next();
    if (token == Token::beginObject || token == Token::beginArray) ++depth;
    if (token == Token::endObject || token == Token::endArray) --depth;
  }
}

void JsonReader::fail(std::string message) const {
  throw JsonError{std::move(message), tokenAt_};
}

int JsonReader::peek() {
  if (at_ == end_ && !refill()) return EOF;
  return static_cast<unsigned char>(*at_);
}

void JsonReader::advance() {
  ++at_;
}

bool JsonReader::refill() {
  // What is seen in the buffer is kept apart before the buffer is filled anew.
  const auto inBuffer = [this](std::string_view text) {
    return !text.empty() && text.data() >= start_ && text.data() < end_;
  };
  if (inBuffer(key_)) key_ = keyKept_.assign(key_);
  if (inBuffer(number_)) number_ = numberKept_.assign(number_);
  consumed_ += static_cast<std::uint64_t>(end_ - start_);
  const std::optional<std::size_t> got = in_.read(buffer_.get(), bufferBytes_);
  if (!got) failHere("the document cannot be read: " + lastSystemError().reason);
  start_ = at_ = buffer_.get();
  end_ = start_ + *got;
  return *got > 0;
}

TextPosition JsonReader::here() const {
  return {line_, offset() - lineStart_ - continuations_ + 1};
}

void JsonReader::failHere(std::string message) const {
  throw JsonError{std::move(message), here()};
}

void JsonReader::skipSpaces() {
  for (;;) {
    const char* at = at_;
    for (; at != end_; ++at) {
      if (*at == '\n') {
        ++line_;
        lineStart_ = consumed_ + static_cast<std::uint64_t>(at + 1 - start_);
        continuations_ = 0;
      } else if (*at != ' ' && *at != '\t' && *at != '\r') {
        break;
      }
    }
    at_ = at;
    if (at_ != end_ || !refill()) return;
  }
}

JsonReader::Token JsonReader::readValueStart() {
  const int c = peek();
  if (c == '{' || c == '[') {
    if (open_.size() == kMostDepth) failHere("nested more than 64 deep");
    advance();
    open_.push_back(static_cast<char>(c));
    expect_ = c == '{' ? Expect::firstKey : Expect::firstElement;
    return c == '{' ? Token::beginObject : Token::beginArray;
  }
  Token token = Token::null;
  if (c == '"') {
    advance();
    stringOpen_ = true;
    token = Token::string;
  } else if (c == '-' || isDigit(c)) {
    readNumber();
    token = Token::number;
  } else if (c == 't' || c == 'f') {
    boolean_ = c == 't';
    readLiteral(boolean_ ? "true" : "false");
    token = Token::boolean;
  } else if (c == 'n') {
    readLiteral("null");
  } else {
    failHere(c == EOF ? "the document ends where a value should be" : "expected a value");
  }
  finishValue();
  return token;
}

JsonReader::Token JsonReader::close(char bracket) {
  advance();
  open_.pop_back();
  finishValue();
  return bracket == '}' ? Token::endObject : Token::endArray;
}

void JsonReader::readKey() {
  advance();
  // Keys are short and plain, as a rule: seen in the buffer where they lie.
  const char* run = at_;
  while (run != end_ && isPlain(static_cast<unsigned char>(*run))) ++run;
  if (run != end_ && *run == '"' && static_cast<std::size_t>(run - at_) <= kMostKeyBytes) {
    key_ = std::string_view(at_, static_cast<std::size_t>(run - at_));
    at_ = run + 1;
    return;
  }
  key_ = {};
  keyKept_.clear();
  stringOpen_ = true;
  readWholeString(keyKept_, kMostKeyBytes);
  key_ = keyKept_;
}

void JsonReader::readWholeString(std::string& text, std::size_t most) {
  bool more = true;
  while (more) {
    more = readStringPiece(text);
    if (text.size() > most) fail("a string of more than " + std::to_string(most) + " bytes");
  }
}

void JsonReader::readNumber() {
  // The characters a number may hold, then checked against the grammar.
  const char* run = at_;
  while (run != end_ && isNumberCharacter(*run)) ++run;
  if (run != end_) {
    number_ = std::string_view(at_, static_cast<std::size_t>(run - at_));
    at_ = run;
  } else {
    number_ = {};
    numberKept_.clear();
    for (;;) {
      numberKept_.append(at_, run);
      at_ = run;
      if (numberKept_.size() > kMostNumberCharacters) fail("a number of more than 1024 characters");
      if (run != end_ || !refill()) break;
      run = at_;
      while (run != end_ && isNumberCharacter(*run)) ++run;
    }
    number_ = numberKept_;
  }
  if (number_.size() > kMostNumberCharacters) fail("a number of more than 1024 characters");
  if (!isJsonNumber(number_)) fail("not a number as JSON writes one");
}

void JsonReader::readLiteral(std::string_view word) {
  for (const char c : word) {
    if (peek() != c) failHere("expected a value");
    advance();
  }
}

bool JsonReader::readStringPiece(std::string& piece) {
  while (stringOpen_) {
    if (piece.size() >= kPieceBytes) return true;
    const char* run = at_;
    while (run != end_ && isPlain(static_cast<unsigned char>(*run))) ++run;
    piece.append(at_, run);
    at_ = run;
    const int c = peek();
    if (c == EOF) failHere("the document ends inside a string");
    if (isPlain(c)) continue;  // the buffer was refilled
    if (c == '"') {
      advance();
      stringOpen_ = false;
    } else if (c == '\\') {
      appendEscape(piece);
    } else if (c < 0x20) {
      failHere("a control character in a string must be escaped");
    } else {
      appendMultiByte(piece, static_cast<unsigned char>(c));
    }
  }
  return false;
}

void JsonReader::appendEscape(std::string& piece) {
  advance();
  const int c = peek();
  constexpr std::string_view kEscaped = "\"\\/bfnrt";
  constexpr std::string_view kMeant = "\"\\/\b\f\n\r\t";
  if (c == 'u') {
    advance();
    appendCodeUnits(piece);
    return;
  }
  const std::size_t which = c == EOF ? kEscaped.npos : kEscaped.find(static_cast<char>(c));
  if (which == kEscaped.npos) failHere("not an escape JSON knows");
  piece += kMeant[which];
  advance();
}

void JsonReader::appendCodeUnits(std::string& piece) {
  const auto readUnit = [this] {
    std::uint32_t unit = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = hexDigitValue(peek());
      if (digit < 0) failHere("a \\u escape needs four hex digits");
      unit = unit * 16 + static_cast<std::uint32_t>(digit);
      advance();
    }
    return unit;
  };
  std::uint32_t codePoint = readUnit();
  if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) failHere("a lone surrogate is no character");
  if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
    // A high surrogate: the low one must follow, as \uDC00 to \uDFFF.
    for (const char c : {'\\', 'u'}) {
      if (peek() != c) failHere("a lone surrogate is no character");
      advance();
    }
    const std::uint32_t low = readUnit();
    if (low < 0xDC00 || low > 0xDFFF) failHere("a lone surrogate is no character");
    codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
  }
  appendUtf8(piece, codePoint);
}

void JsonReader::appendMultiByte(std::string& piece, unsigned char lead) {
  const Utf8Lead sequence = utf8Lead(lead);
  if (sequence.length < 2) failHere("not UTF-8");
  piece += static_cast<char>(lead);
  advance();
  for (std::size_t i = 1; i < sequence.length; ++i) {
    const int next = peek();
    if (next < (i == 1 ? sequence.low : 0x80) || next > (i == 1 ? sequence.high : 0xBF)) {
      failHere("not UTF-8");
    }
    piece += static_cast<char>(next);
    advance();
  }
  continuations_ += sequence.length - 1;
}

void JsonReader::finishValue() {
  expect_ = open_.empty() ? Expect::nothing : Expect::afterValue;
}

}  // namespace common
