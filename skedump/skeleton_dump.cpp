// skedump: prints a labelled report of a skeleton file (.ske).
//
// Layout, little-endian: i32 header value (must be 1), i32 bone count, then per bone a u16 name
// length L (at most 128), L name bytes, a u16 short value and twelve floats in three rows of
// four. The walk hands every field to a printer the moment it has been read, so a file that ends
// early shows everything before the break, and then what stopped the run.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/document_reader.hpp"
#include "common/json_report.hpp"
#include "printer.hpp"
#include "run.hpp"

namespace skedump {
namespace {

// The document of a dump: its format, and the members that number its records.
constexpr std::string_view kNumbering[] = {kBone.numbering};
constexpr common::DocumentFormat kDocument{"ske", kNumbering};
constexpr const char* kOutcomeNames[] = {"complete", "fileEndsEarly", "headerRefused",
                                         "nameLengthRefused"};

constexpr int kFloatsPerBone = 12;

// Walks one bone entry; the stop when its name length is refused.
std::optional<Ending> walkBone(common::Walk& walk, std::int64_t bone) {
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

Ending walkSkeleton(common::Walk& walk) {
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

}  // namespace

int run(common::ByteSource& input, const char* path, common::Form form) {
  if (form == common::Form::json) {
    common::DumpDocument<Outcome> document(kDocument.format, path, kOutcomeNames);
    return common::dumpFile(input, document, walkSkeleton);
  }
  return common::dumpFile(input, *makeTextPrinter(path), walkSkeleton);
}

int reverse(common::ByteSource& document, std::string_view name, common::ByteSink& file) {
  return common::readDocument(document, name, kDocument,
                              [](common::Walk& walk) { return common::checkStopOf(walkSkeleton(walk)); }, file);
}

}  // namespace skedump
