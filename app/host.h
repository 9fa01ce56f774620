// The services of the window system that the portable player core uses: timers, the
// message pump, the mouse and keyboard state, the volume of the wave-output device,
// dialogs and the application title. The Win32 layer implements them; tests fake them.
#pragma once

#include <string>
#include <vector>

#include "design/design_host_target.h"

namespace velmora {

// The program's timers. The order fixes each one's WM_TIMER event id (see TimerEventId).
enum class TimerId : int {
  DeferredStartup,  // 500 ms one shot: the deferred start-up
  Position,         // 500 ms: position, time display, end of track
  SeekStatus,       // 4000 ms one shot: status line after a seek
  PlayFadeIn,       // 30 ms fade-in on play
  StopFadeOut,      // 30 ms fade-out then stop
  PauseFadeIn,      // 30 ms fade-in out of pause
  PauseFadeOut,     // 30 ms fade-out into pause
  PluginScan,       // options window, 200 ms one shot: plug-in scan
  Count
};

// Hears the ticks of the timers it was registered for with the host.
class TimerListener {
 public:
  virtual ~TimerListener() = default;
  virtual void OnTimer(TimerId id) = 0;
};

class Host {
 public:
  virtual ~Host() = default;
  // Let pending window messages run (other handlers, timers included, may run inside).
  virtual void ProcessMessages() = 0;
  // Wait without serving messages.
  virtual void Delay(int milliseconds) = 0;

  virtual void StartTimer(TimerId id) = 0;
  virtual void StopTimer(TimerId id) = 0;
  virtual bool TimerRunning(TimerId id) const = 0;

  virtual bool LeftButtonDown() const = 0;
  virtual bool ShiftDown() const = 0;

  // Application title (also the tray icon's hint).
  virtual void SetApplicationTitle(const std::string& title) = 0;
  // The multi-select "Open Song or Playlist" dialog; empty when cancelled.
  virtual std::vector<std::string> ShowOpenDialog() = 0;
  // A skin archive (.wsz, .zip) the user opened: unpacked into Design and applied.
  virtual void OpenSkinArchive(const std::string&) {}
  // Milliseconds since midnight, for seeding the random generator.
  virtual unsigned MillisecondsSinceMidnight() const = 0;
};

// The wave-output volume, 0-255 on both channels, with a balance 0-100 that splits it.
// Without a device, writes do nothing and reads give 0.
class Volume : public OutputBalance {
 public:
  virtual int Get() const = 0;
  virtual void Set(int level) = 0;
  // SetBalance(balance): the split of the level, 0-100.
};

}  // namespace velmora
