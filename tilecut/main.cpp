// tilecut [OPTION]... FILE COUNT: cuts a 24-bit TGA image into COUNT square tiles across; the
// cutting itself is in cut.cpp.

#include <cstdio>
#include <string_view>

#include "app_framework.hpp"
#include "common/command_line.hpp"
#include "run.hpp"

namespace {

constexpr common::Option kOptions[] = {
    {"--json", "",
     "print the report as one JSON document: the image's geometry, every tile with the square "
     "it covers, and what is left out"},
};

constexpr std::string_view kUsage = "tilecut.exe FILENAME SegmentsHorizontal_X";

constexpr common::Tool kTool{
    .name = "tilecut",
    .synopsis = "IMAGE.tga TILES_ACROSS",
    .description =
        "Cuts an uncompressed 24-bit TGA image into square tiles, TILES_ACROSS of\n"
        "them across and as many rows as fit, and writes each as a TGA file of its\n"
        "own, Tx<column>x<row>.tga, into the current folder (replacing any such file).\n",
    .options = kOptions,
    .firstOperand = "image",
    .exitStatus =
        "  0  every tile is written (or no row of tiles fits the image)\n"
        "  1  fewer than two arguments (the usage text), an image or a count that is\n"
        "     refused (no tile is written), a tile that cannot be created, or an\n"
        "     unknown option\n",
    .usage = kUsage,
    .operands = 2,
    .usageExitCode = 1,
};

int runCut(const common::CommandLine& line) {
  return tilecut::run(line.operands[0], line.operands[1],
                      line.has("--json") ? tilecut::Form::json : tilecut::Form::text);
}

}  // namespace

int main(int argc, char** argv) {
  if (!tilecut::startApplicationFramework(argc, argv)) {
    std::fputs("Fatal Error: MFC initialization failed\n", stderr);
    return 1;
  }
  return common::handleCommandLine(argc, argv, kTool, runCut);
}
