#include "testing/windows_test_support/windows_process.h"

#include <vector>

namespace windows_test {

std::string binDirectory() {
  std::vector<char> path(32768);
  DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::string file(path.data(), length);
  return file.substr(0, file.find_last_of('\\'));
}

std::string systemText(DWORD code) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
      0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = buffer != nullptr ? std::string(buffer, length) : std::string();
  LocalFree(buffer);
  return text;
}

std::string inTextMode(const std::string& text) {
  std::string written;
  for (char c : text) {
    if (c == '\n') written += '\r';
    written += c;
  }
  return written;
}

ProgramRun runProgram(const std::string& commandLine, const std::string& directory,
                      const std::string& application) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  BOOL started = CreateProcessA(application.empty() ? nullptr : application.c_str(), &line[0], nullptr, nullptr, TRUE,
                                0, nullptr, directory.empty() ? nullptr : directory.c_str(), &startup, &process);
  CloseHandle(writeEnd);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) run.output.append(buffer, got);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &run.exitCode);
    } else {
      TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(readEnd);
  return run;
}

}  // namespace windows_test
