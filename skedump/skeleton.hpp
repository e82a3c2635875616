#pragma once

// The skeleton format (.ske), described once: its fields and its document's scopes, each named
// once (key in the document, label in the text report, type), and the walk that reads them.
//
// Layout, little-endian: i32 header value (must be 1), i32 bone count, then per bone a u16 name
// length L (at most 128), L name bytes, a u16 short value and twelve floats in three rows of
// four. The walk hands every field to a printer the moment it has been read, so a file that ends
// early shows everything before the break, and then what stopped the run.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

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
// As the document's "end" names them.
inline constexpr const char* kOutcomeNames[] = {"complete", "fileEndsEarly", "headerRefused",
                                                "nameLengthRefused"};

using Ending = common::Ending<Outcome>;
using Printer = common::DumpPrinter<Outcome>;

inline constexpr Field kHeader{"header", "header1", FieldType::i32};
inline constexpr Field kBoneCount{"boneCount", "NumberOfBones", FieldType::i32};
inline constexpr Scope kBones{.kind = Scope::Kind::array, .key = "bones"};
inline constexpr Scope kBone{.kind = Scope::Kind::record, .numbering = "number"};
inline constexpr Field kNameLength{"nameLength", "NameTextLength", FieldType::u16};
inline constexpr Field kName{"name", "BoneName", FieldType::name};
inline constexpr Field kShort{"short", "Short", FieldType::u16};
inline constexpr Scope kFloats{
    .kind = Scope::Kind::array, .key = "floats", .shownWithFirstField = true};
inline constexpr Field kFloat{{}, "Floats", FieldType::f32};  // twelve, in three rows of four

constexpr int kFloatsPerBone = 12;

// Walks one bone entry; the stop when its name length is refused.
inline std::optional<Ending> walkBone(common::Walk& walk, std::int64_t bone) {
  walk.open(kBone, bone);
  const std::int64_t nameLength = walk.integer(kNameLength);
  if (nameLength > kMaxNameLength) {
    return Ending{Outcome::nameLengthRefused, &kNameLength,
                  common::isAbove("name length", nameLength, kMaxNameLength)};
  }
  std::array<char, kMaxNameLength> name{};
  walk.name(kName, name.data(), static_cast<std::size_t>(nameLength));
  walk.integer(kShort);
  walk.open(kFloats);
  for (int i = 0; i < kFloatsPerBone; ++i) walk.real(kFloat);
  walk.close();
  walk.close();
  return std::nullopt;
}

inline Ending walkSkeleton(common::Walk& walk) {
  const std::int64_t header = walk.integer(kHeader);
  const std::int64_t boneCount = walk.integer(kBoneCount);
  if (header != kExpectedHeader) {
    return {Outcome::headerRefused, &kHeader, common::isNot("header", header, kExpectedHeader)};
  }
  walk.open(kBones);
  // Each bone is printed as it is read and then forgotten, so any count is dumped whole.
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    if (std::optional<Ending> stop = walkBone(walk, bone)) return *stop;
  }
  walk.close();
  return Outcome::complete;
}

// The labelled text report.
std::unique_ptr<Printer> makeTextPrinter(const char* path);

}  // namespace skedump
