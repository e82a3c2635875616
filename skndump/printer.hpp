#pragma once

// The fields of a skin file and its document's scopes, each named once: key in the document,
// label in the text report, type. The walk reads them in file order and hands each to a printer
// the moment it has been read: the labelled text report, the document of --json, or the
// picture's printers.

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

using Ending = common::Ending<Outcome>;
using Printer = common::DumpPrinter<Outcome>;

// The three floats of a position or an envelope, in the order the file stores them.
enum class Axis { x, z, y };
using XzyFields = std::array<Field, 3>;

inline constexpr Field kHeader{"header", "header1", FieldType::i32};
inline constexpr Field kVertexCount{"vertexCount", "NumberOf Verticies", FieldType::i32};
inline constexpr Scope kVertices{Scope::Kind::array, "vertices"};
inline constexpr Scope kVertex{Scope::Kind::record, {}, "number"};
inline constexpr Scope kPosition{Scope::Kind::object, "position", {}, false, true};
inline constexpr XzyFields kPositionXzy{{{"x", "Vertex Pos", FieldType::f32},
                                         {"z", "Vertex Pos", FieldType::f32},
                                         {"y", "Vertex Pos", FieldType::f32}}};
inline constexpr Field kFlagA{"flagA", "flagA", FieldType::i8};
inline constexpr Field kBone{"bone", "bone", FieldType::i8};  // the bone the vertex belongs to
inline constexpr Field kFlagC{"flagC", "flagC", FieldType::i8};
inline constexpr Field kWeight{"weight", "Weight", FieldType::f32};
inline constexpr Scope kEnvelope{Scope::Kind::object, "envelope", {}, false, true};
inline constexpr XzyFields kEnvelopeXzy{{{"x", "Envelope", FieldType::f32},
                                         {"z", "Envelope", FieldType::f32},
                                         {"y", "Envelope", FieldType::f32}}};
// The extension block of a vertex of weight 0.5.
inline constexpr Scope kExtension{Scope::Kind::record, "extension"};
inline constexpr Scope kExtensionFlags{Scope::Kind::array, "flags", {}, false, true};
inline constexpr Field kExtensionFlag{{}, "_EX flag", FieldType::i8};  // two
inline constexpr Field kSecondWeight{"weight", "second Weight", FieldType::f32};
inline constexpr Scope kCFloats{Scope::Kind::array, "cFloats", {}, false, true};
inline constexpr Field kCFloat{{}, "C_Float", FieldType::f32};  // three
inline constexpr Field kNameCount{"nameCount", "Number of Names", FieldType::u16};
inline constexpr Scope kNames{Scope::Kind::array, "names"};
inline constexpr Scope kNameRecord{Scope::Kind::record, {}, "number"};
inline constexpr Field kNameLength{"length", "name length", FieldType::u16};
inline constexpr Field kName{"name", "Text", FieldType::name};

// The axis of a float of `fields`, or nothing for another field.
inline std::optional<Axis> axisOf(const Field& field, const XzyFields& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (&field == &fields[i]) return static_cast<Axis>(i);
  }
  return std::nullopt;
}

std::unique_ptr<Printer> makeTextPrinter(const char* path);

// The walk of a skin file, which its picture may take more than once.
using SkinWalk = Ending (*)(common::Walk& walk);
// Draws the skin `input`, named `path`, as an SVG picture on standard output: three views of the positions,
// coloured by bone. Its scale depends on every position, so the file is walked once to survey it,
// and a file of many vertices once more a view. Returns the exit code of the dump.
int drawSkin(common::ByteSource& input, const char* path, SkinWalk walk);

}  // namespace skndump
