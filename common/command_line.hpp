#pragma once

// The command line as every tool reads it: options first, then the operands, and the tool's own
// options after the operands too, as a user may type them there. Every tool takes -h/--help (and /?
// on Windows) and -V/--version; the options of its own it declares in a table.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// An option of a tool's own: its spellings, what the help says of it, the operands it takes
// instead of the tool's own ("DOCUMENT OUTPUT"), the groups of options it is one of, one bit a
// group, whose options cannot be given together (0: none), the name of the value it takes, if it
// takes one ("-C DIR", "--directory DIR" or "--directory=DIR"), and the exit code of a refused
// command line that gives it, where its runs give 1 for an answer, not a failure.
struct Option {
  std::string_view longForm;   // "--dry-run"
  std::string_view shortForm;  // "-n", or empty when there is none
  std::string_view help;       // one sentence, which the help wraps to its columns
  std::string_view operands = {};
  int group = 0;
  std::string_view valueName = {};
  int refusalExitCode = 1;
};

enum class Request { run, help, version, unknownOption, missingValue };

struct CommandLine {
  Request request = Request::run;
  std::string_view unknownOption;            // with Request::unknownOption: the argument as given
  const struct Option* valueless = nullptr;  // with Request::missingValue: the option
  std::vector<char*> operands;          // the operands in their places, then the surplus arguments
  std::vector<std::string_view> given;  // the long forms of the tool's options that were given
  std::vector<std::pair<std::string_view, std::string_view>> values;  // by their long forms

  bool has(std::string_view longForm) const;
  // The value given to an option that takes one; empty when it was not given.
  std::string_view value(std::string_view longForm) const;
};

// Options come before the first operand; "--" ends them, so that a file named like an option can
// still be given, and a lone "-" is an operand. The `toolOperands` arguments from the first
// operand on (or as many as an option that takes operands of its own asks for) are operands,
// whatever they look like. After them, the tool's options take effect as if they came first, an
// argument that begins with "--" and is no option is refused, and anything else is a surplus
// argument. The first help, version or unknown option decides the request.
CommandLine parseCommandLine(int argc, char* const* argv, std::span<const Option> options,
                             std::size_t toolOperands);

// What a tool tells the command line about itself: its options, its operands, and the texts
// its help is made of.
struct Tool {
  std::string_view name;
  std::string_view synopsis;     // the operands as the help's first line names them
  std::string_view description;  // what the tool does, in lines of their own
  std::span<const Option> options;
  std::string_view firstOperand;           // what "--" makes of the argument after it: "file"
  std::string_view exitStatus;             // the lines under "Exit status:",
  std::string_view exitStatusShared = {};  // and those it shares with other tools
  std::string_view usage;                  // printed as it is when there are fewer operands than
  std::size_t operands = 1;                // a run needs,
  int usageExitCode = 0;                   // with this exit code
};

// The text of --help: synopsis, description, every option, the exit codes, and where the full
// description lives; ASCII, in lines under 80 columns.
std::string helpText(const Tool& tool);

// Handles the command line as every tool does: the help and version texts, an unknown option,
// the usage text for too few operands; otherwise `run` does the tool's work. Returns the exit
// code.
int handleCommandLine(int argc, char** argv, const Tool& tool, int (*run)(const CommandLine&));

}  // namespace common
