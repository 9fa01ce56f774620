#include "harness.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "ui/control_ids.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace velmora::e2e {
namespace {

constexpr char kSettingsKey[] = "Software\\velmora";
constexpr char kMainClass[] = "TForm1";

std::string Env(const char* name) {
  char buffer[4096];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return {};
  return std::string(buffer, n);
}

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer) return path;
  return std::string(buffer, n);
}

std::string Join(const std::string& folder, const std::string& relative) {
  std::string rel = relative;
  std::replace(rel.begin(), rel.end(), '/', '\\');
  while (!rel.empty() && rel.front() == '\\') rel.erase(0, 1);
  return folder + "\\" + rel;
}

std::string ParentOf(const std::string& path) {
  auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void MakeFolders(const std::string& folder) {
  if (folder.empty() || GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  MakeFolders(ParentOf(folder));
  CreateDirectoryA(folder.c_str(), nullptr);
}

bool CopyTree(const std::string& from, const std::string& to) {
  CreateDirectoryA(to.c_str(), nullptr);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((from + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    std::string src = from + "\\" + name, dst = to + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = CopyTree(src, dst) && ok;
    } else if (!CopyFileA(src.c_str(), dst.c_str(), FALSE)) {
      std::fprintf(stderr, "copy %s -> %s failed: error %lu\n", src.c_str(), dst.c_str(),
                   GetLastError());
      ok = false;
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return ok;
}

void DeleteTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// RAII for a registry key handle.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  bool Open(const std::string& subkey, bool create) {
    std::string path = kSettingsKey;
    if (!subkey.empty()) path += "\\" + subkey;
    LONG rc = create ? RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                       KEY_ALL_ACCESS, nullptr, &key_, nullptr)
                     : RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_);
    if (rc != ERROR_SUCCESS) key_ = nullptr;
    return key_ != nullptr;
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Sends a message with a timeout; nothing when the window is gone or hung.
std::optional<LRESULT> SendTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                   int timeout_ms = 5000) {
  if (!hwnd) return std::nullopt;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL, timeout_ms, &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

std::string TextOf(HWND hwnd) {
  if (!hwnd) return {};
  auto length = SendTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0);
  if (!length || *length < 0) return {};
  std::string text(static_cast<size_t>(*length) + 1, '\0');
  auto copied = SendTimeout(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  if (!copied) return {};
  text.resize(std::min<size_t>(static_cast<size_t>(*copied), text.size() - 1));
  return text;
}

// Wine reads its library load order for a new process from the registry (the environment
// variable only counts for the first wine process of a tree). Disabling the sound drivers
// for velmora.exe alone leaves the player without any wave-out device. Harmless on Windows.
constexpr char kAppOverrides[] = "Software\\Wine\\AppDefaults\\velmora.exe\\DllOverrides";

void SetAudioDevicesDisabled(bool disabled) {
  if (!disabled) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppOverrides);
    return;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kAppOverrides, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  for (const char* driver : {"winealsa.drv", "winepulse.drv", "wineoss.drv"}) {
    RegSetValueExA(key, driver, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  }
  RegCloseKey(key);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& predicate, int timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (predicate()) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeout_ms) return predicate();
    PumpMessages();
    Sleep(20);
  }
}

std::string ExeFolder() {
  char buffer[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return ParentOf(std::string(buffer, n));
}

std::string DistFolder() {
  std::string env = Env("VELMORA_DIST");
  return FullPath(env.empty() ? ExeFolder() + "\\..\\dist" : env);
}

std::string TestPluginsFolder() {
  std::string env = Env("VELMORA_TESTPLUGINS");
  return FullPath(env.empty() ? ExeFolder() + "\\..\\testplugins" : env);
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    content.append(buffer, got);
  }
  CloseHandle(file);
  return content;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  MakeFolders(ParentOf(path));
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = content.empty() || (WriteFile(file, content.data(), static_cast<DWORD>(content.size()),
                                          &written, nullptr) &&
                                written == content.size());
  CloseHandle(file);
  return ok;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::string content = ReadWholeFile(path);
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// ---------------------------------------------------------------------------------------
// TestFolder

TestFolder::TestFolder() {
  static int counter = 0;
  char temp[MAX_PATH];
  DWORD n = GetTempPathA(sizeof temp, temp);
  std::string base = std::string(temp, n);
  if (!base.empty() && base.back() == '\\') base.pop_back();
  base += "\\velmora-e2e";
  root_ = base + "\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  DeleteTree(root_);
  MakeFolders(root_);
  path_ = root_ + "\\velmora";
  CopyTree(DistFolder(), path_);
  for (const char* sub : {"Library", "Design", "Icons", "Temp"}) {
    CreateDirectoryA(File(sub).c_str(), nullptr);
  }
}

TestFolder::~TestFolder() {
  if (Env("VELMORA_E2E_KEEP") == "1") return;
  // A player that just ended may hold its files for a moment longer.
  WaitUntil(
      [&] {
        DeleteTree(root_);
        return !FileExists(root_);
      },
      3000);
}

std::string TestFolder::File(const std::string& relative) const { return Join(path_, relative); }

void TestFolder::AddPlugin(const std::string& plugin_dll, const std::string& as_name,
                           const std::optional<std::string>& ini) {
  std::string name = as_name.empty() ? plugin_dll : as_name;
  std::string target = File("Library\\" + name);
  MakeFolders(ParentOf(target));
  CopyFileA((TestPluginsFolder() + "\\" + plugin_dll).c_str(), target.c_str(), FALSE);
  if (ini) {
    std::string stem = name;
    auto dot = stem.find_last_of('.');
    if (dot != std::string::npos) stem.erase(dot);
    WriteWholeFile(File("Library\\" + stem + ".ini"), *ini);
  }
}

void TestFolder::WriteFile(const std::string& relative, const std::string& content) const {
  WriteWholeFile(File(relative), content);
}

std::string TestFolder::ReadFile(const std::string& relative) const {
  return ReadWholeFile(File(relative));
}

bool TestFolder::Exists(const std::string& relative) const { return FileExists(File(relative)); }

void TestFolder::Remove(const std::string& relative) const {
  std::string path = File(relative);
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    DeleteTree(path);
  } else {
    DeleteFileA(path.c_str());
  }
}

std::string TestFolder::MakeMediaFile(const std::string& relative,
                                      const std::string& content) const {
  WriteFile(relative, content);
  return File(relative);
}

// ---------------------------------------------------------------------------------------
// Registry

namespace registry {

void ClearSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

bool SettingsKeyExists() {
  Key key;
  return key.Open("", false);
}

std::optional<uint32_t> ReadDword(const std::string& name, const std::string& subkey) {
  Key key;
  if (!key.Open(subkey, false)) return std::nullopt;
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                       &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string> ReadString(const std::string& name, const std::string& subkey) {
  Key key;
  if (!key.Open(subkey, false)) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  std::string value(size + 1, '\0');
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value[0]),
                       &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(strnlen(value.c_str(), size));
  return value;
}

void WriteDword(const std::string& name, uint32_t value, const std::string& subkey) {
  Key key;
  if (!key.Open(subkey, true)) return;
  DWORD v = value;
  RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                 sizeof v);
}

void WriteString(const std::string& name, const std::string& value, const std::string& subkey) {
  Key key;
  if (!key.Open(subkey, true)) return;
  RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}

std::vector<std::string> ValueNames(const std::string& subkey) {
  std::vector<std::string> names;
  Key key;
  if (!key.Open(subkey, false)) return names;
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD size = sizeof name;
    if (RegEnumValueA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, size);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace registry

// ---------------------------------------------------------------------------------------
// PlayerProcess

PlayerProcess::~PlayerProcess() {
  Kill();
  if (process_) {
    CloseHandle(process_);
    SetAudioDevicesDisabled(false);
  }
}

bool PlayerProcess::Start(const TestFolder& folder, const LaunchOptions& options) {
  return Start(folder.ExePath(), options);
}

namespace {
// Why a start failed, for the test's log: the error and what the program file looks like.
bool StartFailed(const std::string& exe_path) {
  const DWORD error = GetLastError();
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExA(exe_path.c_str(), GetFileExInfoStandard, &data)) {
    // Under wine 1359 means the new process ended before it ran (see the README's lessons).
    std::fprintf(stderr, "CreateProcess %s failed: error %lu (file of %lu bytes)%s\n",
                 exe_path.c_str(), error, data.nFileSizeLow,
                 error == ERROR_INTERNAL_ERROR ? "; is wine64-preloader installed?" : "");
  } else {
    std::fprintf(stderr, "CreateProcess %s failed: error %lu (file missing: error %lu)\n",
                 exe_path.c_str(), error, GetLastError());
  }
  return false;
}
}  // namespace

bool PlayerProcess::Start(const std::string& exe_path, const LaunchOptions& options) {
  if (process_) {
    std::fprintf(stderr, "Start: this player was already started\n");
    return false;
  }

  // The inherited environment, with the requested entries added or replaced.
  std::map<std::string, std::string> env;  // upper-case name -> "Name=value"
  if (char* block = GetEnvironmentStringsA()) {
    for (const char* p = block; *p; p += strlen(p) + 1) {
      std::string entry = p;
      size_t eq = entry.find('=', 1);  // names like "=C:" start with '='
      if (eq == std::string::npos) continue;
      std::string name = entry.substr(0, eq);
      std::transform(name.begin(), name.end(), name.begin(), ::toupper);
      env[name] = entry;
    }
    FreeEnvironmentStringsA(block);
  }
  auto set = [&](const std::string& entry) {
    std::string name = entry.substr(0, entry.find('='));
    std::transform(name.begin(), name.end(), name.begin(), ::toupper);
    env[name] = entry;
  };
  SetAudioDevicesDisabled(options.no_audio_device);
  for (const auto& entry : options.extra_env) set(entry);
  std::string block;
  for (const auto& kv : env) block += kv.second + '\0';
  block += '\0';

  std::string folder = ParentOf(exe_path);
  std::string command = "\"" + exe_path + "\"";
  if (!options.arguments.empty()) command += " " + options.arguments;
  std::vector<char> command_buffer(command.begin(), command.end());
  command_buffer.push_back('\0');

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (options.utf8_arguments) {
    std::wstring wide_command = WideOf(Utf8FromCodePage("\"" + exe_path + "\"") +
                                       (options.arguments.empty() ? "" : " " + options.arguments));
    STARTUPINFOW wide_startup{};
    wide_startup.cb = sizeof wide_startup;
    if (!CreateProcessW(WideOf(Utf8FromCodePage(exe_path)).c_str(), &wide_command[0], nullptr,
                        nullptr, FALSE, 0, &block[0], WideOf(Utf8FromCodePage(folder)).c_str(),
                        &wide_startup, &info))
      return StartFailed(exe_path);
  } else if (!CreateProcessA(exe_path.c_str(), command_buffer.data(), nullptr, nullptr, FALSE, 0,
                             &block[0], folder.c_str(), &startup, &info)) {
    return StartFailed(exe_path);
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  main_window_ = nullptr;
  return true;
}

HWND PlayerProcess::FindWindowOfClass(const char* class_name, const char* title) const {
  for (HWND hwnd : TopLevelWindowsOf(pid_)) {
    if (class_name && ClassNameOf(hwnd) != class_name) continue;
    if (title && WindowText(hwnd) != title) continue;
    return hwnd;
  }
  return nullptr;
}

HWND PlayerProcess::FindWindowOfClassWait(const char* class_name, int timeout_ms) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindWindowOfClass(class_name)) != nullptr; }, timeout_ms);
  return found;
}

HWND PlayerProcess::WaitForMainWindow(int timeout_ms) {
  if (!process_) return nullptr;
  HWND found = nullptr;
  WaitUntil(
      [&] {
        // By its class only: the application's window carries the same title, and an
        // enumeration by title could meet that one first.
        found = FindWindowOfClass(kMainClass);
        return found != nullptr || !Running();
      },
      timeout_ms);
  main_window_ = found;
  return found;
}

bool PlayerProcess::WaitForStartup(int timeout_ms) {
  const DWORD start = GetTickCount();
  HWND main = main_window_ ? main_window_ : WaitForMainWindow(timeout_ms);
  if (!main) return false;
  int left = timeout_ms - static_cast<int>(GetTickCount() - start);
  // The sliders are shown once the deferred start-up has applied the design, and its last
  // step lets the title scroll (the design's own pump may answer messages before that).
  bool shown = WaitUntil(
      [&] {
        return (IsControlVisible(main, ids::tb) && IsControlEnabled(main, ids::Banner1)) ||
               !Running();
      },
      std::max(left, 0));
  // A round trip through the message queue lets the start-up handler finish.
  if (shown && Running() && SendTimeout(main, WM_NULL, 0, 0, std::max(left, 1000)).has_value())
    return true;
  // What the program shows instead, for the log of a failed run.
  std::fprintf(stderr, "start-up not ready: %s, main window %s, status \"%s\", windows:%s\n",
               Running() ? "running" : "ended", ClassNameOf(main).c_str(),
               ControlText(main, ids::banner2).c_str(), DescribeWindowsOf(pid_).c_str());
  return false;
}

bool PlayerProcess::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> PlayerProcess::WaitForExit(int timeout_ms) {
  if (!process_) return std::nullopt;
  if (!WaitUntil([&] { return !Running(); }, timeout_ms)) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

bool PlayerProcess::Close(int timeout_ms) {
  if (!Running()) return true;
  HWND main = main_window_ ? main_window_ : WaitForMainWindow(timeout_ms);
  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  return WaitForExit(timeout_ms).has_value();
}

void PlayerProcess::Kill() {
  if (Running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
}

// ---------------------------------------------------------------------------------------
// Windows and controls

namespace {
struct WindowSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<WindowSearch*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == search->pid) search->found.push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
  WindowSearch search{pid, {}};
  EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string DescribeWindowsOf(DWORD pid) {
  std::string seen;
  for (HWND hwnd : TopLevelWindowsOf(pid))
    seen += " [" + ClassNameOf(hwnd) + " \"" + WindowText(hwnd) + "\"" +
            (IsWindowVisible(hwnd) ? "" : " hidden") + "]";
  return seen;
}

std::string WindowText(HWND hwnd) { return TextOf(hwnd); }

std::string ClassNameOf(HWND hwnd) {
  char name[256];
  int n = GetClassNameA(hwnd, name, sizeof name);
  return std::string(name, n > 0 ? n : 0);
}

HWND Control(HWND parent, int id) { return parent ? GetDlgItem(parent, id) : nullptr; }

std::string ControlText(HWND parent, int id) { return TextOf(Control(parent, id)); }

std::wstring WideOf(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  return wide;
}

std::string Utf8Of(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n,
                        nullptr, nullptr);
  return text;
}

std::string Utf8FromCodePage(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return Utf8Of(wide);
}

std::string WideWindowText(HWND hwnd) {
  if (!hwnd) return {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_NORMAL, 5000, &copied))
    return {};
  text.resize(std::min<size_t>(static_cast<size_t>(copied), text.size() - 1));
  return Utf8Of(text);
}

std::string WideListText(HWND parent, int id, int row) {
  HWND list = Control(parent, id);
  DWORD_PTR length = 0;
  if (!list || !SendMessageTimeoutW(list, LB_GETTEXTLEN, row, 0, SMTO_NORMAL, 5000, &length) ||
      static_cast<LRESULT>(length) < 0)
    return {};
  std::wstring text(std::max<size_t>(static_cast<size_t>(length) + 1, 4096), L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL,
                           5000, &copied) ||
      static_cast<LRESULT>(copied) < 0)
    return {};
  text.resize(wcsnlen(text.c_str(), text.size()));
  return Utf8Of(text);
}

bool CopyFileUtf8(const std::string& source, const std::string& target) {
  return CopyFileW(WideOf(source).c_str(), WideOf(target).c_str(), FALSE) != FALSE;
}

bool FileExistsUtf8(const std::string& path) {
  return GetFileAttributesW(WideOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsControlEnabled(HWND parent, int id) {
  HWND control = Control(parent, id);
  return control && IsWindowEnabled(control);
}

bool IsControlVisible(HWND parent, int id) {
  HWND control = Control(parent, id);
  return control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

int SliderPos(HWND parent, int id) {
  return static_cast<int>(SendTimeout(Control(parent, id), TBM_GETPOS, 0, 0).value_or(-1));
}

int SliderMax(HWND parent, int id) {
  return static_cast<int>(SendTimeout(Control(parent, id), TBM_GETRANGEMAX, 0, 0).value_or(-1));
}

int CheckState(HWND parent, int id) {
  return static_cast<int>(SendTimeout(Control(parent, id), BM_GETCHECK, 0, 0).value_or(-1));
}

int ListCount(HWND parent, int id) {
  return static_cast<int>(SendTimeout(Control(parent, id), LB_GETCOUNT, 0, 0).value_or(-1));
}

std::string ListText(HWND parent, int id, int row) {
  HWND list = Control(parent, id);
  if (!list) return {};
  // Asked in UTF-16 and converted here: wine hands the ANSI form of LB_GETTEXT back from
  // another process without converting the reply, so it would arrive as UTF-16 anyway.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, row, 0, SMTO_NORMAL, 5000, &length) ||
      static_cast<LRESULT>(length) < 0)
    return {};
  // The reply is copied into our buffer by the length the list reports at LB_GETTEXT time,
  // which can exceed the earlier LB_GETTEXTLEN while the player is changing the list.
  const size_t size = std::max<size_t>(static_cast<size_t>(length) + 1, 1u << 20);
  std::unique_ptr<wchar_t[]> buffer(new wchar_t[size]);
  buffer[0] = L'\0';
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(buffer.get()),
                           SMTO_NORMAL, 5000, &copied) ||
      static_cast<LRESULT>(copied) < 0)
    return {};
  const int wide = static_cast<int>(wcsnlen(buffer.get(), size));
  if (wide == 0) return {};
  const int bytes =
      WideCharToMultiByte(CP_ACP, 0, buffer.get(), wide, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, buffer.get(), wide, &text[0], bytes, nullptr, nullptr);
  return text;
}

namespace {

// Memory in another process, for common-control messages that carry pointers.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_)
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  char* address() const { return static_cast<char*>(address_); }
  bool Write(size_t offset, const void* data, size_t size) {
    return address_ && offset + size <= size_ &&
           WriteProcessMemory(process_, address() + offset, data, size, nullptr);
  }
  bool Read(size_t offset, void* data, size_t size) {
    return address_ && offset + size <= size_ &&
           ReadProcessMemory(process_, address() + offset, data, size, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_;
};

HTREEITEM NextTreeItem(HWND tree, UINT how, HTREEITEM from) {
  return reinterpret_cast<HTREEITEM>(
      SendTimeout(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)).value_or(0));
}

std::string TreeItemText(HWND tree, RemoteBuffer& remote, HTREEITEM item) {
  constexpr size_t kTextSize = 256;
  TVITEMA tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = remote.address() + sizeof(TVITEMA);
  tv.cchTextMax = kTextSize;
  const char zero = 0;
  if (!remote.Write(0, &tv, sizeof tv) || !remote.Write(sizeof tv, &zero, 1)) return {};
  SendTimeout(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.address()));
  char text[kTextSize] = {};
  remote.Read(sizeof tv, text, kTextSize - 1);
  return text;
}

void CollectTreeNodes(HWND tree, RemoteBuffer& remote, HTREEITEM first, int depth,
                      std::vector<TreeNode>* nodes) {
  for (HTREEITEM item = first; item; item = NextTreeItem(tree, TVGN_NEXT, item)) {
    nodes->push_back({TreeItemText(tree, remote, item), depth, item});
    CollectTreeNodes(tree, remote, NextTreeItem(tree, TVGN_CHILD, item), depth + 1, nodes);
  }
}

}  // namespace

// Saves a part of the screen as a 24-bit BMP file.
void SaveScreenBmp(const std::string& path, RECT r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, size = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + size;
  std::string file(reinterpret_cast<const char*>(&fh), sizeof fh);
  file.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
  file.append(static_cast<const char*>(bits), size);
  WriteWholeFile(path, file);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

std::vector<TreeNode> TreeNodes(HWND parent, int id) {
  std::vector<TreeNode> nodes;
  HWND tree = Control(parent, id);
  if (!tree) return nodes;
  RemoteBuffer remote(tree, sizeof(TVITEMA) + 256);
  CollectTreeNodes(tree, remote, NextTreeItem(tree, TVGN_ROOT, nullptr), 0, &nodes);
  return nodes;
}

bool SelectTreeNode(HWND parent, int id, const std::string& text) {
  for (const TreeNode& node : TreeNodes(parent, id))
    if (node.text == text)
      return SendTimeout(Control(parent, id), TVM_SELECTITEM, TVGN_CARET,
                         reinterpret_cast<LPARAM>(node.item))
                 .value_or(0) != 0;
  return false;
}

std::vector<std::string> ListItems(HWND parent, int id) {
  std::vector<std::string> items;
  int count = ListCount(parent, id);
  for (int row = 0; row < count; ++row) items.push_back(ListText(parent, id, row));
  return items;
}

std::vector<int> ListSelection(HWND parent, int id) {
  std::vector<int> rows;
  HWND list = Control(parent, id);
  int count = ListCount(parent, id);
  for (int row = 0; row < count; ++row) {
    if (SendTimeout(list, LB_GETSEL, row, 0).value_or(0) > 0) rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> out;
  const std::string before = WindowText(combo);
  const int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    SendMessageA(combo, CB_SETCURSEL, i, 0);
    out.push_back(WindowText(combo));
  }
  SetWindowTextA(combo, before.c_str());
  return out;
}

bool WaitChooserListsAgree(HWND chooser, int timeout_ms) {
  return WaitUntil(
      [&] {
        const auto names = SendTimeout(Control(chooser, ids::designList), CB_GETCOUNT, 0, 0);
        return names && ListCount(chooser, ids::designdlls) == static_cast<int>(*names);
      },
      timeout_ms);
}

std::string LowerText(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

void Click(HWND parent, int id) { SendTimeout(Control(parent, id), BM_CLICK, 0, 0, 10000); }

bool WaitForControlText(HWND parent, int id, const std::string& expected, int timeout_ms) {
  return WaitUntil([&] { return ControlText(parent, id) == expected; }, timeout_ms);
}

// ---------------------------------------------------------------------------------------
// External control

std::optional<LRESULT> SendRegistered(HWND hwnd, const char* name, int timeout_ms) {
  UINT msg = RegisterWindowMessageA(name);
  if (!msg) return std::nullopt;
  return SendTimeout(hwnd, msg, 0, 0, timeout_ms);
}

std::optional<LRESULT> SendCopyData(HWND hwnd, const std::string& text,
                                    std::optional<DWORD> cb_data_override, int timeout_ms) {
  std::vector<char> data(text.begin(), text.end());
  data.push_back('\0');
  COPYDATASTRUCT cds{};
  cds.dwData = 255;
  cds.cbData = cb_data_override ? *cb_data_override : static_cast<DWORD>(text.size());
  // Never let an override reach past our own buffer.
  cds.cbData = std::min<DWORD>(cds.cbData, static_cast<DWORD>(data.size()));
  cds.lpData = data.data();
  return SendTimeout(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), timeout_ms);
}

namespace {

// Copies a DROPFILES block into the receiving window's process and posts it there.
bool PostDropBlock(HWND hwnd, const std::vector<char>& block) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote =
      VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  bool ok = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
  CloseHandle(process);
  return ok && PostMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

}  // namespace

bool DropFiles(HWND hwnd, const std::vector<std::string>& paths, POINT at) {
  // The drop handle must live in the receiving process: the shell hands over a block of
  // memory there. Build the DROPFILES block and copy it into the player's address space;
  // a fixed-memory pointer is a valid drop handle for DragQueryFile.
  std::string names;
  for (const auto& p : paths) names += p + '\0';
  names += '\0';
  std::vector<char> block(sizeof(DROPFILES) + names.size());
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->pt = at;
  header->fNC = FALSE;
  header->fWide = FALSE;
  memcpy(block.data() + sizeof(DROPFILES), names.data(), names.size());

  return PostDropBlock(hwnd, block);
}

bool DropFilesUtf8(HWND hwnd, const std::vector<std::string>& paths, POINT at) {
  std::wstring names;
  for (const auto& p : paths) names += WideOf(p) + L'\0';
  names += L'\0';
  std::vector<char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->pt = at;
  header->fNC = FALSE;
  header->fWide = TRUE;
  memcpy(block.data() + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
  return PostDropBlock(hwnd, block);
}

// ---------------------------------------------------------------------------------------
// ProbeLog

ProbeLog::ProbeLog(const TestFolder& folder, const std::string& file_name)
    : path_(folder.File(file_name)) {}

std::vector<std::string> ProbeLog::Lines() const { return ReadLines(path_); }

std::vector<std::string> ProbeLog::Calls(const std::string& dll) const {
  std::vector<std::string> calls;
  for (const auto& line : Lines()) {
    size_t sep = line.find(": ");
    if (sep == std::string::npos) continue;
    if (!dll.empty() && _stricmp(line.substr(0, sep).c_str(), dll.c_str()) != 0) continue;
    calls.push_back(line.substr(sep + 2));
  }
  return calls;
}

int ProbeLog::Count(const std::string& entry, const std::string& dll) const {
  int count = 0;
  for (const auto& call : Calls(dll)) {
    if (call.substr(0, call.find(' ')) == entry) ++count;
  }
  return count;
}

bool ProbeLog::Contains(const std::string& call_line) const {
  auto calls = Calls();
  return std::find(calls.begin(), calls.end(), call_line) != calls.end();
}

bool ProbeLog::WaitFor(const std::string& call_line, int timeout_ms) const {
  return WaitUntil([&] { return Contains(call_line); }, timeout_ms);
}

bool ProbeLog::WaitForCount(const std::string& entry, int count, int timeout_ms) const {
  return WaitUntil([&] { return Count(entry) >= count; }, timeout_ms);
}

void ProbeLog::Clear() const { DeleteFileA(path_.c_str()); }

// ---------------------------------------------------------------------------------------
// AudioSink

namespace {
uint64_t SinkFileSize() {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(AudioSink::Path().c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
}  // namespace

AudioSink::AudioSink() { Reset(); }

bool AudioSink::Available() { return !Path().empty(); }

std::string AudioSink::Path() { return Env("VELMORA_AUDIO_SINK"); }

void AudioSink::Reset() { base_ = SinkFileSize(); }

uint64_t AudioSink::Size() const {
  uint64_t size = SinkFileSize();
  return size > base_ ? size - base_ : 0;
}

std::vector<int16_t> AudioSink::Samples() const {
  std::string content = ReadWholeFile(Path());
  std::vector<int16_t> samples;
  if (content.size() <= base_) return samples;
  size_t bytes = (content.size() - base_) / sizeof(int16_t) * sizeof(int16_t);
  samples.resize(bytes / sizeof(int16_t));
  memcpy(samples.data(), content.data() + base_, bytes);
  return samples;
}

int AudioSink::Peak() const {
  int peak = 0;
  for (int16_t s : Samples()) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

bool AudioSink::WaitForBytes(uint64_t bytes, int timeout_ms) const {
  return WaitUntil([&] { return Size() >= bytes; }, timeout_ms);
}

}  // namespace velmora::e2e
