#include "field_reader.hpp"

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "report.hpp"

namespace common {

std::int32_t FieldReader::i32(FieldName field, std::int64_t index) {
  return static_cast<std::int32_t>(littleEndian<4>(field, index));
}
std::uint16_t FieldReader::u16(FieldName field, std::int64_t index) {
  return static_cast<std::uint16_t>(littleEndian<2>(field, index));
}
std::int8_t FieldReader::i8(FieldName field, std::int64_t index) {
  return static_cast<std::int8_t>(u8(field, index));
}
std::uint8_t FieldReader::u8(FieldName field, std::int64_t index) {
  return static_cast<std::uint8_t>(littleEndian<1>(field, index));
}
float FieldReader::f32(FieldName field, std::int64_t index) {
  return std::bit_cast<float>(littleEndian<4>(field, index));
}

void FieldReader::bytes(char* out, std::size_t count, FieldName field, std::int64_t index) {
  fieldStart_ = offset_;
  // Straight from the stream's buffer, without a stream sentry for every field.
  const auto wanted = static_cast<std::streamsize>(count);
  const std::streamsize got = in_.rdbuf()->sgetn(out, wanted);
  offset_ += static_cast<std::uint64_t>(got);
  if (got != wanted) throw FileEndsEarly{field, index};
}

Unread FieldReader::describeUnread() {
  std::array<char, kUnreadShown> start{};
  const std::streamsize got = in_.rdbuf()->sgetn(start.data(), start.size());
  const std::streamoff end = in_.rdbuf()->pubseekoff(0, std::ios::end, std::ios::in);
  return {end < 0 ? 0 : static_cast<std::uint64_t>(end) - offset_,
          std::string(start.data(), static_cast<std::size_t>(got))};
}

template <std::size_t Size>
std::uint32_t FieldReader::littleEndian(FieldName field, std::int64_t index) {
  std::array<unsigned char, Size> raw{};
  bytes(reinterpret_cast<char*>(raw.data()), Size, field, index);
  std::uint32_t value = 0;
  for (std::size_t i = Size; i-- > 0;) value = (value << 8) | raw[i];
  return value;
}

std::optional<std::string> openInputStream(const char* path, std::ifstream& file) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return std::strerror(EISDIR);
  file.open(path, std::ios::in | std::ios::binary);
  if (!file) return std::strerror(errno);
  return std::nullopt;
}

void printCannotOpen(std::string_view path, std::string_view reason) {
  printLine("***ERROR cannot open ", path, ": ", reason);
}

void printFileEndsEarly(std::string_view path, std::uint64_t offset, std::string_view where) {
  printLine("***ERROR ", path, " ends at byte ", offset, " while reading ", where);
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
