// Replays a fuzzing corpus through a harness, outside the fuzzer: every file of the folders
// given, in name order. Fails when an input takes longer than the fuzzer's time limit; a crash
// or a sanitizer report fails the run by itself.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::chrono::seconds kTimeLimit{10};

std::vector<std::filesystem::path> inputsIn(int folderCount, char** folders) {
  std::vector<std::filesystem::path> inputs;
  for (int i = 0; i < folderCount; ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(folders[i])) {
      if (entry.is_regular_file()) inputs.push_back(std::filesystem::absolute(entry.path()));
    }
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER...\n", argv[0]);
    return 2;
  }
  const std::vector<std::filesystem::path> inputs = inputsIn(argc - 1, argv + 1);
  if (inputs.empty()) {
    std::fprintf(stderr, "no inputs in the corpus\n");
    return 1;
  }
  for (const std::filesystem::path& input : inputs) {
    const std::string bytes = fuzz_support::readFile(input);
    const auto start = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (std::chrono::steady_clock::now() - start > kTimeLimit) {
      std::fprintf(stderr, "%s took longer than %lld s\n", input.c_str(),
                   static_cast<long long>(kTimeLimit.count()));
      return 1;
    }
  }
  std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
  return 0;
}
