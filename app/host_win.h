// The window system's services for the player core: timers on the main window (the
// plug-in scan's on the options window), the message pump, mouse and keyboard state, the
// open dialog; and the wave-output volume.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <functional>
#include <utility>
#include <string>

#include "app/host.h"
#include "app/wave_volume_win.h"  // WaveOutVolume, the wave-output volume

namespace velmora {

struct App;

class WinHost : public Host {
 public:
  explicit WinHost(App& app) : app_(app) {}

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

  // Where the application title goes (the task bar and the tray icon's hint).
  void OnApplicationTitle(std::function<void(const std::string&)> show) {
    show_title_ = std::move(show);
  }

  // The timer's interval in milliseconds.
  static UINT Interval(TimerId id);

 private:
  HWND TimerWindow(TimerId id) const;

  App& app_;
  std::function<void(const std::string&)> show_title_;
  std::array<bool, static_cast<size_t>(TimerId::Count)> running_{};
  // The window system's timer is set (it may outlive a stop of the position timer).
  std::array<bool, static_cast<size_t>(TimerId::Count)> armed_{};
};

// Splits an open dialog's multi-select answer ("folder\0name\0name\0\0" or one full
// path) into full paths.
std::vector<std::string> SplitOpenDialogResult(const char* buffer);

}  // namespace velmora
