// skedump [OPTION]... FILE: prints a labelled report of a skeleton file (.ske); the dump itself
// is in skeleton_dump.cpp.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "command_line.hpp"
#include "common/report.hpp"
#include "run.hpp"

namespace {

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.ske\n\n";

constexpr std::string_view kHelp =
    "Usage: skedump [OPTION]... FILE.ske\n"
    "\n"
    "Prints a labelled report of a skeleton file (.ske) on standard output: the\n"
    "header, the bone count, and for every bone its name, its 16-bit short value\n"
    "and its twelve floats as three rows of four.\n"
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
    "     a name longer than 128 bytes); also the usage text, with no file\n"
    "  1  the file cannot be opened or ends early, or an option is unknown\n"
    "\n"
    "Full description: the manual page (man skedump) and the README.\n";

constexpr std::string_view kVersion = "skedump (assettools) " ASSETTOOLS_VERSION "\n";

// Help and version texts are all a run prints: a write that fails must not pass for success.
int printInformation(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "***ERROR cannot write to standard output: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const skedump::CommandLine line = skedump::parseCommandLine(argc, argv);
  switch (line.request) {
    case skedump::Request::help:
      return printInformation(kHelp);
    case skedump::Request::version:
      return printInformation(kVersion);
    case skedump::Request::unknownOption:
      common::printLine("***ERROR unknown option \"", line.unknownOption,
                         "\": see skedump --help");
      return 1;
    case skedump::Request::run:
      break;
  }
  if (line.operands.empty()) {
    common::printText(kUsage);
    return 0;
  }
  return skedump::run(line.operands[0], line.json ? skedump::Form::json : skedump::Form::text);
}
