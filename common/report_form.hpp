#pragma once

// The forms a tool prints its report in, as its command line chooses them, and what a dumper
// does with its command line.

#include <string_view>

#include "command_line.hpp"
#include "file_system.hpp"

namespace common {

// The labelled text, one JSON document with the offset of every field, or an SVG picture.
enum class Form { text, json, svg };

// The form the options ask for: --json, --svg, or the text.
inline Form formOf(const CommandLine& line) {
  if (line.has("--json")) return Form::json;
  if (line.has("--svg")) return Form::svg;
  return Form::text;
}

// A dumper's dump: the report of the file `input`, named `path`, in `form`, on standard output.
// Returns the exit code: 0 for a whole report (or one a check of the format stopped), 1 when
// the file cannot be opened or ends early, or the report cannot be written.
using DumpRun = int (*)(ByteSource& input, const char* path, Form form);
// A dumper's reverse: the file that `document`, a document of the dumper's --json (named `name`
// in its refusals), describes, written to `file`. Returns the exit code: 0 when written, 1 after
// one "***ERROR" line.
using ReverseRun = int (*)(ByteSource& document, std::string_view name, ByteSink& file);
// A dumper's --diff: the files `a` and `b`, named `pathA` and `pathB`, compared field by field,
// the differences printed in `form` (the text or JSON). Returns the exit code: 0 when no field
// differs, 1 when some do, 2 when a file cannot be opened.
using DiffRun = int (*)(ByteSource& a, const char* pathA, ByteSource& b, const char* pathB,
                        Form form);

// What a dumper does: `dump`, `reverse` and `diff`.
struct Dumper {
  DumpRun dump;
  ReverseRun reverse;
  DiffRun diff;
};

// A dumper's run: with -r, `reverse` writes the file that the document DOCUMENT describes to
// OUTPUT; with --diff, `diff` compares A with B; else `dump` prints the report of FILE in the
// form the options ask for. Returns the exit code.
int runDumper(const CommandLine& line, const Dumper& dumper);

}  // namespace common
