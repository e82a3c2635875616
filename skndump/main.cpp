// skndump [OPTION]... FILE: prints a labelled report of a skin file (.skn); the dump itself
// is in skin_dump.cpp.

#include <string_view>

#include "common/command_line.hpp"
#include "run.hpp"

namespace {

constexpr common::Option kOptions[] = {
    {"--json",
     "",
     "print the report as one JSON document, with the offset and size of every field (see the "
     "README for its shape)",
     {},
     1},
    {"--svg",
     "",
     "draw the vertex positions instead, as one SVG picture: three views, each vertex coloured by "
     "its bone",
     {},
     1},
    {"--reverse", "-r",
     "write the file that DOCUMENT, a document of --json (- for standard input), describes to "
     "OUTPUT, replacing OUTPUT only once the whole document is read: skndump -r DOCUMENT OUTPUT",
     "DOCUMENT OUTPUT", 1},
};

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.skn\n\n";

constexpr common::Tool kTool{
    .name = "skndump",
    .synopsis = "FILE.skn",
    .description =
        "Prints a labelled report of a skin file (.skn) on standard output: the\n"
        "header, the vertex count, every vertex (position, flag bytes, weight,\n"
        "envelope, and the extension block of a weight of 0.5), then the names.\n",
    .options = kOptions,
    .firstOperand = "file",
    .exitStatus =
        "  0  the report is complete, or a check stopped it (a header other than 1,\n"
        "     a weight other than 1.0 or 0.5); also the usage text, with no file\n"
        "  1  the file cannot be opened or ends early, a document is refused (-r),\n"
        "     or an option is unknown\n",
    .usage = kUsage,
};

skndump::Form formOf(const common::CommandLine& line) {
  if (line.has("--json")) return skndump::Form::json;
  if (line.has("--svg")) return skndump::Form::svg;
  return skndump::Form::text;
}

int runDump(const common::CommandLine& line) {
  if (line.has("--reverse")) return skndump::reverse(line.operands[0], line.operands[1]);
  return skndump::run(line.operands[0], formOf(line));
}

}  // namespace

int main(int argc, char** argv) {
  return common::handleCommandLine(argc, argv, kTool, runDump);
}
