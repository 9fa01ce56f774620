// Numbers other programs may use on the main window besides the registered messages: the
// command ids of its popup-menu entries (send WM_COMMAND with the id and lParam 0, as the
// menu itself does) and the private queries it answers. Kept free of other headers so
// that tools and the end-to-end tests can include it on its own.
#pragma once

#include <windows.h>

namespace velmora::main_menu {

// Popup menu entries of TForm1 (the button popups, the title's menu and the general menu).
enum : int {
  kFadeInPlay = 100,
  kFadeOutStop = 101,
  kPauseFadeOut = 102,
  kPauseFadeIn = 103,
  kScroll = 104,
  kNoScroll = 105,
  kNews = 200,
  kHelp = 201,
  kAbout = 202,
  kPlaylist = 203,
  kOpen = 204,
  kRegister = 205,
  kLink = 206,
  kMemory = 207,
  kFadeStop = 208,
  kFadePlay = 209,
  kFadePause = 210,
  kDesign = 211,
  kTransparency = 212,
  kEasyMove = 213,
  kAutoPlay = 214,
  kRandom = 215,
  kLoop = 216,
  kGeneral = 217,
  kSound = 218,
  kDesignInfos = 219,
  kInputPlugins = 220,
  kVisualisation = 221,
  kPlay = 222,
  kStop = 223,
  kPause = 224,
  kNext = 225,
  kPrev = 226,
  kVuMeter = 227,
  kExit = 228,
  kVisualisationPlugin = 229,  // "Execute" > "Visualisation Plugin": start or stop the chosen module
  kRestore = 230,  // the tray menu's "Restore"
};

// The tray icon's callback message to TForm1; lParam is the mouse message on the icon
// (WM_LBUTTONDBLCLK restores, WM_RBUTTONUP opens the tray menu).
inline constexpr UINT kTrayNotify = WM_APP + 0x51;

// Queries answered by TForm1 (SendMessage, no parameters).
// The number (2 .. 11) of the built-in volume thumb picture the volume slider shows now;
// 0 while the slider keeps a picture of its own (none chosen yet, or the design's ruler).
inline constexpr UINT kQueryVolumeThumb = WM_APP + 0x40;
// 1 while the inactive-window picture is shown, else 0.
inline constexpr UINT kQueryDeactivatedFace = WM_APP + 0x41;
// 1 while control hints are echoed on the status line, else 0.
inline constexpr UINT kQueryHintHandler = WM_APP + 0x42;
// 1 while the tray icon is in the tray, else 0.
inline constexpr UINT kQueryTrayIcon = WM_APP + 0x43;
// The general menu's mark of the entry whose command id is wParam: 1 checked, 0 not.
inline constexpr UINT kQueryMenuMark = WM_APP + 0x44;
// The tray icon's hint: wParam is a window of the asker, which is sent the hint as a
// WM_COPYDATA (dwData 0, the text without its terminating zero) before the answer 1.
inline constexpr UINT kQueryTrayHint = WM_APP + 0x4A;

}  // namespace velmora::main_menu
