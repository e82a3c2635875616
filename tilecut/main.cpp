// tilecut [OPTION]... FILE COUNT: cuts a TGA image into COUNT square tiles across; the
// cutting itself is in cut.cpp.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "app_framework.hpp"
#include "common/command_line.hpp"
#include "run.hpp"

namespace {

constexpr common::Option kOptions[] = {
    {"--any-tga", "-a",
     "read every TGA a user meets: colour-mapped, true-colour and grey, uncompressed or "
     "run-length coded, 8, 15, 16, 24 or 32 bits a pixel, any origin; each tile keeps the "
     "image's pixel format"},
    {"--directory",
     "-C",
     "write the tiles into DIR, which must exist, instead of the current folder",
     {},
     0,
     "DIR"},
    {"--border",
     "-b",
     "grow every tile by N pixels on every side, taken from the picture around its square (the "
     "edge pixels repeat beyond the picture), so that tiles filter without seams",
     {},
     0,
     "N"},
    {"--dry-run", "-n", "check the image and report the cut, without creating a file"},
    {"--json", "",
     "print the report as one JSON document: the image's geometry, every tile with the square "
     "it covers, and what is left out"},
};

constexpr std::string_view kUsage = "tilecut.exe FILENAME SegmentsHorizontal_X";

constexpr common::Tool kTool{
    .name = "tilecut",
    .synopsis = "IMAGE.tga TILES_ACROSS",
    .description =
        "Cuts an uncompressed 24-bit TGA image (with -a, any TGA image) into square\n"
        "tiles, TILES_ACROSS of them across and as many rows as fit, and writes each\n"
        "as a TGA file of its own, Tx<column>x<row>.tga, into the current folder\n"
        "(replacing any such file).\n",
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
  std::optional<std::string> border;
  if (line.has("--border")) border = line.value("--border");
  return tilecut::run(line.operands[0], line.operands[1],
                      {common::formOf(line), line.has("--any-tga"), line.has("--dry-run"),
                       std::string(line.value("--directory")), border});
}

}  // namespace

int main(int argc, char** argv) {
  if (!tilecut::startApplicationFramework(argc, argv)) {
    std::fputs("Fatal Error: MFC initialization failed\n", stderr);
    return 1;
  }
  return common::handleCommandLine(argc, argv, kTool, runCut);
}
