// bafdump: prints a report of a bone-animation file (.baf), every sample decoded.
//
// Layout, little-endian: i32 header (must be 3), u16 bone count N, N names (u16 length, at
// most 31, then the bytes), i32 frame count F, u8 precision, then per bone a prefix word and
// seven components, each a prefix word and a run-length-coded stream of sample words that
// covers F frames. The walk hands every field to a printer the moment it has been read, so a
// file that ends early shows everything before the break, and then what stopped the run.

#include <array>
#include <bitset>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "printer.hpp"
#include "run.hpp"
#include "sample_decoding.hpp"

namespace bafdump {
namespace {

constexpr int kComponentsPerBone = 7;

constexpr FieldName kHeader{"header", "header"};
constexpr FieldName kBoneCount{"bone count", "boneCount"};
constexpr FieldName kNameLength{"name length", "length"};
constexpr FieldName kName{"name", "name"};
constexpr FieldName kFrameCount{"frame count", "frameCount"};
constexpr FieldName kPrecision{"precision", "precision"};
constexpr FieldName kBonePrefix{"bone prefix word", "prefix"};
constexpr FieldName kComponentPrefix{"component prefix word", "prefix"};
constexpr FieldName kControlWord{"control word", "runs"};
constexpr FieldName kRepeatedSample{"repeated sample", "values"};
constexpr FieldName kSample{"sample", "values"};

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
  std::uint16_t u16(FieldName field, std::int64_t index = -1) {
    return static_cast<std::uint16_t>(littleEndian<2>(field, index));
  }
  std::uint8_t u8(FieldName field) { return static_cast<std::uint8_t>(littleEndian<1>(field)); }
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

void walkSample(FieldReader& reader, Printer& printer, FieldName field, std::int64_t index) {
  const std::uint16_t word = reader.u16(field, index);
  printer.sample(reader.last(), word, sampleValue(word));
}

// Walks the runs of one component stream. The frame test comes only before a control word, so
// a run is always read whole, even when it overshoots the frame count.
void walkComponentStream(FieldReader& reader, Printer& printer, std::int32_t frameCount) {
  // 64-bit, so that a frame count of INT32_MAX plus a last run of 127 cannot wrap.
  std::int64_t frame = 1;
  for (std::int64_t runIndex = 0; frame <= frameCount; ++runIndex) {
    const std::uint16_t controlWord = reader.u16(kControlWord, runIndex);
    const ControlWord run = splitControlWord(controlWord);
    printer.beginRun(reader.last(), controlWord, run);
    if (run.repeat) {
      walkSample(reader, printer, kRepeatedSample, 0);
    } else {
      for (int i = 0; i < run.length; ++i) walkSample(reader, printer, kSample, i);
    }
    printer.endRun(reader.offset());
    frame += run.length;
  }
}

// Walks the bone names; false at a name length above the limit, which ends the walk.
bool walkNames(FieldReader& reader, Printer& printer, std::uint16_t boneCount) {
  std::array<char, kMaxNameLength> name{};
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    printer.beginName(bone, reader.offset());
    const std::uint16_t length = reader.u16(kNameLength);
    printer.nameLength(reader.last(), length);
    if (length > kMaxNameLength) return false;
    reader.bytes(name.data(), length, kName);
    printer.name(reader.last(), std::string_view(name.data(), length));
    printer.endName(reader.offset());
  }
  return true;
}

void walkBones(FieldReader& reader, Printer& printer, std::uint16_t boneCount,
               std::int32_t frameCount) {
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    printer.beginBone(bone, reader.offset());
    const std::uint16_t bonePrefix = reader.u16(kBonePrefix);
    printer.bonePrefix(reader.last(), bonePrefix);
    for (int component = 1; component <= kComponentsPerBone; ++component) {
      printer.beginComponent(component, reader.offset());
      const std::uint16_t componentPrefix = reader.u16(kComponentPrefix);
      printer.componentPrefix(reader.last(), componentPrefix);
      walkComponentStream(reader, printer, frameCount);
      printer.endComponent(reader.offset());
    }
    printer.endBone(reader.offset());
  }
}

Outcome walkAnimation(FieldReader& reader, Printer& printer) {
  printer.fileOpened();
  const std::int32_t header = reader.i32(kHeader);
  printer.header(reader.last(), header);
  const std::uint16_t boneCount = reader.u16(kBoneCount);
  printer.boneCount(reader.last(), boneCount);
  if (header != kExpectedHeader) return Outcome::headerRefused;
  printer.beginNames();
  // After an over-long name the rest of the file cannot be placed: stop rather than read the
  // name's bytes as frame count and samples.
  if (!walkNames(reader, printer, boneCount)) return Outcome::nameLengthRefused;
  const std::int32_t frameCount = reader.i32(kFrameCount);
  printer.frameCount(reader.last(), frameCount);
  const std::uint8_t precision = reader.u8(kPrecision);
  printer.precision(reader.last(), precision);
  walkBones(reader, printer, boneCount, frameCount);
  return Outcome::complete;
}

// Reads the file through `printer`; the exit code: 1 when the file ends early.
int walkFile(std::istream& file, Printer& printer) {
  FieldReader reader(file);
  Ending ending;
  try {
    ending.outcome = walkAnimation(reader, printer);
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

}  // namespace bafdump
