// The probe input plug-in: honours the whole input plug-in contract with a simulated track
// and appends every call it receives, with its arguments, to <program folder>\probe.log:
//
//   <dll file name>: <entry>[ <arguments>]        e.g.  probe_a.dll: load C:\x\a.mp3
//
// It is configured by an ini file beside it named after its own file (probe_a.dll reads
// probe_a.ini), so several copies with different settings can sit in one Library folder.
// Lines are key=value; [sections], blank lines and lines starting with ';' or '#' are
// ignored. Keys (defaults in brackets):
//   extensions  text of the `extension` entry                           [MP3]
//   length_ms   length of every simulated track                         [10000]
//   speed       simulated milliseconds per real millisecond              [1]
//   title       text `load`/`webload` return; %f = file name, %p = path  [%f]
//   title_address  an address `load` returns instead of its title (0x40: garbage)
//   title_unterminated  1: `load` returns 4096 'u's without a terminator (an unreadable
//               page follows them)
//   bitrate, layer, frequence                                         [128, 3, 44100]
//   dllname, author, version, date, support, info                     [descriptive texts]
//   omit        entries (comma separated) the library does not export, e.g. omit=init,ended
//   fault       entries that raise an access violation when called
//   delay_<entry>  milliseconds the entry takes, e.g. delay_load=1500
//   log         log file name relative to the program folder          [probe.log]
//   peaks       "left,right": audiblepeaks reports these raw peaks while playing (not
//               logged); without the key the library does not export audiblepeaks
//   samples     <bin>: audiblepeaks also reports 576 samples of a sine at that bin of a
//               2048-point transform, with the peaks as amplitudes
//
// The track: `load` stops and rewinds; `play` starts at 0; the position advances with real
// time while playing; `pause` toggles (while paused `playing` is false and `paused` true);
// at the length the track has ended (`playing` false, `ended` true); `stop` rewinds and
// clears ended; `jumpto` clamps to 0..length and keeps the state.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "plugins/input_plugin_abi.h"
#include "tests/plugins/plugin_ini.h"

namespace {

using namespace velmora::testplugin;

HMODULE g_self = nullptr;
std::string g_dll_name;        // our own file name, e.g. probe_a.dll
std::string g_program_folder;  // two levels up from the library, no trailing backslash
std::map<std::string, std::string> g_ini;
std::set<std::string> g_faults;

std::string Setting(const std::string& key, const std::string& fallback) {
  auto it = g_ini.find(key);
  return it == g_ini.end() ? fallback : it->second;
}

long SettingInt(const std::string& key, long fallback) {
  auto it = g_ini.find(key);
  return it == g_ini.end() ? fallback : strtol(it->second.c_str(), nullptr, 10);
}

void Log(const std::string& call) {
  std::string path = g_program_folder + "\\" + Setting("log", "probe.log");
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string line = g_dll_name + ": " + call + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

// Every entry starts here: log, then the configured delay and fault.
void Enter(const char* entry, const std::string& arguments = "") {
  Log(arguments.empty() ? std::string(entry) : std::string(entry) + " " + arguments);
  long delay = SettingInt(std::string("delay_") + entry, 0);
  if (delay > 0) Sleep(static_cast<DWORD>(delay));
  if (g_faults.count(entry)) {
    *static_cast<volatile int*>(nullptr) = 0;
  }
}

std::string Deref(VelmoraStringRef* ref) {
  if (!ref) return "(null)";
  if (!*ref) return "(nil)";
  return *ref;
}

// Removes named entries from our own export table, so GetProcAddress reports them
// missing exactly as for a library that never had them.
void OmitExports(const std::set<std::string>& omitted) {
  if (omitted.empty()) return;
  auto* base = reinterpret_cast<BYTE*>(g_self);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (!dir.VirtualAddress) return;
  auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
  auto* ordinals = reinterpret_cast<WORD*>(base + exports->AddressOfNameOrdinals);
  auto* functions = reinterpret_cast<DWORD*>(base + exports->AddressOfFunctions);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    std::string name = reinterpret_cast<const char*>(base + names[i]);
    if (!omitted.count(Lower(name))) continue;
    DWORD* slot = &functions[ordinals[i]];
    DWORD old = 0;
    if (VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) {
      *slot = 0;
      VirtualProtect(slot, sizeof *slot, old, &old);
    }
  }
}

void Configure() {
  char buffer[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(g_self, buffer, sizeof buffer);
  std::string path(buffer, n);
  size_t slash = path.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  g_dll_name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t up = folder.find_last_of("\\/");
  g_program_folder = up == std::string::npos ? folder : folder.substr(0, up);

  std::string stem = g_dll_name;
  size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos) stem.erase(dot);
  g_ini = ReadIni(folder + "\\" + stem + ".ini");
  g_faults = SplitList(Setting("fault", ""));
  std::set<std::string> omitted = SplitList(Setting("omit", ""));
  if (!g_ini.count("peaks")) omitted.insert("audiblepeaks");
  OmitExports(omitted);
}

// ---- the simulated track ------------------------------------------------------------

enum class State { Stopped, Playing, Paused, Ended };

struct Track {
  std::string path;
  State state = State::Stopped;
  double position = 0;  // ms, at `since`
  DWORD since = 0;
};
Track g_track;

int32_t Length() { return static_cast<int32_t>(SettingInt("length_ms", 10000)); }

double Speed() {
  double speed = atof(Setting("speed", "1").c_str());
  return speed > 0 ? speed : 1;
}

// Brings the simulation up to now: advances the position, ends the track at its length.
void Advance() {
  DWORD now = GetTickCount();
  if (g_track.state == State::Playing) {
    g_track.position += (now - g_track.since) * Speed();
    if (g_track.position >= Length()) {
      g_track.position = Length();
      g_track.state = State::Ended;
    }
  }
  g_track.since = now;
}

std::string FileName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Title(const std::string& path) {
  std::string pattern = Setting("title", "%f"), title;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'f') {
      title += FileName(path), ++i;
    } else if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'p') {
      title += path, ++i;
    } else {
      title += pattern[i];
    }
  }
  return title;
}

// Text results must stay valid after the call; one buffer per entry.
const char* Keep(std::string& slot, const std::string& value) {
  slot = value;
  return slot.c_str();
}

std::string g_title, g_webtitle, g_bitrate, g_layer, g_frequence, g_extension, g_dllname, g_author,
    g_version, g_date, g_support, g_info;

}  // namespace

// ---- the exported entries -----------------------------------------------------------

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL load(VelmoraStringRef* path) {
  std::string text = Deref(path);
  Enter("load", text);
  g_track = Track{};
  g_track.path = text;
  g_track.since = GetTickCount();
  if (const std::string address = Setting("title_address", ""); !address.empty())
    return reinterpret_cast<const char*>(
        static_cast<uintptr_t>(std::strtoull(address.c_str(), nullptr, 0)));
  if (Setting("title_unterminated", "0") == "1") {
    static char* page = nullptr;
    if (!page) {
      page =
          static_cast<char*>(VirtualAlloc(nullptr, 8192, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
      std::memset(page, 'u', 4096);
      DWORD old = 0;
      VirtualProtect(page + 4096, 4096, PAGE_NOACCESS, &old);
    }
    return page;
  }
  return Keep(g_title, Title(text));
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL play(VelmoraStringRef* path) {
  Enter("play", Deref(path));
  g_track.state = State::Playing;
  g_track.position = 0;
  g_track.since = GetTickCount();
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL pause(void) {
  Enter("pause");
  Advance();
  if (g_track.state == State::Playing) {
    g_track.state = State::Paused;
  } else if (g_track.state == State::Paused) {
    g_track.state = State::Playing;
  }
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL stop(void) {
  Enter("stop");
  g_track.state = State::Stopped;
  g_track.position = 0;
  g_track.since = GetTickCount();
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL init(VelmoraStringRef* folder) {
  Enter("init", Deref(folder));
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL deinit(void) { Enter("deinit"); }

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showoptionspopup(int32_t x, int32_t y) {
  Enter("showoptionspopup", std::to_string(x) + " " + std::to_string(y));
}

VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL playing(void) {
  Enter("playing");
  Advance();
  return g_track.state == State::Playing;
}

VELMORA_PLUGIN_EXPORT int32_t VELMORA_STDCALL length(void) {
  Enter("length");
  return Length();
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL jumpto(int32_t ms) {
  Enter("jumpto", std::to_string(ms));
  Advance();
  g_track.position = std::min<double>(std::max<int32_t>(ms, 0), Length());
  if (g_track.state == State::Ended && g_track.position < Length()) g_track.state = State::Playing;
}

VELMORA_PLUGIN_EXPORT int32_t VELMORA_STDCALL getposition(void) {
  Enter("getposition");
  Advance();
  return static_cast<int32_t>(g_track.position);
}

VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL paused(void) {
  Enter("paused");
  Advance();
  return g_track.state == State::Paused;
}

VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL ended(void) {
  Enter("ended");
  Advance();
  return g_track.state == State::Ended;
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL bitrate(void) {
  Enter("bitrate");
  return Keep(g_bitrate, Setting("bitrate", "128"));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL layer(void) {
  Enter("layer");
  return Keep(g_layer, Setting("layer", "3"));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL frequence(void) {
  Enter("frequence");
  return Keep(g_frequence, Setting("frequence", "44100"));
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showid3(void) { Enter("showid3"); }

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL webload(VelmoraStringRef* url) {
  std::string text = Deref(url);
  Enter("webload", text);
  g_track = Track{};
  g_track.path = text;
  g_track.since = GetTickCount();
  return Keep(g_webtitle, Title(text));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL extension(void) {
  Enter("extension");
  return Keep(g_extension, Setting("extensions", "MP3"));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL dllname(void) {
  Enter("dllname");
  return Keep(g_dllname, Setting("dllname", "Probe input plug-in"));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL author(void) {
  Enter("author");
  return Keep(g_author, Setting("author", "Velmora tests"));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL version(void) {
  Enter("version");
  return Keep(g_version, Setting("version", "1.0"));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL date(void) {
  Enter("date");
  return Keep(g_date, Setting("date", "2024-01-01"));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL support(void) {
  Enter("support");
  return Keep(g_support, Setting("support", "Simulated tracks"));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL info(void) {
  Enter("info");
  return Keep(g_info, Setting("info", "Logs every call it receives"));
}

// Called many times a second by meters: not logged.
VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL audiblepeaks(VelmoraAudiblePeaks* peaks) {
  Advance();
  const bool sounding = g_track.state == State::Playing;
  const std::string text = Setting("peaks", "0,0");
  const size_t comma = text.find(',');
  const long left = strtol(text.c_str(), nullptr, 10);
  const long right = comma == std::string::npos ? left : strtol(text.c_str() + comma + 1, nullptr, 10);
  // Fills what lies within both the caller's record and ours.
  VelmoraAudiblePeaks mine{};
  mine.channels = sounding ? 2 : 0;
  mine.peak[0] = sounding ? left : 0;
  mine.peak[1] = sounding ? right : 0;
  // samples=<bin>: a sine at bin <bin> of a 2048-point transform, of the peaks' amplitude.
  const long bin = SettingInt("samples", 0);
  if (sounding && bin > 0) {
    mine.sample_count = 576;
    for (int i = 0; i < 576; ++i) {
      const double wave = sin(2 * 3.14159265358979 * bin * i / 2048);
      mine.samples[0][i] = static_cast<int16_t>(std::min(left, 32767L) * wave);
      mine.samples[1][i] = static_cast<int16_t>(std::min(right, 32767L) * wave);
    }
  }
  if (!peaks || peaks->size < sizeof(peaks->size)) return 0;
  mine.size = std::min<uint32_t>(peaks->size, sizeof mine);
  memcpy(peaks, &mine, mine.size);
  return sounding;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    DisableThreadLibraryCalls(instance);
    Configure();
  }
  return TRUE;
}
