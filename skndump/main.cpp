// skndump [OPTION]... FILE: prints a labelled report of a skin file (.skn); the dump itself
// is in skin_dump.cpp.

#include <string_view>

#include "common/command_line.hpp"
#include "common/report_form.hpp"
#include "run.hpp"

namespace {

constexpr common::Option kOptions[] = {
    common::kJsonOption,
    {"--svg",
     "",
     "draw the vertex positions instead, as one SVG picture: three views, each vertex coloured by "
     "its bone",
     {},
     common::kPictureGroups},
    common::kReverseOption,
    common::kDiffOption,
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
        "     a weight other than 1.0 or 0.5); also the usage text, with no file;\n"
        "     with --diff, no field differs\n",
    .exitStatusShared = common::kDumperExitFailures,
    .usage = kUsage,
};

}  // namespace

int main(int argc, char** argv) {
  return common::handleCommandLine(argc, argv, kTool, common::runDumper<skndump::kDumper>);
}
