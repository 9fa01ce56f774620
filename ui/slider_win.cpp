// TSlider: a slider drawn from four replaceable pictures (horizontal thumb, horizontal
// track, vertical thumb, vertical track), on a background colour, in either
// orientation. A thumb picture at least twice as wide as high holds two states side by
// side: normal, then pressed (also shown under the mouse). Without pictures it draws a
// plain groove and thumb. Towards its parent it behaves like a trackbar: TBM_* queries,
// WM_HSCROLL/WM_VSCROLL with TB_THUMBTRACK while the value changes under the mouse and
// TB_ENDTRACK on release, plus WM_COMMAND notices VSN_SETFOCUS, VSN_KILLFOCUS and
// VSN_CLICKED. Vertical sliders have their maximum at the top.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include <oleacc.h>

#include "ui/gdi_win.h"
#include "ui/widget_base_win.h"
#include "ui/widgets.h"

#ifndef TBM_SETPOSNOTIFY
#define TBM_SETPOSNOTIFY (WM_USER + 34)
#endif

namespace velmora::ui {

namespace {

constexpr int kPlainThumb = 11;  // thumb length without a picture

class Slider : public WidgetBase {
 public:
  using WidgetBase::WidgetBase;

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case TBM_GETPOS: return pos_;
      case TBM_GETRANGEMIN: return min_;
      case TBM_GETRANGEMAX: return max_;
      case TBM_SETPOS: SetPos(static_cast<LONG>(lp), wp != 0); return 0;
      case TBM_SETPOSNOTIFY:
        SetPos(static_cast<LONG>(lp), true);
        Scroll(TB_THUMBPOSITION);
        return 0;
      case TBM_SETRANGEMAX:
        max_ = static_cast<LONG>(lp);
        Clamp(wp != 0);
        return 0;
      case TBM_SETRANGEMIN:
        min_ = static_cast<LONG>(lp);
        Clamp(wp != 0);
        return 0;
      case TBM_SETRANGE:
        min_ = static_cast<SHORT>(LOWORD(lp));
        max_ = static_cast<SHORT>(HIWORD(lp));
        Clamp(wp != 0);
        return 0;
      case TBM_SETLINESIZE: {
        LONG old = line_;
        line_ = static_cast<LONG>(lp);
        return old;
      }
      case TBM_GETLINESIZE: return line_;
      case TBM_SETPAGESIZE: {
        LONG old = page_;
        page_ = static_cast<LONG>(lp);
        return old;
      }
      case TBM_GETPAGESIZE: return page_;
      case VSM_SETPICTURE:
        if (wp < 4) {
          pictures_[wp].reset(reinterpret_cast<HBITMAP>(lp));
          Redraw();
        } else if (lp) {
          DeleteObject(reinterpret_cast<HBITMAP>(lp));
        }
        return TRUE;
      case VSM_GETPICTURE: return wp < 4 ? reinterpret_cast<LRESULT>(pictures_[wp].get()) : 0;
      case VSM_SETTHUMB:
        pictures_[vertical_ ? kVerticalThumb : kHorizontalThumb].reset(
            reinterpret_cast<HBITMAP>(wp));
        Redraw();
        return TRUE;
      case VSM_SETVERTICAL:
        vertical_ = wp != 0;
        Redraw();
        return TRUE;
      case VSM_GETVERTICAL: return vertical_;
      case VSM_SETBKCOLOR:
        bk_ = static_cast<unsigned long>(lp);
        Redraw();
        return TRUE;
      case VSM_GETBKCOLOR: return static_cast<LRESULT>(bk_);
      case VSM_SETVALUEFORMAT:
        value_format_ = wp;
        ms_per_unit_ = static_cast<long long>(lp);
        return TRUE;
      case WM_GETDLGCODE: return DLGC_WANTARROWS;
      case WM_ENABLE:
        if (!wp) EndDrag(false);
        Redraw();
        return 0;
      case WM_SIZE: Redraw(); return 0;
      case WM_SETFOCUS: NotifyParent(VSN_SETFOCUS); return 0;
      case WM_KILLFOCUS:
        EndDrag(true);
        NotifyParent(VSN_KILLFOCUS);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        dragging_ = true;
        SetCapture(hwnd_);
        const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        // Grabbing the thumb keeps the grab point; a click elsewhere centres it there.
        const RECT thumb = ThumbRect();
        grab_ = PtInRect(&thumb, pt) ? (vertical_ ? pt.y - thumb.top : pt.x - thumb.left)
                                     : ThumbLength() / 2;
        MoveTo(pt);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (TrackHover()) Redraw();
        if (dragging_) MoveTo({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
      case WM_MOUSELEAVE:
        hot_ = false;
        Redraw();
        return 0;
      case WM_LBUTTONUP:
        if (dragging_) {
          EndDrag(true);
          NotifyParent(VSN_CLICKED);
        }
        return 0;
      case WM_CAPTURECHANGED: EndDrag(true); return 0;
      case WM_KEYDOWN: {
        LONG delta = 0;
        UINT code = 0;
        switch (wp) {
          case VK_LEFT:
          case VK_DOWN:
            delta = -line_;
            code = TB_LINEUP;
            break;
          case VK_RIGHT:
          case VK_UP:
            delta = line_;
            code = TB_LINEDOWN;
            break;
          case VK_PRIOR:
            delta = page_;
            code = TB_PAGEDOWN;
            break;
          case VK_NEXT:
            delta = -page_;
            code = TB_PAGEUP;
            break;
          case VK_HOME:
            delta = min_ - pos_;
            code = TB_TOP;
            break;
          case VK_END:
            delta = max_ - pos_;
            code = TB_BOTTOM;
            break;
          default: return DefWindowProcW(hwnd_, msg, wp, lp);
        }
        SetPos(pos_ + delta, true);
        Scroll(code);
        Scroll(TB_ENDTRACK);
        return 0;
      }
      default: return DefWindowProcW(hwnd_, msg, wp, lp);
    }
  }

  bool Describe(long item, AccessibleInfo& info) override {
    if (!WidgetBase::Describe(item, info)) return false;
    info.role = ROLE_SYSTEM_SLIDER;
    if (!HasAccessibleName() && !Hint().empty()) info.name = Hint();
    info.value = ValueText();
    return true;
  }

 private:
  static std::string Clock(long long ms) {
    const long long seconds = std::max(0LL, ms) / 1000;
    char text[32];
    snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
  }

  // The value as a reader says it: "1:23 of 4:56", "75%" or the number.
  std::string ValueText() const {
    if (value_format_ == VSV_TIME)
      return Clock(pos_ * ms_per_unit_) + " of " + Clock(max_ * ms_per_unit_);
    if (value_format_ == VSV_PERCENT && max_ > min_) {
      const long long percent = ((static_cast<long long>(pos_) - min_) * 100 + (max_ - min_) / 2) /
                                (static_cast<long long>(max_) - min_);
      return std::to_string(percent) + "%";
    }
    return std::to_string(pos_);
  }

  void Clamp(bool redraw) {
    if (max_ < min_) max_ = min_;
    pos_ = std::clamp(pos_, min_, max_);
    if (redraw) Redraw();
  }

  void SetPos(LONG v, bool redraw) {
    const RECT before = ThumbRect();
    const LONG old = pos_;
    pos_ = std::clamp(v, min_, std::max(min_, max_));
    if (pos_ != old) AnnounceChange(hwnd_, EVENT_OBJECT_VALUECHANGE);
    if (!redraw) return;
    // The position timer sets the position twice a second; only a thumb that moved by a
    // pixel is drawn again.
    const RECT after = ThumbRect();
    if (!EqualRect(&before, &after)) PaintNow();
  }

  void Scroll(UINT code) {
    if (HWND parent = GetParent(hwnd_))
      SendMessageW(parent, vertical_ ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos_),
                   reinterpret_cast<LPARAM>(hwnd_));
  }

  void EndDrag(bool notify) {
    if (!dragging_) return;
    dragging_ = false;
    if (GetCapture() == hwnd_) ReleaseCapture();
    Redraw();
    if (notify) Scroll(TB_ENDTRACK);
  }

  HBITMAP Thumb() const { return pictures_[vertical_ ? kVerticalThumb : kHorizontalThumb].get(); }
  HBITMAP Track() const { return pictures_[vertical_ ? kVerticalTrack : kHorizontalTrack].get(); }

  // Thumb picture size of one state.
  SIZE ThumbSize() const {
    SIZE s = BitmapSize(Thumb());
    if (s.cx > 0 && s.cx >= 2 * s.cy) s.cx /= 2;
    return s;
  }
  bool TwoStateThumb() const {
    const SIZE s = BitmapSize(Thumb());
    return s.cx > 0 && s.cx >= 2 * s.cy;
  }

  int ThumbLength() const {
    const SIZE s = ThumbSize();
    if (s.cx > 0) return vertical_ ? s.cy : s.cx;
    return kPlainThumb;
  }

  int Travel() const {
    RECT rc = ClientRect();
    return std::max(0, static_cast<int>((vertical_ ? rc.bottom : rc.right)) - ThumbLength());
  }

  // Offset of the thumb's leading edge along the slider.
  int ThumbOffset() const {
    const long long range = static_cast<long long>(max_) - min_;
    if (range <= 0) return vertical_ ? Travel() : 0;
    const long long along = (static_cast<long long>(pos_) - min_) * Travel() / range;
    return static_cast<int>(vertical_ ? Travel() - along : along);
  }

  RECT ThumbRect() const {
    RECT rc = ClientRect();
    const SIZE s = ThumbSize();
    const int off = ThumbOffset();
    if (vertical_) {
      const int w = s.cx > 0 ? s.cx : rc.right - 2;
      const int x = (rc.right - w) / 2;
      return {x, off, x + w, off + ThumbLength()};
    }
    const int h = s.cy > 0 ? s.cy : rc.bottom - 2;
    const int y = (rc.bottom - h) / 2;
    return {off, y, off + ThumbLength(), y + h};
  }

  void MoveTo(POINT pt) {
    const int travel = Travel();
    const long long range = static_cast<long long>(max_) - min_;
    long long along = (vertical_ ? pt.y : pt.x) - grab_;
    along = std::clamp<long long>(along, 0, travel);
    if (vertical_) along = travel - along;
    const LONG v =
        travel > 0 ? static_cast<LONG>(min_ + (along * range + travel / 2) / travel) : min_;
    if (v != pos_) {
      SetPos(v, true);
      Scroll(TB_THUMBTRACK);
    } else {
      Redraw();
    }
  }

  void Paint(HDC target) override {
    const RECT rc = ClientRect();
    HDC dc = buffer_.Draw(target, rc.right, rc.bottom);
    Render(dc, rc);
    DrawFocusMark(dc, rc, FocusMarkColour(hwnd_));
    buffer_.Show(target);
  }

  void Render(HDC dc, const RECT& rc) {
    FillSolid(dc, rc, ResolveColour(bk_));
    if (!src_) src_.reset(CreateCompatibleDC(dc));
    const UniqueDC& src = src_;
    SetStretchBltMode(dc, COLORONCOLOR);
    const bool enabled = IsWindowEnabled(hwnd_) != 0;

    if (HBITMAP track = Track()) {
      const SIZE s = BitmapSize(track);
      ScopedSelect sel(src.get(), track);
      if (vertical_) {
        const int x = (rc.right - s.cx) / 2;
        StretchBlt(dc, x, 0, s.cx, rc.bottom, src.get(), 0, 0, s.cx, s.cy, SRCCOPY);
      } else {
        const int y = (rc.bottom - s.cy) / 2;
        StretchBlt(dc, 0, y, rc.right, s.cy, src.get(), 0, 0, s.cx, s.cy, SRCCOPY);
      }
    } else {
      // A plain groove along the middle.
      RECT g = rc;
      if (vertical_) {
        g.left = rc.right / 2 - 2;
        g.right = g.left + 4;
      } else {
        g.top = rc.bottom / 2 - 2;
        g.bottom = g.top + 4;
      }
      DrawEdge(dc, &g, EDGE_SUNKEN, BF_RECT);
    }

    const RECT t = ThumbRect();
    if (HBITMAP thumb = Thumb()) {
      const SIZE s = ThumbSize();
      const int state = TwoStateThumb() && (dragging_ || hot_) ? 1 : 0;
      ScopedSelect sel(src.get(), thumb);
      BitBlt(dc, t.left, t.top, s.cx, s.cy, src.get(), state * s.cx, 0, SRCCOPY);
    } else {
      RECT face = t;
      FillSolid(dc, face,
                !enabled            ? RGB(90, 90, 96)
                : dragging_ || hot_ ? RGB(250, 200, 80)
                                    : RGB(200, 200, 210));
      DrawEdge(dc, &face, dragging_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
  }

  LONG min_ = 0, max_ = 100, pos_ = 0, line_ = 1, page_ = 10;
  bool vertical_ = false;
  WPARAM value_format_ = VSV_NUMBER;
  long long ms_per_unit_ = 0;
  bool dragging_ = false;
  int grab_ = 0;
  unsigned long bk_ = 0x00000000;
  UniqueBitmap pictures_[4];
  KeptBuffer buffer_;
  UniqueDC src_;  // for the pictures; declared last: deleted before them
};

}  // namespace

LRESULT CALLBACK SliderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  return WidgetProc<Slider>(hwnd, msg, wp, lp);
}

}  // namespace velmora::ui
