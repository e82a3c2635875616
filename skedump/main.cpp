// skedump FILE: prints a labelled report of a skeleton file (.ske); the dump itself is in
// skeleton_dump.cpp.

#include <string_view>

#include "report.hpp"
#include "run.hpp"

namespace {

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.ske\n\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc <= 1) {
    skedump::printText(kUsage);
    return 0;
  }
  return skedump::run(argv[1]);
}
