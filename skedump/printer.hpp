#pragma once

// The fields of a skeleton file and its document's scopes, each named once: key in the document,
// label in the text report, type. The walk reads them in file order and hands each to a printer
// the moment it has been read: the labelled text report, or the document of --json.

#include <cstdint>
#include <memory>

#include "common/walk.hpp"

namespace skedump {

using common::Field;
using common::FieldType;
using common::Scope;
using common::Span;

// The checks of the format: the header value a skeleton must have, and the longest name.
constexpr std::int32_t kExpectedHeader = 1;
constexpr std::uint16_t kMaxNameLength = 128;

enum class Outcome { complete, fileEndsEarly, headerRefused, nameLengthRefused };

using Ending = common::Ending<Outcome>;
using Printer = common::DumpPrinter<Outcome>;

inline constexpr Field kHeader{"header", "header1", FieldType::i32};
inline constexpr Field kBoneCount{"boneCount", "NumberOfBones", FieldType::i32};
inline constexpr Scope kBones{Scope::Kind::array, "bones"};
inline constexpr Scope kBone{Scope::Kind::record, {}, "number"};
inline constexpr Field kNameLength{"nameLength", "NameTextLength", FieldType::u16};
inline constexpr Field kName{"name", "BoneName", FieldType::name};
inline constexpr Field kShort{"short", "Short", FieldType::u16};
inline constexpr Scope kFloats{Scope::Kind::array, "floats", {}, false, true};
inline constexpr Field kFloat{{}, "Floats", FieldType::f32};  // twelve, in three rows of four

std::unique_ptr<Printer> makeTextPrinter(const char* path);

}  // namespace skedump
