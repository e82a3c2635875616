#include "command_line.hpp"

namespace surfstamp {

namespace {

// Windows users ask a console program for help with "/?".
#ifdef _WIN32
constexpr bool kSlashQuestionAsksForHelp = true;
#else
constexpr bool kSlashQuestionAsksForHelp = false;
#endif

// A lone "-" is an operand, as in every POSIX utility.
bool isOption(std::string_view argument) {
  return (argument.size() > 1 && argument[0] == '-') ||
         (kSlashQuestionAsksForHelp && argument == "/?");
}

Request requestOf(std::string_view option) {
  if (option == "-h" || option == "--help" || option == "/?") return Request::help;
  if (option == "-V" || option == "--version") return Request::version;
  return Request::unknownOption;
}

}  // namespace

CommandLine parseCommandLine(int argc, char* const* argv) {
  CommandLine line;
  int first = argc > 0 ? 1 : 0;  // argv[0] is the program, when there is one
  for (; first < argc && isOption(argv[first]); ++first) {
    const std::string_view option = argv[first];
    if (option == "--") {
      ++first;
      break;
    }
    if (option == "--json") {
      line.json = true;
      continue;
    }
    if (option == "-n" || option == "--dry-run") {
      line.dryRun = true;
      continue;
    }
    line.request = requestOf(option);
    if (line.request == Request::unknownOption) line.unknownOption = option;
    if (line.request != Request::run) return line;
  }
  line.operands = {argv + first, static_cast<std::size_t>(argc - first)};
  return line;
}

}  // namespace surfstamp
