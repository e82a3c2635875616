#pragma once

// The command line as every tool reads it, the way POSIX utilities do: options first, then the
// operands. Every tool takes -h/--help (and /? on Windows) and -V/--version; the options of its
// own it declares in a table.

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace common {

// An option of a tool's own, by its spellings.
struct Option {
  std::string_view longForm;   // "--dry-run"
  std::string_view shortForm;  // "-n", or empty when there is none
};

enum class Request { run, help, version, unknownOption };

struct CommandLine {
  Request request = Request::run;
  std::string_view unknownOption;       // with Request::unknownOption: the argument as given
  std::span<char* const> operands;      // everything after the options
  std::vector<std::string_view> given;  // the long forms of the tool's options that were given

  bool has(std::string_view longForm) const;
};

// Options count only before the first operand, and "--" ends them, so that a file named like an
// option can still be given; a lone "-" is an operand. The first help, version or unknown option
// decides the request.
CommandLine parseCommandLine(int argc, char* const* argv, std::span<const Option> options);

// What a tool tells the command line about itself.
struct Tool {
  std::string_view name;
  std::span<const Option> options;
  std::size_t operands;    // how many a run needs
  std::string_view usage;  // printed as it is when there are fewer
  int usageExitCode;       // and the exit code then
  std::string_view help;
};

// Handles the command line as every tool does: the help and version texts, an unknown option,
// the usage text for too few operands; otherwise `run` does the tool's work. Returns the exit
// code.
int handleCommandLine(int argc, char** argv, const Tool& tool, int (*run)(const CommandLine&));

}  // namespace common
