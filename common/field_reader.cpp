#include "field_reader.hpp"

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "report.hpp"

namespace common {

std::size_t sizeOf(FieldType type) {
  switch (type) {
    case FieldType::i8:
    case FieldType::u8:
      return 1;
    case FieldType::u16:
    case FieldType::q15:
      return 2;
    case FieldType::i32:
      return 4;
  }
  return 0;
}

std::int64_t StreamFieldReader::integer(FieldType type, FieldName field, std::int64_t index) {
  const std::uint32_t bits = littleEndian(sizeOf(type), field, index);
  switch (type) {
    case FieldType::i8:
      return static_cast<std::int8_t>(bits);
    case FieldType::i32:
      return static_cast<std::int32_t>(bits);
    case FieldType::u8:
    case FieldType::u16:
    case FieldType::q15:
      break;
  }
  return bits;
}

float StreamFieldReader::real(FieldName field, std::int64_t index) {
  return std::bit_cast<float>(littleEndian(4, field, index));
}

void StreamFieldReader::text(char* out, std::size_t count, FieldName field, std::int64_t index) {
  fieldStart_ = offset_;
  // Straight from the stream's buffer, without a stream sentry for every field.
  const auto wanted = static_cast<std::streamsize>(count);
  const std::streamsize got = in_.rdbuf()->sgetn(out, wanted);
  offset_ += static_cast<std::uint64_t>(got);
  if (got != wanted)
    throw FileEndsEarly{field, index, std::string(out, static_cast<std::size_t>(got))};
}

Unread StreamFieldReader::describeUnread() {
  std::array<char, kUnreadShown> start{};
  const std::streamsize got = in_.rdbuf()->sgetn(start.data(), start.size());
  const std::streamoff end = in_.rdbuf()->pubseekoff(0, std::ios::end, std::ios::in);
  in_.rdbuf()->pubseekpos(static_cast<std::streamoff>(offset_), std::ios::in);
  return {end < 0 ? 0 : static_cast<std::uint64_t>(end) - offset_,
          std::string(start.data(), static_cast<std::size_t>(got)), &in_};
}

std::uint32_t StreamFieldReader::littleEndian(std::size_t size, FieldName field,
                                              std::int64_t index) {
  std::array<unsigned char, 4> raw{};
  text(reinterpret_cast<char*>(raw.data()), size, field, index);
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
