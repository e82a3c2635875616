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
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "common/document_reader.hpp"
#include "printer.hpp"
#include "run.hpp"
#include "sample_decoding.hpp"

namespace bafdump {
namespace {

// The document of a dump: its format, and the members that number its records.
constexpr std::string_view kNumbering[] = {"bone", "component"};
constexpr common::DocumentFormat kDocument{"baf", kNumbering};

constexpr int kComponentsPerBone = 7;

constexpr FieldName kHeader{"header", "header"};
constexpr FieldName kBoneCount{"bone count", "boneCount"};
constexpr FieldName kNameLength{"name length", "length"};
constexpr FieldName kName{"name", "name"};
constexpr FieldName kFrameCount{"frame count", "frameCount"};
constexpr FieldName kPrecision{"precision", "precision"};
constexpr FieldName kBonePrefix{"bone prefix word", "prefix"};
constexpr FieldName kComponentPrefix{"component prefix word", "prefix"};
// A run is a record of its own: its control word is member "control" of it.
constexpr FieldName kControlWord{"control word", "runs", "control"};
constexpr FieldName kRepeatedSample{"repeated sample", "values"};
constexpr FieldName kSample{"sample", "values"};

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

void walkSample(common::FieldReader& reader, Printer& printer, FieldName field,
                std::int64_t index) {
  const std::uint16_t word = reader.q15(field, index);
  printer.sample(reader.last(), word, sampleValue(word));
}

// Walks the runs of one component stream. The frame test comes only before a control word, so
// a run is always read whole, even when it overshoots the frame count.
void walkComponentStream(common::FieldReader& reader, Printer& printer, std::int32_t frameCount) {
  // 64-bit, so that a frame count of INT32_MAX plus a last run of 127 cannot wrap.
  std::int64_t frame = 1;
  for (std::int64_t runIndex = 0; frame <= frameCount; ++runIndex) {
    const std::uint16_t controlWord = reader.u16(kControlWord, runIndex);
    const ControlWord run = splitControlWord(controlWord);
    printer.beginRun(reader.last(), controlWord, run);
    if (run.repeat) {
      walkSample(reader, printer, kRepeatedSample, 0);
    } else {
      for (int i = 0; i < run.length; ++i) walkSample(reader, printer, kSample, i);
    }
    printer.endRun(reader.offset());
    frame += run.length;
  }
}

// Walks the bone names; the stop at a name length above the limit, which ends the walk.
std::optional<Ending> walkNames(common::FieldReader& reader, Printer& printer,
                                std::uint16_t boneCount) {
  std::array<char, kMaxNameLength> name{};
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    printer.beginName(bone, reader.offset());
    const std::uint16_t length = reader.u16(kNameLength);
    printer.nameLength(reader.last(), length);
    if (length > kMaxNameLength) {
      return Ending{Outcome::nameLengthRefused, kNameLength,
                    common::isAbove("name length", length, kMaxNameLength)};
    }
    reader.bytes(name.data(), length, kName);
    printer.name(reader.last(), std::string_view(name.data(), length));
    printer.endName(reader.offset());
  }
  return std::nullopt;
}

void walkBones(common::FieldReader& reader, Printer& printer, std::uint16_t boneCount,
               std::int32_t frameCount) {
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    printer.beginBone(bone, reader.offset());
    const std::uint16_t bonePrefix = reader.u16(kBonePrefix);
    printer.bonePrefix(reader.last(), bonePrefix);
    for (int component = 1; component <= kComponentsPerBone; ++component) {
      printer.beginComponent(component, reader.offset());
      const std::uint16_t componentPrefix = reader.u16(kComponentPrefix);
      printer.componentPrefix(reader.last(), componentPrefix);
      walkComponentStream(reader, printer, frameCount);
      printer.endComponent(reader.offset());
    }
    printer.endBone(reader.offset());
  }
}

Ending walkAnimation(common::FieldReader& reader, Printer& printer) {
  printer.fileOpened();
  const std::int32_t header = reader.i32(kHeader);
  printer.header(reader.last(), header);
  const std::uint16_t boneCount = reader.u16(kBoneCount);
  printer.boneCount(reader.last(), boneCount);
  if (header != kExpectedHeader) {
    return {Outcome::headerRefused, kHeader, common::isNot("header", header, kExpectedHeader)};
  }
  printer.beginNames();
  // After an over-long name the rest of the file cannot be placed: stop rather than read the
  // name's bytes as frame count and samples.
  if (std::optional<Ending> stop = walkNames(reader, printer, boneCount)) return *stop;
  const std::int32_t frameCount = reader.i32(kFrameCount);
  printer.frameCount(reader.last(), frameCount);
  const std::uint8_t precision = reader.u8(kPrecision);
  printer.precision(reader.last(), precision);
  walkBones(reader, printer, boneCount, frameCount);
  return Outcome::complete;
}

}  // namespace

int run(const char* path, common::Form form, std::istream* opened) {
  if (form == common::Form::json) {
    common::JsonReport report(stdout, kDocument.format, path);
    return common::dumpFile<Outcome>(path, *makeJsonPrinter(report), walkAnimation, opened);
  }
  if (form == common::Form::svg)
    return common::dumpFile<Outcome>(path, *makeSvgPrinter(path), walkAnimation, opened);
  return common::dumpFile<Outcome>(path, *makeTextPrinter(path), walkAnimation, opened);
}

int reverse(const char* document, const char* output, std::string* written) {
  return common::writeFromDocument(
      document, output, kDocument,
      [](common::FieldReader& reader, common::JsonReport& shape) {
        return common::checkStopOf(walkAnimation(reader, *makeJsonPrinter(shape)));
      },
      written);
}

}  // namespace bafdump
