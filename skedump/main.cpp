// skedump [OPTION]... FILE: prints a labelled report of a skeleton file (.ske); the dump itself
// is in skeleton_dump.cpp.

#include <string_view>

#include "common/command_line.hpp"
#include "common/report_form.hpp"
#include "run.hpp"

namespace {

constexpr common::Option kOptions[] = {
    common::kJsonOption,
    common::kReverseOption,
    common::kDiffOption,
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
        "     with --diff, no field differs\n",
    .exitStatusShared = common::kDumperExitFailures,
    .usage = kUsage,
};

}  // namespace

int main(int argc, char** argv) {
  return common::handleCommandLine(argc, argv, kTool, common::runDumper<skedump::kDumper>);
}
