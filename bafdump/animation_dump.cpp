// bafdump: prints a report of a bone-animation file (.baf), every sample decoded.
//
// Layout, little-endian: i32 header (must be 3), u16 bone count N, N names (u16 length, at
// most 31, then the bytes), i32 frame count F, u8 precision, then per bone a prefix word and
// seven components, each a prefix word and a run-length-coded stream of sample words that
// covers F frames. Every line is written the moment its fields have been read, so a file that
// ends early shows everything before the break, then one "***ERROR" line.

#include <array>
#include <bitset>
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
#include "sample_decoding.hpp"

namespace bafdump {
namespace {

constexpr std::int32_t kExpectedHeader = 3;
constexpr std::uint16_t kMaxNameLength = 31;
constexpr int kComponentsPerBone = 7;

// Where a read ran out of file: the offset of the end and the field being read.
struct FileEndsEarly {
  std::uint64_t endOffset;
  std::string field;
};

// Reads little-endian fields front to back and knows the offset of each; a short read throws
// FileEndsEarly naming the field and where in the file's structure it stands.
class FieldReader {
 public:
  explicit FieldReader(std::istream& in) : in_(in) {}

  // Set while a bone's name or blocks are read; 0 for none. Names the place in error messages.
  void enter(std::int64_t bone, int component) {
    bone_ = bone;
    component_ = component;
  }

  std::int32_t i32(const char* field) { return static_cast<std::int32_t>(littleEndian<4>(field)); }
  std::uint16_t u16(const char* field) {
    return static_cast<std::uint16_t>(littleEndian<2>(field));
  }
  std::uint8_t u8(const char* field) { return static_cast<std::uint8_t>(littleEndian<1>(field)); }
  void bytes(char* out, std::size_t count, const char* field) {
    // Straight from the stream's buffer, without a stream sentry for every field.
    const auto wanted = static_cast<std::streamsize>(count);
    const std::streamsize got = in_.rdbuf()->sgetn(out, wanted);
    offset_ += static_cast<std::uint64_t>(got);
    if (got != wanted) throw FileEndsEarly{offset_, describe(field)};
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

  std::string describe(const char* field) const {
    std::string where = field;
    if (component_ > 0) where += " of component " + std::to_string(component_);
    if (bone_ > 0) where += " of bone " + std::to_string(bone_);
    return where;
  }

  std::istream& in_;
  std::uint64_t offset_ = 0;
  std::int64_t bone_ = 0;
  int component_ = 0;
};

// The value of a sample word, decoded once per word and then remembered: a dump may print
// millions of samples, and there are only 65536 words.
float sampleValue(std::uint16_t word) {
  static std::array<float, 65536> values;
  static std::bitset<65536> decoded;
  if (!decoded[word]) {
    values[word] = decodeSample(word, kSampleStartExponent);
    decoded[word] = true;
  }
  return values[word];
}

void printSample(std::uint16_t word) {
  printLine(sampleValue(word));
}

// Prints the samples of one component stream. The frame test comes only before a control
// word, so a run is always printed whole, even when it overshoots the frame count.
void dumpComponentStream(FieldReader& reader, std::int32_t frameCount) {
  // 64-bit, so that a frame count of INT32_MAX plus a last run of 127 cannot wrap.
  std::int64_t frame = 1;
  while (frame <= frameCount) {
    const ControlWord run = splitControlWord(reader.u16("control word"));
    if (run.repeat) {
      const std::uint16_t word = reader.u16("repeated sample");
      for (int i = 0; i < run.length; ++i) printSample(word);
    } else {
      for (int i = 0; i < run.length; ++i) printSample(reader.u16("sample"));
    }
    frame += run.length;
  }
}

// Prints the bone names; false at a name length above the limit, which ends the dump.
bool dumpNames(FieldReader& reader, std::uint16_t boneCount) {
  std::array<char, kMaxNameLength> name{};
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    reader.enter(bone, 0);
    const std::uint16_t length = reader.u16("name length");
    if (length > kMaxNameLength) {
      printLine("***ERROR***  name lenght > ", static_cast<int>(kMaxNameLength));
      return false;
    }
    reader.bytes(name.data(), length, "name");
    const void* nul = std::memchr(name.data(), '\0', length);
    const std::size_t shown =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - name.data()) : length;
    printLine(std::string_view(name.data(), shown));
  }
  reader.enter(0, 0);
  return true;
}

void dumpBones(FieldReader& reader, std::uint16_t boneCount, std::int32_t frameCount) {
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    reader.enter(bone, 0);
    reader.u16("bone prefix word");
    for (int component = 1; component <= kComponentsPerBone; ++component) {
      reader.enter(bone, component);
      reader.u16("component prefix word");
      printLine("\t// component: ", component, "  Bone: ", bone);
      dumpComponentStream(reader, frameCount);
    }
  }
}

void dumpAnimation(FieldReader& reader, const char* path) {
  printLine("File: ", path);
  const std::int32_t header = reader.i32("header");
  printLine("(.baf)header: ", header);
  printLine("----------------");
  const std::uint16_t boneCount = reader.u16("bone count");
  printLine(boneCount, "\t// number of bones");
  if (header != kExpectedHeader) {
    // The text says 0 although 3 is required; scripts match the line as it stands.
    printLine("***ERROR***  Header != 0 __ ", header);
    return;
  }
  // After an over-long name the rest of the file cannot be placed: stop rather than print the
  // name's bytes as frame count and samples.
  if (!dumpNames(reader, boneCount)) return;
  const std::int32_t frameCount = reader.i32("frame count");
  printLine(frameCount, "\t// number of frames");
  const std::uint8_t precision = reader.u8("precision");
  printLine(static_cast<int>(precision), "\t// precision (number of bits in matissa)");
  dumpBones(reader, boneCount, frameCount);
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
    dumpAnimation(reader, path);
  } catch (const FileEndsEarly& end) {
    printLine("***ERROR ", path, " ends at byte ", end.endOffset, " while reading ", end.field);
    return 1;
  }
  return 0;
}

}  // namespace bafdump
