// skedump: prints a labelled report of a skeleton file (.ske).
//
// Layout, little-endian: i32 header value (must be 1), i32 bone count, then per bone a u16 name
// length L (at most 128), L name bytes, a u16 short value and twelve floats in three rows of
// four. The walk hands every field to a printer the moment it has been read, so a file that ends
// early shows everything before the break, and then what stopped the run.

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "common/document_reader.hpp"
#include "printer.hpp"
#include "run.hpp"

namespace skedump {
namespace {

// The document of a dump: its format, and the members that number its records.
constexpr std::string_view kNumbering[] = {"number"};
constexpr common::DocumentFormat kDocument{"ske", kNumbering};

constexpr int kFloatsPerBone = 12;

constexpr FieldName kHeader{"header1", "header"};
constexpr FieldName kBoneCount{"NumberOfBones", "boneCount"};
constexpr FieldName kNameLength{"NameTextLength", "nameLength"};
constexpr FieldName kName{"BoneName", "name"};
constexpr FieldName kShort{"Short", "short"};
constexpr FieldName kFloats{"Floats", "floats"};

// Walks one bone entry; the stop when its name length is refused.
std::optional<Ending> walkBone(common::FieldReader& reader, Printer& printer, std::int64_t bone) {
  printer.beginBone(bone, reader.offset());
  const std::uint16_t nameLength = reader.u16(kNameLength);
  printer.nameLength(reader.last(), nameLength);
  if (nameLength > kMaxNameLength) {
    return Ending{Outcome::nameLengthRefused, kNameLength,
                  common::isAbove("name length", nameLength, kMaxNameLength)};
  }
  std::array<char, kMaxNameLength> name{};
  reader.bytes(name.data(), nameLength, kName);
  printer.name(reader.last(), std::string_view(name.data(), nameLength));
  const std::uint16_t shortValue = reader.u16(kShort);
  printer.shortValue(reader.last(), shortValue);
  for (int i = 0; i < kFloatsPerBone; ++i) {
    const float value = reader.f32(kFloats, i);
    printer.boneFloat(i, reader.last(), value);
  }
  printer.endBone(reader.offset());
  return std::nullopt;
}

Ending walkSkeleton(common::FieldReader& reader, Printer& printer) {
  const std::int32_t header = reader.i32(kHeader);
  printer.header(reader.last(), header);
  const std::int32_t boneCount = reader.i32(kBoneCount);
  printer.boneCount(reader.last(), boneCount);
  if (header != kExpectedHeader) {
    return {Outcome::headerRefused, kHeader, common::isNot("header", header, kExpectedHeader)};
  }
  printer.beginBones();
  // Each bone is printed as it is read and then forgotten, so any count is dumped whole.
  for (std::int64_t bone = 1; bone <= boneCount; ++bone) {
    if (std::optional<Ending> stop = walkBone(reader, printer, bone)) return *stop;
  }
  return Outcome::complete;
}

}  // namespace

int run(const char* path, common::Form form, std::istream* opened) {
  if (form == common::Form::json) {
    common::JsonReport report(stdout, kDocument.format, path);
    return common::dumpFile<Outcome>(path, *makeJsonPrinter(report), walkSkeleton, opened);
  }
  return common::dumpFile<Outcome>(path, *makeTextPrinter(path), walkSkeleton, opened);
}

int reverse(const char* document, const char* output, std::string* written) {
  return common::writeFromDocument(
      document, output, kDocument,
      [](common::FieldReader& reader, common::JsonReport& shape) {
        return common::checkStopOf(walkSkeleton(reader, *makeJsonPrinter(shape)));
      },
      written);
}

}  // namespace skedump
