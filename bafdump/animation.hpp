#pragma once

// The bone-animation format (.baf), described once: its fields and its document's scopes, each
// named once (key in the document, label in the text report, type), and the walk that reads them
// and decodes every sample.
//
// Layout, little-endian: i32 header (must be 3), u16 bone count N, N names (u16 length, at
// most 31, then the bytes), i32 frame count F, u8 precision, then per bone a prefix word and
// seven components, each a prefix word and a run-length-coded stream of sample words that
// covers F frames. The walk hands every field to a printer the moment it has been read, so a
// file that ends early shows everything before the break, and then what stopped the run.

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

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
// As the document's "end" names them.
inline constexpr const char* kOutcomeNames[] = {"complete", "fileEndsEarly", "headerRefused",
                                                "nameLengthRefused"};

using Ending = common::Ending<Outcome>;

using Printer = common::DumpPrinter<Outcome>;

inline constexpr Field kHeader{"header", "header", FieldType::i32};
inline constexpr Field kBoneCount{"boneCount", "bone count", FieldType::u16};
inline constexpr Scope kNames{.kind = Scope::Kind::array, .key = "names"};
// A name's record, numbered by its bone.
inline constexpr Scope kNameRecord{
    .kind = Scope::Kind::record, .numbering = "bone", .numberAfterOffset = true};
inline constexpr Field kNameLength{"length", "name length", FieldType::u16};
inline constexpr Field kName{"name", "name", FieldType::name};
inline constexpr Field kFrameCount{"frameCount", "frame count", FieldType::i32};
inline constexpr Field kPrecision{"precision", "precision", FieldType::u8};
inline constexpr Scope kBones{.kind = Scope::Kind::array, .key = "bones"};
inline constexpr Scope kBone{
    .kind = Scope::Kind::record, .numbering = "bone", .numberAfterOffset = true};
inline constexpr Field kBonePrefix{"prefix", "bone prefix word", FieldType::u16};
inline constexpr Scope kComponents{.kind = Scope::Kind::array, .key = "components"};
inline constexpr Scope kComponent{
    .kind = Scope::Kind::record, .numbering = "component", .numberAfterOffset = true};
inline constexpr Field kComponentPrefix{"prefix", "component prefix word", FieldType::u16};
inline constexpr Scope kRuns{.kind = Scope::Kind::array, .key = "runs", .samplesByFrame = true};
// A run is shown once its control word is read; its repeat flag and length follow, made of it.
inline constexpr Scope kRun{.kind = Scope::Kind::record, .shownWithFirstField = true};
inline constexpr Field kControlWord{"control", "control word", FieldType::u16};
inline constexpr Scope kValues{.kind = Scope::Kind::array, .key = "values"};
// A repeat run's one sample stands for all `length` of them.
inline constexpr Field kRepeatedSample{{}, "repeated sample", FieldType::q15};
inline constexpr Field kSample{{}, "sample", FieldType::q15};

constexpr int kComponentsPerBone = 7;

// The value of a sample word, decoded once per word and then remembered: a dump may print
// millions of samples, and there are only 65536 words. The two walks of --diff run on threads of
// their own: each word's entry is one atomic, the bits of its value plus one, 0 until it is
// decoded (no sample is the NaN of all ones).
inline float sampleValue(std::uint16_t word) {
  static std::array<std::atomic<std::uint32_t>, 65536> remembered{};
  std::atomic<std::uint32_t>& entry = remembered[word];
  std::uint32_t stored = entry.load(std::memory_order_relaxed);
  if (stored == 0) {
    stored = std::bit_cast<std::uint32_t>(decodeSample(word, kSampleStartExponent)) + 1;
    entry.store(stored, std::memory_order_relaxed);
  }
  return std::bit_cast<float>(stored - 1);
}

// Walks the runs of one component stream. The frame test comes only before a control word, so
// a run is always read whole, even when it overshoots the frame count.
inline void walkComponentStream(common::Walk& walk, std::int64_t frameCount) {
  walk.open(kRuns);
  // 64-bit, so that a frame count of INT32_MAX plus a last run of 127 cannot wrap.
  for (std::int64_t frame = 1; frame <= frameCount;) {
    walk.open(kRun);
    const ControlWord run =
        splitControlWord(static_cast<std::uint16_t>(walk.integer(kControlWord)));
    walk.derived("repeat", run.repeat, true);
    walk.derived("length", run.length);
    walk.open(kValues);
    if (run.repeat) {
      walk.sample(kRepeatedSample, sampleValue, run.length);
    } else {
      for (int i = 0; i < run.length; ++i) walk.sample(kSample, sampleValue, 1);
    }
    walk.close();
    walk.close();
    frame += run.length;
  }
  walk.close();
}

// Walks the bone names; the stop at a name length above the limit, which ends the walk.
inline std::optional<Ending> walkNames(common::Walk& walk, std::int64_t boneCount) {
  walk.open(kNames);
  std::array<char, kMaxNameLength> name{};
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    walk.open(kNameRecord, bone);
    const std::int64_t length = walk.integer(kNameLength);
    if (length > kMaxNameLength) {
      return Ending{Outcome::nameLengthRefused, &kNameLength,
                    common::isAbove("name length", length, kMaxNameLength)};
    }
    walk.name(kName, name.data(), static_cast<std::size_t>(length));
    walk.close();
  }
  walk.close();
  return std::nullopt;
}

inline void walkBones(common::Walk& walk, std::int64_t boneCount, std::int64_t frameCount) {
  walk.open(kBones);
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    walk.open(kBone, bone);
    walk.integer(kBonePrefix);
    walk.open(kComponents);
    for (int component = 1; component <= kComponentsPerBone; ++component) {
      walk.open(kComponent, component);
      walk.integer(kComponentPrefix);
      walkComponentStream(walk, frameCount);
      walk.close();
    }
    walk.close();
    walk.close();
  }
  walk.close();
}

inline Ending walkAnimation(common::Walk& walk) {
  const std::int64_t header = walk.integer(kHeader);
  const std::int64_t boneCount = walk.integer(kBoneCount);
  if (header != kExpectedHeader) {
    return {Outcome::headerRefused, &kHeader, common::isNot("header", header, kExpectedHeader)};
  }
  // After an over-long name the rest of the file cannot be placed: stop rather than read the
  // name's bytes as frame count and samples.
  if (std::optional<Ending> stop = walkNames(walk, boneCount)) return *stop;
  const std::int64_t frameCount = walk.integer(kFrameCount);
  walk.integer(kPrecision);
  walkBones(walk, boneCount, frameCount);
  return Outcome::complete;
}

// The component and the bone a field is read in, as the report's lines name them: " of component
// 3 of bone 2"; 0 for none.
inline std::string within(int component, std::int64_t bone) {
  std::string text;
  if (component > 0) text += " of component " + std::to_string(component);
  if (bone > 0) text += " of bone " + std::to_string(bone);
  return text;
}

// The text report.
std::unique_ptr<Printer> makeTextPrinter(const char* path);
// Draws the animation `input`, named `path`, as an SVG picture on standard output: every
// component's samples over the frames. Returns the exit code of the dump.
int drawAnimation(common::ByteSource& input, const char* path);

}  // namespace bafdump
