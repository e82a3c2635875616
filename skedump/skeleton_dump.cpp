// skedump: prints a labelled report of a skeleton file (.ske).
//
// Layout, little-endian: i32 header value (must be 1), i32 bone count, then per bone a u16 name
// length L (at most 128), L name bytes, a u16 short value and twelve floats in three rows of
// four. Every line is written the moment its fields have been read, so a file that ends early
// shows everything before the break, then one "***ERROR" line.

#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "number_text.hpp"
#include "report.hpp"
#include "run.hpp"

namespace skedump {
namespace {

constexpr std::int32_t kExpectedHeader = 1;
constexpr std::uint16_t kMaxNameLength = 128;
constexpr std::size_t kFloatRows = 3;
constexpr std::size_t kFloatsPerRow = 4;

// Where a read ran out of file: the offset of the end and the field being read.
struct FileEndsEarly {
  std::uint64_t endOffset;
  std::string field;
};

// Reads little-endian fields front to back and knows the offset of each; a short read throws
// FileEndsEarly naming the field and the bone being read.
class FieldReader {
 public:
  explicit FieldReader(std::istream& in) : in_(in) {}

  // The bone whose fields follow; 0 while the header is read.
  void enterBone(std::int64_t bone) { bone_ = bone; }

  std::int32_t i32(const char* field) { return static_cast<std::int32_t>(littleEndian<4>(field)); }
  std::uint16_t u16(const char* field) {
    return static_cast<std::uint16_t>(littleEndian<2>(field));
  }
  float f32(const char* field) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(littleEndian<4>(field)));
  }
  void bytes(char* out, std::size_t count, const char* field) {
    // Straight from the stream's buffer, without a stream sentry for every field.
    const auto wanted = static_cast<std::streamsize>(count);
    const std::streamsize got = in_.rdbuf()->sgetn(out, wanted);
    offset_ += static_cast<std::uint64_t>(got);
    if (got != wanted) {
      std::string where = field;
      if (bone_ > 0) where += " of bone " + std::to_string(bone_);
      throw FileEndsEarly{offset_, where};
    }
  }

 private:
  template <std::size_t Size>
  std::uint32_t littleEndian(const char* field) {
    std::array<unsigned char, Size> raw{};
    bytes(reinterpret_cast<char*>(raw.data()), Size, field);
    std::uint32_t value = 0;
    for (std::size_t i = Size; i-- > 0;) value = (value << 8) | raw[i];
    return value;
  }

  std::istream& in_;
  std::uint64_t offset_ = 0;
  std::int64_t bone_ = 0;
};

// The name as reported: its bytes up to the first NUL, never beyond its own length.
std::string_view nameText(const char* name, std::size_t length) {
  const void* nul = std::memchr(name, '\0', length);
  return {name, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - name) : length};
}

void dumpFloatRows(FieldReader& reader) {
  for (std::size_t row = 0; row < kFloatRows; ++row) {
    std::array<float, kFloatsPerRow> floats{};
    for (float& value : floats) value = reader.f32("Floats");
    static_assert(kFloatsPerRow == 4);
    printLine(floats[0], '\t', floats[1], '\t', floats[2], '\t', floats[3]);
  }
}

// Dumps one bone entry; false when its name length is refused and the dump must stop.
bool dumpBone(FieldReader& reader, std::int64_t bone) {
  reader.enterBone(bone);
  printLine("*Reading Bone #: ", bone);
  printLine("___________________");
  const std::uint16_t nameLength = reader.u16("NameTextLength");
  printLine(" NameTextLength: ", nameLength);
  if (nameLength > kMaxNameLength) {
    printLine("***ERROR***  name length > ", kMaxNameLength);
    return false;
  }
  std::array<char, kMaxNameLength> name{};
  reader.bytes(name.data(), nameLength, "BoneName");
  printLine(" BoneName: \"", nameText(name.data(), nameLength), '"');
  const std::uint16_t shortValue = reader.u16("Short");
  printLine(" Short: ", shortValue);
  // The empty line between the short value and the first row of floats.
  printLine();
  dumpFloatRows(reader);
  return true;
}

void dumpSkeleton(FieldReader& reader) {
  const std::int32_t header = reader.i32("header1");
  printLine("header1: ", header);
  const std::int32_t boneCount = reader.i32("NumberOfBones");
  printLine("NumberOfBones: ", boneCount);
  printLine("----------------");
  printLine();
  if (header != kExpectedHeader) {
    printLine("***ERROR***  Header != 1 __ ", header);
    return;
  }
  // Each bone is printed as it is read and then forgotten, so any count is dumped whole.
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    if (!dumpBone(reader, bone)) break;
  }
  printLine();
  printLine();
}

int openFailure(const char* path, const std::string& reason) {
  printLine("***ERROR cannot open ", path, ": ", reason);
  return 1;
}

}  // namespace

int run(const char* path) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return openFailure(path, std::strerror(EISDIR));
  std::ifstream file(path, std::ios::in | std::ios::binary);
  if (!file) return openFailure(path, std::strerror(errno));
  FieldReader reader(file);
  try {
    dumpSkeleton(reader);
  } catch (const FileEndsEarly& end) {
    printLine("***ERROR ", path, " ends at byte ", end.endOffset, " while reading ", end.field);
    return 1;
  }
  return 0;
}

}  // namespace skedump
