#pragma once

// What a walk of a skin file finds, field by field in file order, and the two forms it is
// printed in: the labelled text report, and a JSON document with the offset and size of every
// field. The walk reads; a printer only prints what the walk hands it. Printers of the same walk
// also draw the skin as a picture.

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

#include "common/field_reader.hpp"
#include "common/json_report.hpp"

namespace skndump {

using common::FieldName;
using common::Span;

// The checks of the format: the header value a skin must have, and the two weights a vertex
// may have; the half weight announces an extension block.
constexpr std::int32_t kExpectedHeader = 1;
constexpr float kFullWeight = 1.0f;
constexpr float kHalfWeight = 0.5f;

enum class Outcome { complete, fileEndsEarly, headerRefused, weightRefused };

using Ending = common::Ending<Outcome>;

// The three floats of a position or an envelope, stored in the order X, Z, Y.
enum class Axis { x, z, y };

class Printer : public common::DumpPrinter<Ending> {
 public:
  virtual void header(Span span, std::int32_t value) = 0;
  virtual void vertexCount(Span span, std::int32_t value) = 0;
  virtual void beginVertices() = 0;  // the header passed its check
  virtual void beginVertex(std::int64_t number, std::uint64_t offset) = 0;
  virtual void position(Axis axis, Span span, float value) = 0;
  // The three flag bytes: 0 flagA, 1 the bone the vertex belongs to, 2 flagC.
  virtual void flag(int index, Span span, std::int8_t value) = 0;
  virtual void weight(Span span, float value) = 0;
  virtual void envelope(Axis axis, Span span, float value) = 0;
  virtual void beginExtension(std::uint64_t offset) = 0;
  virtual void extensionFlag(int number, Span span, std::int8_t value) = 0;
  virtual void secondWeight(Span span, float value) = 0;
  virtual void cFloat(int index, Span span, float value) = 0;  // index 0 to 2
  virtual void endExtension(std::uint64_t end) = 0;
  virtual void endVertex(std::uint64_t end) = 0;
  virtual void nameCount(Span span, std::uint16_t value) = 0;
  virtual void beginName(std::int64_t number, std::uint64_t offset) = 0;
  virtual void nameLength(Span span, std::uint16_t length) = 0;
  virtual void name(Span span, std::string_view bytes) = 0;
  virtual void endName(std::uint64_t end) = 0;
};

std::unique_ptr<Printer> makeTextPrinter(const char* path);
// The document's printer: on a report of standard output, or on the shape of a document being
// read back.
std::unique_ptr<Printer> makeJsonPrinter(common::JsonReport& report);

// The walk of a skin file, which its picture may take more than once.
using Walk = Ending (*)(common::FieldReader& reader, Printer& printer);
// Draws the skin at `path` as an SVG picture on standard output: three views of the positions,
// coloured by bone. Its scale depends on every position, so the file is walked once to survey it,
// and a file of many vertices once more a view. The file is read from `opened` when given.
// Returns the exit code of the dump.
int drawSkin(const char* path, Walk walk, std::istream* opened);

}  // namespace skndump
