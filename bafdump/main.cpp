// bafdump [OPTION]... FILE: prints a report of a bone-animation file (.baf), every sample
// decoded; the dump itself is in animation_dump.cpp.

#include <string_view>

#include "common/command_line.hpp"
#include "common/report_form.hpp"
#include "run.hpp"

namespace {

constexpr common::Option kOptions[] = {
    common::kJsonOption,
    {"--svg",
     "",
     "draw the samples instead, as one SVG picture: a row per bone, a panel per component over "
     "the frames",
     {},
     common::kPictureGroups},
    common::kReverseOption,
    common::kDiffOption,
};

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.baf\n\n";

constexpr common::Tool kTool{
    .name = "bafdump",
    .synopsis = "FILE.baf",
    .description =
        "Prints a report of a bone-animation file (.baf) on standard output: the\n"
        "header, the bone names, the frame count and precision, then every sample\n"
        "of the seven run-length coded components of every bone, decoded.\n",
    .options = kOptions,
    .firstOperand = "file",
    .exitStatus =
        "  0  the report is complete, or a check stopped it (a header other than 3,\n"
        "     a name longer than 31 bytes); also the usage text, with no file;\n"
        "     with --diff, no field differs\n",
    .exitStatusShared = common::kDumperExitFailures,
    .usage = kUsage,
};

}  // namespace

int main(int argc, char** argv) {
  return common::handleCommandLine(argc, argv, kTool, common::runDumper<bafdump::kDumper>);
}
