// The test design library: built against the public header only, it appends every call it
// receives to <program folder>\design.log:
//
//   <dll file name>: <entry>[ <arguments>]        e.g.  glass.dll: OnStatus Playing
//
// (senders are logged as the class name of the window they are, or "null"). It is
// configured by an ini file beside it named after its own file (glass.dll reads
// glass.ini). Keys:
//   name        DesignName                                               [Glass]
//   omit        exports it does not have, e.g. omit=update
//   fault       entries that raise an access violation, e.g. fault=OnStatus,update
//   fault_after_show  the same, but only once OnShow has been received
//   on_<notification>   a service call made (once) from inside the first such
//               notification after update, e.g. on_OnSongTitle=HostSetVolume 250
//   log         log file name relative to the program folder             [design.log]
//   hang        entries that never return, e.g. hang=init or hang=update
//   null_name   1: DesignName is null
//   name_length the DesignName is that many 'g's (terminated)
//
// Tests drive the services through a hidden window of class "VelmoraGlassDesign": a
// WM_COPYDATA text "<service>[ <number>]" calls that service; results are logged as
// "result <service> <value>". Besides the services by name it knows "ReversePlaylist"
// (HostGetPlaylist, both lists reversed in place, HostSetPlaylist), "MenuState <Setup|Play|
// Pause|Stop> <command id>" (that entry of a menu it was handed: "checked"/"unchecked",
// "enabled"/"grayed") and "CloseWindow <class>" (WM_CLOSE to the player's window of that
// class, then whether it is still visible).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "design/velmora_design.h"
#include "tests/plugins/plugin_ini.h"

namespace {

using namespace velmora::testplugin;

HMODULE g_self = nullptr;
std::string g_dll_name, g_program_folder, g_name;
std::map<std::string, std::string> g_ini;
std::set<std::string> g_faults, g_faults_after_show;
std::set<std::string> g_hangs;
bool g_shown = false;
std::set<std::string> g_fired;
bool g_updated = false;
VelmoraDesignHeader g_header;
HBITMAP g_preview = nullptr;
HWND g_window = nullptr;

std::string Setting(const std::string& key, const std::string& fallback) {
  auto it = g_ini.find(Lower(key));
  return it == g_ini.end() ? fallback : it->second;
}

void Log(const std::string& call) {
  const std::string path = g_program_folder + "\\" + Setting("log", "design.log");
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string line = g_dll_name + ": " + call + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

void CallService(const std::string& command);

// Every entry starts here: log, the configured fault, the configured service call.
void Enter(const char* entry, const std::string& arguments = "") {
  Log(arguments.empty() ? std::string(entry) : std::string(entry) + " " + arguments);
  if (g_faults.count(Lower(entry)) || (g_shown && g_faults_after_show.count(Lower(entry))))
    *static_cast<volatile int*>(nullptr) = 0;
  if (g_hangs.count(Lower(entry)))
    for (;;) Sleep(1000);
  const std::string call = Setting(std::string("on_") + entry, "");
  if (g_updated && !call.empty() && g_fired.insert(entry).second) CallService(call);
}

std::string SenderText(VelmoraSender sender) {
  if (!sender) return "null";
  char name[64] = {};
  if (IsWindow(static_cast<HWND>(sender)) &&
      GetClassNameA(static_cast<HWND>(sender), name, sizeof name))
    return name;
  return "object";
}

// Removes named entries from our own export table, so the host finds them missing.
void OmitExports(const std::set<std::string>& omitted) {
  if (omitted.empty()) return;
  auto* base = reinterpret_cast<BYTE*>(g_self);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (!dir.VirtualAddress) return;
  auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
  auto* ordinals = reinterpret_cast<WORD*>(base + exports->AddressOfNameOrdinals);
  auto* functions = reinterpret_cast<DWORD*>(base + exports->AddressOfFunctions);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    if (!omitted.count(Lower(reinterpret_cast<const char*>(base + names[i])))) continue;
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
  const DWORD n = GetModuleFileNameA(g_self, buffer, sizeof buffer);
  const std::string path(buffer, n);
  const size_t slash = path.find_last_of("\\/");
  const std::string folder = path.substr(0, slash);
  g_dll_name = path.substr(slash + 1);
  g_program_folder = folder.substr(0, folder.find_last_of("\\/"));
  std::string stem = g_dll_name.substr(0, g_dll_name.find_last_of('.'));
  g_ini = ReadIni(folder + "\\" + stem + ".ini");
  g_name = Setting("name", "Glass");
  g_faults = SplitList(Setting("fault", ""));
  g_faults_after_show = SplitList(Setting("fault_after_show", ""));
  g_hangs = SplitList(Setting("hang", ""));
  if (const long n = std::strtol(Setting("name_length", "0").c_str(), nullptr, 10); n > 0)
    g_name.assign(static_cast<size_t>(n), 'g');
  OmitExports(SplitList(Setting("omit", "")));
}

// ---- services, by name ----------------------------------------------------------------

std::string ListText(const VelmoraStringList* list) {
  std::string text;
  const int32_t n = list->fn->Count(list);
  for (int32_t i = 0; i < n; ++i) text += std::string(i ? "|" : "") + list->fn->Get(list, i);
  return text;
}

void Reverse(VelmoraStringList* list) {
  const int32_t n = list->fn->Count(list);
  for (int32_t i = 0, j = n - 1; i < j; ++i, --j) {
    const std::string a = list->fn->Get(list, i), b = list->fn->Get(list, j);
    list->fn->Set(list, i, b.c_str());
    list->fn->Set(list, j, a.c_str());
  }
}

BOOL CALLBACK FindClassOnThread(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<std::pair<std::string, HWND>*>(lp);
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (search->first != name) return TRUE;
  search->second = hwnd;
  return FALSE;
}

void CallService(const std::string& command) {
  const size_t space = command.find(' ');
  const std::string name = command.substr(0, space);
  const int32_t arg =
      space == std::string::npos ? 0 : static_cast<int32_t>(atol(command.c_str() + space + 1));
  VelmoraDesignHeader& h = g_header;
  const std::map<std::string, VelmoraSenderService> clicks = {
      {"HostPlay", h.HostPlay},           {"HostStop", h.HostStop},
      {"HostPause", h.HostPause},         {"HostNextTrack", h.HostNextTrack},
      {"HostPrevTrack", h.HostPrevTrack}, {"HostFastForward", h.HostFastForward},
      {"HostRewind", h.HostRewind},       {"HostExit", h.HostExit},
      {"HostMinimize", h.HostMinimize},   {"HostId3", h.HostId3},
      {"HostOpen", h.HostOpen},           {"HostShowPlaylist", h.HostShowPlaylist}};
  const std::map<std::string, VelmoraIntService> with_number = {
      {"HostSeek", h.HostSeek},
      {"HostSetVolume", h.HostSetVolume},
      {"HostSetBalance", h.HostSetBalance},
      {"HostPlayIndex", h.HostPlayIndex}};
  Log("call " + command);
  if (auto it = clicks.find(name); it != clicks.end()) {
    it->second(nullptr);
  } else if (auto it2 = with_number.find(name); it2 != with_number.end()) {
    it2->second(arg);
  } else if (name == "HostShowPopup") {
    h.HostShowPopup();
  } else if (name == "HostSavePlaylist") {
    h.HostSavePlaylist();
  } else if (name == "HostGetBalance") {
    Log("result HostGetBalance " + std::to_string(h.HostGetBalance()));
  } else if (name == "HostGetCurrentIndex") {
    Log("result HostGetCurrentIndex " + std::to_string(h.HostGetCurrentIndex()));
  } else if (name == "HostGetPlaylist" || name == "HostSortPlaylist") {
    VelmoraStringList *names = nullptr, *paths = nullptr;
    (name == "HostGetPlaylist" ? h.HostGetPlaylist : h.HostSortPlaylist)(&names, &paths);
    Log("result " + name + " " + ListText(names) + " / " + ListText(paths));
  } else if (name == "ReversePlaylist") {
    VelmoraStringList *names = nullptr, *paths = nullptr;
    h.HostGetPlaylist(&names, &paths);
    Reverse(names);
    Reverse(paths);
    h.HostSetPlaylist(names, paths);
  } else if (name == "MenuState") {
    const std::string rest = command.substr(space + 1);
    const std::string which = rest.substr(0, rest.find(' '));
    const UINT id = static_cast<UINT>(atol(rest.c_str() + which.size()));
    const HMENU menu = which == "Setup"   ? h.SetupMenu
                       : which == "Play"  ? h.PlayMenu
                       : which == "Pause" ? h.PauseMenu
                                          : h.StopMenu;
    const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
    Log("result MenuState " + rest + " " +
        (state == static_cast<UINT>(-1)
             ? std::string("missing")
             : std::string(state & MF_CHECKED ? "checked" : "unchecked") +
                   (state & MF_GRAYED ? " grayed" : " enabled")));
  } else if (name == "CloseWindow") {
    std::pair<std::string, HWND> search{command.substr(space + 1), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindClassOnThread, reinterpret_cast<LPARAM>(&search));
    if (search.second) SendMessageA(search.second, WM_CLOSE, 0, 0);
    Log("result CloseWindow " + search.first + " " +
        (!search.second                   ? "missing"
         : IsWindowVisible(search.second) ? "visible"
                                          : "hidden"));
  } else if (name == "PopupSetupMenu") {
    Log(std::string("result PopupSetupMenu ") + (h.SetupMenu ? "menu" : "none"));
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    CallService(std::string(static_cast<const char*>(data->lpData), data->cbData));
    return 1;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

extern "C" {

__declspec(dllexport) void VELMORA_DESIGN_CALL init(void) { Enter("init"); }

__declspec(dllexport) VelmoraDesignHeader* VELMORA_DESIGN_CALL GetDesignHeader(void) {
  Enter("GetDesignHeader");
  g_header.DesignName = Setting("null_name", "0") == "1" ? nullptr : g_name.c_str();
  if (!g_preview) {
    HDC screen = GetDC(nullptr);
    g_preview = CreateCompatibleBitmap(screen, 120, 50);
    ReleaseDC(nullptr, screen);
  }
  g_header.PreviewPicture = g_preview;
  return &g_header;
}

__declspec(dllexport) void VELMORA_DESIGN_CALL update(VelmoraDesignHeader* header) {
  Enter("update",
        std::string(header == &g_header ? "own" : "other") + " version=" +
            (header->VersionText ? header->VersionText : "") + " hints=" + header->LayerHint + "," +
            header->BitrateHint + "," + header->FrequencyHint + " menus=" +
            (header->SetupMenu && header->PlayMenu && header->PauseMenu && header->StopMenu ? "4"
                                                                                            : "?"));
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = g_self;
  wc.lpszClassName = "VelmoraGlassDesign";
  RegisterClassA(&wc);
  g_window = CreateWindowExA(0, "VelmoraGlassDesign", g_name.c_str(), WS_POPUP, 0, 0, 10, 10,
                             nullptr, nullptr, g_self, nullptr);
  g_updated = true;
}

__declspec(dllexport) void VELMORA_DESIGN_CALL deinit(void) {
  Enter("deinit");
  g_updated = g_shown = false;
  if (g_window) DestroyWindow(g_window);
  g_window = nullptr;
  UnregisterClassA("VelmoraGlassDesign", g_self);
}

}  // extern "C"

namespace {

void VELMORA_DESIGN_CALL OnPosition(int32_t v) { Enter("OnPosition", std::to_string(v)); }
void VELMORA_DESIGN_CALL OnPositionMax(int32_t v) { Enter("OnPositionMax", std::to_string(v)); }
void VELMORA_DESIGN_CALL OnStatus(const char* t) { Enter("OnStatus", t); }
void VELMORA_DESIGN_CALL OnSongTitle(const char* t) { Enter("OnSongTitle", t); }
void VELMORA_DESIGN_CALL OnTotalTime(const char* t) { Enter("OnTotalTime", t); }
void VELMORA_DESIGN_CALL OnPositionTime(const char* t) { Enter("OnPositionTime", t); }
void VELMORA_DESIGN_CALL OnLayer(const char* t) { Enter("OnLayer", t); }
void VELMORA_DESIGN_CALL OnBitrate(const char* t) { Enter("OnBitrate", t); }
void VELMORA_DESIGN_CALL OnFrequency(const char* t) { Enter("OnFrequency", t); }
void VELMORA_DESIGN_CALL OnVolume(int32_t v) { Enter("OnVolume", std::to_string(v)); }
void VELMORA_DESIGN_CALL OnBalance(int32_t v) { Enter("OnBalance", std::to_string(v)); }
void VELMORA_DESIGN_CALL OnRandom(VelmoraBool on) { Enter("OnRandom", std::to_string(on)); }
void VELMORA_DESIGN_CALL OnLoop(VelmoraBool on) { Enter("OnLoop", std::to_string(on)); }
void VELMORA_DESIGN_CALL OnCurrentIndex(int32_t v) { Enter("OnCurrentIndex", std::to_string(v)); }
void VELMORA_DESIGN_CALL OnShow(VelmoraSender s) {
  Enter("OnShow", SenderText(s));
  g_shown = true;
}
void VELMORA_DESIGN_CALL OnClose(VelmoraSender s) { Enter("OnClose", SenderText(s)); }
void VELMORA_DESIGN_CALL OnHide(VelmoraSender s) { Enter("OnHide", SenderText(s)); }

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    Configure();
    g_header.OnPosition = OnPosition;
    g_header.OnPositionMax = OnPositionMax;
    g_header.OnStatus = OnStatus;
    g_header.OnSongTitle = OnSongTitle;
    g_header.OnTotalTime = OnTotalTime;
    g_header.OnPositionTime = OnPositionTime;
    g_header.OnLayer = OnLayer;
    g_header.OnBitrate = OnBitrate;
    g_header.OnFrequency = OnFrequency;
    g_header.OnVolume = OnVolume;
    g_header.OnBalance = OnBalance;
    g_header.OnRandom = OnRandom;
    g_header.OnLoop = OnLoop;
    g_header.OnCurrentIndex = OnCurrentIndex;
    g_header.OnShow = OnShow;
    g_header.OnClose = OnClose;
    g_header.OnHide = OnHide;
  }
  return TRUE;
}
