// skndump [OPTION]... FILE: prints a labelled report of a skin file (.skn); the dump itself
// is in skin_dump.cpp.

#include <string_view>

#include "common/command_line.hpp"
#include "run.hpp"

namespace {

constexpr common::Option kOptions[] = {{"--json", ""}};

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.skn\n\n";

constexpr std::string_view kHelp =
    "Usage: skndump [OPTION]... FILE.skn\n"
    "\n"
    "Prints a labelled report of a skin file (.skn) on standard output: the\n"
    "header, the vertex count, every vertex (position, flag bytes, weight,\n"
    "envelope, and the extension block of a weight of 0.5), then the names.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit (/? too, on Windows)\n"
    "  -V, --version  print the version and exit\n"
    "      --json     print the report as one JSON document, with the offset and\n"
    "                 size of every field (see the README for its shape)\n"
    "  --             end the options: the next argument is the file, even if it\n"
    "                 begins with '-'\n"
    "\n"
    "Exit status:\n"
    "  0  the report is complete, or a check stopped it (a header other than 1,\n"
    "     a weight other than 1.0 or 0.5); also the usage text, with no file\n"
    "  1  the file cannot be opened or ends early, or an option is unknown\n"
    "\n"
    "Full description: the manual page (man skndump) and the README.\n";

int runDump(const common::CommandLine& line) {
  return skndump::run(line.operands[0],
                      line.has("--json") ? skndump::Form::json : skndump::Form::text);
}

}  // namespace

int main(int argc, char** argv) {
  return common::handleCommandLine(argc, argv, {"skndump", kOptions, 1, kUsage, 0, kHelp}, runDump);
}
