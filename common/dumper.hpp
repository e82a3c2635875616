#pragma once

// A dumper made of its format: the report of a file in each form, the file a document describes
// (-r) and the comparison of two files (--diff), all through the format's one walk.

#include <memory>
#include <span>
#include <string_view>

#include "diff.hpp"
#include "document_reader.hpp"
#include "json_report.hpp"
#include "report_form.hpp"
#include "walk.hpp"

namespace common {

template <typename Outcome>
struct DumperFormat {
  using OutcomeType = Outcome;
  DocumentFormat document;                    // its name, the members that number its records
  std::span<const char* const> outcomeNames;  // as the document's "end" names the outcomes
  Ending<Outcome> (*walk)(Walk&);
  std::unique_ptr<DumpPrinter<Outcome>> (*textReport)(const char* path);
  // --svg, for a dumper that draws: the picture of `input` on standard output, its exit code.
  int (*picture)(ByteSource& input, const char* path) = nullptr;
};

// The Dumper of `kFormat`, a DumperFormat.
template <const auto& kFormat>
constexpr Dumper dumperOf() {
  using Outcome = typename std::remove_cvref_t<decltype(kFormat)>::OutcomeType;
  return {.dump =
              [](ByteSource& input, const char* path, Form form) {
                if (form == Form::json) {
                  DumpDocument<Outcome> document(kFormat.document.format, path,
                                                 kFormat.outcomeNames);
                  return dumpFile(input, document, kFormat.walk);
                }
                if (form == Form::svg && kFormat.picture != nullptr)
                  return kFormat.picture(input, path);
                return dumpFile(input, *kFormat.textReport(path), kFormat.walk);
              },
          .reverse =
              [](ByteSource& document, std::string_view name, ByteSink& file) {
                return readDocument(
                    document, name, kFormat.document,
                    [](Walk& walk) { return checkStopOf(kFormat.walk(walk)); }, file);
              },
          .diff =
              [](ByteSource& a, const char* pathA, ByteSource& b, const char* pathB, Form form) {
                return diffFiles<Outcome>({a, pathA}, {b, pathB}, kFormat.document.format,
                                          kFormat.outcomeNames, kFormat.walk, form);
              }};
}

}  // namespace common
