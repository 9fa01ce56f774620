// The widget set the windows are built from. Every widget is a child window of a
// registered class, driven by messages, so windows and designs need only its HWND (and
// other programs can query it): image buttons behave like push buttons (BN_CLICKED in
// WM_COMMAND, right click as WM_CONTEXTMENU to the parent), sliders like trackbars
// (TBM_GETPOS/TBM_SETPOS/TBM_GETRANGEMAX/TBM_SETRANGEMAX, WM_HSCROLL/WM_VSCROLL with
// TB_THUMBTRACK/TB_ENDTRACK to the parent), labels and the banner like static controls
// (window text = caption, STN_CLICKED when clicked).
#pragma once

#include <windows.h>

namespace velmora::ui {

// Window class names. RegisterWidgetClasses() must run once before any is created.
inline constexpr const char kImageButtonClass[] = "TToolbarButton97";
inline constexpr const char kSliderClass[] = "TSlider";
inline constexpr const char kBannerClass[] = "TBanner";
inline constexpr const char kEffectLabelClass[] = "TLabelEffect";
inline constexpr const wchar_t kImageButtonClassW[] = L"TToolbarButton97";
inline constexpr const wchar_t kSliderClassW[] = L"TSlider";
inline constexpr const wchar_t kBannerClassW[] = L"TBanner";
inline constexpr const wchar_t kEffectLabelClassW[] = L"TLabelEffect";

bool RegisterWidgetClasses(HINSTANCE instance);

// Extra messages (WM_USER + 0x100 upward so they never meet the common-control ones).
enum : UINT {
  // Image button. WPARAM: HBITMAP (ownership passes to the button, 0 clears), LPARAM: NumGlyphs.
  VMB_SETGLYPH = WM_USER + 0x100,
  VMB_SETNOBORDER = WM_USER + 0x101,  // WPARAM: BOOL
  VMB_GETNOBORDER = WM_USER + 0x102,
  VMB_GETNUMGLYPHS = WM_USER + 0x103,

  // Slider. WPARAM: picture index 0..3, LPARAM: HBITMAP (owned by the slider afterwards).
  VSM_SETPICTURE = WM_USER + 0x110,
  VSM_SETVERTICAL = WM_USER + 0x111,  // WPARAM: BOOL
  VSM_SETBKCOLOR = WM_USER + 0x112,   // LPARAM: COLORREF
  VSM_SETTHUMB = WM_USER + 0x113,     // WPARAM: HBITMAP thumb picture (owned), 0 = default

  // Banner: scroll step in pixels (WPARAM) and interval in ms (LPARAM); colours.
  VBM_SETSCROLL = WM_USER + 0x120,
  VBM_GETSCROLL = WM_USER + 0x121,    // returns MAKELONG(pixels, interval)
  VBM_SETCOLORS = WM_USER + 0x122,    // WPARAM: text COLORREF, LPARAM: background COLORREF
  VBM_GETCOLORS = WM_USER + 0x123,    // WPARAM: COLORREF* text, LPARAM: COLORREF* background
  VBM_SETFONTSPEC = WM_USER + 0x124,  // WPARAM: size in points, LPARAM: const char* face name
  VBM_GETFONTSPEC = WM_USER + 0x125,  // WPARAM: buffer size, LPARAM: char* face; returns points
  // Scrolling on/off without touching step, interval or the enabled state (WPARAM: BOOL).
  VBM_SETACTIVE = WM_USER + 0x126,
  VBM_GETACTIVE = WM_USER + 0x127,
  VBM_GETTEXTCOLOR = WM_USER + 0x128,  // returns the text COLORREF (other programs can ask)

  // Effect label: LPARAM points to a velmora::LabelEffectStyle (copied).
  VLM_SETSTYLE = WM_USER + 0x130,
  VLM_GETSTYLE = WM_USER + 0x131,  // LPARAM: LabelEffectStyle* to fill
  VLM_SETCOLOR = WM_USER + 0x132,  // LPARAM: COLORREF font colour
  VLM_GETCOLOR = WM_USER + 0x133,

  // Any widget: hint text for tooltips and the status line (LPARAM: const char*).
  VWM_SETHINT = WM_USER + 0x140,
  VWM_GETHINT = WM_USER + 0x141,  // WPARAM: buffer size, LPARAM: char* buffer
  // WM_USER + 0x142 is the screen readers' query (ui/accessible_win.h).
  // The name screen readers announce, when the caption does not say what the widget does
  // (a button showing ">"). LPARAM: const char*.
  VWM_SETACCNAME = WM_USER + 0x143,
  // Slider: how screen readers read its value. WPARAM: VSV_NUMBER, VSV_PERCENT (of the
  // maximum) or VSV_TIME ("1:23 of 4:56", LPARAM milliseconds per unit).
  VSM_SETVALUEFORMAT = WM_USER + 0x117,

  // Notices to the parent. The mouse entered a widget (to echo its hint on the status
  // line): WPARAM control ID, LPARAM its HWND.
  VWN_HOVER = WM_USER + 0x150,
  // Image button mouse activity (the Move button drags the window): WPARAM
  // MAKEWPARAM(control ID, WM_LBUTTONDOWN / WM_MOUSEMOVE / WM_LBUTTONUP), LPARAM the
  // point in the button's client coordinates as MAKELPARAM(x, y).
  VWN_MOUSE = WM_USER + 0x151,
  // A widget was moved or sized (the tab order may change):
  // WPARAM control ID, LPARAM its HWND.
  VWN_MOVED = WM_USER + 0x152,

  // Slider: WPARAM picture index 0..3; returns the slider's own HBITMAP (not a copy).
  VSM_GETPICTURE = WM_USER + 0x114,
  VSM_GETVERTICAL = WM_USER + 0x115,
  VSM_GETBKCOLOR = WM_USER + 0x116,
};

enum : WPARAM { VSV_NUMBER = 0, VSV_PERCENT = 1, VSV_TIME = 2 };

// Slider picture indexes (VSM_SETPICTURE).
enum : int { kHorizontalThumb = 0, kHorizontalTrack = 1, kVerticalThumb = 2, kVerticalTrack = 3 };

// Background colour of every tooltip of the application (the design's hintcolor).
void SetHintColor(COLORREF colour);
COLORREF HintColor();

// Notification codes in HIWORD(wParam) of WM_COMMAND from sliders.
enum : WORD { VSN_SETFOCUS = 0x0100, VSN_KILLFOCUS = 0x0101, VSN_CLICKED = 0x0102 };

}  // namespace velmora::ui
