// The file seam on POSIX: open, pread, writev and close on descriptors, errno for errors.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_system.hpp"

namespace common {

namespace {

// writev takes at most IOV_MAX segments a call; 1024 on Linux, and at least 16 by POSIX.
constexpr std::size_t kMostSegmentsPerCall = 1024;

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

std::optional<std::size_t> File::readAt(std::uint64_t offset, std::uint8_t* buffer,
                                        std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got =
        pread(descriptor(handle_), buffer + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool File::writeAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t wrote =
        pwrite(descriptor(handle_), bytes + done, size - done, static_cast<off_t>(offset + done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

bool File::write(std::span<const Segment> segments) {
  std::array<iovec, kMostSegmentsPerCall> batch{};
  std::size_t next = 0;  // the first segment not wholly written
  std::size_t skip = 0;  // the bytes of it already written, always fewer than its size
  while (true) {
    while (next < segments.size() && segments[next].size == 0) ++next;
    if (next == segments.size()) return true;
    std::size_t used = 0;
    for (std::size_t i = next; i < segments.size() && used < batch.size(); ++i) {
      if (segments[i].size == 0) continue;
      const std::size_t from = i == next ? skip : 0;
      batch[used++] = {const_cast<std::uint8_t*>(segments[i].bytes) + from,
                       segments[i].size - from};
    }
    const ssize_t wrote = writev(descriptor(handle_), batch.data(), static_cast<int>(used));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    // Step over what went out, which may end inside a segment.
    std::size_t left = skip + static_cast<std::size_t>(wrote);
    while (next < segments.size() && left >= segments[next].size) left -= segments[next++].size;
    skip = left;
  }
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

File openForUpdate(const std::string& path, SystemError& failure) {
  // A directory opened for writing fails with EISDIR.
  File file(open(path.c_str(), O_RDWR));
  if (!file.isOpen()) failure = errorOf(errno);
  return file;
}

File createForWriting(const std::string& path, SystemError& failure) {
  File file(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666));
  if (!file.isOpen()) failure = errorOf(errno);
  return file;
}

File createNew(const std::string& path, SystemError& failure) {
  File file(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
  if (!file.isOpen()) failure = errorOf(errno);
  return file;
}

bool replaceFile(const std::string& from, const std::string& to, SystemError& failure) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  failure = errorOf(errno);
  return false;
}

void setStandardInputToBytes() {}

std::optional<FileIdentity> identityAt(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return identityOf(info);
}

bool isDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool removeFile(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

SystemError lastSystemError() {
  return errorOf(errno);
}

}  // namespace common
