// The window system's services for the player core: its timers on a hidden message-only
// window of the host's own (the plug-in scan's on the options window), the message pump,
// mouse and keyboard state, the open dialog; and the wave-output volume.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "app/host.h"
#include "app/wave_volume_win.h"  // WaveOutVolume, the wave-output volume
#include "app/window_commands.h"
#include "plugins/plugin_system.h"
#include "ui/error_sink.h"

namespace velmora {

// The WM_TIMER event id of a timer (on the host's window; the plug-in scan's on the
// options window).
UINT_PTR TimerEventId(TimerId id);

class WinHost : public Host {
 public:
  // `errors` hears what fails inside a tick; `plugins` give the open dialog its types;
  // skin archives opened there go to `steps`.
  WinHost(ErrorSink& errors, PluginSystem& plugins, ShellSteps& steps);
  ~WinHost() override;
  WinHost(const WinHost&) = delete;
  WinHost& operator=(const WinHost&) = delete;

  void ProcessMessages() override;
  void Delay(int milliseconds) override;
  void StartTimer(TimerId id) override;
  void StopTimer(TimerId id) override;
  bool TimerRunning(TimerId id) const override;
  bool LeftButtonDown() const override;
  bool ShiftDown() const override;
  void SetApplicationTitle(const std::string& title) override;
  std::vector<std::string> ShowOpenDialog() override;
  void OpenSkinArchive(const std::string& path) override;
  unsigned MillisecondsSinceMidnight() const override;

  // Where the application title goes (the task bar and the tray icon's hint); null: nowhere.
  void OnApplicationTitle(std::function<void(const std::string&)> show) {
    show_title_ = std::move(show);
  }
  const std::string& ApplicationTitle() const { return title_; }
  // The owner of the open dialog (the main window while it exists).
  void SetDialogOwner(HWND owner) { dialog_owner_ = owner; }
  // Each tick of the host's timers goes to the listeners in the order they came.
  void AddTimerListener(TimerListener* listener);
  void RemoveTimerListener(TimerListener* listener);

  // The timer's interval in milliseconds.
  static UINT Interval(TimerId id);

 private:
  class TimerWindow;
  HWND TimerWindowFor(TimerId id) const;
  void Tick(UINT_PTR event_id);

  PluginSystem& plugins_;
  ShellSteps& steps_;
  std::unique_ptr<TimerWindow> timer_window_;
  std::vector<TimerListener*> timer_listeners_;
  HWND dialog_owner_ = nullptr;
  std::string title_ = "ORVANE Velmora";
  std::function<void(const std::string&)> show_title_;
  std::array<bool, static_cast<size_t>(TimerId::Count)> running_{};
  // The window system's timer is set (it may outlive a stop of the position timer).
  std::array<bool, static_cast<size_t>(TimerId::Count)> armed_{};
};

// Splits an open dialog's multi-select answer ("folder\0name\0name\0\0" or one full
// path) into full paths.
std::vector<std::string> SplitOpenDialogResult(const char* buffer);

}  // namespace velmora
