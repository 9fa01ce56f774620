#include "app/host_win.h"

#include <commdlg.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>

#include "ui/top_level_window_win.h"
#include "ui/window_util_win.h"
#include "ui/wide_win.h"

namespace velmora {

UINT_PTR TimerEventId(TimerId id) { return 100 + static_cast<UINT_PTR>(id); }

// Hidden, message-only: other programs looking for the player's windows never see it.
class WinHost::TimerWindow : public ui::TopLevelWindow {
 public:
  TimerWindow(ErrorSink& errors, WinHost& host) : ui::TopLevelWindow(errors), host_(host) {
    ui::TopLevelClass cls;
    cls.name = "VelmoraHostTimers";
    CreateTopLevel(cls, 0, "", 0, 0, 0, 0, 0, HWND_MESSAGE);
  }
  ~TimerWindow() override { DestroyTopLevel(); }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg != WM_TIMER) return DefWindowProcA(hwnd_, msg, wp, lp);
    host_.Tick(wp);
    return 0;
  }

  WinHost& host_;
};

WinHost::WinHost(ErrorSink& errors, PluginSystem& plugins, ShellSteps& steps)
    : plugins_(plugins),
      steps_(steps),
      timer_window_(std::make_unique<TimerWindow>(errors, *this)) {}

WinHost::~WinHost() = default;

void WinHost::AddTimerListener(TimerListener* listener) { timer_listeners_.push_back(listener); }

void WinHost::RemoveTimerListener(TimerListener* listener) {
  timer_listeners_.erase(std::remove(timer_listeners_.begin(), timer_listeners_.end(), listener),
                         timer_listeners_.end());
}

void WinHost::Tick(UINT_PTR event_id) {
  for (int i = 0; i < static_cast<int>(TimerId::Count); ++i) {
    const auto id = static_cast<TimerId>(i);
    if (event_id != TimerEventId(id)) continue;
    // A copy: a listener may come or go while the tick is told.
    const std::vector<TimerListener*> listeners = timer_listeners_;
    for (TimerListener* listener : listeners) listener->OnTimer(id);
  }
}

void WinHost::ProcessMessages() { ui::PumpWaitingMessages(); }

void WinHost::Delay(int milliseconds) {
  if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

UINT WinHost::Interval(TimerId id) {
  switch (id) {
    case TimerId::DeferredStartup:
    case TimerId::Position: return 500;
    case TimerId::SeekStatus: return 4000;
    case TimerId::PlayFadeIn:
    case TimerId::StopFadeOut:
    case TimerId::PauseFadeIn:
    case TimerId::PauseFadeOut: return 30;
    case TimerId::PluginScan: return 200;
    case TimerId::Count: break;
  }
  return 1000;
}

HWND WinHost::TimerWindowFor(TimerId id) const {
  // The scan's timer runs on the window that shows the plug-in lists, not here.
  if (id == TimerId::PluginScan) return nullptr;
  return timer_window_->hwnd();
}

// The position tick stops its timer while it works and starts it again at its end,
// twice a second. The window system's timer is left set across that stop (each set and
// kill is a round trip to the server under wine): a stopped position timer only stops
// counting as running, and the first tick that arrives while it is stopped ends it for
// good (the tick asks for the stop again, see Player::PositionTick).
void WinHost::StartTimer(TimerId id) {
  HWND w = TimerWindowFor(id);
  if (!w || id == TimerId::Count) return;
  const auto i = static_cast<size_t>(id);
  if (id == TimerId::Position && armed_[i] && !running_[i]) {
    running_[i] = true;
    return;
  }
  // Restarting a running timer starts its interval over, as the component did.
  if (SetTimer(w, TimerEventId(id), Interval(id), nullptr)) running_[i] = armed_[i] = true;
}

void WinHost::StopTimer(TimerId id) {
  if (id == TimerId::Count) return;
  const auto i = static_cast<size_t>(id);
  if (id == TimerId::Position && running_[i]) {
    running_[i] = false;
    return;
  }
  if (HWND w = TimerWindowFor(id)) KillTimer(w, TimerEventId(id));
  running_[i] = armed_[i] = false;
}

bool WinHost::TimerRunning(TimerId id) const {
  return id != TimerId::Count && running_[static_cast<size_t>(id)];
}

bool WinHost::LeftButtonDown() const {
  // The logical left button (swapped buttons respected).
  const int vk = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

bool WinHost::ShiftDown() const { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

void WinHost::SetApplicationTitle(const std::string& title) {
  // The main window keeps its caption (other programs find it by it); the application
  // title is what the task bar, Alt+Tab and the tray icon's hint show.
  title_ = title;
  if (show_title_) show_title_(title);
}

std::vector<std::string> SplitOpenDialogResult(const char* buffer) {
  std::vector<std::string> parts;
  const char* p = buffer;
  while (*p) {
    parts.emplace_back(p);
    p += parts.back().size() + 1;
  }
  if (parts.size() <= 1) return parts;
  std::string folder = parts.front();
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  std::vector<std::string> files;
  for (size_t i = 1; i < parts.size(); ++i) files.push_back(folder + "\\" + parts[i]);
  return files;
}

std::vector<std::string> WinHost::ShowOpenDialog() {
  std::string filter = plugins_.OpenDialogFilter();
  if (filter.empty()) filter = "All Files|*.*";
  filter += "|Skin archives (*.wsz;*.zip)|*.wsz;*.zip";
  std::replace(filter.begin(), filter.end(), '|', '\0');
  filter.push_back('\0');
  filter.push_back('\0');

  const std::wstring wide_filter = ui::Widen(filter);
  std::vector<wchar_t> buffer(64 * 1024, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = dialog_owner_;
  ofn.lpstrFilter = wide_filter.c_str();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size() - 2);
  ofn.lpstrTitle = L"Open Song or Playlist";
  ofn.Flags =
      OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&ofn)) return {};
  // The folder and the names, each ending in a zero, the list in a second one.
  size_t length = 0;
  while (length + 1 < buffer.size() && (buffer[length] || buffer[length + 1])) ++length;
  std::string names = ui::Narrow(std::wstring_view(buffer.data(), length + 1));
  names.push_back('\0');
  return SplitOpenDialogResult(names.c_str());
}

void WinHost::OpenSkinArchive(const std::string& path) { steps_.OpenSkinArchive(path); }

unsigned WinHost::MillisecondsSinceMidnight() const {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return ((t.wHour * 60u + t.wMinute) * 60u + t.wSecond) * 1000u + t.wMilliseconds;
}

}  // namespace velmora
