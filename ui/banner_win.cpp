// TBanner: the scrolling title. Its window text scrolls from right to left by a number
// of pixels every interval (VBM_SETSCROLL; 0 pixels holds it still), yellow on black
// unless told otherwise. It scrolls only while enabled, and a click tells the parent
// (STN_CLICKED) like a static control; a right click sends WM_CONTEXTMENU.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ui/gdi_win.h"
#include "ui/widget_base_win.h"
#include "ui/widgets.h"

namespace velmora::ui {

namespace {

constexpr UINT_PTR kScrollTimer = 1;

class Banner : public WidgetBase {
 public:
  explicit Banner(HWND hwnd) : WidgetBase(hwnd) {}

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_CREATE: Restart(); return 0;
      case VBM_SETSCROLL:
        pixels_ = static_cast<int>(wp);
        interval_ = static_cast<int>(lp);
        Restart();
        return TRUE;
      case VBM_GETSCROLL: return MAKELONG(pixels_, interval_);
      case VBM_SETACTIVE:
        active_ = wp != 0;
        Restart();
        return TRUE;
      case VBM_GETACTIVE: return active_;
      case VBM_SETCOLORS:
        text_ = static_cast<unsigned long>(wp);
        bk_ = static_cast<unsigned long>(lp);
        Redraw();
        return TRUE;
      case VBM_GETCOLORS:
        if (wp) *reinterpret_cast<COLORREF*>(wp) = text_;
        if (lp) *reinterpret_cast<COLORREF*>(lp) = bk_;
        return TRUE;
      case VBM_SETFONTSPEC:
        face_ = lp ? reinterpret_cast<const char*>(lp) : "";
        points_ = static_cast<int>(wp);
        own_font_.reset();
        width_cache_ = -1;
        Redraw();
        return TRUE;
      case VBM_GETTEXTCOLOR: return static_cast<LRESULT>(text_);
      case VBM_GETFONTSPEC: {
        char* out = reinterpret_cast<char*>(lp);
        if (out && wp) {
          const size_t n = std::min(face_.size(), static_cast<size_t>(wp) - 1);
          std::memcpy(out, face_.data(), n);
          out[n] = '\0';
        }
        return points_;
      }
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wp);
        width_cache_ = -1;
        Redraw();
        return 0;
      case WM_SETTEXT: {
        LRESULT r = DefWindowProcA(hwnd_, msg, wp, lp);
        width_cache_ = -1;
        Redraw();
        return r;
      }
      case WM_ENABLE:
        Restart();
        Redraw();
        return 0;
      case WM_SIZE: Redraw(); return 0;
      case WM_TIMER:
        if (wp == kScrollTimer) Step();
        return 0;
      case WM_MOUSEMOVE: TrackHover(); return 0;
      case WM_MOUSELEAVE: hot_ = false; return 0;
      case WM_LBUTTONUP: NotifyParent(STN_CLICKED); return 0;
      case WM_DESTROY: KillTimer(hwnd_, kScrollTimer); return 0;
      default: return DefWindowProcA(hwnd_, msg, wp, lp);
    }
  }

 private:
  void Restart() {
    KillTimer(hwnd_, kScrollTimer);
    if (active_ && interval_ > 0 && pixels_ != 0 && IsWindowEnabled(hwnd_))
      SetTimer(hwnd_, kScrollTimer, interval_, nullptr);
  }

  HFONT Font(HDC dc) {
    if (!face_.empty() || points_ > 0) {
      if (!own_font_) {
        LOGFONTA lf{};
        const int pts = std::clamp(points_ > 0 ? points_ : 8, 1, 400);
        lf.lfHeight = -MulDiv(pts, GetDeviceCaps(dc, LOGPIXELSY), 72);
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = ANTIALIASED_QUALITY;
        lstrcpynA(lf.lfFaceName, face_.empty() ? "Arial" : face_.c_str(), LF_FACESIZE);
        own_font_.reset(CreateFontIndirectA(&lf));
      }
      if (own_font_) return own_font_.get();
    }
    return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }

  void Step() {
    if (width_cache_ <= 0) return Redraw();
    offset_ = (offset_ + pixels_) % width_cache_;
    if (offset_ < 0) offset_ += width_cache_;
    Redraw();
  }

  void Paint(HDC target) override {
    RECT rc = ClientRect();
    BufferedPaint buffer(target, rc.right, rc.bottom);
    HDC dc = buffer.dc();
    FillSolid(dc, rc, ResolveColour(bk_));
    const std::string text = Text();
    ScopedSelect sel(dc, Font(dc));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    // One text width plus a gap is one lap of the scroll.
    width_cache_ = size.cx > 0 ? size.cx + 24 : 0;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColour(text_));
    const int y = (rc.bottom - size.cy) / 2;
    if (width_cache_ <= 0) return;
    for (int x = -offset_; x < rc.right; x += width_cache_)
      TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  }

  bool active_ = true;
  int pixels_ = 1;
  int interval_ = 50;
  int offset_ = 0;
  int width_cache_ = -1;
  unsigned long text_ = 0x0000FFFF;  // yellow
  unsigned long bk_ = 0x00000000;
  std::string face_;
  int points_ = 0;
  UniqueFont own_font_;
};

}  // namespace

LRESULT CALLBACK BannerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  return WidgetProc<Banner>(hwnd, msg, wp, lp);
}

}  // namespace velmora::ui
