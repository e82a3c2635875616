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
#include <string>
#include <string_view>

#include "common/document_reader.hpp"
#include "common/json_report.hpp"
#include "printer.hpp"
#include "run.hpp"

namespace skndump {
namespace {

// The document of a dump: its format, and the members that number its records.
constexpr std::string_view kNumbering[] = {kVertex.numbering};
constexpr common::DocumentFormat kDocument{"skn", kNumbering};
constexpr const char* kOutcomeNames[] = {"complete", "fileEndsEarly", "headerRefused",
                                         "weightRefused"};

constexpr int kExtensionFlagCount = 2;
constexpr int kCFloatCount = 3;

void walkXzy(common::Walk& walk, const Scope& scope, const XzyFields& fields) {
  walk.open(scope);
  for (const Field& field : fields) walk.real(field);
  walk.close();
}

void walkExtensionBlock(common::Walk& walk) {
  walk.open(kExtension);
  walk.open(kExtensionFlags);
  for (int flag = 0; flag < kExtensionFlagCount; ++flag) walk.integer(kExtensionFlag);
  walk.close();
  walk.real(kSecondWeight);
  walk.open(kCFloats);
  for (int i = 0; i < kCFloatCount; ++i) walk.real(kCFloat);
  walk.close();
  walk.close();
}

// Walks one vertex record; false when its weight is neither 1.0 nor 0.5 and the walk must stop.
bool walkVertex(common::Walk& walk, std::int64_t vertex) {
  walk.open(kVertex, vertex);
  walkXzy(walk, kPosition, kPositionXzy);
  for (const Field* flag : {&kFlagA, &kBone, &kFlagC}) walk.integer(*flag);
  const float weight = walk.real(kWeight);
  walkXzy(walk, kEnvelope, kEnvelopeXzy);
  // Exact comparisons; a NaN weight equals neither and takes the error path.
  if (weight != kFullWeight && weight != kHalfWeight) return false;
  if (weight == kHalfWeight) walkExtensionBlock(walk);
  walk.close();
  return true;
}

void walkNames(common::Walk& walk) {
  const std::int64_t nameCount = walk.integer(kNameCount);
  walk.open(kNames);
  // One buffer serves every name: each is printed as soon as it is read.
  std::array<char, UINT16_MAX> name{};
  for (std::int64_t number = 1; number <= nameCount; ++number) {
    walk.open(kNameRecord, number);
    const std::int64_t length = walk.integer(kNameLength);
    walk.name(kName, name.data(), static_cast<std::size_t>(length));
    walk.close();
  }
  walk.close();
}

Ending walkSkin(common::Walk& walk) {
  const std::int64_t header = walk.integer(kHeader);
  const std::int64_t vertexCount = walk.integer(kVertexCount);
  if (header != kExpectedHeader) {
    return {Outcome::headerRefused, &kHeader, common::isNot("header", header, kExpectedHeader)};
  }
  walk.open(kVertices);
  // Each vertex is printed as it is read and then forgotten, so any count is dumped whole.
  for (std::int64_t vertex = 1; vertex <= vertexCount; ++vertex) {
    if (!walkVertex(walk, vertex)) {
      return {Outcome::weightRefused, &kWeight, "the weight is neither 1 nor 0.5"};
    }
  }
  walk.close();
  walkNames(walk);
  return Outcome::complete;
}

}  // namespace

int run(common::ByteSource& input, const char* path, common::Form form) {
  if (form == common::Form::json) {
    common::DumpDocument<Outcome> document(kDocument.format, path, kOutcomeNames);
    return common::dumpFile(input, document, walkSkin);
  }
  if (form == common::Form::svg) return drawSkin(input, path, walkSkin);
  return common::dumpFile(input, *makeTextPrinter(path), walkSkin);
}

int reverse(common::ByteSource& document, std::string_view name, common::ByteSink& file) {
  return common::readDocument(document, name, kDocument,
                              [](common::Walk& walk) { return common::checkStopOf(walkSkin(walk)); }, file);
}

}  // namespace skndump
