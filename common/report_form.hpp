#pragma once

// The forms a tool prints its report in, as its command line chooses them, and what a dumper
// does with its command line.

#include <string_view>

#include "command_line.hpp"
#include "file_system.hpp"

namespace common {

// The labelled text, one JSON document with the offset of every field, or an SVG picture.
enum class Form { text, json, svg };

// The options every dumper has: --json, -r and --diff. Its --svg, if it draws, is its own, in
// kPictureGroups: --json goes with --diff alone; --svg, -r and --diff with no other.
inline constexpr Option kJsonOption{
    "--json",
    "",
    "print the report as one JSON document, with the offset and size of every field (see the "
    "README for its shape)",
    {},
    1};
inline constexpr Option kReverseOption{
    "--reverse", "-r",
    "write the file that DOCUMENT, a document of --json (- for standard input), describes to "
    "OUTPUT, replacing OUTPUT only once the whole document is read",
    "DOCUMENT OUTPUT", 3};
// Refused, its command line ends with 2: 1 is the answer that the files differ.
inline constexpr Option kDiffOption{
    "--diff",
    "",
    "compare the file A with the file B field by field: a line for each field whose value "
    "differs (its JSON Pointer, its offset in each file, both values), then the counts; with "
    "--json, one JSON document",
    "A B",
    2,
    {},
    2};
constexpr int kPictureGroups = 3;
// The exit codes a dumper's help gives after its own 0.
inline constexpr std::string_view kDumperExitFailures =
    "  1  the file cannot be opened or ends early, a document is refused (-r),\n"
    "     or an option is unknown; with --diff, some field differs\n"
    "  2  with --diff, a file cannot be opened, or the command line is refused\n";

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
// differs, 1 when some do, 2 when a file cannot be opened or the report cannot be written.
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
// The same as a tool's run, for handleCommandLine.
template <const Dumper& kDumper>
int runDumper(const CommandLine& line) {
  return runDumper(line, kDumper);
}

}  // namespace common
