// Fuzzing harness for bafdump --diff: compares each input with itself, which must show no
// difference, and with a copy of it changed in one byte and one cut short, which must differ,
// with a valid document. A harness of its own: two walks on threads of their own cost the dump's
// harness most of its speed.

#include <cstdint>

#include "bafdump/run.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return fuzz_support::diffInput(data, size, bafdump::kDumper.diff);
}
