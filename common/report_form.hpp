#pragma once

// The forms a tool prints its report in, as its command line chooses them, and what a dumper
// does with its command line.

#include <istream>
#include <string>

#include "command_line.hpp"

namespace common {

// The labelled text, one JSON document with the offset of every field, or an SVG picture.
enum class Form { text, json, svg };

// The form the options ask for: --json, --svg, or the text.
inline Form formOf(const CommandLine& line) {
  if (line.has("--json")) return Form::json;
  if (line.has("--svg")) return Form::svg;
  return Form::text;
}

// A dumper's dump: the report of the file at `path`, in `form`. The file is read from `opened`
// instead when given one (the fuzzing harnesses hand a dumper its bytes in memory).
using DumpRun = int (*)(const char* path, Form form, std::istream* opened);
// A dumper's reverse: the file a document describes, written to `output`, or kept in `written`
// when given one.
using ReverseRun = int (*)(const char* document, const char* output, std::string* written);

// A dumper's run: with -r, `reverse` writes the file that the document DOCUMENT describes to
// OUTPUT; else `dump` prints the report of FILE in the form the options ask for. Returns the
// exit code.
inline int runDumper(const CommandLine& line, DumpRun dump, ReverseRun reverse) {
  if (line.has("--reverse")) return reverse(line.operands[0], line.operands[1], nullptr);
  return dump(line.operands[0], formOf(line), nullptr);
}

}  // namespace common
