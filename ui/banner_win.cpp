// TBanner: the scrolling title. Its window text scrolls from right to left by a number
// of pixels every interval (VBM_SETSCROLL; 0 pixels holds it still), yellow on black
// unless told otherwise. It scrolls only while enabled and shown, and a click tells the
// parent (STN_CLICKED) like a static control; a right click sends WM_CONTEXTMENU.
//
// The title is the main continuous cost of the player, so a step costs one copy: the
// text is drawn once into a picture one lap plus one banner wide (a lap is the text's
// width and a gap), and each step copies the part at the new offset straight to the
// window through its own DC, without invalidating or a paint cycle. The picture is
// drawn again only when the text, font, colours or size change. The steps are made by
// the program's message loop when they fall due (PacedStep), not by a timer message.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include <oleacc.h>

#include "ui/gdi_win.h"
#include "ui/paced_steps_win.h"
#include "ui/widget_base_win.h"
#include "ui/widgets.h"
#include "ui/wide_win.h"

namespace velmora::ui {

namespace {

constexpr UINT_PTR kScrollTimer = 1;

class Banner : public WidgetBase {
 public:
  explicit Banner(HWND hwnd) : WidgetBase(hwnd), pacer_(hwnd, kScrollTimer, [this] { Step(); }) {}

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
        Changed();
        return TRUE;
      case VBM_GETCOLORS:
        if (wp) *reinterpret_cast<COLORREF*>(wp) = text_;
        if (lp) *reinterpret_cast<COLORREF*>(lp) = bk_;
        return TRUE;
      case VBM_SETFONTSPEC:
        face_ = lp ? reinterpret_cast<const char*>(lp) : "";
        points_ = static_cast<int>(wp);
        own_font_.reset();
        Changed();
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
        Changed();
        return 0;
      case WM_SETTEXT: {
        // The same text again (the player says its title more than once) changes nothing.
        if (lp && picture_ && text_shown_ == MessageText(lp)) return TRUE;
        LRESULT r = DefWindowProcW(hwnd_, msg, wp, lp);
        Changed();
        AnnounceChange(hwnd_, EVENT_OBJECT_NAMECHANGE);
        return r;
      }
      case WM_ENABLE:
        Restart();
        Redraw();
        return 0;
      case WM_SHOWWINDOW:
        // Hidden, it has nothing to move; shown again, it goes on from where it was.
        shown_ = wp != 0;
        Restart();
        return DefWindowProcW(hwnd_, msg, wp, lp);
      case WM_SIZE:
      case WM_SYSCOLORCHANGE: Changed(); return 0;
      case WM_TIMER:
        if (wp == kScrollTimer) pacer_.OnTimer();
        return 0;
      case WM_MOUSEMOVE: TrackHover(); return 0;
      case WM_MOUSELEAVE: hot_ = false; return 0;
      case WM_LBUTTONUP: NotifyParent(STN_CLICKED); return 0;
      case WM_DESTROY: pacer_.Stop(); return 0;
      default: return DefWindowProcW(hwnd_, msg, wp, lp);
    }
  }

 private:
  void Restart() {
    const bool want = active_ && shown_ && interval_ > 0 && pixels_ != 0 && IsWindowEnabled(hwnd_);
    if (want) {
      // Restarting starts the interval over, as switching the component on did.
      pacer_.Start(interval_);
    } else {
      pacer_.Stop();
    }
  }

  // Text, font, colours or size changed: the picture is drawn again at the next paint.
  void Changed() {
    picture_dc_.reset();  // first: it holds the picture
    picture_.reset();
    text_shown_.clear();
    Redraw();
  }

  HFONT Font(HDC dc) {
    if (!face_.empty() || points_ > 0) {
      if (!own_font_) {
        LOGFONTW lf{};
        const int pts = std::clamp(points_ > 0 ? points_ : 8, 1, 400);
        lf.lfHeight = -MulDiv(pts, GetDeviceCaps(dc, LOGPIXELSY), 72);
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = ANTIALIASED_QUALITY;
        SetFaceName(lf, face_.empty() ? "Arial" : face_);
        own_font_.reset(CreateFontIndirectW(&lf));
      }
      if (own_font_) return own_font_.get();
    }
    return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }

  // Draws the banner's background and text into `dc` for the area [0, width) x [0, height),
  // the text laid from `-from`, one copy every lap. Returns the lap (0 without text).
  int DrawLaps(HDC dc, const std::string& text, int from, int width, int height) {
    const RECT area{0, 0, width, height};
    FillSolid(dc, area, ResolveColour(bk_));
    const std::wstring wide = Widen(text);
    ScopedSelect sel(dc, FontWithGlyphs(dc, Font(dc), wide));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    // One text width plus a gap is one lap of the scroll.
    const int lap = size.cx > 0 ? size.cx + 24 : 0;
    if (lap <= 0) return 0;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColour(text_));
    const int y = (height - size.cy) / 2;
    for (int x = -(from % lap); x < width; x += lap)
      TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
    return lap;
  }

  // The picture of one lap plus one banner width, drawn when missing. False when it
  // cannot be made (painting then draws the text itself).
  bool EnsurePicture() {
    if (picture_) return true;
    const RECT rc = ClientRect();
    if (rc.right <= 0 || rc.bottom <= 0) return false;
    // Made like the window's own surface, whatever DC a paint or print hands us.
    WindowDC window(hwnd_);
    HDC target = window.get();
    if (!target) return false;
    text_shown_ = Text();
    // Measure first: the picture's width depends on the text's.
    UniqueDC dc(CreateCompatibleDC(target));
    if (!dc) return false;
    SIZE size{};
    {
      ScopedSelect sel(dc.get(), FontWithGlyphs(dc.get(), Font(dc.get()), Widen(text_shown_)));
      size = TextExtent(dc.get(), text_shown_);
    }
    lap_ = size.cx > 0 ? size.cx + 24 : 0;
    const int width = rc.right + lap_;
    UniqueBitmap bmp(CreateCompatibleBitmap(target, width, rc.bottom));
    if (!bmp) {
      text_shown_.clear();
      return false;
    }
    SelectObject(dc.get(), bmp.get());
    DrawLaps(dc.get(), text_shown_, 0, width, rc.bottom);
    picture_dc_ = std::move(dc);
    picture_ = std::move(bmp);
    if (lap_ > 0) offset_ %= lap_;
    return true;
  }

  void Step() {
    if (!EnsurePicture()) return Redraw();
    if (lap_ <= 0) return;  // no text: nothing moves
    offset_ = (offset_ + pixels_) % lap_;
    if (offset_ < 0) offset_ += lap_;
    PaintNow();
  }

  bool Describe(long item, AccessibleInfo& info) override {
    if (!WidgetBase::Describe(item, info)) return false;
    info.role = ROLE_SYSTEM_STATICTEXT;
    info.name = Text();
    info.state |= STATE_SYSTEM_READONLY;
    return true;
  }

  void Paint(HDC target) override {
    const RECT rc = ClientRect();
    if (EnsurePicture()) {
      BitBlt(target, 0, 0, rc.right, rc.bottom, picture_dc_.get(), offset_, 0, SRCCOPY);
      return;
    }
    BufferedPaint buffer(target, rc.right, rc.bottom);
    DrawLaps(buffer.dc(), Text(), offset_, rc.right, rc.bottom);
  }

  bool active_ = true;
  int pixels_ = 1;
  int interval_ = 50;
  int offset_ = 0;
  bool shown_ = true;       // not hidden by WM_SHOWWINDOW
  int lap_ = 0;             // text width and gap, in pixels; 0 without text
  std::string text_shown_;  // the text in the picture
  UniqueBitmap picture_;
  UniqueDC picture_dc_;              // holds picture_ selected
  unsigned long text_ = 0x0000FFFF;  // yellow
  unsigned long bk_ = 0x00000000;
  std::string face_;
  int points_ = 0;
  UniqueFont own_font_;
  PacedStep pacer_;  // the steps, made by the program's loop (or the scroll timer)
};

}  // namespace

LRESULT CALLBACK BannerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  return WidgetProc<Banner>(hwnd, msg, wp, lp);
}

}  // namespace velmora::ui
