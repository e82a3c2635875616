// tilecut FILE COUNT: cuts a 24-bit TGA image into COUNT square tiles across; the cutting
// itself is in cut.cpp.

#include <iostream>
#include <string_view>

#include "app_framework.hpp"
#include "run.hpp"

namespace {

constexpr std::string_view kUsage = "tilecut.exe FILENAME SegmentsHorizontal_X";

}  // namespace

int main(int argc, char** argv) {
  if (!tilecut::startApplicationFramework(argc, argv)) {
    std::cerr << "Fatal Error: MFC initialization failed" << std::endl;
    return 1;
  }
  if (argc < 3) {
    std::cout << kUsage;
    return 1;
  }
  return tilecut::run(argv[1], argv[2]);
}
