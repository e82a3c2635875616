#pragma once

// The fields of an animation file and its document's scopes, each named once: key in the
// document, label in the text report, type. The walk reads them in file order, decodes the
// samples, and hands each to a printer the moment it has been read: the text report, the
// document of --json, or the picture.

#include <cstdint>
#include <memory>

#include "common/walk.hpp"
#include "sample_decoding.hpp"

namespace bafdump {

using common::Field;
using common::FieldType;
using common::Scope;
using common::Span;

// The checks of the format: the header value an animation must have, and the longest name.
constexpr std::int32_t kExpectedHeader = 3;
constexpr std::uint16_t kMaxNameLength = 31;

enum class Outcome { complete, fileEndsEarly, headerRefused, nameLengthRefused };

using Ending = common::Ending<Outcome>;

using Printer = common::DumpPrinter<Outcome>;

inline constexpr Field kHeader{"header", "header", FieldType::i32};
inline constexpr Field kBoneCount{"boneCount", "bone count", FieldType::u16};
inline constexpr Scope kNames{Scope::Kind::array, "names"};
inline constexpr Scope kNameRecord{Scope::Kind::record, {}, "bone", true};  // numbered by its bone
inline constexpr Field kNameLength{"length", "name length", FieldType::u16};
inline constexpr Field kName{"name", "name", FieldType::name};
inline constexpr Field kFrameCount{"frameCount", "frame count", FieldType::i32};
inline constexpr Field kPrecision{"precision", "precision", FieldType::u8};
inline constexpr Scope kBones{Scope::Kind::array, "bones"};
inline constexpr Scope kBone{Scope::Kind::record, {}, "bone", true};
inline constexpr Field kBonePrefix{"prefix", "bone prefix word", FieldType::u16};
inline constexpr Scope kComponents{Scope::Kind::array, "components"};
inline constexpr Scope kComponent{Scope::Kind::record, {}, "component", true};
inline constexpr Field kComponentPrefix{"prefix", "component prefix word", FieldType::u16};
inline constexpr Scope kRuns{Scope::Kind::array, "runs"};
// A run is shown once its control word is read; its repeat flag and length follow, made of it.
inline constexpr Scope kRun{Scope::Kind::record, {}, {}, false, true};
inline constexpr Field kControlWord{"control", "control word", FieldType::u16};
inline constexpr Scope kValues{Scope::Kind::array, "values"};
// A repeat run's one sample stands for all `length` of them.
inline constexpr Field kRepeatedSample{{}, "repeated sample", FieldType::q15};
inline constexpr Field kSample{{}, "sample", FieldType::q15};

std::unique_ptr<Printer> makeTextPrinter(const char* path);
// The picture: an SVG document of every component's samples over the frames.
std::unique_ptr<Printer> makeSvgPrinter(const char* path);

}  // namespace bafdump
