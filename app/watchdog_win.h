// A thread beside the window thread that notices when the window thread has been inside
// one call of a foreign library (a design library, an input or visualisation plug-in) for
// more than five seconds without answering: it asks the user, from its own thread, whether
// to wait or to close the player. Closing saves what the window thread's call cannot
// change any more (the playlist and the settings as they were before the call), records
// the library so that the next start leaves it out once, and ends the process.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velmora {

// How long a call may keep the window thread before the user is asked.
inline constexpr DWORD kWatchdogLimitMs = 5000;

class Watchdog {
 public:
  struct Deps {
    // A window of the watched thread: asked whether the thread still answers (a library
    // running a dialog or menu of its own inside the call does).
    HWND window = nullptr;
    // Writes the playlist and the settings; runs on the watchdog's thread while the window
    // thread is stuck in the library.
    std::function<void()> save;
  };
  // Watches the calling thread from now on.
  explicit Watchdog(Deps deps);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  class Thread;
  std::unique_ptr<Thread> thread_;
};

// The library that did not answer when "Close Velmora" last ended the player: its path and
// how the message named it ("The design library Pocket"). The record is removed: it is
// handed out once.
struct HungLibrary {
  std::string path;
  std::string title;
};
std::optional<HungLibrary> TakeHungLibrary();

}  // namespace velmora
