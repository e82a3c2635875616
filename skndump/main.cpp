// skndump FILE: prints a labelled report of a skin file (.skn); the dump itself is in
// skin_dump.cpp.

#include <string_view>

#include "report.hpp"
#include "run.hpp"

namespace {

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.skn\n\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc <= 1) {
    skndump::printText(kUsage);
    return 0;
  }
  return skndump::run(argv[1]);
}
