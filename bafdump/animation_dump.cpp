// bafdump: the report of an animation file in each form, and the file a document describes,
// all through the format's one walk (animation.hpp).

#include <string>
#include <string_view>

#include "animation.hpp"
#include "common/diff.hpp"
#include "common/document_reader.hpp"
#include "common/json_report.hpp"
#include "run.hpp"

namespace bafdump {
namespace {

// The document of a dump: its format, and the members that number its records.
constexpr std::string_view kNumbering[] = {kBone.numbering, kComponent.numbering};
constexpr common::DocumentFormat kDocument{"baf", kNumbering};

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
  return common::readDocument(
      document, name, kDocument,
      [](common::Walk& walk) { return common::checkStopOf(walkAnimation(walk)); }, file);
}

int diff(common::ByteSource& a, const char* pathA, common::ByteSource& b, const char* pathB,
         common::Form form) {
  return common::diffFiles<Outcome>({a, pathA}, {b, pathB}, kDocument.format, kOutcomeNames,
                                    walkAnimation, form);
}

}  // namespace bafdump
