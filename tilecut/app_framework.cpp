#include "app_framework.hpp"

namespace tilecut {

bool startApplicationFramework(int argc, char** argv) {
  // A process started with an empty argument vector has no command line to hand over.
  return argc >= 1 && argv != nullptr && argv[0] != nullptr;
}

}  // namespace tilecut
