// Runs a tool on Windows: CreateProcessW with its output sent to temporary files, read once it
// has ended. No pipe and no thread: nothing to drain while the child runs, and nothing that can
// keep the run, or this process's own output, open after the child is gone.

#include <windows.h>

#include <array>
#include <stdexcept>
#include <vector>

#include "run_tool.hpp"

namespace testing_support {

namespace {

constexpr int kStartAttempts = 5;

std::wstring wide(const std::string& utf8) {
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), length);
  return text;
}

// One argument quoted so that the C runtime's parser gives it back unchanged: backslashes are
// literal except before a quote, where they and the quote are escaped.
void appendQuoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, L'\\');
  line += L'"';
}

std::wstring commandLine(const std::wstring& tool, const std::vector<std::string>& args) {
  std::wstring line;
  appendQuoted(line, tool);
  for (const std::string& arg : args) {
    line += L' ';
    appendQuoted(line, wide(arg));
  }
  return line;
}

// An inheritable handle to a temporary file that takes one of the child's output streams. The
// file goes when the last handle to it closes.
HANDLE temporaryOutputFile() {
  std::array<wchar_t, MAX_PATH + 1> folder{};
  std::array<wchar_t, MAX_PATH + 1> name{};
  if (GetTempPathW(static_cast<DWORD>(folder.size()), folder.data()) == 0 ||
      GetTempFileNameW(folder.data(), L"out", 0, name.data()) == 0) {
    throw std::runtime_error("cannot name a temporary file: error " +
                             std::to_string(GetLastError()));
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE file =
      CreateFileW(name.data(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot make a temporary file: error " +
                             std::to_string(GetLastError()));
  }
  return file;
}

// Everything in `file`: the child wrote it through a handle that shares this one's position.
std::string contents(HANDLE file) {
  std::string text;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  std::array<char, 65536> buffer{};
  DWORD got = 0;
  while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
         got > 0) {
    text.append(buffer.data(), got);
  }
  return text;
}

// The three handles a child is given, and nothing else: an inheritable handle of this process
// (its own standard output, which Wine makes inheritable, is CTest's pipe) must never outlive
// the run in a child or in the console host the child starts.
class ChildHandles {
 public:
  ChildHandles(HANDLE input, HANDLE output, HANDLE error) : handles_{input, output, error} {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (!InitializeProcThreadAttributeList(list_, 1, 0, &size) ||
        !UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                   sizeof handles_, nullptr, nullptr)) {
      throw std::runtime_error("cannot list the handles a child inherits");
    }
  }
  ~ChildHandles() { DeleteProcThreadAttributeList(list_); }
  ChildHandles(const ChildHandles&) = delete;
  ChildHandles& operator=(const ChildHandles&) = delete;

  STARTUPINFOEXW startupInfo() const {
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = handles_[0];
    startup.StartupInfo.hStdOutput = handles_[1];
    startup.StartupInfo.hStdError = handles_[2];
    startup.lpAttributeList = list_;
    return startup;
  }

 private:
  std::array<HANDLE, 3> handles_;
  std::vector<char> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Text mode writes each newline as CR LF; this undoes exactly that.
std::string withNewlines(const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}

}  // namespace

RunResult runTool(const std::string& tool, const std::vector<std::string>& args,
                  const std::filesystem::path& workDir, std::chrono::milliseconds timeout,
                  const std::filesystem::path& input) {
  // The tool's own path is taken before the child is placed in `workDir`.
  const std::wstring toolPath = std::filesystem::absolute(tool).wstring();
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const std::wstring inputPath = input.empty() ? L"NUL" : input.wstring();
  const HANDLE nul =
      CreateFileW(inputPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                  OPEN_EXISTING, 0, nullptr);
  const HANDLE out = temporaryOutputFile();
  const HANDLE err = temporaryOutputFile();
  const ChildHandles childHandles(nul, out, err);
  STARTUPINFOEXW startup = childHandles.startupInfo();
  std::wstring line = commandLine(toolPath, args);
  PROCESS_INFORMATION child{};
  // Wine under load now and then fails to start a process that starts at the next attempt.
  BOOL started = FALSE;
  for (int attempt = 0; attempt < kStartAttempts && !started; ++attempt) {
    if (attempt > 0) Sleep(250);
    started = CreateProcessW(toolPath.c_str(), line.data(), nullptr, nullptr, TRUE,
                             CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                             workDir.wstring().c_str(), &startup.StartupInfo, &child);
  }
  const DWORD startError = GetLastError();
  CloseHandle(nul);
  if (!started) {
    CloseHandle(out);
    CloseHandle(err);
    throw std::runtime_error("cannot start " + tool + ": error " + std::to_string(startError));
  }
  RunResult result;
  const DWORD waitMs = static_cast<DWORD>(timeout.count());
  result.timedOut = WaitForSingleObject(child.hProcess, waitMs) == WAIT_TIMEOUT;
  if (result.timedOut) {
    TerminateProcess(child.hProcess, 137);
    WaitForSingleObject(child.hProcess, INFINITE);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(child.hProcess, &exitCode);
  result.exitCode = static_cast<int>(exitCode);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  result.rawOut = contents(out);
  result.out = withNewlines(result.rawOut);
  result.err = withNewlines(contents(err));
  CloseHandle(out);
  CloseHandle(err);
  return result;
}

}  // namespace testing_support
