// bafdump: prints a report of a bone-animation file (.baf), every sample decoded.
//
// Layout, little-endian: i32 header (must be 3), u16 bone count N, N names (u16 length, at
// most 31, then the bytes), i32 frame count F, u8 precision, then per bone a prefix word and
// seven components, each a prefix word and a run-length-coded stream of sample words that
// covers F frames. The walk hands every field to a printer the moment it has been read, so a
// file that ends early shows everything before the break, and then what stopped the run.

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/document_reader.hpp"
#include "common/json_report.hpp"
#include "printer.hpp"
#include "run.hpp"
#include "sample_decoding.hpp"

namespace bafdump {
namespace {

// The document of a dump: its format, and the members that number its records.
constexpr std::string_view kNumbering[] = {kBone.numbering, kComponent.numbering};
constexpr common::DocumentFormat kDocument{"baf", kNumbering};
constexpr const char* kOutcomeNames[] = {"complete", "fileEndsEarly", "headerRefused",
                                         "nameLengthRefused"};

constexpr int kComponentsPerBone = 7;

// The value of a sample word, decoded once per word and then remembered: a dump may print
// millions of samples, and there are only 65536 words.
float sampleValue(std::uint16_t word) {
  static std::array<float, 65536> values;
  static std::bitset<65536> decoded;
  if (!decoded[word]) {
    values[word] = decodeSample(word, kSampleStartExponent);
    decoded[word] = true;
  }
  return values[word];
}

// Walks the runs of one component stream. The frame test comes only before a control word, so
// a run is always read whole, even when it overshoots the frame count.
void walkComponentStream(common::Walk& walk, std::int64_t frameCount) {
  walk.open(kRuns);
  // 64-bit, so that a frame count of INT32_MAX plus a last run of 127 cannot wrap.
  for (std::int64_t frame = 1; frame <= frameCount;) {
    walk.open(kRun);
    const ControlWord run = splitControlWord(static_cast<std::uint16_t>(walk.integer(kControlWord)));
    walk.derived("repeat", run.repeat, true);
    walk.derived("length", run.length);
    walk.open(kValues);
    if (run.repeat) {
      walk.sample(kRepeatedSample, sampleValue);
    } else {
      for (int i = 0; i < run.length; ++i) walk.sample(kSample, sampleValue);
    }
    walk.close();
    walk.close();
    frame += run.length;
  }
  walk.close();
}

// Walks the bone names; the stop at a name length above the limit, which ends the walk.
std::optional<Ending> walkNames(common::Walk& walk, std::int64_t boneCount) {
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

void walkBones(common::Walk& walk, std::int64_t boneCount, std::int64_t frameCount) {
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

Ending walkAnimation(common::Walk& walk) {
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

}  // namespace

int run(common::ByteSource& input, const char* path, common::Form form) {
  if (form == common::Form::json) {
    common::DumpDocument<Outcome> document(kDocument.format, path, kOutcomeNames);
    return common::dumpFile(input, document, walkAnimation);
  }
  if (form == common::Form::svg)
    return common::dumpFile(input, *makeSvgPrinter(path), walkAnimation);
  return common::dumpFile(input, *makeTextPrinter(path), walkAnimation);
}

int reverse(common::ByteSource& document, std::string_view name, common::ByteSink& file) {
  return common::readDocument(document, name, kDocument,
                              [](common::Walk& walk) { return common::checkStopOf(walkAnimation(walk)); }, file);
}

}  // namespace bafdump
