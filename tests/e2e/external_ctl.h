// Runs velmoractl.exe (from a test's program folder) and captures what it prints.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "harness/harness.h"

namespace velmora::e2e {

struct CtlResult {
  DWORD exit_code = 0xFFFFFFFF;
  std::string out;  // standard output, trimmed of the line end
  long Value() const { return std::strtol(out.c_str(), nullptr, 10); }
};

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

// Under wine a process is a Linux process whose command line is its Windows path, and the
// kernel keeps every thread's time on the CPU to the nanosecond (task/*/schedstat, seen
// through Z:). GetProcessTimes of another process under wine misses its other threads
// (a visualisation's worker), and comes in 10 ms ticks. 0 when not found.
inline uint64_t LinuxCpuTime100ns(HANDLE process) {
  char image[MAX_PATH];
  DWORD size = MAX_PATH;
  if (!QueryFullProcessImageNameA(process, 0, image, &size)) return 0;
  auto read_all = [](const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
      char buffer[4096];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
      std::fclose(f);
    }
    return text;
  };
  // The process's Linux id, looked up again when the one found last runs another program.
  static std::string found_pid;
  const auto runs_image = [&](const std::string& pid) {
    return _stricmp(read_all("Z:\\proc\\" + pid + "\\cmdline").c_str(), image) == 0;
  };
  if (found_pid.empty() || !runs_image(found_pid)) {
    found_pid.clear();
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
      const std::string name = entry.cFileName;
      if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
      if (runs_image(name)) {
        found_pid = name;
        break;
      }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
  }
  if (found_pid.empty()) return 0;
  uint64_t ns = 0;
  const std::string tasks = "Z:\\proc\\" + found_pid + "\\task\\";
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((tasks + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (entry.cFileName[0] == '.') continue;
    ns += std::strtoull(read_all(tasks + entry.cFileName + "\\schedstat").c_str(), nullptr, 10);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return ns / 100;
}

// Time a process has used so far on the CPU, in 100 ns units (0 when unreadable); the
// benchmarks print differences of it. Linux's count where there is one (under wine),
// else the process's user and kernel time.
inline uint64_t CpuTime100ns(HANDLE process) {
  if (const uint64_t linux_time = LinuxCpuTime100ns(process)) return linux_time;
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
