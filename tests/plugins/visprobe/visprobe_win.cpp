// The test visualisation plug-in: exports winampVisGetHeader with three modules ("Probe
// scope", "Probe bars", "Probe dots") and appends every call it receives, with the record
// fields it sees, to <program folder>\visprobe.log:
//
//   init 1 record=<address> parent=<class of hwndParent> instance=self userdata=0 delay=10
//   ask version=8192 playing=1 listlength=2 title0=<title of entry 0>
//   render 1 t=<ms, fractional> w0=100,0 w1=40,0 s0peak=0:0
//        (w0, w1: the byte pair every 576-byte channel repeats, or "mixed"; s0peak: the
//        highest bin of the left spectrum and its level)
//   quit 1 record=<address> userdata=<address> state=intact
//   config 1 parent=<class> instance=self
//   detach free | detach exit
//
// An ini beside it (visprobe.ini, key=value lines) configures it:
//   delay_ms   delayMs of every module                                   [10]
//   fault      init, render, quit or config: that entry raises an access violation
//   userdata   1: Init allocates a state block into userData, Quit checks and frees it
//   log        log file name relative to the program folder              [visprobe.log]
//   quiet      1: Render logs nothing and returns at once (for measuring the host alone)
//   header     an address: winampVisGetHeader returns it instead of its header (0x40, ...)
//   module     an address: getModule returns it for every index instead of a module
//   init_result  what Init returns                                       [0]
//   hang       render: Render never returns (it logs "render ... hang" first)
//   description_length  the header's description is that many 'd's, terminated
//   description  the header's description                   [Velmora visualisation probe]
// A copy under another name reads the ini of that name (visfault.dll: visfault.ini).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "vis/vis_plugin_abi.h"

namespace {

using velmora::VisHeader;
using velmora::VisModule;

HMODULE g_self = nullptr;
std::string g_program_folder;
std::map<std::string, std::string> g_ini;
LARGE_INTEGER g_frequency;

std::string Setting(const std::string& key, const std::string& fallback) {
  auto it = g_ini.find(key);
  return it == g_ini.end() ? fallback : it->second;
}

void Configure() {
  char buffer[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(g_self, buffer, sizeof buffer);
  std::string path(buffer, n);
  size_t slash = path.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  size_t up = folder.find_last_of("\\/");
  g_program_folder = up == std::string::npos ? folder : folder.substr(0, up);
  // The ini named after this file (visprobe.ini for visprobe.dll): copies under other
  // names have settings of their own.
  std::string stem = path.substr(slash == std::string::npos ? 0 : slash + 1);
  if (stem.size() > 4) stem.erase(stem.size() - 4);
  FILE* file = std::fopen((folder + "\\" + stem + ".ini").c_str(), "rb");
  if (!file) return;
  char line[1024];
  while (std::fgets(line, sizeof line, file)) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
      text.pop_back();
    size_t eq = text.find('=');
    if (eq != std::string::npos) g_ini[text.substr(0, eq)] = text.substr(eq + 1);
  }
  std::fclose(file);
}

void Log(const std::string& line) {
  std::string path = g_program_folder + "\\" + Setting("log", "visprobe.log");
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void FaultIf(const char* entry) {
  if (Setting("fault", "") == entry) *static_cast<volatile int*>(nullptr) = 0;
}

std::string Address(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

std::string ClassOf(void* window) {
  char name[128] = "";
  if (!window || !GetClassNameA(static_cast<HWND>(window), name, sizeof name)) return "(none)";
  return name;
}

// The byte pair a channel repeats over all 576 bytes, or "mixed".
std::string Pattern(const unsigned char* bytes) {
  for (int i = 2; i < 576; ++i)
    if (bytes[i] != bytes[i % 2]) return "mixed";
  return std::to_string(bytes[0]) + "," + std::to_string(bytes[1]);
}

constexpr unsigned kStateMagic = 0x5157A7E5;
struct State {
  unsigned magic;
  int module;
};

int IndexOf(VisModule* m);

void Config(VisModule* m) {
  Log("config " + std::to_string(IndexOf(m)) + " parent=" + ClassOf(m->hwndParent) +
      " instance=" + (m->hDllInstance == g_self ? "self" : "other"));
  FaultIf("config");
}

LRESULT Ask(HWND parent, WPARAM data, LPARAM question) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(parent, WM_USER, data, question, SMTO_NORMAL, 5000, &answer)) return -2;
  return static_cast<LRESULT>(answer);
}

int32_t Init(VisModule* m) {
  const int index = IndexOf(m);
  Log("init " + std::to_string(index) + " record=" + Address(m) + " parent=" +
      ClassOf(m->hwndParent) + " instance=" + (m->hDllInstance == g_self ? "self" : "other") +
      " userdata=" + Address(m->userData) + " delay=" + std::to_string(m->delayMs));
  HWND parent = static_cast<HWND>(m->hwndParent);
  const char* title = reinterpret_cast<const char*>(Ask(parent, 0, 212));
  Log("ask version=" + std::to_string(Ask(parent, 0, 0)) +
      " playing=" + std::to_string(Ask(parent, 0, 104)) +
      " listlength=" + std::to_string(Ask(parent, 0, 124)) +
      " title0=" + (title ? std::string(title) : std::string("(null)")));
  FaultIf("init");
  if (Setting("userdata", "0") == "1") m->userData = new State{kStateMagic, index};
  return std::atoi(Setting("init_result", "0").c_str());
}

int32_t Render(VisModule* m) {
  static const bool quiet = Setting("quiet", "0") == "1";
  if (quiet) return 0;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  char time[32];
  std::snprintf(time, sizeof time, "%.2f", 1000.0 * now.QuadPart / g_frequency.QuadPart);
  int peak = 0;
  for (int i = 1; i < 576; ++i)
    if (m->spectrumData[0][i] > m->spectrumData[0][peak]) peak = i;
  Log("render " + std::to_string(IndexOf(m)) + " t=" + time + " w0=" +
      Pattern(m->waveformData[0]) + " w1=" + Pattern(m->waveformData[1]) +
      " s0peak=" + std::to_string(peak) + ":" + std::to_string(m->spectrumData[0][peak]));
  FaultIf("render");
  if (Setting("hang", "") == "render") {
    Log("render " + std::to_string(IndexOf(m)) + " hang");
    for (;;) Sleep(INFINITE);
  }
  return 0;
}

void Quit(VisModule* m) {
  std::string state = "none";
  if (auto* s = static_cast<State*>(m->userData)) {
    state = s->magic == kStateMagic && s->module == IndexOf(m) ? "intact" : "stale";
    if (state == "intact") {
      s->magic = 0;
      delete s;
      m->userData = nullptr;
    }
  }
  Log("quit " + std::to_string(IndexOf(m)) + " record=" + Address(m) +
      " userdata=" + Address(m->userData) + " state=" + state);
  FaultIf("quit");
}

VisModule g_modules[3];
VisHeader g_header;

int IndexOf(VisModule* m) {
  for (int i = 0; i < 3; ++i)
    if (m == &g_modules[i]) return i;
  return -1;
}

// An address from the ini ("0x40", "0xdead0000beef"), truncated to a pointer's size.
void* AddressSetting(const char* key) {
  const std::string text = Setting(key, "");
  if (text.empty()) return nullptr;
  return reinterpret_cast<void*>(static_cast<uintptr_t>(std::strtoull(text.c_str(), nullptr, 0)));
}

VisModule* GetModule(int32_t index) {
  Log("getModule " + std::to_string(index));
  if (void* bad = AddressSetting("module")) return static_cast<VisModule*>(bad);
  return index >= 0 && index < 3 ? &g_modules[index] : nullptr;
}

void Setup() {
  static const char* const kNames[3] = {"Probe scope", "Probe bars", "Probe dots"};
  const int delay = std::atoi(Setting("delay_ms", "10").c_str());
  for (int i = 0; i < 3; ++i) {
    VisModule& m = g_modules[i];
    std::memset(&m, 0, sizeof m);
    m.description = kNames[i];
    m.delayMs = delay;
    m.spectrumNch = 2;
    m.waveformNch = 2;
    m.Config = Config;
    m.Init = Init;
    m.Render = Render;
    m.Quit = Quit;
  }
  g_header.version = 0x101;
  static const std::string description = Setting("description", "Velmora visualisation probe");
  g_header.description = description.c_str();
  if (const int n = std::atoi(Setting("description_length", "0").c_str()); n > 0) {
    static std::string long_description;
    long_description.assign(static_cast<size_t>(n), 'd');
    g_header.description = long_description.c_str();
  }
  g_header.getModule = GetModule;
}

}  // namespace

extern "C" __declspec(dllexport) VisHeader* winampVisGetHeader(void) {
  Log("winampVisGetHeader");
  if (void* bad = AddressSetting("header")) return static_cast<VisHeader*>(bad);
  return &g_header;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    DisableThreadLibraryCalls(instance);
    QueryPerformanceFrequency(&g_frequency);
    Configure();
    Setup();
  } else if (reason == DLL_PROCESS_DETACH) {
    Log(reserved ? "detach exit" : "detach free");
  }
  return TRUE;
}
