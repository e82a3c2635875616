// skedump: prints a labelled report of a skeleton file (.ske).
//
// Layout, little-endian: i32 header value (must be 1), i32 bone count, then per bone a u16 name
// length L (at most 128), L name bytes, a u16 short value and twelve floats in three rows of
// four. The walk hands every field to a printer the moment it has been read, so a file that ends
// early shows everything before the break, and then what stopped the run.

#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "printer.hpp"
#include "run.hpp"

namespace skedump {
namespace {

constexpr std::size_t kFloatsPerBone = 12;

constexpr FieldName kHeader{"header1", "header"};
constexpr FieldName kBoneCount{"NumberOfBones", "boneCount"};
constexpr FieldName kNameLength{"NameTextLength", "nameLength"};
constexpr FieldName kName{"BoneName", "name"};
constexpr FieldName kShort{"Short", "short"};
constexpr FieldName kFloats{"Floats", "floats"};

// Where a read ran out of file: the offset of the end and the field being read.
struct FileEndsEarly {
  std::uint64_t endOffset;
  FieldName field;
  std::int64_t index;
};

// Reads little-endian fields front to back and knows the offset of each; a short read throws
// FileEndsEarly naming the field.
class FieldReader {
 public:
  explicit FieldReader(std::istream& in) : in_(in) {}

  std::uint64_t offset() const { return offset_; }
  // Where the field just read lies.
  Span last() const { return {fieldStart_, offset_ - fieldStart_}; }

  // `index` places an element of an array of fields; -1 for a field of its own.
  std::int32_t i32(FieldName field) { return static_cast<std::int32_t>(littleEndian<4>(field)); }
  std::uint16_t u16(FieldName field) { return static_cast<std::uint16_t>(littleEndian<2>(field)); }
  float f32(FieldName field, std::int64_t index = -1) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(littleEndian<4>(field, index)));
  }
  void bytes(char* out, std::size_t count, FieldName field, std::int64_t index = -1) {
    fieldStart_ = offset_;
    // Straight from the stream's buffer, without a stream sentry for every field.
    const auto wanted = static_cast<std::streamsize>(count);
    const std::streamsize got = in_.rdbuf()->sgetn(out, wanted);
    offset_ += static_cast<std::uint64_t>(got);
    if (got != wanted) throw FileEndsEarly{offset_, field, index};
  }

  // The bytes from the current offset to the end of the file, which no field accounts for:
  // how many, and the first few.
  void describeUnread(Ending& ending) {
    std::array<char, kUnreadShown> start{};
    const std::streamsize got = in_.rdbuf()->sgetn(start.data(), start.size());
    ending.unreadStart.assign(start.data(), static_cast<std::size_t>(got));
    const std::streamoff end = in_.rdbuf()->pubseekoff(0, std::ios::end, std::ios::in);
    ending.unreadCount = end < 0 ? 0 : static_cast<std::uint64_t>(end) - offset_;
  }

 private:
  template <std::size_t Size>
  std::uint32_t littleEndian(FieldName field, std::int64_t index = -1) {
    std::array<unsigned char, Size> raw{};
    bytes(reinterpret_cast<char*>(raw.data()), Size, field, index);
    std::uint32_t value = 0;
    for (std::size_t i = Size; i-- > 0;) value = (value << 8) | raw[i];
    return value;
  }

  std::istream& in_;
  std::uint64_t offset_ = 0;
  std::uint64_t fieldStart_ = 0;
};

// Walks one bone entry; false when its name length is refused and the walk must stop.
bool walkBone(FieldReader& reader, Printer& printer, std::int64_t bone) {
  printer.beginBone(bone, reader.offset());
  const std::uint16_t nameLength = reader.u16(kNameLength);
  printer.nameLength(reader.last(), nameLength);
  if (nameLength > kMaxNameLength) return false;
  std::array<char, kMaxNameLength> name{};
  reader.bytes(name.data(), nameLength, kName);
  printer.name(reader.last(), std::string_view(name.data(), nameLength));
  const std::uint16_t shortValue = reader.u16(kShort);
  printer.shortValue(reader.last(), shortValue);
  for (std::size_t i = 0; i < kFloatsPerBone; ++i) {
    const float value = reader.f32(kFloats, static_cast<std::int64_t>(i));
    printer.boneFloat(reader.last(), value);
  }
  printer.endBone(reader.offset());
  return true;
}

Outcome walkSkeleton(FieldReader& reader, Printer& printer) {
  const std::int32_t header = reader.i32(kHeader);
  printer.header(reader.last(), header);
  const std::int32_t boneCount = reader.i32(kBoneCount);
  printer.boneCount(reader.last(), boneCount);
  if (header != kExpectedHeader) return Outcome::headerRefused;
  printer.beginBones();
  // Each bone is printed as it is read and then forgotten, so any count is dumped whole.
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    if (!walkBone(reader, printer, bone)) return Outcome::nameLengthRefused;
  }
  return Outcome::complete;
}

// Reads the file through `printer`; the exit code: 1 when the file ends early.
int walkFile(std::istream& file, Printer& printer) {
  FieldReader reader(file);
  Ending ending;
  try {
    ending.outcome = walkSkeleton(reader, printer);
  } catch (const FileEndsEarly& early) {
    ending.outcome = Outcome::fileEndsEarly;
    ending.field = early.field;
    ending.index = early.index;
  }
  ending.offset = reader.offset();
  reader.describeUnread(ending);
  printer.end(ending);
  return ending.outcome == Outcome::fileEndsEarly ? 1 : 0;
}

int dump(const char* path, Printer& printer) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    printer.cannotOpen(std::strerror(EISDIR));
    return 1;
  }
  std::ifstream file(path, std::ios::in | std::ios::binary);
  if (!file) {
    printer.cannotOpen(std::strerror(errno));
    return 1;
  }
  return walkFile(file, printer);
}

}  // namespace

int run(const char* path, Form form) {
  const std::unique_ptr<Printer> printer =
      form == Form::json ? makeJsonPrinter(path) : makeTextPrinter(path);
  const int exitCode = dump(path, *printer);
  return printer->finish() ? exitCode : 1;
}

}  // namespace skedump
