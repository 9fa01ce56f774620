// Runs velmoractl.exe (from a test's program folder) and captures what it prints.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "harness/harness.h"

namespace velmora::e2e {

struct CtlResult {
  DWORD exit_code = 0xFFFFFFFF;
  std::string out;  // standard output, trimmed of the line end
  long Value() const { return std::strtol(out.c_str(), nullptr, 10); }
};

// The whole deferred start-up has run: its last step lets the title scroll. (The sliders
// appear earlier, and the steps after them may let messages through.)
inline bool WaitStarted(PlayerProcess& player, int timeout_ms = kDefaultTimeoutMs) {
  if (!player.WaitForStartup(timeout_ms)) return false;
  HWND main = player.MainWindow();
  return WaitUntil([&] { return IsControlEnabled(main, 1020 /* Banner1 */) || !player.Running(); },
                   timeout_ms) &&
         player.Running();
}

inline CtlResult RunCtl(const TestFolder& folder, const std::string& arguments,
                        int timeout_ms = 30000) {
  CtlResult result;
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &sa, 0)) return result;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + folder.File("velmoractl.exe") + "\" " + arguments;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      folder.Path().c_str(), &si, &pi)) {
    CloseHandle(read);
    CloseHandle(write);
    return result;
  }
  CloseHandle(write);
  // Keep serving this thread's messages while waiting (the player may send to us).
  WaitUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, timeout_ms);
  char buffer[4096];
  DWORD got = 0;
  DWORD available = 0;
  while (PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
         ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got > 0)
    result.out.append(buffer, got);
  while (!result.out.empty() && (result.out.back() == '\n' || result.out.back() == '\r'))
    result.out.pop_back();
  GetExitCodeProcess(pi.hProcess, &result.exit_code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(read);
  return result;
}

// User and kernel time a process has used so far, in 100 ns units (0 when unreadable);
// the benchmarks print differences of it.
inline uint64_t CpuTime100ns(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  auto value = [](const FILETIME& f) {
    return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  return value(kernel) + value(user);
}

// The share of one core, in percent, that a process uses over the next `ms` milliseconds.
inline double CpuSharePercent(HANDLE process, int ms) {
  const uint64_t cpu0 = CpuTime100ns(process);
  const DWORD t0 = GetTickCount();
  WaitUntil([] { return false; }, ms);
  const double cpu_ms = static_cast<double>(CpuTime100ns(process) - cpu0) / 10000.0;
  const DWORD wall = GetTickCount() - t0;
  return wall ? 100.0 * cpu_ms / wall : 0.0;
}

}  // namespace velmora::e2e
