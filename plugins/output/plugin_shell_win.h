// What every shipped input plug-in's library needs around its decoder: the boundary each
// exported entry runs in, the texts it hands back, the audible-peaks entry, and its windows
// (a hidden owner for popup menus and the output thread's notices, and read-only text
// windows for tags, messages and the about box).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "plugins/input_plugin_abi.h"
#include "plugins/output/playback_win.h"
#include "ui/error_sink.h"

namespace velmora::output {

// Every entry runs its work through this boundary: an exception must never cross into the
// player. The plug-in has nowhere to report to, so what is caught is discarded and the
// entry gives its fallback.
class DiscardedFaults : public ErrorSink {
 public:
  void Report(const std::string&) override {}  // discarded: see above
};

template <typename Body>
bool RunEntry(Body&& body) {
  static DiscardedFaults faults;
  return faults.Run(std::forward<Body>(body));
}

// Texts handed to the player stay valid until the next call of the same entry.
const char* KeepText(std::string* slot, std::string value);

// Names and texts at the contract: UTF-8 once the player called `utf8names` (see
// input_plugin_abi.h), the active code page before. Inside, the library keeps UTF-8.
VelmoraFlag AgreeToUtf8Names();
// The UTF-8 of a name the player passed.
std::string ArgText(VelmoraStringRef* ref);
// A UTF-8 text as the player takes it.
std::string HostText(const std::string& utf8);

// The `audiblepeaks` entry for a plug-in playing through `playback` (may be null).
VelmoraFlag FillAudiblePeaks(Playback* playback, VelmoraAudiblePeaks* peaks);

class PluginWindows {
 public:
  static constexpr int kEditId = 100;  // the text of a text window

  // `procedure` handles the plug-in's own messages and passes the rest to HandleCommon.
  PluginWindows(const char* class_name, WNDPROC procedure)
      : class_name_(class_name), procedure_(procedure) {}

  void SetInstance(HINSTANCE instance) { instance_ = instance; }
  HINSTANCE Instance() const { return instance_; }
  HWND Owner() const { return owner_; }
  HWND EnsureOwner(const char* title);

  // A top-level tool window of the plug-in's class in `*slot` (made once, kept hidden
  // when closed).
  HWND NewWindow(HWND* slot, const char* title, int width, int height);
  // The same, filled with a read-only multi-line text.
  HWND TextWindow(HWND* slot, const char* title, int width, int height);
  // Shows `text` in the text window `*slot`; `activate` false never takes the focus.
  void ShowText(HWND* slot, const char* title, int width, int height, const std::string& text,
                bool activate);

  // Shows a popup menu of (command, text) items at the screen point; the chosen command or 0.
  UINT PopupMenu(int x, int y, std::initializer_list<std::pair<UINT, const char*>> items);

  // Destroys the windows, the owner and the class (at deinit).
  void Destroy(std::initializer_list<HWND*> windows);

  // The messages every window of the class handles alike: WM_SIZE (the text fills the
  // window) and WM_CLOSE (hidden, kept for the next time). True when handled.
  static bool HandleCommon(HWND hwnd, UINT msg, LPARAM lp);

 private:
  bool RegisterClassOnce();

  const char* class_name_;
  WNDPROC procedure_;
  HINSTANCE instance_ = nullptr;
  HWND owner_ = nullptr;
  bool class_registered_ = false;
};

}  // namespace velmora::output
