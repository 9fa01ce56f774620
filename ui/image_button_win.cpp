// TToolbarButton97: a button drawn from a picture strip of NumGlyphs images. With two
// images the first serves the normal, pressed and mouse-over states and the second the
// disabled state; with four, the third is the pressed and the fourth the mouse-over
// face. Without a picture it draws a plain face with its caption. It behaves like a
// push button towards its parent (BN_CLICKED, BM_CLICK), sends right clicks as
// WM_CONTEXTMENU, and reports mouse activity (VWN_MOUSE) for the window-moving button.
#include <windows.h>
#include <windowsx.h>

#include <string>

#include <oleacc.h>

#include "ui/gdi_win.h"
#include "ui/widget_base_win.h"
#include "ui/widgets.h"

namespace velmora::ui {

namespace {

class ImageButton : public WidgetBase {
 public:
  using WidgetBase::WidgetBase;

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case VMB_SETGLYPH:
        glyph_.reset(reinterpret_cast<HBITMAP>(wp));
        num_glyphs_ = lp > 0 ? static_cast<int>(lp) : 1;
        Redraw();
        return TRUE;
      case VMB_SETNOBORDER:
        no_border_ = wp != 0;
        Redraw();
        return TRUE;
      case VMB_GETNOBORDER: return no_border_;
      case VMB_GETNUMGLYPHS: return glyph_ ? num_glyphs_ : 0;
      case BM_GETSTATE: return pressed_ && inside_ ? BST_PUSHED : 0;
      case BM_CLICK:
        if (IsWindowEnabled(hwnd_)) NotifyParent(BN_CLICKED);
        return 0;
      case WM_GETDLGCODE: {
        // The button takes Enter itself (below) rather than a window's default button.
        const auto* key = reinterpret_cast<const MSG*>(lp);
        const bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
        return DLGC_BUTTON | (enter ? DLGC_WANTMESSAGE : 0);
      }
      case WM_KEYDOWN:
        // Space or Enter on the focused button presses it.
        if (wp == VK_SPACE || wp == VK_RETURN) {
          if (IsWindowEnabled(hwnd_)) NotifyParent(BN_CLICKED);
          return 0;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
      case WM_SETTEXT:
      case WM_ENABLE: {
        if (msg == WM_ENABLE && !wp) {
          pressed_ = false;
          if (GetCapture() == hwnd_) ReleaseCapture();
        }
        LRESULT r = DefWindowProcW(hwnd_, msg, wp, lp);
        Redraw();
        return r;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        pressed_ = inside_ = true;
        SetCapture(hwnd_);
        Redraw();
        Mouse(WM_LBUTTONDOWN, lp);
        return 0;
      case WM_MOUSEMOVE: {
        TrackHover();
        if (pressed_) {
          const bool in = Inside(lp);
          if (in != inside_) {
            inside_ = in;
            Redraw();
          }
        }
        if (wp & MK_LBUTTON) Mouse(WM_MOUSEMOVE, lp);
        return 0;
      }
      case WM_MOUSELEAVE:
        hot_ = false;
        Redraw();
        return 0;
      case WM_LBUTTONUP: {
        const bool click = pressed_ && Inside(lp);
        pressed_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        Redraw();
        Mouse(WM_LBUTTONUP, lp);
        if (click && IsWindowEnabled(hwnd_)) NotifyParent(BN_CLICKED);
        return 0;
      }
      case WM_CAPTURECHANGED:
        if (pressed_) {
          pressed_ = false;
          Redraw();
        }
        return 0;
      case WM_CONTEXTMENU: return 0;  // already forwarded on button-up
      default: return DefWindowProcW(hwnd_, msg, wp, lp);
    }
  }

  bool Describe(long item, AccessibleInfo& info) override {
    if (!WidgetBase::Describe(item, info)) return false;
    info.role = ROLE_SYSTEM_PUSHBUTTON;
    // Without a name of its own the hint says what it does better than a glyph caption.
    if (!HasAccessibleName() && !Hint().empty()) info.name = Hint();
    info.default_action = "Press";
    if (pressed_ && inside_) info.state |= STATE_SYSTEM_PRESSED;
    return true;
  }

  bool DoDefaultAction(long item) override {
    if (item != 0 || !IsWindowEnabled(hwnd_)) return false;
    // Clicked once the reader's call has returned, as a mouse click would be.
    PostMessageW(hwnd_, BM_CLICK, 0, 0);
    return true;
  }

 private:
  bool Inside(LPARAM lp) const {
    RECT rc = ClientRect();
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    return PtInRect(&rc, pt) != 0;
  }

  void Mouse(UINT what, LPARAM lp) {
    if (HWND parent = GetParent(hwnd_))
      SendMessageW(parent, VWN_MOUSE, MAKEWPARAM(ControlId(), what), lp);
  }

  void Paint(HDC target) override {
    RECT rc = ClientRect();
    BufferedPaint buffer(target, rc.right, rc.bottom);
    HDC dc = buffer.dc();
    const bool enabled = IsWindowEnabled(hwnd_) != 0;
    const bool down = pressed_ && inside_;
    const SIZE strip = BitmapSize(glyph_.get());
    if (glyph_ && strip.cx > 0 && num_glyphs_ > 0) {
      const int gw = strip.cx / num_glyphs_;
      int index = 0;
      if (!enabled && num_glyphs_ >= 2)
        index = 1;
      else if (down && num_glyphs_ >= 3)
        index = 2;
      else if (hot_ && num_glyphs_ >= 4)
        index = 3;
      UniqueDC src(CreateCompatibleDC(dc));
      ScopedSelect sel(src.get(), glyph_.get());
      // The face moves by a pixel while pressed, when there is no pressed image.
      const int shift = down && num_glyphs_ < 3 ? 1 : 0;
      if (shift) FillSolid(dc, rc, RGB(0, 0, 0));
      SetStretchBltMode(dc, COLORONCOLOR);
      if (gw == rc.right && strip.cy == rc.bottom) {
        BitBlt(dc, shift, shift, gw, strip.cy, src.get(), index * gw, 0, SRCCOPY);
      } else {
        StretchBlt(dc, shift, shift, rc.right, rc.bottom, src.get(), index * gw, 0, gw, strip.cy,
                   SRCCOPY);
      }
      if (hot_ && enabled && !down && num_glyphs_ < 4) {
        // A faint light over the face under the mouse.
        BLENDFUNCTION bf{AC_SRC_OVER, 0, 40, 0};
        UniqueDC white_dc(CreateCompatibleDC(dc));
        UniqueBitmap white(CreateCompatibleBitmap(dc, 1, 1));
        ScopedSelect s2(white_dc.get(), white.get());
        SetPixel(white_dc.get(), 0, 0, RGB(255, 255, 255));
        AlphaBlend(dc, 0, 0, rc.right, rc.bottom, white_dc.get(), 0, 0, 1, 1, bf);
      }
    } else {
      PlainFace(dc, rc, enabled, down);
    }
    if (!no_border_) {
      RECT frame = rc;
      if (down)
        DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
      else if (hot_ && enabled)
        DrawEdge(dc, &frame, BDR_RAISEDINNER, BF_RECT);
    }
    DrawFocusMark(dc, rc, FocusMarkColour(hwnd_));
  }

  void PlainFace(HDC dc, const RECT& rc, bool enabled, bool down) {
    TRIVERTEX v[2] = {{rc.left, rc.top, 0x5800, 0x5C00, 0x6800, 0},
                      {rc.right, rc.bottom, 0x2000, 0x2200, 0x2A00, 0}};
    if (down)
      std::swap(v[0].Red, v[1].Red), std::swap(v[0].Green, v[1].Green),
          std::swap(v[0].Blue, v[1].Blue);
    GRADIENT_RECT gr{0, 1};
    GradientFill(dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_V);
    RECT frame = rc;
    DrawEdge(dc, &frame, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    wchar_t text[256];
    const int n = GetWindowTextW(hwnd_, text, 256);
    if (n > 0) {
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, enabled ? RGB(235, 235, 240) : RGB(120, 120, 130));
      HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
      if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
      ScopedSelect sel(dc, font);
      RECT t = rc;
      if (down) OffsetRect(&t, 1, 1);
      DrawTextW(dc, text, n, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }

  UniqueBitmap glyph_;
  int num_glyphs_ = 1;
  bool no_border_ = false;
  bool pressed_ = false;
  bool inside_ = false;
};

}  // namespace

LRESULT CALLBACK ImageButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  return WidgetProc<ImageButton>(hwnd, msg, wp, lp);
}

}  // namespace velmora::ui
