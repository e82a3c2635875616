// skndump: prints a labelled report of a skin file (.skn).
//
// Layout, little-endian: i32 header value (must be 1), i32 vertex count, the vertex records,
// then a u16 name count and that many names (u16 length L, L bytes). A vertex record is 31
// bytes: position (floats X, Z, Y), three signed bytes flagA, bone and flagC, the weight (must
// be exactly 1.0 or 0.5) and the envelope (floats X, Z, Y). A vertex of weight 0.5 carries an
// 18-byte extension block: two signed flag bytes, a second weight and three C_Floats.
// The walk hands every field to a printer the moment it has been read, so a file that ends
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

namespace skndump {
namespace {

constexpr FieldName kHeader{"header1", "header"};
constexpr FieldName kVertexCount{"NumberOf Verticies", "vertexCount"};
constexpr std::array<FieldName, 3> kPosition{
    {{"Vertex Pos", "position/x"}, {"Vertex Pos", "position/z"}, {"Vertex Pos", "position/y"}}};
constexpr std::array<FieldName, 3> kFlags{
    {{"flagA", "flagA"}, {"bone", "bone"}, {"flagC", "flagC"}}};
constexpr FieldName kWeight{"Weight", "weight"};
constexpr std::array<FieldName, 3> kEnvelope{
    {{"Envelope", "envelope/x"}, {"Envelope", "envelope/z"}, {"Envelope", "envelope/y"}}};
constexpr FieldName kExtensionFlag{"_EX flag", "extension/flags"};
constexpr FieldName kSecondWeight{"second Weight", "extension/weight"};
constexpr FieldName kCFloat{"C_Float", "extension/cFloats"};
constexpr FieldName kNameCount{"Number of Names", "nameCount"};
constexpr FieldName kNameLength{"name length", "length"};
constexpr FieldName kName{"Text", "name"};

constexpr std::array<Axis, 3> kStoredAxes{Axis::x, Axis::z, Axis::y};
constexpr int kExtensionFlags = 2;
constexpr int kCFloats = 3;

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
  std::int8_t i8(FieldName field, std::int64_t index = -1) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(littleEndian<1>(field, index)));
  }
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

void walkExtensionBlock(FieldReader& reader, Printer& printer) {
  printer.beginExtension(reader.offset());
  for (int flag = 1; flag <= kExtensionFlags; ++flag) {
    const std::int8_t value = reader.i8(kExtensionFlag, flag - 1);
    printer.extensionFlag(flag, reader.last(), value);
  }
  const float secondWeight = reader.f32(kSecondWeight);
  printer.secondWeight(reader.last(), secondWeight);
  for (int i = 0; i < kCFloats; ++i) {
    const float value = reader.f32(kCFloat, i);
    printer.cFloat(reader.last(), value);
  }
  printer.endExtension(reader.offset());
}

// Walks one vertex record; false when its weight is neither 1.0 nor 0.5 and the walk must stop.
bool walkVertex(FieldReader& reader, Printer& printer, std::int64_t vertex) {
  printer.beginVertex(vertex, reader.offset());
  for (std::size_t i = 0; i < kStoredAxes.size(); ++i) {
    const float value = reader.f32(kPosition[i]);
    printer.position(kStoredAxes[i], reader.last(), value);
  }
  for (std::size_t i = 0; i < kFlags.size(); ++i) {
    const std::int8_t value = reader.i8(kFlags[i]);
    printer.flag(static_cast<int>(i), reader.last(), value);
  }
  const float weight = reader.f32(kWeight);
  printer.weight(reader.last(), weight);
  for (std::size_t i = 0; i < kStoredAxes.size(); ++i) {
    const float value = reader.f32(kEnvelope[i]);
    printer.envelope(kStoredAxes[i], reader.last(), value);
  }
  // Exact comparisons; a NaN weight equals neither and takes the error path.
  if (weight != kFullWeight && weight != kHalfWeight) return false;
  if (weight == kHalfWeight) walkExtensionBlock(reader, printer);
  printer.endVertex(reader.offset());
  return true;
}

void walkNames(FieldReader& reader, Printer& printer) {
  const std::uint16_t nameCount = reader.u16(kNameCount);
  printer.nameCount(reader.last(), nameCount);
  // One buffer serves every name: each is printed as soon as it is read.
  std::array<char, UINT16_MAX> name{};
  for (std::int64_t number = 1; number <= nameCount; ++number) {
    printer.beginName(number, reader.offset());
    const std::uint16_t length = reader.u16(kNameLength);
    printer.nameLength(reader.last(), length);
    reader.bytes(name.data(), length, kName);
    printer.name(reader.last(), std::string_view(name.data(), length));
    printer.endName(reader.offset());
  }
}

Outcome walkSkin(FieldReader& reader, Printer& printer) {
  const std::int32_t header = reader.i32(kHeader);
  printer.header(reader.last(), header);
  const std::int32_t vertexCount = reader.i32(kVertexCount);
  printer.vertexCount(reader.last(), vertexCount);
  if (header != kExpectedHeader) return Outcome::headerRefused;
  printer.beginVertices();
  // Each vertex is printed as it is read and then forgotten, so any count is dumped whole.
  for (std::int64_t vertex = 1; vertex <= vertexCount; ++vertex) {
    if (!walkVertex(reader, printer, vertex)) return Outcome::weightRefused;
  }
  walkNames(reader, printer);
  return Outcome::complete;
}

// Reads the file through `printer`; the exit code: 1 when the file ends early.
int walkFile(std::istream& file, Printer& printer) {
  FieldReader reader(file);
  Ending ending;
  try {
    ending.outcome = walkSkin(reader, printer);
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

}  // namespace skndump
