// skndump: prints a labelled report of a skin file (.skn).
//
// Layout, little-endian: i32 header value (must be 1), i32 vertex count, the vertex records,
// then a u16 name count and that many names (u16 length L, L bytes). A vertex record is 31
// bytes: position (floats X, Z, Y), three signed bytes flagA, bone and flagC, the weight (must
// be exactly 1.0 or 0.5) and the envelope (floats X, Z, Y). A vertex of weight 0.5 carries an
// 18-byte extension block: two signed flag bytes, a second weight and three C_Floats.
// Every line is written the moment its fields have been read, so a file that ends early shows
// everything before the break, then one "***ERROR" line.

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

namespace skndump {
namespace {

constexpr std::string_view kNameRule = "\n================\n";
constexpr std::int32_t kExpectedHeader = 1;
constexpr float kFullWeight = 1.0f;
constexpr float kHalfWeight = 0.5f;  // the weight that announces an extension block

// Where a read ran out of file: the offset of the end and the field being read.
struct FileEndsEarly {
  std::uint64_t endOffset;
  std::string field;
};

// Reads little-endian fields front to back and knows the offset of each; a short read throws
// FileEndsEarly naming the field and the record being read.
class FieldReader {
 public:
  explicit FieldReader(std::istream& in) : in_(in) {}

  void enterRecord(const char* kind, std::int64_t number) {
    recordKind_ = kind;
    recordNumber_ = number;
  }

  std::int32_t i32(const char* field) { return static_cast<std::int32_t>(littleEndian<4>(field)); }
  std::uint16_t u16(const char* field) {
    return static_cast<std::uint16_t>(littleEndian<2>(field));
  }
  // A signed byte, widened so that it prints as a number, never as a character.
  std::int16_t i8(const char* field) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(littleEndian<1>(field)));
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
      if (recordKind_ != nullptr) {
        where += std::string(" of ") + recordKind_ + " " + std::to_string(recordNumber_);
      }
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
  const char* recordKind_ = nullptr;
  std::int64_t recordNumber_ = 0;
};

// Three floats stored in the order X, Z, Y.
struct StoredXzy {
  float x, z, y;
};

StoredXzy readXzy(FieldReader& reader, const char* field) {
  const float x = reader.f32(field);
  const float z = reader.f32(field);
  const float y = reader.f32(field);
  return {x, z, y};
}

void dumpExtensionBlock(FieldReader& reader) {
  for (int flag = 1; flag <= 2; ++flag) {
    const std::int16_t value = reader.i8("_EX flag");
    printLine('\t', flag, "_EX flag(0.5): ", value);
  }
  const float secondWeight = reader.f32("second Weight");
  printLine("   Weight: ", secondWeight, "\t// Scale, weight or something");
  for (int i = 0; i < 3; ++i) {
    const float value = reader.f32("C_Float");
    printLine(" C_Float: ", value);
  }
}

void dumpFlags(FieldReader& reader) {
  struct Flag {
    const char* field;
    const char* label;
  };
  constexpr std::array<Flag, 3> kFlags{{{"flagA", "flagA:           "},
                                        {"bone", "Belongs to bone: "},
                                        {"flagC", "flagC:           "}}};
  for (const Flag& flag : kFlags) {
    const std::int16_t value = reader.i8(flag.field);
    printLine('\t', flag.label, value);
  }
}

// Dumps one vertex record; false when its weight is neither 1.0 nor 0.5 and the dump must stop.
bool dumpVertex(FieldReader& reader, std::int64_t vertex) {
  reader.enterRecord("vertex", vertex);
  printLine("*Reading Vertex #: ", vertex);
  printLine("___________________");
  const StoredXzy position = readXzy(reader, "Vertex Pos");
  printLine(" Vertex Pos_X: ", position.x);
  printLine(" Vertex Pos_Y: ", position.y);
  printLine(" Vertex Pos_Z: ", position.z);
  dumpFlags(reader);
  const float weight = reader.f32("Weight");
  printLine("   Weight: ", weight);
  const StoredXzy envelope = readXzy(reader, "Envelope");
  printLine("  Envelope_X: ", envelope.x);
  printLine("  Envelope_Y: ", envelope.y);
  printLine("  Envelope_Z: ", envelope.z);
  // Exact comparisons; a NaN weight equals neither and takes the error path.
  if (weight != kFullWeight && weight != kHalfWeight) {
    printLine("***ERROR*** ?_float (unknown1) = ", weight);
    return false;
  }
  if (weight == kHalfWeight) dumpExtensionBlock(reader);
  printLine();
  return true;
}

void dumpNames(FieldReader& reader) {
  reader.enterRecord(nullptr, 0);
  const std::uint16_t nameCount = reader.u16("Number of Names");
  printText(kNameRule, " Number of Names: ", nameCount, kNameRule);
  // One buffer serves every name: each is printed as soon as it is read.
  std::array<char, UINT16_MAX> name{};
  for (std::int32_t number = 1; number <= nameCount; ++number) {
    reader.enterRecord("name", number);
    const std::uint16_t length = reader.u16("name length");
    reader.bytes(name.data(), length, "Text");
    const void* nul = std::memchr(name.data(), '\0', length);
    const std::size_t shown =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - name.data()) : length;
    printLine("Text_", number, " :\t", std::string_view(name.data(), shown));
  }
}

void dumpSkin(FieldReader& reader) {
  const std::int32_t header = reader.i32("header1");
  printLine("(.skn)header1: ", header);
  const std::int32_t vertexCount = reader.i32("NumberOf Verticies");
  printLine("NumberOf Verticies: ", vertexCount);
  printLine("----------------");
  printLine();
  if (header != kExpectedHeader) {
    printLine("***ERROR***  Header != 1 __ ", header);
    return;
  }
  // Each vertex is printed as it is read and then forgotten, so any count is dumped whole.
  for (std::int64_t vertex = 1; vertex <= vertexCount; ++vertex) {
    if (!dumpVertex(reader, vertex)) return;
  }
  dumpNames(reader);
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
    dumpSkin(reader);
  } catch (const FileEndsEarly& end) {
    printLine("***ERROR ", path, " ends at byte ", end.endOffset, " while reading ", end.field);
    return 1;
  }
  return 0;
}

}  // namespace skndump
