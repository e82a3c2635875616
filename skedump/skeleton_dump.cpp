// skedump: the report of a skeleton file in each form, and the file a document describes, both
// through the format's one walk (skeleton.hpp).

#include <string>

#include "common/diff.hpp"
#include "common/document_reader.hpp"
#include "common/json_report.hpp"
#include "run.hpp"
#include "skeleton.hpp"

namespace skedump {
namespace {

// The document of a dump: its format, and the members that number its records.
constexpr std::string_view kNumbering[] = {kBone.numbering};
constexpr common::DocumentFormat kDocument{"ske", kNumbering};

}  // namespace

int run(common::ByteSource& input, const char* path, common::Form form) {
  if (form == common::Form::json) {
    common::DumpDocument<Outcome> document(kDocument.format, path, kOutcomeNames);
    return common::dumpFile(input, document, walkSkeleton);
  }
  return common::dumpFile(input, *makeTextPrinter(path), walkSkeleton);
}

int reverse(common::ByteSource& document, std::string_view name, common::ByteSink& file) {
  return common::readDocument(
      document, name, kDocument,
      [](common::Walk& walk) { return common::checkStopOf(walkSkeleton(walk)); }, file);
}

int diff(common::ByteSource& a, const char* pathA, common::ByteSource& b, const char* pathB,
         common::Form form) {
  return common::diffFiles<Outcome>({a, pathA}, {b, pathB}, kDocument.format, kOutcomeNames,
                                    walkSkeleton, form);
}

}  // namespace skedump
