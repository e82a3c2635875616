#pragma once

// The file calls of the tools, behind one seam: file_system_posix.cpp and
// file_system_windows.cpp implement it, and the build picks the one for its platform. Paths are
// UTF-8. Bytes are read and written as they are, never translated.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace common {

// Why a call failed: the system's own error number (errno on POSIX, GetLastError() on Windows)
// and the reason in words, worded alike on every platform where the C library has a word for it.
struct SystemError {
  int number = 0;
  std::string reason;
};

// What makes a file the same file under any name or link: device and inode on POSIX, volume
// serial number and file index on Windows.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Bytes to be written, not owned.
struct Segment {
  const std::uint8_t* bytes;
  std::size_t size;
};

// An open file of the platform's, closed when the object goes.
class File {
 public:
  File() = default;
  ~File() { close(); }
  File(File&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}
  File& operator=(File&& other) noexcept {
    close();
    handle_ = std::exchange(other.handle_, kNoHandle);
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool isOpen() const { return handle_ != kNoHandle; }
  // Reads from `offset` until `size` bytes are in or the file ends: the number read, or nothing
  // on an error.
  std::optional<std::size_t> readAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size);
  // Writes the segments one after another at the file's position, in as few calls as the
  // platform allows; false on an error.
  bool write(std::span<const Segment> segments);
  // Writes `size` bytes at `offset`; false on an error.
  bool writeAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t size);
  std::optional<std::uint64_t> size();
  std::optional<FileIdentity> identity();
  void close();

 private:
  friend File openForReading(const std::string& path, SystemError& failure);
  friend File openForUpdate(const std::string& path, SystemError& failure);
  friend File createForWriting(const std::string& path, SystemError& failure);
  friend File createNew(const std::string& path, SystemError& failure);
  friend std::optional<FileIdentity> identityAt(const std::string& path);
  // A POSIX descriptor or a Windows handle; -1 is neither.
  static constexpr std::intptr_t kNoHandle = -1;
  explicit File(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = kNoHandle;
};

// An existing file for reading, shared with other readers, with a hint that it is read front to
// back. A directory is refused. On failure the file is not open and `failure` says why.
File openForReading(const std::string& path, SystemError& failure);

// An existing file for reading and writing in place, never created; a directory is refused.
File openForUpdate(const std::string& path, SystemError& failure);

// A new file for writing, or an existing one emptied; others may write to it meanwhile.
File createForWriting(const std::string& path, SystemError& failure);

// A file that does not exist yet, for writing; never an existing one.
File createNew(const std::string& path, SystemError& failure);

// Puts the file at `from` in the place of `to`, replacing any file there, in one step.
bool replaceFile(const std::string& from, const std::string& to, SystemError& failure);

// Standard input read as the bytes it holds: no line ends translated.
void setStandardInputToBytes();

// The identity of the file at `path`, if there is one.
std::optional<FileIdentity> identityAt(const std::string& path);

bool removeFile(const std::string& path);

// Whether `path` names a folder.
bool isDirectory(const std::string& path);

// Why the last failed read, write or size query of this thread failed.
SystemError lastSystemError();

// Bytes read front to back: a file, standard input, or bytes held in memory, which is how the
// fuzzing harnesses hand a tool its input.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Starts again at the first byte: nothing when the bytes can be read, else why not. A
  // directory is refused.
  virtual std::optional<std::string> open() = 0;
  // Up to `size` bytes into `buffer`, fewer only at the end; nothing where reading fails
  // (lastSystemError says why).
  virtual std::optional<std::size_t> read(char* buffer, std::size_t size) = 0;
  // How many bytes there are in all; standard input cannot tell and says 0.
  virtual std::uint64_t size() = 0;
};

// Where the bytes of a file being written go, in file order.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(std::string_view bytes) = 0;
};

// The file at `path`, or standard input for "-" when `dashIsInput`: its bytes as they are, no
// line ends translated.
class InputFile final : public ByteSource {
 public:
  InputFile(std::string path, bool dashIsInput)
      : path_(std::move(path)), dashIsInput_(dashIsInput) {}
  std::optional<std::string> open() override;
  std::optional<std::size_t> read(char* buffer, std::size_t size) override;
  std::uint64_t size() override;
  bool isStandardInput() const { return dashIsInput_ && path_ == "-"; }

 private:
  std::string path_;
  bool dashIsInput_;
  File file_;
  std::uint64_t position_ = 0;
};

class BytesInMemory final : public ByteSource {
 public:
  explicit BytesInMemory(std::string_view bytes) : bytes_(bytes) {}
  std::optional<std::string> open() override;
  std::optional<std::size_t> read(char* buffer, std::size_t size) override;
  std::uint64_t size() override { return bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

}  // namespace common
