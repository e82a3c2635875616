// skndump: the report of a skin file in each form, and the file a document describes, all
// through the format's one walk (skin.hpp).

#include <string>
#include <string_view>

#include "common/diff.hpp"
#include "common/document_reader.hpp"
#include "common/json_report.hpp"
#include "run.hpp"
#include "skin.hpp"

namespace skndump {
namespace {

// The document of a dump: its format, and the members that number its records.
constexpr std::string_view kNumbering[] = {kVertex.numbering};
constexpr common::DocumentFormat kDocument{"skn", kNumbering};

}  // namespace

int run(common::ByteSource& input, const char* path, common::Form form) {
  if (form == common::Form::json) {
    common::DumpDocument<Outcome> document(kDocument.format, path, kOutcomeNames);
    return common::dumpFile(input, document, walkSkin);
  }
  if (form == common::Form::svg) return drawSkin(input, path);
  return common::dumpFile(input, *makeTextPrinter(path), walkSkin);
}

int reverse(common::ByteSource& document, std::string_view name, common::ByteSink& file) {
  return common::readDocument(
      document, name, kDocument,
      [](common::Walk& walk) { return common::checkStopOf(walkSkin(walk)); }, file);
}

int diff(common::ByteSource& a, const char* pathA, common::ByteSource& b, const char* pathB,
         common::Form form) {
  return common::diffFiles<Outcome>({a, pathA}, {b, pathB}, kDocument.format, kOutcomeNames,
                                    walkSkin, form);
}

}  // namespace skndump
