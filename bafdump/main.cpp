// bafdump FILE: prints a report of a bone-animation file (.baf), every sample decoded; the
// dump itself is in animation_dump.cpp.

#include <string_view>

#include "report.hpp"
#include "run.hpp"

namespace {

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.baf\n\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc <= 1) {
    bafdump::printText(kUsage);
    return 0;
  }
  return bafdump::run(argv[1]);
}
