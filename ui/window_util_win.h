// Small pieces the application's windows share: binding a window's C++ object to its
// HWND, draining the message queue during a long job, reading window text, giving a
// static control its picture, and making a top-down DIB section to draw pixels into.
#pragma once

#include <windows.h>

#include <climits>
#include <exception>
#include <string>

namespace velmora::ui {

// For window procedures of classes created with the object as lpCreateParams: at
// WM_NCCREATE the object is stored in GWLP_USERDATA and its `handle` member receives the
// HWND; afterwards the stored object is returned (null before WM_NCCREATE and after the
// window procedure clears it).
template <class T>
T* BoundWindowObject(HWND hwnd, UINT msg, LPARAM lp, HWND T::*handle) noexcept {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<T*>(reinterpret_cast<const CREATESTRUCTA*>(lp)->lpCreateParams);
    if (self) self->*handle = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return self;
  }
  return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Runs a window's message handler so that no exception escapes into the window system:
// the text of a std::exception goes to `report`, any other exception reports `unknown`
// (nothing when null), and the message then answers 0. A report that throws is dropped.
template <class Handler, class Report>
LRESULT HandleGuarded(Handler&& handle, Report&& report, const char* unknown) noexcept {
  auto tell = [&report](const char* text) noexcept {
    try {
      report(text);
    } catch (...) {
    }
  };
  try {
    return handle();
  } catch (const std::exception& error) {
    tell(error.what());
  } catch (...) {
    if (unknown) tell(unknown);
  }
  return 0;
}

// Dispatches the messages waiting in this thread's queue, at most `limit` of them, and
// returns. A WM_QUIT met on the way is posted again so the main loop still ends.
void PumpWaitingMessages(int limit = INT_MAX);

// Shows `bitmap` in a static control, which owns it from then on, and deletes the picture
// it showed before. The control becomes a bitmap static (SS_BITMAP plus `extra_style`,
// SS_REALSIZECONTROL for example), which sizes itself to the picture unless told
// otherwise. Without a control the bitmap is deleted.
void SetStaticBitmap(HWND control, HBITMAP bitmap, LONG_PTR extra_style = 0);

// The window's text; empty for no window.
std::string WindowText(HWND hwnd);

// A top-down DIB section of `width` x `height` pixels at `bit_count` bits per pixel, its
// pixels in *bits; null (and nothing to free) when it cannot be made.
HBITMAP CreateTopDownDib(int width, int height, WORD bit_count, void** bits);

}  // namespace velmora::ui
