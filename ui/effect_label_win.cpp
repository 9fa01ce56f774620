// TLabelEffect: a label that draws its window text with a highlight copy and a shadow
// copy offset in their directions, each drawn as one copy (normal), a solid extrusion,
// a graduated extrusion that shades from the copy's colour to the face, or a "real"
// soft shadow that fades into the background; the face itself can carry a vertical or
// horizontal gradient from GraduateFrom to the text colour, and the whole text can be
// rotated by Angle degrees, optionally with upright letters. The style model (presets,
// schemes, setters) is velmora::LabelEffectStyle; this file only draws it.
// While disabled the label does not repaint on changes, so a design that sets twenty
// properties repaints it once when it is enabled again.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "ui/label_effect.h"
#include <oleacc.h>

#include "ui/gdi_win.h"
#include "ui/widget_base_win.h"
#include "ui/widgets.h"
#include "ui/wide_win.h"

namespace velmora::ui {

namespace {

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
  if (den <= 0) return b;
  auto ch = [&](int x, int y) { return x + (y - x) * num / den; };
  return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)),
             ch(GetBValue(a), GetBValue(b)));
}

class EffectLabel : public WidgetBase {
 public:
  explicit EffectLabel(HWND hwnd) : WidgetBase(hwnd) {}

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case VLM_SETSTYLE:
        if (lp) {
          style_ = *reinterpret_cast<const LabelEffectStyle*>(lp);
          font_obj_.reset();
          upright_font_.reset();
          Changed();
        }
        return TRUE;
      case VLM_GETSTYLE:
        if (lp) *reinterpret_cast<LabelEffectStyle*>(lp) = style_;
        return TRUE;
      case VLM_SETCOLOR:
        style_.font_colour = static_cast<Colour>(lp);
        Changed();
        return TRUE;
      case VLM_GETCOLOR: return static_cast<LRESULT>(style_.font_colour);
      case WM_SETTEXT: {
        // The time label is told its text twice a second, mostly the one it shows.
        if (lp && Text() == MessageText(lp)) return TRUE;
        LRESULT r = DefWindowProcW(hwnd_, msg, wp, lp);
        if (IsWindowEnabled(hwnd_)) PaintNow();
        AnnounceChange(hwnd_, EVENT_OBJECT_NAMECHANGE);
        return r;
      }
      case WM_ENABLE:
        if (wp) Redraw();
        return 0;
      case WM_SIZE: Redraw(); return 0;
      case WM_MOUSEMOVE: TrackHover(); return 0;
      case WM_MOUSELEAVE: hot_ = false; return 0;
      case WM_LBUTTONUP: NotifyParent(STN_CLICKED); return 0;
      case WM_LBUTTONDBLCLK: NotifyParent(STN_DBLCLK); return 0;
      default: return DefWindowProcW(hwnd_, msg, wp, lp);
    }
  }

 private:
  void Changed() {
    if (IsWindowEnabled(hwnd_)) Redraw();
  }

  int Angle() const {
    int a = style_.angle % 360;
    return a < 0 ? a + 360 : a;
  }

  HFONT Font(HDC dc, bool rotated) {
    UniqueFont& slot = rotated ? font_obj_ : upright_font_;
    if (!slot) {
      const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
      LOGFONTW lf{};
      // Sizes from a design are taken as given, within what a font can be.
      const int pts = std::clamp(style_.font_size > 0 ? style_.font_size : 8, 1, 400);
      lf.lfHeight = -MulDiv(pts, dpi, 72);
      lf.lfWeight = FW_NORMAL;
      lf.lfCharSet = DEFAULT_CHARSET;
      lf.lfOutPrecision = OUT_TT_PRECIS;  // rotation and outlines need a TrueType face
      lf.lfQuality = ANTIALIASED_QUALITY;
      lf.lfEscapement = lf.lfOrientation = rotated ? Angle() * 10 : 0;
      SetFaceName(lf, style_.font_name.empty() ? "Arial" : style_.font_name);
      slot.reset(CreateFontIndirectW(&lf));
    }
    return slot.get();
  }

  // Draws the text with its origin at (x, y) + offset, in one colour, or as the clip
  // path of a gradient face.
  void DrawText(HDC dc, double x, double y, const std::string& text) {
    const int a = Angle();
    if (!style_.keep_letters_vertical || a == 0) {
      TextOutUtf8(dc, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), text);
      return;
    }
    // Upright letters along the rotated baseline.
    const double rad = a * 3.14159265358979 / 180.0;
    const double ux = std::cos(rad), uy = -std::sin(rad);
    double px = x, py = y;
    const std::wstring wide = Widen(text);
    for (size_t i = 0; i < wide.size(); ++i) {
      // A character outside the basic plane is a surrogate pair: drawn as one.
      const int units = (wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size()) ? 2 : 1;
      TextOutW(dc, static_cast<int>(std::lround(px)), static_cast<int>(std::lround(py)), &wide[i],
               units);
      SIZE s{};
      GetTextExtentPoint32W(dc, &wide[i], units, &s);
      i += units - 1;
      px += ux * s.cx;
      py += uy * s.cx;
    }
  }

  // One copy of the highlight or shadow: dir * depth away, in the way its style asks.
  void DrawLayer(HDC dc, double x, double y, const std::string& text, TEffectDirection dir,
                 int depth, TEffectOption option, COLORREF colour, COLORREF face, COLORREF bk) {
    int dx, dy;
    DirectionOffset(dir, &dx, &dy);
    depth = std::clamp(depth, 0, 10);
    if (depth == 0 || (dx == 0 && dy == 0)) return;
    switch (option) {
      case TEffectOption::eoNormal:
        SetTextColor(dc, colour);
        DrawText(dc, x + dx * depth, y + dy * depth, text);
        break;
      case TEffectOption::eoExtrude:
        SetTextColor(dc, colour);
        for (int k = depth; k >= 1; --k) DrawText(dc, x + dx * k, y + dy * k, text);
        break;
      case TEffectOption::eoGraduated:
        for (int k = depth; k >= 1; --k) {
          SetTextColor(dc, Mix(face, colour, k, depth));
          DrawText(dc, x + dx * k, y + dy * k, text);
        }
        break;
      case TEffectOption::eoReal:
        for (int k = depth; k >= 1; --k) {
          SetTextColor(dc, Mix(colour, bk, k - 1, depth));
          DrawText(dc, x + dx * k, y + dy * k, text);
        }
        break;
    }
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
    HDC dc = buffer_.Draw(target, rc.right, rc.bottom);
    Render(dc, rc);
    buffer_.Show(target);
  }

  void Render(HDC dc, const RECT& rc) {
    const COLORREF bk = ResolveColour(style_.bk_colour);
    if (style_.transparent) {
      PaintParentBackground(hwnd_, dc, rc, bk);
    } else {
      FillSolid(dc, rc, bk);
    }
    const std::string text = Text();
    if (text.empty()) return;

    const bool rotate_font = Angle() != 0 && !style_.keep_letters_vertical;
    // Measure unrotated.
    SIZE size{};
    {
      ScopedSelect sel(dc, FontWithGlyphs(dc, Font(dc, false), Widen(text)));
      size = TextExtent(dc, text);
    }
    ScopedSelect sel(dc, FontWithGlyphs(dc, Font(dc, rotate_font), Widen(text)));
    SetBkMode(dc, TRANSPARENT);

    // Room for the copies that lie up or left of the face.
    int hx, hy, sx, sy;
    DirectionOffset(style_.DirectionHighlight(), &hx, &hy);
    DirectionOffset(style_.DirectionShadow(), &sx, &sy);
    const int dh = std::clamp(style_.DepthHighlight(), 0, 10),
              ds = std::clamp(style_.DepthShadow(), 0, 10);
    const int pad_x = std::max({0, -hx * dh, -sx * ds});
    const int pad_y = std::max({0, -hy * dh, -sy * ds});

    double x, y;
    if (Angle() == 0) {
      x = pad_x;
      y = pad_y;
    } else {
      // Centre the rotated text in the label.
      const double rad = Angle() * 3.14159265358979 / 180.0;
      const double cx = size.cx / 2.0, cy = size.cy / 2.0;
      const double rx = cx * std::cos(rad) + cy * std::sin(rad);
      const double ry = -cx * std::sin(rad) + cy * std::cos(rad);
      x = rc.right / 2.0 - rx;
      y = rc.bottom / 2.0 - ry;
    }

    const COLORREF face = ResolveColour(style_.font_colour);
    DrawLayer(dc, x, y, text, style_.DirectionShadow(), style_.DepthShadow(), style_.StyleShadow(),
              ResolveColour(style_.ColourShadow()), face, bk);
    DrawLayer(dc, x, y, text, style_.DirectionHighlight(), style_.DepthHighlight(),
              style_.StyleHighlight(), ResolveColour(style_.ColourHighlight()), face, bk);

    if (style_.GraduateFace() == TGraduateOption::goNone) {
      SetTextColor(dc, face);
      DrawText(dc, x, y, text);
      return;
    }
    // Gradient face: the text's outline clips a gradient fill.
    BeginPath(dc);
    DrawText(dc, x, y, text);
    EndPath(dc);
    if (!SelectClipPath(dc, RGN_COPY)) {
      SetTextColor(dc, face);
      DrawText(dc, x, y, text);
      return;
    }
    const COLORREF from = ResolveColour(style_.GraduateFrom());
    TRIVERTEX v[2] = {
        {rc.left, rc.top, static_cast<COLOR16>(GetRValue(from) << 8),
         static_cast<COLOR16>(GetGValue(from) << 8), static_cast<COLOR16>(GetBValue(from) << 8), 0},
        {rc.right, rc.bottom, static_cast<COLOR16>(GetRValue(face) << 8),
         static_cast<COLOR16>(GetGValue(face) << 8), static_cast<COLOR16>(GetBValue(face) << 8),
         0}};
    if (Angle() == 0) {
      // Span the text, not the whole label.
      v[0].x = static_cast<LONG>(x);
      v[0].y = static_cast<LONG>(y);
      v[1].x = static_cast<LONG>(x) + size.cx;
      v[1].y = static_cast<LONG>(y) + size.cy;
    }
    GRADIENT_RECT gr{0, 1};
    GradientFill(dc, v, 2, &gr, 1,
                 style_.GraduateFace() == TGraduateOption::goVertical ? GRADIENT_FILL_RECT_V
                                                                      : GRADIENT_FILL_RECT_H);
    SelectClipRgn(dc, nullptr);
  }

  LabelEffectStyle style_;
  KeptBuffer buffer_;
  UniqueFont font_obj_;
  UniqueFont upright_font_;
};

}  // namespace

LRESULT CALLBACK EffectLabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  return WidgetProc<EffectLabel>(hwnd, msg, wp, lp);
}

}  // namespace velmora::ui
