#include "plugins/output/plugin_shell_win.h"

#include <atomic>
#include <cstring>

#include "plugins/output/handles_win.h"

namespace velmora::output {

const char* KeepText(std::string* slot, std::string value) {
  *slot = std::move(value);
  return slot->c_str();
}

namespace {
std::atomic<bool> g_utf8_names{false};
}  // namespace

VelmoraFlag AgreeToUtf8Names() {
  g_utf8_names = true;
  return 1;
}

std::string ArgText(VelmoraStringRef* ref) {
  if (!ref || !*ref) return "";
  return g_utf8_names ? std::string(*ref) : AnsiToUtf8(*ref);
}

std::string HostText(const std::string& utf8) {
  return g_utf8_names ? utf8 : Utf8ToAnsi(utf8);
}

VelmoraFlag FillAudiblePeaks(Playback* playback, VelmoraAudiblePeaks* peaks) {
  if (!peaks || peaks->size < sizeof(peaks->size)) return 0;
  VelmoraAudiblePeaks mine{};
  mine.size = peaks->size < sizeof mine ? peaks->size : static_cast<uint32_t>(sizeof mine);
  VelmoraFlag playing = 0;
  RunEntry([&] {
    if (playback && playback->Playing()) {
      playing = 1;
      mine.channels = PcmDecoder::kChannels;
      playback->AudiblePeaksNow(&mine.peak[0], &mine.peak[1]);
      if (mine.size >= sizeof mine)
        mine.sample_count = playback->AudibleSamplesNow(mine.samples[0], mine.samples[1]);
    }
  });
  std::memcpy(peaks, &mine, mine.size);
  return playing;
}

bool PluginWindows::RegisterClassOnce() {
  if (class_registered_) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = procedure_;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = class_name_;
  class_registered_ = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return class_registered_;
}

HWND PluginWindows::EnsureOwner(const char* title) {
  if (owner_ && IsWindow(owner_)) return owner_;
  if (!RegisterClassOnce()) return nullptr;
  owner_ = CreateWindowExA(WS_EX_TOOLWINDOW, class_name_, title, WS_POPUP, 0, 0, 0, 0, nullptr,
                           nullptr, instance_, nullptr);
  return owner_;
}

HWND PluginWindows::NewWindow(HWND* slot, const char* title, int width, int height) {
  if (*slot && IsWindow(*slot)) return *slot;
  if (!RegisterClassOnce()) return nullptr;
  *slot = CreateWindowExA(WS_EX_TOOLWINDOW, class_name_, title,
                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT,
                          CW_USEDEFAULT, width, height, nullptr, nullptr, instance_, nullptr);
  return *slot;
}

HWND PluginWindows::TextWindow(HWND* slot, const char* title, int width, int height) {
  if (*slot && IsWindow(*slot)) return *slot;
  HWND w = NewWindow(slot, title, width, height);
  if (!w) return nullptr;
  RECT rc;
  GetClientRect(w, &rc);
  HWND edit = CreateWindowExA(
      WS_EX_CLIENTEDGE, "EDIT", "",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
      rc.right, rc.bottom, w, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance_,
      nullptr);
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return w;
}

void PluginWindows::ShowText(HWND* slot, const char* title, int width, int height,
                             const std::string& text, bool activate) {
  HWND w = TextWindow(slot, title, width, height);
  if (!w) return;
  SetDlgItemTextA(w, kEditId, text.c_str());
  if (activate) {
    ShowWindow(w, SW_SHOWNORMAL);
    SetForegroundWindow(w);
  } else {
    ShowWindow(w, SW_SHOWNOACTIVATE);
  }
}

UINT PluginWindows::PopupMenu(int x, int y,
                              std::initializer_list<std::pair<UINT, const char*>> items) {
  if (!owner_ || !IsWindow(owner_)) return 0;
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return 0;
  for (const auto& item : items) AppendMenuA(menu.get(), MF_STRING, item.first, item.second);
  SetForegroundWindow(owner_);
  UINT cmd = static_cast<UINT>(TrackPopupMenu(
      menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0, owner_, nullptr));
  PostMessageA(owner_, WM_NULL, 0, 0);
  return cmd;
}

void PluginWindows::Destroy(std::initializer_list<HWND*> windows) {
  for (HWND* w : windows) {
    if (*w && IsWindow(*w)) DestroyWindow(*w);
    *w = nullptr;
  }
  if (owner_ && IsWindow(owner_)) DestroyWindow(owner_);
  owner_ = nullptr;
  if (class_registered_) UnregisterClassA(class_name_, instance_);
  class_registered_ = false;
}

bool PluginWindows::HandleCommon(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_SIZE) {
    HWND edit = GetDlgItem(hwnd, kEditId);
    if (edit) MoveWindow(edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
    return true;
  }
  if (msg == WM_CLOSE) {
    ShowWindow(hwnd, SW_HIDE);  // kept for the next time; destroyed at deinit
    return true;
  }
  return false;
}

}  // namespace velmora::output
