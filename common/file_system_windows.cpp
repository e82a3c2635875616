// The file seam on Windows: CreateFileW, ReadFile at offsets, WriteFile and CloseHandle,
// GetLastError() for errors. Paths arrive in UTF-8 and are handed to the system in UTF-16, so a
// name in any script opens whatever the system's code page.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "file_system.hpp"

namespace common {

namespace {

// ReadFile and WriteFile move at most 4 GiB less one byte per call; stay well below.
constexpr std::size_t kMostPerCall = std::size_t{1} << 30;

HANDLE nativeHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t portableHandle(HANDLE handle) {
  return reinterpret_cast<std::intptr_t>(handle);
}

constexpr std::size_t kStagingSize = std::size_t{1} << 20;

bool writeAll(HANDLE file, const std::uint8_t* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const auto want = static_cast<DWORD>(std::min(size - done, kMostPerCall));
    DWORD wrote = 0;
    if (!WriteFile(file, bytes + done, want, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return true;
}

std::wstring widePath(const std::string& path) {
  const int size = static_cast<int>(path.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, path.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.data(), size, wide.data(), length);
  return wide;
}

// The C library's words for the errors the C library on POSIX would report for these calls,
// so that a message reads the same on every platform; the system's own words for the rest.
std::string reasonFor(DWORD number) {
  switch (number) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return std::strerror(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    default:
      break;
  }
  char* text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, number, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = text ? text : "system error " + std::to_string(number);
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == '.' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return reason;
}

SystemError errorOf(DWORD number) {
  return {static_cast<int>(number), reasonFor(number)};
}

bool isDirectory(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Where a read or a write at `offset` begins, on a file not opened for overlapped calls.
OVERLAPPED overlappedAt(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

// An existing file, shared with readers and writers as the C library's files are.
HANDLE openExisting(const std::string& path, DWORD access, DWORD flags, SystemError& failure) {
  const std::wstring wide = widePath(path);
  const HANDLE handle = CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD number = GetLastError();
    // Windows opens no directory as a file and says only "access denied".
    failure = isDirectory(wide) ? SystemError{static_cast<int>(number), std::strerror(EISDIR)}
                                : errorOf(number);
  }
  return handle;
}

}  // namespace

std::optional<std::size_t> File::readAt(std::uint64_t offset, std::uint8_t* buffer,
                                        std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const auto want = static_cast<DWORD>(std::min(size - done, kMostPerCall));
    OVERLAPPED at = overlappedAt(offset + done);
    DWORD got = 0;
    if (!ReadFile(nativeHandle(handle_), buffer + done, want, &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return std::nullopt;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool File::writeAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const auto want = static_cast<DWORD>(std::min(size - done, kMostPerCall));
    OVERLAPPED at = overlappedAt(offset + done);
    DWORD wrote = 0;
    if (!WriteFile(nativeHandle(handle_), bytes + done, want, &wrote, &at) || wrote == 0) {
      return false;
    }
    done += wrote;
  }
  return true;
}

// Windows gathers writes only for unbuffered files of whole pages, so small segments are
// copied together and go out in writes of up to kStagingSize; large ones go out directly.
bool File::write(std::span<const Segment> segments) {
  std::size_t total = 0;
  for (const Segment& segment : segments) total += segment.size;
  std::vector<std::uint8_t> staging;
  staging.reserve(std::min(total, kStagingSize));
  for (const Segment& segment : segments) {
    if (staging.size() + segment.size > kStagingSize) {
      if (!writeAll(nativeHandle(handle_), staging.data(), staging.size())) return false;
      staging.clear();
    }
    if (segment.size >= kStagingSize) {
      if (!writeAll(nativeHandle(handle_), segment.bytes, segment.size)) return false;
    } else {
      staging.insert(staging.end(), segment.bytes, segment.bytes + segment.size);
    }
  }
  return writeAll(nativeHandle(handle_), staging.data(), staging.size());
}

std::optional<std::uint64_t> File::size() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(nativeHandle(handle_), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<FileIdentity> File::identity() {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(nativeHandle(handle_), &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

void File::close() {
  if (handle_ != kNoHandle) CloseHandle(nativeHandle(std::exchange(handle_, kNoHandle)));
}

File openForReading(const std::string& path, SystemError& failure) {
  return File(portableHandle(openExisting(path, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN, failure)));
}

File openForUpdate(const std::string& path, SystemError& failure) {
  return File(portableHandle(
      openExisting(path, GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL, failure)));
}

File createForWriting(const std::string& path, SystemError& failure) {
  const HANDLE handle = CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_WRITE,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) failure = errorOf(GetLastError());
  return File(portableHandle(handle));
}

File createNew(const std::string& path, SystemError& failure) {
  const HANDLE handle = CreateFileW(widePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) failure = errorOf(GetLastError());
  return File(portableHandle(handle));
}

bool replaceFile(const std::string& from, const std::string& to, SystemError& failure) {
  if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  failure = errorOf(GetLastError());
  return false;
}

void setStandardInputToBytes() {
  _setmode(_fileno(stdin), _O_BINARY);
}

std::optional<FileIdentity> identityAt(const std::string& path) {
  // Opened for no access at all, only to ask what file the name leads to.
  const HANDLE handle =
      CreateFileW(widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  File file(portableHandle(handle));
  return file.identity();
}

bool isDirectory(const std::string& path) {
  return isDirectory(widePath(path));
}

bool removeFile(const std::string& path) {
  return DeleteFileW(widePath(path).c_str()) != 0;
}

SystemError lastSystemError() {
  return errorOf(GetLastError());
}

}  // namespace common
