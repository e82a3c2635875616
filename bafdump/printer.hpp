#pragma once

// What a walk of an animation file finds, field by field in file order, and the two forms it
// is printed in: the text report, and a JSON document with the offset and size of every field.
// The walk reads and decodes; a printer only prints what the walk hands it. A third printer
// draws the same walk as a picture.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/field_reader.hpp"
#include "common/json_report.hpp"
#include "sample_decoding.hpp"

namespace bafdump {

using common::FieldName;
using common::Span;

// The checks of the format: the header value an animation must have, and the longest name.
constexpr std::int32_t kExpectedHeader = 3;
constexpr std::uint16_t kMaxNameLength = 31;

enum class Outcome { complete, fileEndsEarly, headerRefused, nameLengthRefused };

using Ending = common::Ending<Outcome>;

class Printer : public common::DumpPrinter<Ending> {
 public:
  virtual void fileOpened() = 0;
  virtual void header(Span span, std::int32_t value) = 0;
  virtual void boneCount(Span span, std::uint16_t value) = 0;
  virtual void beginNames() = 0;  // the header passed its check
  virtual void beginName(std::int64_t bone, std::uint64_t offset) = 0;
  virtual void nameLength(Span span, std::uint16_t length) = 0;
  virtual void name(Span span, std::string_view bytes) = 0;
  virtual void endName(std::uint64_t end) = 0;
  virtual void frameCount(Span span, std::int32_t value) = 0;
  virtual void precision(Span span, std::uint8_t value) = 0;
  virtual void beginBone(std::int64_t bone, std::uint64_t offset) = 0;
  virtual void bonePrefix(Span span, std::uint16_t word) = 0;
  virtual void beginComponent(int component, std::uint64_t offset) = 0;
  virtual void componentPrefix(Span span, std::uint16_t word) = 0;
  // A run's control word; a repeat run's one sample then stands for all `run.length`.
  virtual void beginRun(Span control, std::uint16_t word, ControlWord run) = 0;
  virtual void sample(Span span, std::uint16_t word, float value) = 0;
  virtual void endRun(std::uint64_t end) = 0;
  virtual void endComponent(std::uint64_t end) = 0;
  virtual void endBone(std::uint64_t end) = 0;
};

std::unique_ptr<Printer> makeTextPrinter(const char* path);
// The document's printer: on a report of standard output, or on the shape of a document being
// read back.
std::unique_ptr<Printer> makeJsonPrinter(common::JsonReport& report);
// The picture: an SVG document of every component's samples over the frames.
std::unique_ptr<Printer> makeSvgPrinter(const char* path);

}  // namespace bafdump
