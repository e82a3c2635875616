// surfstamp [OPTION]... FILE ID: sets every collision material id of a static model file (.sm)
// to ID, in place; the stamping itself is in stamp.cpp.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>

#include "command_line.hpp"
#include "run.hpp"

namespace {

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name and an integer:\n\t Useage:  surfstamp.exe "
    "filename.sm [matid to overwrite with]\n\n";

constexpr std::string_view kHelp =
    "Usage: surfstamp [OPTION]... FILE.sm MATERIAL_ID\n"
    "\n"
    "Sets both material id fields of every material record of every collision\n"
    "model chunk in a static model file (.sm) to MATERIAL_ID (0 to 65535, in\n"
    "decimal), in place. The whole file is checked before the first byte is\n"
    "written; nothing else in it changes.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit (/? too, on Windows)\n"
    "  -V, --version  print the version and exit\n"
    "  -n, --dry-run  check the whole file and report what would change, without\n"
    "                 opening it for writing\n"
    "      --json     print the report as one JSON document: every chunk, and every\n"
    "                 id field with its offset, the id read and the id written\n"
    "  --             end the options: the next argument is the file, even if it\n"
    "                 begins with '-'\n"
    "\n"
    "Exit status:\n"
    "  0  every id is stamped, or the file is left as it was for a reason the\n"
    "     report gives (not a model, no collision model, an id above 65535);\n"
    "     also the usage text, with fewer than two arguments\n"
    "  1  the id is not a number, the file cannot be opened or does not hold\n"
    "     together (the file is left as it was), or an option is unknown\n"
    "\n"
    "Full description: the manual page (man surfstamp) and the README.\n";

constexpr std::string_view kVersion = "surfstamp (assettools) " ASSETTOOLS_VERSION "\n";

// Help and version texts are all a run prints: a write that fails must not pass for success.
int printInformation(std::string_view text) {
  std::cout << text << std::flush;
  if (std::cout) return 0;
  std::fprintf(stderr, "***ERROR cannot write to standard output: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const surfstamp::CommandLine line = surfstamp::parseCommandLine(argc, argv);
  switch (line.request) {
    case surfstamp::Request::help:
      return printInformation(kHelp);
    case surfstamp::Request::version:
      return printInformation(kVersion);
    case surfstamp::Request::unknownOption:
      std::cout << "***ERROR unknown option \"" << line.unknownOption << "\": see surfstamp --help"
                << std::endl;
      return 1;
    case surfstamp::Request::run:
      break;
  }
  if (line.operands.size() < 2) {
    std::cout << kUsage;
    return 0;
  }
  return surfstamp::run(line.operands[0], line.operands[1], {line.dryRun, line.json});
}
