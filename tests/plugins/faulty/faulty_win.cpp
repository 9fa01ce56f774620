// The faulty input plug-in: exports every entry of the input plug-in contract and can be
// told, per entry, to fail in a chosen way, so the player's guards can be proved. It is
// configured by an ini file beside it named after its own file (faulty_a.dll reads
// faulty_a.ini). Lines are key=value; keys:
//   extensions       text of the `extension` entry                     [MP3]
//   fault_<entry>    how <entry> fails:
//                      null     writes through a null pointer (access violation)
//                      illegal  executes an undefined instruction
//                      divide   divides an integer by zero
//                      throw    throws a C++ exception out of the entry
//                      badtext  returns an invalid pointer as its text
//                      abort    calls abort()
//                      crt      hands a bad pointer to the C runtime's strlen
//                      pump     does not fail: dispatches the thread's waiting messages,
//                               as a modal loop of the library would
//   log              log file beside the library                        [<name>.log]
// Every call is appended to the log as "<entry>[ <argument>]" before it runs, so a test
// can tell which calls were made even when they fault.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>

#include "plugins/input_plugin_abi.h"

namespace {

HMODULE g_self = nullptr;
std::string g_folder;  // folder of the library, with trailing backslash
std::string g_base;    // file name without ".dll"
std::map<std::string, std::string> g_ini;
bool g_loaded = false;

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return {};
  const size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}

void LoadConfig() {
  if (g_loaded) return;
  g_loaded = true;
  char buffer[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(g_self, buffer, sizeof buffer);
  const std::string path(buffer, n);
  const size_t slash = path.find_last_of("\\/");
  g_folder = path.substr(0, slash + 1);
  std::string name = path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  g_base = dot == std::string::npos ? name : name.substr(0, dot);
  FILE* file = std::fopen((g_folder + g_base + ".ini").c_str(), "rb");
  if (!file) return;
  char line[1024];
  while (std::fgets(line, sizeof line, file)) {
    const std::string text = line;
    const size_t eq = text.find('=');
    if (eq == std::string::npos) continue;
    g_ini[Trim(text.substr(0, eq))] = Trim(text.substr(eq + 1));
  }
  std::fclose(file);
}

std::string Setting(const std::string& key, const std::string& fallback) {
  const auto it = g_ini.find(key);
  return it == g_ini.end() ? fallback : it->second;
}

void Log(const std::string& entry, const std::string& argument = "") {
  LoadConfig();
  FILE* file = std::fopen((g_folder + Setting("log", g_base + ".log")).c_str(), "ab");
  if (!file) return;
  std::fprintf(file, "%s%s%s\r\n", entry.c_str(), argument.empty() ? "" : " ", argument.c_str());
  std::fclose(file);
}

const char* const kBadText = reinterpret_cast<const char*>(static_cast<uintptr_t>(0x10));

// Fails as configured; returns the bad text pointer for "badtext", null otherwise.
const char* MaybeFault(const char* entry) {
  const std::string mode = Setting(std::string("fault_") + entry, "");
  if (mode == "null") {
    *static_cast<volatile int*>(nullptr) = 1;
  } else if (mode == "illegal") {
    __builtin_trap();
  } else if (mode == "divide") {
    volatile int zero = 0;
    volatile int result = 100 / zero;
    (void)result;
  } else if (mode == "throw") {
    throw std::runtime_error(std::string("faulty plug-in: ") + entry);
  } else if (mode == "badtext") {
    return kBadText;
  } else if (mode == "abort") {
    std::abort();
  } else if (mode == "crt") {
    const char* volatile bad = kBadText;
    volatile size_t length = std::strlen(bad);
    (void)length;
  } else if (mode == "pump") {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return nullptr;
}

std::string Deref(VelmoraStringRef* ref) { return ref && *ref ? *ref : ""; }

const char* Text(const char* entry, const char* normal) {
  Log(entry);
  if (const char* bad = MaybeFault(entry)) return bad;
  return normal;
}

void Void(const char* entry) {
  Log(entry);
  MaybeFault(entry);
}

std::string g_extensions;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = instance;
  return TRUE;
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL extension(void) {
  Log("extension");
  if (const char* bad = MaybeFault("extension")) return bad;
  g_extensions = Setting("extensions", "MP3");
  return g_extensions.c_str();
}
VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL init(VelmoraStringRef* folder) {
  Log("init", Deref(folder));
  MaybeFault("init");
}
VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL deinit(void) { Void("deinit"); }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL load(VelmoraStringRef* path) {
  Log("load", Deref(path));
  if (const char* bad = MaybeFault("load")) return bad;
  return "Faulty title";
}
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL webload(VelmoraStringRef* url) {
  Log("webload", Deref(url));
  if (const char* bad = MaybeFault("webload")) return bad;
  return "Faulty stream";
}
VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL play(VelmoraStringRef* path) {
  Log("play", Deref(path));
  MaybeFault("play");
}
VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL pause(void) { Void("pause"); }
VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL stop(void) { Void("stop"); }
VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showoptionspopup(int32_t x, int32_t y) {
  Log("showoptionspopup", std::to_string(x) + " " + std::to_string(y));
  MaybeFault("showoptionspopup");
}
VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL playing(void) {
  Void("playing");
  return 0xFF00u;  // only the low byte counts: this is false
}
VELMORA_PLUGIN_EXPORT int32_t VELMORA_STDCALL length(void) {
  Void("length");
  return 1000;
}
VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL jumpto(int32_t ms) {
  Log("jumpto", std::to_string(ms));
  MaybeFault("jumpto");
}
VELMORA_PLUGIN_EXPORT int32_t VELMORA_STDCALL getposition(void) {
  Void("getposition");
  return 0;
}
VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL paused(void) {
  Void("paused");
  return 0x101u;  // low byte 1: true
}
VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL ended(void) {
  Void("ended");
  return 0;
}
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL bitrate(void) { return Text("bitrate", "128"); }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL layer(void) { return Text("layer", "3"); }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL frequence(void) {
  return Text("frequence", "44100");
}
VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showid3(void) { Void("showid3"); }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL dllname(void) {
  return Text("dllname", "Faulty plug-in");
}
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL author(void) {
  return Text("author", "Velmora tests");
}
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL version(void) { return Text("version", "1.0"); }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL date(void) { return Text("date", "2024"); }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL support(void) {
  return Text("support", "Nothing really");
}
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL info(void) {
  return Text("info", "Fails on request");
}
