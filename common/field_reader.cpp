#include "field_reader.hpp"

#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>


namespace common {

namespace {

// A JSON Pointer writes "~" as "~0" and "/" as "~1" within a key.
void appendSegment(std::string& pointer, std::string_view segment) {
  pointer += '/';
  for (const char c : segment) {
    if (c == '~') {
      pointer += "~0";
    } else if (c == '/') {
      pointer += "~1";
    } else {
      pointer += c;
    }
  }
}

}  // namespace

std::string pointerOf(Place place) {
  std::string pointer;
  for (const PathSegment& segment : place) {
    if (segment.key.empty()) {
      char digits[24];
      const char* end = std::to_chars(digits, digits + sizeof digits, segment.index).ptr;
      appendSegment(pointer, std::string_view(digits, static_cast<std::size_t>(end - digits)));
    } else {
      appendSegment(pointer, segment.key);
    }
  }
  return pointer;
}

std::size_t sizeOf(FieldType type) {
  switch (type) {
    case FieldType::i8:
    case FieldType::u8:
      return 1;
    case FieldType::u16:
    case FieldType::q15:
      return 2;
    case FieldType::i32:
    case FieldType::f32:
      return 4;
    case FieldType::name:
      break;
  }
  return 0;
}

std::int64_t StreamFieldReader::integer(FieldType type, Place) {
  const std::uint32_t bits = littleEndian(sizeOf(type));
  if (type == FieldType::i8) return static_cast<std::int8_t>(bits);
  if (type == FieldType::i32) return static_cast<std::int32_t>(bits);
  return bits;
}

float StreamFieldReader::real(Place) {
  return std::bit_cast<float>(littleEndian(4));
}

void StreamFieldReader::text(char* out, std::size_t count, Place) {
  fieldStart_ = offset_;
  // Straight from the stream's buffer, without a stream sentry for every field.
  const auto wanted = static_cast<std::streamsize>(count);
  const std::streamsize got = in_.rdbuf()->sgetn(out, wanted);
  offset_ += static_cast<std::uint64_t>(got);
  if (got != wanted)
    throw FileEndsEarly{std::string(out, static_cast<std::size_t>(got))};
}

Unread StreamFieldReader::describeUnread() {
  std::array<char, kUnreadShown> start{};
  const std::streamsize got = in_.rdbuf()->sgetn(start.data(), start.size());
  const std::streamoff end = in_.rdbuf()->pubseekoff(0, std::ios::end, std::ios::in);
  in_.rdbuf()->pubseekpos(static_cast<std::streamoff>(offset_), std::ios::in);
  return {end < 0 ? 0 : static_cast<std::uint64_t>(end) - offset_,
          std::string(start.data(), static_cast<std::size_t>(got)), &in_};
}

std::uint32_t StreamFieldReader::littleEndian(std::size_t size) {
  std::array<unsigned char, 4> raw{};
  text(reinterpret_cast<char*>(raw.data()), size, {});
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = (value << 8) | raw[i];
  return value;
}

std::optional<std::string> openInputStream(const char* path, std::ifstream& file) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return std::strerror(EISDIR);
  file.open(path, std::ios::in | std::ios::binary);
  if (!file) return std::strerror(errno);
  return std::nullopt;
}

std::string isNot(std::string_view what, std::int64_t value, std::int64_t expected) {
  return "the " + std::string(what) + " is " + std::to_string(value) + ", not " +
         std::to_string(expected);
}

std::string isAbove(std::string_view what, std::int64_t value, std::int64_t limit) {
  return "the " + std::string(what) + " " + std::to_string(value) + " is above " +
         std::to_string(limit);
}

}  // namespace common
