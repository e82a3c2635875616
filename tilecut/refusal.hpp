#pragma once

#include <string>

namespace tilecut {

// The run cannot go on; the message says what and where. No tile is written after one, and a
// tile left half-written by one is removed.
struct Refusal {
  std::string message;
};

}  // namespace tilecut
