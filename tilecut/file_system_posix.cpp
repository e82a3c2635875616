// The file seam on POSIX: open, read, write, lseek and close on descriptors, errno for errors.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "file_system.hpp"

namespace tilecut {

namespace {

int descriptor(std::intptr_t handle) {
  return static_cast<int>(handle);
}

SystemError errorOf(int number) {
  return {number, std::strerror(number)};
}

FileIdentity identityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

std::optional<std::size_t> File::read(std::uint8_t* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(descriptor(handle_), buffer + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool File::write(const std::uint8_t* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t wrote = ::write(descriptor(handle_), bytes + done, size - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

bool File::seek(std::uint64_t offset) {
  return lseek(descriptor(handle_), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::optional<std::uint64_t> File::size() {
  struct stat info {};
  if (fstat(descriptor(handle_), &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::optional<FileIdentity> File::identity() {
  struct stat info {};
  if (fstat(descriptor(handle_), &info) != 0) return std::nullopt;
  return identityOf(info);
}

void File::close() {
  if (handle_ != kNoHandle) ::close(descriptor(std::exchange(handle_, kNoHandle)));
}

File openForReading(const std::string& path, SystemError& failure) {
  File file(open(path.c_str(), O_RDONLY));
  if (!file.isOpen()) {
    failure = errorOf(errno);
    return file;
  }
  struct stat info {};
  if (fstat(descriptor(file.handle_), &info) == 0 && S_ISDIR(info.st_mode)) {
    failure = errorOf(EISDIR);
    return File();
  }
  posix_fadvise(descriptor(file.handle_), 0, 0, POSIX_FADV_SEQUENTIAL);
  return file;
}

File createForWriting(const std::string& path, SystemError& failure) {
  File file(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666));
  if (!file.isOpen()) failure = errorOf(errno);
  return file;
}

std::optional<FileIdentity> identityAt(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return identityOf(info);
}

bool removeFile(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

SystemError lastSystemError() {
  return errorOf(errno);
}

}  // namespace tilecut
