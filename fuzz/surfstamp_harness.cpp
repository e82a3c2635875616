// Fuzzing harness for surfstamp: stamps a copy of the input and aborts, which the fuzzer
// records as a crash, when the copy changed anywhere but in the material id fields the file
// defines, changed at all on a refusal, or was refused although it holds together.

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "model_file.hpp"

int surfstampMain(int argc, char** argv);

namespace {

constexpr std::uint16_t kStampedId = 4242;

std::string readAll(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string input = readAll(argv[1]);
  std::string copy = "stamped.sm";
  std::ofstream(copy, std::ios::binary | std::ios::trunc) << input;

  std::string program = "surfstamp";
  std::string id = std::to_string(kStampedId);
  char* args[] = {program.data(), copy.data(), id.data(), nullptr};
  const int exitCode = surfstampMain(3, args);

  const std::string after = readAll(copy.c_str());
  const auto fields = testing_support::materialIdFields(input);
  const bool unchanged = after == input;
  const bool stampedExactly =
      fields && after == testing_support::withIds(input, *fields, kStampedId);
  if (exitCode != 0 && exitCode != 1) std::abort();
  if (!unchanged && !stampedExactly) std::abort();
  if (exitCode == 1 && !unchanged) std::abort();
  if (exitCode == 1 && fields) std::abort();
  return 0;
}
