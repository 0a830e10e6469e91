// Drives one Windows service through the service control manager and prints
// what the manager says, one line per command, for the service hosts' tests.
// Test tool only: never shipped.
//
//   service_controller start <service>
//   service_controller control <service> stop|interrogate|pause|<code>
//   service_controller query <service>
//   service_controller wait <service> stopped|running|... <milliseconds>
//   service_controller config <service>
//   service_controller remove <service>
//
// A status is printed as
//   state=RUNNING checkpoint=0 waithint=0 accepted=1 exit=0 specific=0 pid=N
// a failure as "error=<code>". The exit status is 0 when the command did
// what it was asked, 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/windows_headers.h"

namespace {

struct StateName {
  DWORD state;
  const char* name;
};

constexpr StateName kStates[] = {
    {SERVICE_STOPPED, "STOPPED"},
    {SERVICE_START_PENDING, "START_PENDING"},
    {SERVICE_STOP_PENDING, "STOP_PENDING"},
    {SERVICE_RUNNING, "RUNNING"},
    {SERVICE_CONTINUE_PENDING, "CONTINUE_PENDING"},
    {SERVICE_PAUSE_PENDING, "PAUSE_PENDING"},
    {SERVICE_PAUSED, "PAUSED"},
};

std::string stateName(DWORD state) {
  for (const StateName& known : kStates) {
    if (known.state == state) return known.name;
  }
  return std::to_string(state);
}

bool stateOf(const char* name, DWORD* state) {
  for (const StateName& known : kStates) {
    if (_stricmp(known.name, name) == 0) {
      *state = known.state;
      return true;
    }
  }
  return false;
}

void printStatus(const SERVICE_STATUS& status, DWORD processId) {
  std::printf("state=%s checkpoint=%lu waithint=%lu accepted=%lu exit=%lu specific=%lu pid=%lu\n",
              stateName(status.dwCurrentState).c_str(), status.dwCheckPoint, status.dwWaitHint,
              status.dwControlsAccepted, status.dwWin32ExitCode, status.dwServiceSpecificExitCode, processId);
}

int failed(DWORD code) {
  std::printf("error=%lu\n", code);
  return 1;
}

bool query(SC_HANDLE service, SERVICE_STATUS_PROCESS* status) {
  DWORD needed = 0;
  return QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(status), sizeof *status,
                              &needed) != FALSE;
}

SERVICE_STATUS plainStatus(const SERVICE_STATUS_PROCESS& full) {
  SERVICE_STATUS status;
  status.dwServiceType = full.dwServiceType;
  status.dwCurrentState = full.dwCurrentState;
  status.dwControlsAccepted = full.dwControlsAccepted;
  status.dwWin32ExitCode = full.dwWin32ExitCode;
  status.dwServiceSpecificExitCode = full.dwServiceSpecificExitCode;
  status.dwCheckPoint = full.dwCheckPoint;
  status.dwWaitHint = full.dwWaitHint;
  return status;
}

// Polls until the service reports `state` or `milliseconds` have passed.
bool waitForState(SC_HANDLE service, DWORD state, DWORD milliseconds, SERVICE_STATUS_PROCESS* status) {
  DWORD waited = 0;
  for (;;) {
    if (!query(service, status)) return false;
    if (status->dwCurrentState == state || waited >= milliseconds) return status->dwCurrentState == state;
    Sleep(50);
    waited += 50;
  }
}

DWORD controlCode(const char* name) {
  if (std::strcmp(name, "stop") == 0) return SERVICE_CONTROL_STOP;
  if (std::strcmp(name, "interrogate") == 0) return SERVICE_CONTROL_INTERROGATE;
  if (std::strcmp(name, "pause") == 0) return SERVICE_CONTROL_PAUSE;
  return static_cast<DWORD>(std::strtoul(name, nullptr, 10));
}

int run(const std::vector<std::string>& words) {
  if (words.size() < 3) {
    std::printf("usage: service_controller start|control|query|wait|config|remove <service> ...\n");
    return 2;
  }
  const std::string& command = words[1];
  const char* name = words[2].c_str();
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return failed(GetLastError());
  SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
  if (service == nullptr) {
    DWORD code = GetLastError();
    CloseServiceHandle(manager);
    // Nothing to remove counts as removed.
    if (command == "remove" && code == ERROR_SERVICE_DOES_NOT_EXIST) {
      std::printf("removed\n");
      return 0;
    }
    return failed(code);
  }

  int result = 0;
  SERVICE_STATUS_PROCESS full{};
  if (command == "start") {
    if (StartServiceA(service, 0, nullptr)) {
      std::printf("started\n");
    } else {
      result = failed(GetLastError());
    }
  } else if (command == "control" && words.size() == 4) {
    SERVICE_STATUS status{};
    if (ControlService(service, controlCode(words[3].c_str()), &status)) {
      printStatus(status, 0);
    } else {
      result = failed(GetLastError());
    }
  } else if (command == "query") {
    if (query(service, &full)) {
      printStatus(plainStatus(full), full.dwProcessId);
    } else {
      result = failed(GetLastError());
    }
  } else if (command == "wait" && words.size() == 5) {
    DWORD state = 0;
    if (!stateOf(words[3].c_str(), &state)) {
      result = failed(ERROR_INVALID_PARAMETER);
    } else {
      bool reached = waitForState(service, state, std::strtoul(words[4].c_str(), nullptr, 10), &full);
      printStatus(plainStatus(full), full.dwProcessId);
      result = reached ? 0 : 1;
    }
  } else if (command == "config") {
    DWORD needed = 0;
    QueryServiceConfigA(service, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed == 0 ? sizeof(QUERY_SERVICE_CONFIGA) : needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (QueryServiceConfigA(service, config, static_cast<DWORD>(buffer.size()), &needed)) {
      std::printf("type=%lu start=%lu errorcontrol=%lu account=%s path=%s\n", config->dwServiceType,
                  config->dwStartType, config->dwErrorControl,
                  config->lpServiceStartName != nullptr ? config->lpServiceStartName : "",
                  config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : "");
    } else {
      result = failed(GetLastError());
    }
  } else if (command == "remove") {
    // Stops what still runs, then deletes the registration.
    if (query(service, &full) && full.dwCurrentState != SERVICE_STOPPED) {
      SERVICE_STATUS status{};
      ControlService(service, SERVICE_CONTROL_STOP, &status);
      waitForState(service, SERVICE_STOPPED, 20000, &full);
    }
    if (DeleteService(service) || GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE) {
      std::printf("removed\n");
    } else {
      result = failed(GetLastError());
    }
  } else {
    std::printf("unknown command %s\n", command.c_str());
    result = 2;
  }
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  int result = run(std::vector<std::string>(argv, argv + argc));
  std::fflush(stdout);
  return result;
}
