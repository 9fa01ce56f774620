// The main window's routing rules that are not drawing: where the player shows up while
// minimised or visible (task-bar button, tray icon), where the shadow-mode window rides,
// and what each key and system command does.
#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

// Where the player can be found: its task-bar button and its tray icon.
struct Presence {
  bool taskbar_button = true;
  bool tray_icon = false;
  bool operator==(const Presence& o) const {
    return taskbar_button == o.taskbar_button && tray_icon == o.tray_icon;
  }
};

// Minimised, by the `Minimize` setting: 0 the task bar, 1 the tray only (the task-bar
// button hidden), 2 both. A value the options never store minimises to the task bar.
Presence MinimizedPresence(int32_t minimize_setting);

// Not minimised, by `VisibleMode` (same three items). Empty for an index the options'
// radio group does not have: nothing changes.
std::optional<Presence> VisiblePresence(int32_t visible_mode);

// What the shadow timer's tick saw: the top-level window under the mouse cursor.
struct ScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
struct ShadowSpot {
  int32_t x = 0, y = 0, width = 0, height = 0;
};
// The shadow window's place on the title area of the window pointed at: x = its right edge
// - 200, y = its top edge + 5, the shadow window's width and its picture's height. Empty
// (leave it where it is) when there is no window under the cursor or it is the shadow
// window itself (otherwise the window would run away from the mouse over its own buttons).
std::optional<ShadowSpot> ShadowPlacement(const std::optional<ScreenRect>& pointed_window,
                                          bool pointed_is_shadow_window, int32_t width,
                                          int32_t picture_height);

// Keys pressed while the main window has the focus.
enum class MainKey { None, Help, Play, Stop, NextTrack, PrevTrack, Pause, JumpToFile };
MainKey MainKeyFor(uint32_t virtual_key);

// Alt+letter (the system's menu key), upper or lower case.
enum class MenuKey {
  None,
  Design,
  Playlist,
  MemoryInfo,
  About,
  EasyMove,
  General,
  Sound,
  OpenFiles,
  VuMeter
};
MenuKey MenuKeyFor(char letter);

// System commands sent to the main window or to its task-bar button: the menu key, Close
// (Alt+F4, the task bar's Close), Minimize and Restore (the task bar) are acted on; every
// other one is consumed without effect.
enum class SystemCommand { Consume, MenuKey, Close, Minimize, Restore };
SystemCommand SystemCommandFor(uint32_t command);

}  // namespace velmora
