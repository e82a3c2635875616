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
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/document_reader.hpp"
#include "printer.hpp"
#include "run.hpp"

namespace skndump {
namespace {

// The document of a dump: its format, and the members that number its records.
constexpr std::string_view kNumbering[] = {"number"};
constexpr common::DocumentFormat kDocument{"skn", kNumbering};

constexpr FieldName kHeader{"header1", "header"};
constexpr FieldName kVertexCount{"NumberOf Verticies", "vertexCount"};
constexpr std::array<FieldName, 3> kPosition{
    {{"Vertex Pos", "position/x"}, {"Vertex Pos", "position/z"}, {"Vertex Pos", "position/y"}}};
constexpr std::array<FieldName, 3> kFlags{
    {{"flagA", "flagA"}, {"bone", "bone"}, {"flagC", "flagC"}}};
constexpr FieldName kWeight{"Weight", "weight"};
constexpr std::array<FieldName, 3> kEnvelope{
    {{"Envelope", "envelope/x"}, {"Envelope", "envelope/z"}, {"Envelope", "envelope/y"}}};
// The extension block's fields, named within the extension.
constexpr FieldName kExtensionFlag{"_EX flag", "flags"};
constexpr FieldName kSecondWeight{"second Weight", "weight"};
constexpr FieldName kCFloat{"C_Float", "cFloats"};
constexpr FieldName kNameCount{"Number of Names", "nameCount"};
constexpr FieldName kNameLength{"name length", "length"};
constexpr FieldName kName{"Text", "name"};

constexpr std::array<Axis, 3> kStoredAxes{Axis::x, Axis::z, Axis::y};
constexpr int kExtensionFlags = 2;
constexpr int kCFloats = 3;

void walkExtensionBlock(common::FieldReader& reader, Printer& printer) {
  printer.beginExtension(reader.offset());
  for (int flag = 1; flag <= kExtensionFlags; ++flag) {
    const std::int8_t value = reader.i8(kExtensionFlag, flag - 1);
    printer.extensionFlag(flag, reader.last(), value);
  }
  const float secondWeight = reader.f32(kSecondWeight);
  printer.secondWeight(reader.last(), secondWeight);
  for (int i = 0; i < kCFloats; ++i) {
    const float value = reader.f32(kCFloat, i);
    printer.cFloat(i, reader.last(), value);
  }
  printer.endExtension(reader.offset());
}

// Walks one vertex record; false when its weight is neither 1.0 nor 0.5 and the walk must stop.
bool walkVertex(common::FieldReader& reader, Printer& printer, std::int64_t vertex) {
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

void walkNames(common::FieldReader& reader, Printer& printer) {
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

Ending walkSkin(common::FieldReader& reader, Printer& printer) {
  const std::int32_t header = reader.i32(kHeader);
  printer.header(reader.last(), header);
  const std::int32_t vertexCount = reader.i32(kVertexCount);
  printer.vertexCount(reader.last(), vertexCount);
  if (header != kExpectedHeader) {
    return {Outcome::headerRefused, kHeader, common::isNot("header", header, kExpectedHeader)};
  }
  printer.beginVertices();
  // Each vertex is printed as it is read and then forgotten, so any count is dumped whole.
  for (std::int64_t vertex = 1; vertex <= vertexCount; ++vertex) {
    if (!walkVertex(reader, printer, vertex)) {
      return {Outcome::weightRefused, kWeight, "the weight is neither 1 nor 0.5"};
    }
  }
  walkNames(reader, printer);
  return Outcome::complete;
}

}  // namespace

int run(const char* path, common::Form form, std::istream* opened) {
  if (form == common::Form::json) {
    common::JsonReport report(stdout, kDocument.format, path);
    return common::dumpFile<Outcome>(path, *makeJsonPrinter(report), walkSkin, opened);
  }
  if (form == common::Form::svg) return drawSkin(path, walkSkin, opened);
  return common::dumpFile<Outcome>(path, *makeTextPrinter(path), walkSkin, opened);
}

int reverse(const char* document, const char* output, std::string* written) {
  return common::writeFromDocument(
      document, output, kDocument,
      [](common::FieldReader& reader, common::JsonReport& shape) {
        return common::checkStopOf(walkSkin(reader, *makeJsonPrinter(shape)));
      },
      written);
}

}  // namespace skndump
