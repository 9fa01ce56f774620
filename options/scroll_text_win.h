// A text that scrolls from the bottom to the top of its box, one pixel each interval, and
// starts again from the bottom once it has gone; it moves only while switched on. Its
// window text is the text (lines separated by CR LF), so other programs read it as they
// read a static control.
#pragma once

#include <windows.h>

namespace velmora {

inline constexpr char kScrollTextClass[] = "TScrollText";
// WPARAM: interval in ms.
inline constexpr UINT kScrollTextSetInterval = WM_USER + 0x200;
// WPARAM: BOOL scrolling.
inline constexpr UINT kScrollTextSetActive = WM_USER + 0x201;
// Returns TRUE while scrolling (other programs may ask).
inline constexpr UINT kScrollTextGetActive = WM_USER + 0x202;

bool RegisterScrollTextClass(HINSTANCE instance);

}  // namespace velmora
