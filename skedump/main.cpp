// skedump [OPTION]... FILE: prints a labelled report of a skeleton file (.ske); the dump itself
// is in skeleton_dump.cpp.

#include <string_view>

#include "common/command_line.hpp"
#include "common/report_form.hpp"
#include "run.hpp"

namespace {

constexpr common::Option kOptions[] = {
    {"--json",
     "",
     "print the report as one JSON document, with the offset and size of every field (see the "
     "README for its shape)",
     {},
     1},
    {"--reverse", "-r",
     "write the file that DOCUMENT, a document of --json (- for standard input), describes to "
     "OUTPUT, replacing OUTPUT only once the whole document is read: skedump -r DOCUMENT OUTPUT",
     "DOCUMENT OUTPUT", 3},
    {"--diff",
     "",
     "compare the file A with the file B field by field: a line for each field whose value "
     "differs (its JSON Pointer, its offset in each file, both values), then the counts; with "
     "--json, one JSON document",
     "A B",
     2,
     {},
     2},
};

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.ske\n\n";

constexpr common::Tool kTool{
    .name = "skedump",
    .synopsis = "FILE.ske",
    .description =
        "Prints a labelled report of a skeleton file (.ske) on standard output: the\n"
        "header, the bone count, and for every bone its name, its 16-bit short value\n"
        "and its twelve floats as three rows of four.\n",
    .options = kOptions,
    .firstOperand = "file",
    .exitStatus =
        "  0  the report is complete, or a check stopped it (a header other than 1,\n"
        "     a name longer than 128 bytes); also the usage text, with no file;\n"
        "     with --diff, no field differs\n"
        "  1  the file cannot be opened or ends early, a document is refused (-r),\n"
        "     or an option is unknown; with --diff, some field differs\n"
        "  2  with --diff, a file cannot be opened, or the command line is refused\n",
    .usage = kUsage,
};

int runDump(const common::CommandLine& line) {
  return common::runDumper(line, skedump::kDumper);
}

}  // namespace

int main(int argc, char** argv) {
  return common::handleCommandLine(argc, argv, kTool, runDump);
}
