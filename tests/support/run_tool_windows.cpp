// Runs a tool on Windows: CreateProcessW with pipes for its output, read by one thread each.

#include <windows.h>

#include <array>
#include <stdexcept>
#include <thread>

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

// A pipe whose write end the child inherits.
struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

Pipe inheritablePipe() {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Pipe pipe;
  if (!CreatePipe(&pipe.read, &pipe.write, &inherit, 0)) throw std::runtime_error("CreatePipe");
  SetHandleInformation(pipe.read, HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

void drain(HANDLE pipe, std::string& sink) {
  std::array<char, 65536> buffer{};
  DWORD got = 0;
  while (ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
         got > 0) {
    sink.append(buffer.data(), got);
  }
}

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
                  const std::filesystem::path& workDir, std::chrono::milliseconds timeout) {
  // The tool's own path is taken before the child is placed in `workDir`.
  const std::wstring toolPath = std::filesystem::absolute(tool).wstring();
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 OPEN_EXISTING, 0, nullptr);
  const Pipe out = inheritablePipe();
  const Pipe err = inheritablePipe();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = out.write;
  startup.hStdError = err.write;
  std::wstring line = commandLine(toolPath, args);
  PROCESS_INFORMATION child{};
  // Wine under load now and then fails to start a process that starts at the next attempt.
  BOOL started = FALSE;
  for (int attempt = 0; attempt < kStartAttempts && !started; ++attempt) {
    if (attempt > 0) Sleep(250);
    started = CreateProcessW(toolPath.c_str(), line.data(), nullptr, nullptr, TRUE,
                             CREATE_NO_WINDOW, nullptr, workDir.wstring().c_str(), &startup, &child);
  }
  // Only the child holds the write ends now, so the pipes close when it ends.
  CloseHandle(out.write);
  CloseHandle(err.write);
  CloseHandle(nul);
  if (!started) {
    const DWORD error = GetLastError();
    CloseHandle(out.read);
    CloseHandle(err.read);
    throw std::runtime_error("cannot start " + tool + ": error " + std::to_string(error));
  }
  RunResult result;
  std::thread outReader(drain, out.read, std::ref(result.rawOut));
  std::thread errReader(drain, err.read, std::ref(result.err));
  const DWORD waitMs = static_cast<DWORD>(timeout.count());
  result.timedOut = WaitForSingleObject(child.hProcess, waitMs) == WAIT_TIMEOUT;
  if (result.timedOut) {
    TerminateProcess(child.hProcess, 137);
    WaitForSingleObject(child.hProcess, INFINITE);
  }
  outReader.join();
  errReader.join();
  DWORD exitCode = 0;
  GetExitCodeProcess(child.hProcess, &exitCode);
  result.exitCode = static_cast<int>(exitCode);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  CloseHandle(out.read);
  CloseHandle(err.read);
  result.out = withNewlines(result.rawOut);
  result.err = withNewlines(result.err);
  return result;
}

}  // namespace testing_support
