// Small pieces the application's windows share: draining the message queue during a
// long job, reading window text, giving a
// static control its picture, and making a top-down DIB section to draw pixels into.
#pragma once

#include <windows.h>

#include <climits>
#include <string>

namespace velmora::ui {

// Dispatches the messages waiting in this thread's queue, at most `limit` of them, and
// returns. A WM_QUIT met on the way is posted again so the main loop still ends.
void PumpWaitingMessages(int limit = INT_MAX);

// Shows `bitmap` in a static control, which owns it from then on, and deletes the picture
// it showed before. The control becomes a bitmap static (SS_BITMAP plus `extra_style`,
// SS_REALSIZECONTROL for example), which sizes itself to the picture unless told
// otherwise. Without a control the bitmap is deleted.
void SetStaticBitmap(HWND control, HBITMAP bitmap, LONG_PTR extra_style = 0);

// Pops up `menu` at screen point (x, y) for `owner`; with TPM_RETURNCMD in `flags` it
// returns the command chosen. The owner comes to the foreground first and is posted a
// WM_NULL afterwards, so that a click anywhere else closes the menu.
int TrackPopupMenuFor(HWND owner, HMENU menu, UINT flags, int x, int y);

// GetDlgItem(parent, id), remembered: under wine each GetDlgItem asks the server for the
// whole list of children, and some controls are reached on every tick. What is remembered
// is checked against the window's own data (kept in this process) before it is used. For
// windows of this thread.
HWND ChildWithId(HWND parent, int id);

// The window's text; empty for no window.
std::string WindowText(HWND hwnd);

// A top-down DIB section of `width` x `height` pixels at `bit_count` bits per pixel, its
// pixels in *bits; null (and nothing to free) when it cannot be made.
HBITMAP CreateTopDownDib(int width, int height, WORD bit_count, void** bits);

// Windows' high-contrast setting is on: the player's own windows then paint in the
// system's colours only (a design's colours stay with the design's windows).
bool HighContrastOn();

}  // namespace velmora::ui
