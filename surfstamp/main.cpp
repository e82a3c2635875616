// surfstamp FILE ID: sets every collision material id of a static model file (.sm) to ID, in
// place; the stamping itself is in stamp.cpp.

#include <iostream>
#include <string_view>

#include "run.hpp"

namespace {

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name and an integer:\n\t Useage:  surfstamp.exe "
    "filename.sm [matid to overwrite with]\n\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cout << kUsage;
    return 0;
  }
  return surfstamp::run(argv[1], argv[2]);
}
