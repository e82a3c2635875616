// bafdump [OPTION]... FILE: prints a report of a bone-animation file (.baf), every sample
// decoded; the dump itself is in animation_dump.cpp.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "command_line.hpp"
#include "common/report.hpp"
#include "run.hpp"

namespace {

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.baf\n\n";

constexpr std::string_view kHelp =
    "Usage: bafdump [OPTION]... FILE.baf\n"
    "\n"
    "Prints a report of a bone-animation file (.baf) on standard output: the\n"
    "header, the bone names, the frame count and precision, then every sample\n"
    "of the seven run-length coded components of every bone, decoded.\n"
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
    "  0  the report is complete, or a check stopped it (a header other than 3,\n"
    "     a name longer than 31 bytes); also the usage text, with no file\n"
    "  1  the file cannot be opened or ends early, or an option is unknown\n"
    "\n"
    "Full description: the manual page (man bafdump) and the README.\n";

constexpr std::string_view kVersion = "bafdump (assettools) " ASSETTOOLS_VERSION "\n";

// Help and version texts are all a run prints: a write that fails must not pass for success.
int printInformation(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "***ERROR cannot write to standard output: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bafdump::CommandLine line = bafdump::parseCommandLine(argc, argv);
  switch (line.request) {
    case bafdump::Request::help:
      return printInformation(kHelp);
    case bafdump::Request::version:
      return printInformation(kVersion);
    case bafdump::Request::unknownOption:
      common::printLine("***ERROR unknown option \"", line.unknownOption,
                         "\": see bafdump --help");
      return 1;
    case bafdump::Request::run:
      break;
  }
  if (line.operands.empty()) {
    common::printText(kUsage);
    return 0;
  }
  return bafdump::run(line.operands[0], line.json ? bafdump::Form::json : bafdump::Form::text);
}
