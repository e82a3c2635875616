#include "run_tool.hpp"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testing_support {

ScratchDir::ScratchDir() {
  std::random_device seed;
  std::mt19937_64 names(seed());
  const std::filesystem::path temp = std::filesystem::temp_directory_path();
  // create_directory is false for a name that exists: another test's folder.
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = temp / ("assettools-" + std::to_string(names()));
    if (std::filesystem::create_directory(path_)) return;
  }
  throw std::runtime_error("cannot make a folder in " + temp.string());
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  // A test may have taken away write permission; give it back so everything can go.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ScratchDir::operator/(const std::string& name) const {
  return path_ / std::u8string(name.begin(), name.end());
}

std::string withPlatformLineEnds(const std::string& text) {
  std::string ended;
  for (const char c : text) {
    if (c == '\n') {
      ended += kEndOfLine;
    } else {
      ended += c;
    }
  }
  return ended;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::size_t next = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, next - start));
    start = next;
  }
  return lines;
}

}  // namespace testing_support
