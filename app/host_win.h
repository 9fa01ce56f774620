// The window system's services for the player core: timers on the main window (the
// plug-in scan's on the options window), the message pump, mouse and keyboard state, the
// open dialog; and the wave-output volume.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <array>

#include "app/host.h"

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
  unsigned MillisecondsSinceMidnight() const override;

  // The timer's interval in milliseconds.
  static UINT Interval(TimerId id);

 private:
  HWND TimerWindow(TimerId id) const;

  App& app_;
  std::array<bool, static_cast<size_t>(TimerId::Count)> running_{};
};

// Both channels of the first wave-output device on a 0-255 scale; the balance (0-100, 50 =
// equal) takes level off the opposite channel. Without a device nothing is written and
// reads give 0.
//
// The volume is that of the first device. Where the system refuses a device-wide volume
// (it only keeps volumes per open stream), an idle stream of our own is opened once and
// its volume used instead, so that what is written is what is read back.
class WaveOutVolume : public Volume {
 public:
  WaveOutVolume() = default;
  ~WaveOutVolume() override;
  WaveOutVolume(const WaveOutVolume&) = delete;
  WaveOutVolume& operator=(const WaveOutVolume&) = delete;

  int Get() const override;
  void Set(int level) override;
  void SetBalance(int balance) override;

 private:
  // The device (as a device number) or the idle stream; null when there is no device.
  HWAVEOUT Target() const;

  int balance_ = 50;
  mutable bool probed_ = false;
  mutable bool have_device_ = false;
  mutable HWAVEOUT stream_ = nullptr;
};

// Splits an open dialog's multi-select answer ("folder\0name\0name\0\0" or one full
// path) into full paths.
std::vector<std::string> SplitOpenDialogResult(const char* buffer);

}  // namespace velmora
