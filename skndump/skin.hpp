#pragma once

// The skin format (.skn), described once: its fields and its document's scopes, each named once
// (key in the document, label in the text report, type), and the walk that reads them.
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
#include <memory>
#include <optional>

#include "common/walk.hpp"

namespace skndump {

using common::Field;
using common::FieldType;
using common::Scope;
using common::Span;

// The checks of the format: the header value a skin must have, and the two weights a vertex
// may have; the half weight announces an extension block.
constexpr std::int32_t kExpectedHeader = 1;
constexpr float kFullWeight = 1.0f;
constexpr float kHalfWeight = 0.5f;

enum class Outcome { complete, fileEndsEarly, headerRefused, weightRefused };
// As the document's "end" names them.
inline constexpr const char* kOutcomeNames[] = {"complete", "fileEndsEarly", "headerRefused",
                                                "weightRefused"};

using Ending = common::Ending<Outcome>;
using Printer = common::DumpPrinter<Outcome>;

// The three floats of a position or an envelope, in the order the file stores them.
enum class Axis { x, z, y };
using XzyFields = std::array<Field, 3>;

inline constexpr Field kHeader{"header", "header1", FieldType::i32};
inline constexpr Field kVertexCount{"vertexCount", "NumberOf Verticies", FieldType::i32};
inline constexpr Scope kVertices{.kind = Scope::Kind::array, .key = "vertices"};
inline constexpr Scope kVertex{.kind = Scope::Kind::record, .numbering = "number"};
inline constexpr Scope kPosition{
    .kind = Scope::Kind::object, .key = "position", .shownWithFirstField = true};
inline constexpr XzyFields kPositionXzy{{{"x", "Vertex Pos", FieldType::f32},
                                         {"z", "Vertex Pos", FieldType::f32},
                                         {"y", "Vertex Pos", FieldType::f32}}};
inline constexpr Field kFlagA{"flagA", "flagA", FieldType::i8};
inline constexpr Field kBone{"bone", "bone", FieldType::i8};  // the bone the vertex belongs to
inline constexpr Field kFlagC{"flagC", "flagC", FieldType::i8};
inline constexpr Field kWeight{"weight", "Weight", FieldType::f32};
inline constexpr Scope kEnvelope{
    .kind = Scope::Kind::object, .key = "envelope", .shownWithFirstField = true};
inline constexpr XzyFields kEnvelopeXzy{{{"x", "Envelope", FieldType::f32},
                                         {"z", "Envelope", FieldType::f32},
                                         {"y", "Envelope", FieldType::f32}}};
// The extension block of a vertex of weight 0.5.
inline constexpr Scope kExtension{.kind = Scope::Kind::record, .key = "extension"};
inline constexpr Scope kExtensionFlags{
    .kind = Scope::Kind::array, .key = "flags", .shownWithFirstField = true};
inline constexpr Field kExtensionFlag{{}, "_EX flag", FieldType::i8};  // two
inline constexpr Field kSecondWeight{"weight", "second Weight", FieldType::f32};
inline constexpr Scope kCFloats{
    .kind = Scope::Kind::array, .key = "cFloats", .shownWithFirstField = true};
inline constexpr Field kCFloat{{}, "C_Float", FieldType::f32};  // three
inline constexpr Field kNameCount{"nameCount", "Number of Names", FieldType::u16};
inline constexpr Scope kNames{.kind = Scope::Kind::array, .key = "names"};
inline constexpr Scope kNameRecord{.kind = Scope::Kind::record, .numbering = "number"};
inline constexpr Field kNameLength{"length", "name length", FieldType::u16};
inline constexpr Field kName{"name", "Text", FieldType::name};

// The axis of a float of `fields`, or nothing for another field.
inline std::optional<Axis> axisOf(const Field& field, const XzyFields& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (&field == &fields[i]) return static_cast<Axis>(i);
  }
  return std::nullopt;
}

constexpr int kExtensionFlagCount = 2;
constexpr int kCFloatCount = 3;

inline void walkXzy(common::Walk& walk, const Scope& scope, const XzyFields& fields) {
  walk.open(scope);
  for (const Field& field : fields) walk.real(field);
  walk.close();
}

inline void walkExtensionBlock(common::Walk& walk) {
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
inline bool walkVertex(common::Walk& walk, std::int64_t vertex) {
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

inline void walkNames(common::Walk& walk) {
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

inline Ending walkSkin(common::Walk& walk) {
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

// The labelled text report.
std::unique_ptr<Printer> makeTextPrinter(const char* path);

// Draws the skin `input`, named `path`, as an SVG picture on standard output: three views of the
// positions, coloured by bone. Its scale depends on every position, so the file is walked once
// to survey it, and a file of many vertices once more a view. Returns the exit code of the dump.
int drawSkin(common::ByteSource& input, const char* path);

}  // namespace skndump
