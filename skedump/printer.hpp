#pragma once

// What a walk of a skeleton file finds, field by field in file order, and the two forms it is
// printed in: the labelled text report, and a JSON document with the offset and size of every
// field. The walk reads; a printer only prints what the walk hands it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/field_reader.hpp"
#include "common/json_report.hpp"

namespace skedump {

using common::FieldName;
using common::Span;

// The checks of the format: the header value a skeleton must have, and the longest name.
constexpr std::int32_t kExpectedHeader = 1;
constexpr std::uint16_t kMaxNameLength = 128;

enum class Outcome { complete, fileEndsEarly, headerRefused, nameLengthRefused };

using Ending = common::Ending<Outcome>;

class Printer : public common::DumpPrinter<Ending> {
 public:
  virtual void header(Span span, std::int32_t value) = 0;
  virtual void boneCount(Span span, std::int32_t value) = 0;
  virtual void beginBones() = 0;  // the header passed its check
  virtual void beginBone(std::int64_t number, std::uint64_t offset) = 0;
  virtual void nameLength(Span span, std::uint16_t length) = 0;
  virtual void name(Span span, std::string_view bytes) = 0;
  virtual void shortValue(Span span, std::uint16_t value) = 0;
  virtual void boneFloat(int index, Span span, float value) = 0;  // index 0 to 11
  virtual void endBone(std::uint64_t end) = 0;
};

std::unique_ptr<Printer> makeTextPrinter(const char* path);
// The document's printer: on a report of standard output, or on the shape of a document being
// read back.
std::unique_ptr<Printer> makeJsonPrinter(common::JsonReport& report);

}  // namespace skedump
