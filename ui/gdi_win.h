// Drawing helpers: a scoped selection, a window DC, an off-screen buffer, colours and
// bitmaps. The owners of GDI handles are in ui/handles_win.h.
#pragma once

#include <windows.h>

#include "ui/handles_win.h"

namespace velmora::ui {

// Selects an object into a DC for the scope.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~ScopedSelect() {
    if (old_) SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// GetDC/ReleaseDC pair.
class WindowDC {
 public:
  explicit WindowDC(HWND w) : w_(w), dc_(GetDC(w)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(w_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND w_;
  HDC dc_;
};

// An off-screen buffer the size of a client area, copied to the target on destruction.
class BufferedPaint {
 public:
  BufferedPaint(HDC target, int width, int height)
      : target_(target),
        w_(width > 0 ? width : 1),
        h_(height > 0 ? height : 1),
        dc_(CreateCompatibleDC(target)),
        bmp_(CreateCompatibleBitmap(target, w_, h_)),
        sel_(dc_.get(), bmp_.get()) {}
  ~BufferedPaint() {
    if (dc_ && bmp_) BitBlt(target_, 0, 0, w_, h_, dc_.get(), 0, 0, SRCCOPY);
  }
  HDC dc() const { return bmp_ ? dc_.get() : target_; }

 private:
  HDC target_;
  int w_, h_;
  UniqueDC dc_;
  UniqueBitmap bmp_;
  ScopedSelect sel_;
};

// An off-screen buffer kept from one paint to the next, for widgets that draw while
// playing: making a DC and a bitmap asks the display driver about the screen each time.
// Made again when the size changes; Draw() is the DC to draw in (the target itself
// when no buffer can be made), Show() copies it to the target.
class KeptBuffer {
 public:
  HDC Draw(HDC target, int width, int height) {
    width = width > 0 ? width : 1;
    height = height > 0 ? height : 1;
    if (!dc_ || width != w_ || height != h_) {
      dc_.reset();  // first: it holds the bitmap
      bmp_.reset(CreateCompatibleBitmap(target, width, height));
      if (bmp_) dc_.reset(CreateCompatibleDC(target));
      if (!dc_) return target;
      SelectObject(dc_.get(), bmp_.get());
      w_ = width;
      h_ = height;
    }
    return dc_.get();
  }
  void Show(HDC target) const {
    if (dc_ && dc_.get() != target) BitBlt(target, 0, 0, w_, h_, dc_.get(), 0, 0, SRCCOPY);
  }

 private:
  int w_ = 0, h_ = 0;
  UniqueBitmap bmp_;
  UniqueDC dc_;  // declared after the bitmap: deleted before it
};

// $00BBGGRR, or $800000nn for system colour nn.
inline COLORREF ResolveColour(unsigned long c) {
  if ((c & 0xFF000000ul) == 0x80000000ul) return GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<COLORREF>(c & 0x00FFFFFFul);
}

// Fills a rectangle with one colour.
inline void FillSolid(HDC dc, const RECT& rc, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &rc, brush.get());
}

// Duplicates a bitmap (the widgets own what they are given, callers keep their own copy).
HBITMAP CopyBitmap(HBITMAP source);
// Size of a bitmap; {0, 0} for none.
SIZE BitmapSize(HBITMAP bmp);

// Paints what lies under `child` in its parent: the part of the visible background
// picture (the parent's `background` or `imdeactivated` picture control) under the
// child, or `fallback` where there is none. For labels and banners drawn transparently.
void PaintParentBackground(HWND child, HDC dc, const RECT& client, COLORREF fallback);

}  // namespace velmora::ui
