// tilecut [OPTION]... FILE COUNT: cuts a 24-bit TGA image into COUNT square tiles across; the
// cutting itself is in cut.cpp.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>

#include "app_framework.hpp"
#include "command_line.hpp"
#include "run.hpp"

namespace {

constexpr std::string_view kUsage = "tilecut.exe FILENAME SegmentsHorizontal_X";

constexpr std::string_view kHelp =
    "Usage: tilecut [OPTION]... IMAGE.tga TILES_ACROSS\n"
    "\n"
    "Cuts an uncompressed 24-bit TGA image into square tiles, TILES_ACROSS of\n"
    "them across and as many rows as fit, and writes each as a TGA file of its\n"
    "own, Tx<column>x<row>.tga, into the current folder (replacing any such file).\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit (/? too, on Windows)\n"
    "  -V, --version  print the version and exit\n"
    "      --json     print the report as one JSON document: the image's geometry,\n"
    "                 every tile with the square it covers, and what is left out\n"
    "  --             end the options: the next argument is the image, even if\n"
    "                 it begins with '-'\n"
    "\n"
    "Exit status:\n"
    "  0  every tile is written (or no row of tiles fits the image)\n"
    "  1  fewer than two arguments (the usage text), an image or a count that is\n"
    "     refused (no tile is written), a tile that cannot be created, or an\n"
    "     unknown option\n"
    "\n"
    "Full description: the manual page (man tilecut) and the README.\n";

constexpr std::string_view kVersion = "tilecut (assettools) " ASSETTOOLS_VERSION "\n";

// Help and version texts are all a run prints: a write that fails must not pass for success.
int printInformation(std::string_view text) {
  std::cout << text << std::flush;
  if (std::cout) return 0;
  std::fprintf(stderr, "***ERROR cannot write to standard output: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (!tilecut::startApplicationFramework(argc, argv)) {
    std::cerr << "Fatal Error: MFC initialization failed" << std::endl;
    return 1;
  }
  const tilecut::CommandLine line = tilecut::parseCommandLine(argc, argv);
  switch (line.request) {
    case tilecut::Request::help:
      return printInformation(kHelp);
    case tilecut::Request::version:
      return printInformation(kVersion);
    case tilecut::Request::unknownOption:
      std::cout << "***ERROR unknown option \"" << line.unknownOption << "\": see tilecut --help"
                << std::endl;
      return 1;
    case tilecut::Request::run:
      break;
  }
  if (line.operands.size() < 2) {
    std::cout << kUsage;
    return 1;
  }
  return tilecut::run(line.operands[0], line.operands[1],
                      line.json ? tilecut::Form::json : tilecut::Form::text);
}
