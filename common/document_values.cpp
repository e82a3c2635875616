// The values of a document's fields: each checked against its field's type and written to the
// file as the file holds it, a name as its text or its hex, a float by its value or its bits,
// and the bytes the document's "end" gives after the last field.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "document_reader.hpp"
#include "utf8.hpp"

namespace common {

namespace {

struct Range {
  std::int64_t least;
  std::int64_t most;
  const char* what;
};

Range rangeOf(FieldType type) {
  switch (type) {
    case FieldType::i8:
      return {-128, 127, "a signed byte (-128 to 127)"};
    case FieldType::u8:
      return {0, 255, "an unsigned byte (0 to 255)"};
    case FieldType::u16:
    case FieldType::q15:
      return {0, 65535, "an unsigned 16-bit number (0 to 65535)"};
    case FieldType::i32:
      return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
              "a signed 32-bit number (-2147483648 to 2147483647)"};
    case FieldType::f32:
    case FieldType::name:
      break;
  }
  return {};
}

// What a field of `type` takes, as a refusal says it.
std::string_view takesOf(FieldType type) {
  if (type == FieldType::q15) return "a sample, a multiple of 1/32768 in [-1, 1),";
  return rangeOf(type).what;
}
constexpr std::string_view kFloatTakes = "a 32-bit float";

// The JSON type of a value that begins with `token`, as a refusal names it.
const char* kindOf(JsonReader::Token token) {
  using Token = JsonReader::Token;
  switch (token) {
    case Token::beginObject:
      return "an object";
    case Token::beginArray:
      return "an array";
    case Token::string:
      return "a string";
    case Token::number:
      return "a number";
    case Token::boolean:
      return "a boolean";
    case Token::null:
      return "null";
    default:
      return "the end of the container";
  }
}

// A whole number, as JSON may write one: 5, -5, also 5.0 or 5e0.
std::optional<std::int64_t> wholeNumberOf(std::string_view text) {
  const char* end = text.data() + text.size();
  std::int64_t value = 0;
  const auto whole = std::from_chars(text.data(), end, value);
  if (whole.ec == std::errc() && whole.ptr == end) return value;
  double real = 0;
  const auto decimal = std::from_chars(text.data(), end, real);
  if (decimal.ec != std::errc() || decimal.ptr != end || real != std::floor(real) ||
      std::fabs(real) > 1e18) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(real);
}

// The float32 the text reads as, rounded once: never through a double.
std::optional<float> floatOf(std::string_view text) {
  const char* end = text.data() + text.size();
  float value = 0;
  const auto read = std::from_chars(text.data(), end, value);
  if (read.ec != std::errc() || read.ptr != end) return std::nullopt;
  return value;
}

std::optional<std::uint32_t> bitsOf(std::string_view hex) {
  if (hex.size() != 8) return std::nullopt;
  std::uint32_t bits = 0;
  for (const char c : hex) {
    const int digit = hexDigitValue(static_cast<unsigned char>(c));
    if (digit < 0) return std::nullopt;
    bits = bits << 4 | static_cast<std::uint32_t>(digit);
  }
  return bits;
}

}  // namespace

void DocumentFieldReader::derived(std::string_view key, std::int64_t value, bool boolean) {
  const Token token = take();
  if (token != Token::key || json_.key() != key) return putBack(token);
  const Token given = take();
  if (boolean) {
    if (given != Token::boolean) refuse(memberPointer(key), "true or false should be here");
    if (json_.booleanValue() == (value != 0)) return;
    const char* made = value != 0 ? "true" : "false";
    const char* said = value != 0 ? "false" : "true";
    refuse(memberPointer(key),
           std::string("is ") + said + ", but the fields before it make it " + made);
  }
  const std::optional<std::int64_t> whole =
      given == Token::number ? wholeNumberOf(json_.numberText()) : std::nullopt;
  if (!whole) refuse(memberPointer(key), "a whole number should be here");
  if (*whole != value) {
    refuse(memberPointer(key), "is " + std::to_string(*whole) +
                                   ", but the fields before it make it " + std::to_string(value));
  }
}

std::int64_t DocumentFieldReader::integer(FieldType type, Place place) {
  const FieldValue value = readValue(reach(place, sizeOf(type)), place, takesOf(type));
  const auto where = [&place] { return pointerOf(place); };
  if (value.isNull || value.bits) {
    refuseAt(value.at, where(), std::string(takesOf(type)) + " should be here, not null");
  }
  if (type == FieldType::q15) return writeQ15(value, place);
  const std::optional<std::int64_t> whole = wholeNumberOf(value.number);
  if (!whole) refuseAt(value.at, where(), value.number + " is not a whole number");
  const Range range = rangeOf(type);
  if (*whole < range.least || *whole > range.most) {
    refuseAt(value.at, where(), value.number + " is not " + range.what);
  }
  writeField(static_cast<std::uint32_t>(*whole), sizeOf(type));
  return *whole;
}

float DocumentFieldReader::real(Place place) {
  const FieldValue value = readValue(reach(place, 4), place, kFloatTakes);
  const auto where = [&place] { return pointerOf(place); };
  std::uint32_t bits = 0;
  if (value.isNull) {
    // JSON has no NaN and no infinities: the dump gives them as null and their bits.
    if (!value.bits)
      refuseAt(value.at, where(), "null is no float: give a NaN or an infinity by its \"bits\"");
    bits = *value.bits;
  } else {
    const std::optional<float> number = floatOf(value.number);
    if (!number)
      refuseAt(value.at, where(), value.number + " is not a number a 32-bit float holds");
    bits = std::bit_cast<std::uint32_t>(*number);
    if (value.bits && *value.bits != bits) {
      refuseAt(value.at, where(),
               "its value and its bits are two different floats: drop one of them");
    }
  }
  writeField(bits, 4);
  return std::bit_cast<float>(bits);
}

void DocumentFieldReader::text(char* out, std::size_t count, Place place) {
  const auto where = [&place] { return pointerOf(place); };
  const Token first = reach(place, count);
  const TextPosition at = json_.position();
  // Valid UTF-8 of `count` bytes, or U+FFFD for each of them, is at most this long.
  const std::size_t mostText = 3 * count;
  std::optional<std::string> given;
  std::optional<std::uint64_t> hexBytes;
  if (first == Token::string) {
    given = json_.stringValue(mostText);
  } else if (first == Token::beginObject) {
    for (Token token = take(); token != Token::endObject; token = take()) {
      const std::string key(json_.key());
      const Token value = take();
      if (key == "text" && value == Token::string) {
        given = json_.stringValue(mostText);
      } else if (key == "hex" && value == Token::string) {
        hexBytes = readHex([&] { return memberPointerIn(where(), key); }, count,
                           [count] {
                             return "more bytes than its length of " +
                                    std::to_string(static_cast<std::int64_t>(count));
                           },
                           [&, written = std::size_t{0}](std::string_view bytes) mutable {
                             std::memcpy(out + written, bytes.data(), bytes.size());
                             written += bytes.size();
                           });
      } else if (key == "offset" || key == "size") {
        json_.skipValue(value);
      } else {
        refuse(memberPointerIn(where(), key),
               "unknown member \"" + key + "\": a name has its \"text\" or its \"hex\"");
      }
    }
  } else {
    refuse(where(), std::string("a name should be here: its text, or {\"text\": ..., \"hex\": "
                                "...}, not ") +
                        kindOf(first));
  }
  const std::string length = std::to_string(static_cast<std::int64_t>(count));
  if (hexBytes) {
    if (*hexBytes != count) {
      refuseAt(at, where(),
               "the name has " + std::to_string(static_cast<std::int64_t>(*hexBytes)) +
                   " bytes, but the length before it is " + length);
    }
    const std::string_view bytes(out, count);
    if (given && *given != withInvalidUtf8Replaced(bytes.substr(0, bytes.find('\0')))) {
      refuseAt(at, where(), "its text and its hex are two different names: drop one of them");
    }
  } else if (given) {
    if (given->size() != count) {
      refuseAt(at, where(),
               "the name has " + std::to_string(static_cast<std::int64_t>(given->size())) +
                   " bytes of UTF-8, but the length before it is " + length);
    }
    std::memcpy(out, given->data(), count);
  } else {
    refuseAt(at, where(), "the name needs its \"text\" or its \"hex\"");
  }
  fieldStart_ = offset_;
  out_.write(std::string_view(out, count));
  offset_ += count;
}

std::string DocumentFieldReader::readEnd(std::optional<std::size_t> fieldSize) {
  enter(take(), "end", -1);
  if (!levels_.back().object) refuse("/end", "an object should be here");
  std::string outcome;
  for (Token token = take(); token != Token::endObject; token = take()) {
    const std::string key(json_.key());
    // Its place in the document is spelled out only for a refusal.
    const auto where = [&] { return memberPointer(key); };
    const Token value = take();
    if (key == "outcome" && value == Token::string) {
      outcome = json_.stringValue(kMostScalarBytes);
    } else if (key == "fieldBytes" && value == Token::string) {
      // Fewer bytes than the field has: with all of them, the file would not end inside it.
      const std::uint64_t most = fieldSize ? (*fieldSize > 0 ? *fieldSize - 1 : 0) : 0;
      readHex(
          where, most,
          [&]() -> std::string {
            return fieldSize
                       ? "as many bytes as the field has, or more: the file would not end in it"
                       : "the bytes of a field the file ends in, but it ends in none";
          },
          [this](std::string_view bytes) { writeBytes(bytes); });
    } else if (key == "unread" && value == Token::beginObject) {
      putBack(value);
      readUnread(fieldSize.has_value());
    } else if (key == "offset" || key == "field" || key == "reason") {
      json_.skipValue(value);
    } else {
      refuse(where(), "not a member of \"end\"");
    }
  }
  levels_.pop_back();
  return outcome;
}

void DocumentFieldReader::readUnread(bool stoppedInField) {
  enter(take(), "unread", -1);
  std::optional<std::uint64_t> count;
  TextPosition countAt;
  std::string firstBytes;
  std::optional<std::uint64_t> written;
  const char* noneAfterACut = "bytes after the last field, but the file ends inside a field";
  for (Token token = take(); token != Token::endObject; token = take()) {
    const std::string key(json_.key());
    const auto where = [&] { return memberPointer(key); };
    const Token value = take();
    if (key == "count" && value == Token::number) {
      const std::optional<std::int64_t> whole = wholeNumberOf(json_.numberText());
      if (!whole || *whole < 0) refuse(where(), "a count of bytes should be here");
      count = static_cast<std::uint64_t>(*whole);
      countAt = json_.position();
    } else if (key == "firstBytes" && value == Token::string) {
      readHex(
          where, kUnreadShown, [] { return "more than the first 16 bytes"; },
          [&](std::string_view bytes) { firstBytes += bytes; });
    } else if (key == "bytes" && value == Token::string) {
      written = readHex(
          where, stoppedInField ? 0 : std::numeric_limits<std::uint64_t>::max(),
          [&] { return noneAfterACut; }, [this](std::string_view bytes) { writeBytes(bytes); });
    } else if (key == "offset") {
      json_.skipValue(value);
    } else {
      refuse(where(), "not a member of \"unread\"");
    }
  }
  levels_.pop_back();
  // Its pointer is made only for a refusal.
  const auto where = [this] { return memberPointer("unread"); };
  if (written) {
    if (count && *count != *written) {
      throw JsonError{"says " + std::to_string(*count) + " bytes, but \"bytes\" has " +
                          std::to_string(*written) + ": drop the count",
                      countAt, where() + "/count"};
    }
    return;
  }
  if (!count || *count == 0) return;
  // A document without "bytes" holds the first 16 of them: enough when there are no more.
  if (*count != firstBytes.size()) {
    refuse(where(), "only the first " + std::to_string(firstBytes.size()) + " of the " +
                        std::to_string(*count) +
                        " bytes after the last field are here: give them "
                        "all as \"bytes\"");
  }
  if (stoppedInField) refuse(where(), noneAfterACut);
  writeBytes(firstBytes);
}

DocumentFieldReader::FieldValue DocumentFieldReader::readValue(Token first, Place place,
                                                               std::string_view takes) {
  FieldValue value;
  value.at = json_.position();
  if (first == Token::number) {
    value.number = json_.numberText();
    return value;
  }
  if (first == Token::null) {
    value.isNull = true;
    return value;
  }
  const auto where = [&place] { return pointerOf(place); };
  if (first != Token::beginObject) {
    refuse(where(),
           std::string(takes) + " should be here, or {\"value\": ...}, not " + kindOf(first));
  }
  bool given = false;
  for (Token token = take(); token != Token::endObject; token = take()) {
    // The key is seen in the reader's buffer: told apart before the value is read.
    const std::string_view key = json_.key();
    const bool isValue = key == "value";
    const bool isBits = key == "bits";
    const bool isIgnored = key == "offset" || key == "size" || key == "nonFinite";
    const std::string unknown = isValue || isBits || isIgnored ? "" : std::string(key);
    const Token member = take();
    if (isValue && (member == Token::number || member == Token::null)) {
      given = true;
      value.at = json_.position();
      value.isNull = member == Token::null;
      value.number = value.isNull ? std::string_view() : json_.numberText();
    } else if (isBits && member == Token::string) {
      value.bits = bitsOf(json_.stringValue(kMostScalarBytes));
      if (!value.bits) refuse(memberPointerIn(where(), "bits"), "eight hex digits should be here");
    } else if (isIgnored) {
      json_.skipValue(member);
    } else if (isValue) {
      refuse(memberPointerIn(where(), "value"),
             std::string(takes) + " should be here, not " + kindOf(member));
    } else if (isBits) {
      refuse(memberPointerIn(where(), "bits"), "eight hex digits should be here");
    } else {
      refuse(memberPointerIn(where(), unknown),
             "unknown member \"" + unknown +
                 "\": a field has its \"value\" (or, for a float "
                 "JSON cannot hold, null and its \"bits\")");
    }
  }
  if (!given) refuse(where(), "the field needs its \"value\"");
  return value;
}

std::uint16_t DocumentFieldReader::writeQ15(const FieldValue& given, Place place) {
  const std::string& number = given.number;
  const auto where = [&place] { return pointerOf(place); };
  const std::optional<float> value = floatOf(number);
  if (!value) refuseAt(given.at, where(), number + " is not a number a 32-bit float holds");
  if (!(*value >= -1.0f && *value < 1.0f))
    refuseAt(given.at, where(), number + " is not in [-1, 1)");
  // Scaling by a power of two is exact: the sample is the word it gives, or not a sample.
  const float scaled = *value * 32768.0f;
  if (scaled != std::floor(scaled)) {
    refuseAt(given.at, where(), number + " is not a multiple of 1/32768");
  }
  const auto word = static_cast<std::uint16_t>(static_cast<std::int16_t>(scaled));
  writeField(word, 2);
  return word;
}

void DocumentFieldReader::writeField(std::uint32_t bits, std::size_t size) {
  char bytes[4];
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(bits >> (8 * i));
  fieldStart_ = offset_;
  writeBytes(std::string_view(bytes, size));
}

void DocumentFieldReader::writeBytes(std::string_view bytes) {
  out_.write(bytes);
  offset_ += bytes.size();
}

std::uint64_t DocumentFieldReader::readHex(const RefusalText& where, std::uint64_t most,
                                           const RefusalText& tooMany,
                                           const std::function<void(std::string_view)>& sink) {
  std::uint64_t count = 0;
  int high = -1;  // the first digit of a byte whose second is in the next piece
  std::string& bytes = decodedHex_;
  json_.stringPieces([&](std::string_view digits) {
    bytes.clear();
    bytes.reserve(digits.size() / 2);
    for (const char c : digits) {
      const int digit = hexDigitValue(static_cast<unsigned char>(c));
      if (digit < 0) refuse(where(), "hex digits, two a byte, should be here");
      if (high < 0) {
        high = digit;
        continue;
      }
      bytes += static_cast<char>(high << 4 | digit);
      high = -1;
    }
    count += bytes.size();
    if (count > most) refuse(where(), tooMany());
    sink(bytes);
  });
  if (high >= 0) refuse(where(), "an odd number of hex digits: two a byte");
  return count;
}

}  // namespace common
