#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <cstring>
#include <map>
#include <vector>

#include <oleacc.h>

#include "ui/gdi_win.h"
#include "ui/widget_base_win.h"
#include "ui/widgets.h"
#include "ui/wide_win.h"
#include "ui/window_util_win.h"

namespace velmora::ui {

// Defined in the widgets' own files.
LRESULT CALLBACK ImageButtonProc(HWND, UINT, WPARAM, LPARAM) noexcept;
LRESULT CALLBACK SliderProc(HWND, UINT, WPARAM, LPARAM) noexcept;
LRESULT CALLBACK BannerProc(HWND, UINT, WPARAM, LPARAM) noexcept;
LRESULT CALLBACK EffectLabelProc(HWND, UINT, WPARAM, LPARAM) noexcept;

namespace {

HWND g_tooltip = nullptr;
bool g_keyboard_focus_next = false;
COLORREF g_hint_colour = RGB(255, 0, 0);
// Every window's hint in full, for the status line: the tooltip hands out only the first
// 80 characters of a tool's text.
std::map<HWND, std::string> g_hints;

// While a hint is up, the tooltip looks every few dozen milliseconds whether the pointer
// has left its tool (under wine: the pointer, the window under it and the settings, a
// dozen round trips to the server each time), and it goes on looking after the hint went
// away for as long as the pointer rests there: a pointer left over the player cost it as
// much as the scrolling title. Once the hint is hidden the tooltip is told the pointer is
// on no tool, which ends the looking; mouse moves that arrive without the pointer moving
// (the window system sends them when windows change under a resting pointer) are not
// handed on until it moves again, so they do not start it over.
constexpr UINT kHintHidden = WM_APP + 0x1F;
WNDPROC g_tooltip_proc = nullptr;
bool g_hint_quiet = false;  // the hint went away and the pointer has not moved since
POINT g_quiet_at{};

void ForgetTool(HWND tip) {
  MSG outside{tip, WM_MOUSEMOVE, 0, MAKELPARAM(0, 0), static_cast<DWORD>(GetMessageTime()), {}};
  CallWindowProcW(g_tooltip_proc, tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&outside));
}

LRESULT CALLBACK TooltipProc(HWND tip, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_WINDOWPOSCHANGED) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
    if (pos && (pos->flags & SWP_HIDEWINDOW)) PostMessageW(tip, kHintHidden, 0, 0);
  } else if (msg == kHintHidden) {
    if (!IsWindowVisible(tip)) {
      ForgetTool(tip);
      g_hint_quiet = GetCursorPos(&g_quiet_at) != FALSE;
    }
    return 0;
  }
  return CallWindowProcW(g_tooltip_proc, tip, msg, wp, lp);
}

HWND Tooltip() {
  if (!g_tooltip) {
    g_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (g_tooltip) {
      SendMessageW(g_tooltip, TTM_SETMAXTIPWIDTH, 0, 400);  // multi-line hints
      SendMessageW(g_tooltip, TTM_SETTIPBKCOLOR, g_hint_colour, 0);
      g_tooltip_proc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(g_tooltip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TooltipProc)));
    }
  }
  return g_tooltip;
}

}  // namespace

void SetHintColor(COLORREF colour) {
  g_hint_colour = colour;
  if (HWND tip = Tooltip()) SendMessageW(tip, TTM_SETTIPBKCOLOR, colour, 0);
}

COLORREF HintColor() { return g_hint_colour; }

namespace {

// `relayed`: the window hands its mouse messages to the tooltip itself (our widgets do);
// any other window is subclassed by the tooltip for them, which costs every message the
// window receives a look-up in the window system (a round trip to the server under wine).
void AddOrUpdateTool(HWND hwnd, const std::string& text, bool relayed) {
  if (text.empty())
    g_hints.erase(hwnd);
  else
    g_hints[hwnd] = text;
  HWND tip = Tooltip();
  if (!tip) return;
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V1_SIZE;
  ti.uFlags = TTF_IDISHWND | (relayed ? 0u : static_cast<UINT>(TTF_SUBCLASS));
  ti.hwnd = GetParent(hwnd) ? GetParent(hwnd) : hwnd;
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd);
  // The query copies the tool's current text (up to 80 characters and its terminator)
  // into lpszText: it gets a buffer of its own, never one sized for the new text, which
  // may be shorter (or empty) and would be overrun.
  wchar_t current[256] = {};
  ti.lpszText = current;
  const bool exists = SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
  std::wstring buffer = Widen(text);
  ti.lpszText = &buffer[0];
  if (text.empty()) {
    if (exists) SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  } else if (exists) {
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  } else {
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

}  // namespace

void SetToolTip(HWND hwnd, const std::string& text) { AddOrUpdateTool(hwnd, text, false); }

void SetRelayedToolTip(HWND hwnd, const std::string& text) { AddOrUpdateTool(hwnd, text, true); }

void RelayToHint(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!g_tooltip || msg < WM_MOUSEFIRST || msg > WM_MBUTTONDBLCLK) return;
  MSG relay{hwnd, msg, wp, lp, static_cast<DWORD>(GetMessageTime()), {}};
  const DWORD pos = GetMessagePos();
  relay.pt = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
  if (g_hint_quiet) {
    if (msg == WM_MOUSEMOVE && relay.pt.x == g_quiet_at.x && relay.pt.y == g_quiet_at.y) return;
    g_hint_quiet = false;
  }
  SendMessageW(g_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
}

std::string HintOf(HWND hwnd) {
  const auto found = g_hints.find(hwnd);
  return found == g_hints.end() ? std::string() : found->second;
}

void WidgetBase::NotifyParent(WORD code) const {
  if (HWND parent = GetParent(hwnd_))
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(ControlId(), code),
                 reinterpret_cast<LPARAM>(hwnd_));
}

bool WidgetBase::TrackHover() {
  if (hot_) return false;
  hot_ = true;
  TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd_, 0};
  TrackMouseEvent(&tme);
  if (HWND parent = GetParent(hwnd_))
    SendMessageW(parent, VWN_HOVER, static_cast<WPARAM>(ControlId()),
                 reinterpret_cast<LPARAM>(hwnd_));
  return true;
}

std::string WidgetBase::Text() const { return WindowText(hwnd_); }

void WidgetBase::PaintNow() {
  if (!IsWindowVisible(hwnd_)) return;
  if (!own_dc_) own_dc_ = GetDC(hwnd_);
  if (own_dc_) Paint(own_dc_);
}

bool WidgetBase::HandleCommon(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  // The tooltip learns of the mouse from here rather than by subclassing the widget, so
  // the title's scroll timer and every other message go by without it.
  if (!hint_.empty()) RelayToHint(hwnd_, msg, wp, lp);
  switch (msg) {
    case WM_GETOBJECT:
      if (const LRESULT object = AnswerGetObject(hwnd_, wp, lp)) {
        *result = object;
        return true;
      }
      return false;
    case kGetAccessibleMessage:
      *result = reinterpret_cast<LRESULT>(static_cast<AccessibleSource*>(this));
      return true;
    case VWM_SETACCNAME:
      accessible_name_ = lp ? reinterpret_cast<const char*>(lp) : "";
      AnnounceChange(hwnd_, EVENT_OBJECT_NAMECHANGE);
      *result = TRUE;
      return true;
    case WM_SETFOCUS:
      // The focus mark shows when the focus came from the keyboard (Tab), not a click.
      keyboard_focus_ = g_keyboard_focus_next || GetKeyState(VK_TAB) < 0;
      g_keyboard_focus_next = false;
      Redraw();
      AnnounceChange(hwnd_, EVENT_OBJECT_FOCUS);
      return false;  // the widget may have more to do
    case WM_KILLFOCUS:
      keyboard_focus_ = false;
      Redraw();
      return false;
    case WM_KEYDOWN:
      if (!keyboard_focus_ && GetFocus() == hwnd_) {
        keyboard_focus_ = true;
        Redraw();
      }
      return false;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
      if (pos && !(pos->flags & SWP_NOMOVE))
        if (HWND parent = GetParent(hwnd_))
          PostMessageW(parent, VWN_MOVED, static_cast<WPARAM>(ControlId()),
                       reinterpret_cast<LPARAM>(hwnd_));
      return false;
    }
    case VWM_SETHINT:
      hint_ = lp ? reinterpret_cast<const char*>(lp) : "";
      AddOrUpdateTool(hwnd_, hint_, true);
      *result = TRUE;
      return true;
    case VWM_GETHINT: {
      char* buffer = reinterpret_cast<char*>(lp);
      const size_t size = static_cast<size_t>(wp);
      if (buffer && size) {
        const size_t n = hint_.size() < size - 1 ? hint_.size() : size - 1;
        std::memcpy(buffer, hint_.data(), n);
        buffer[n] = '\0';
      }
      *result = static_cast<LRESULT>(hint_.size());
      return true;
    }
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, FALSE);
      *result = 0;
      return true;
    case WM_GETFONT: *result = reinterpret_cast<LRESULT>(font_); return true;
    case WM_ERASEBKGND:  // Paint covers every pixel
      *result = TRUE;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      Paint(dc);
      EndPaint(hwnd_, &ps);
      *result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      *result = 0;
      return true;
    case WM_RBUTTONUP: {
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      ClientToScreen(hwnd_, &pt);
      if (HWND parent = GetParent(hwnd_))
        SendMessageW(parent, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_),
                     MAKELPARAM(pt.x, pt.y));
      *result = 0;
      return true;
    }
    case WM_NCDESTROY:
      if (!hint_.empty()) SetToolTip(hwnd_, "");
      if (own_dc_) ReleaseDC(hwnd_, own_dc_);
      own_dc_ = nullptr;
      return false;
    default: return false;
  }
}

bool WidgetBase::Describe(long item, AccessibleInfo& info) {
  if (item != 0) return false;
  info.role = ROLE_SYSTEM_CLIENT;
  info.name = AccessibleName();
  info.description = hint_;
  return true;
}

void WidgetBase::DrawFocusMark(HDC dc, const RECT& rc, COLORREF colour) const {
  if (!keyboard_focus_ || GetFocus() != hwnd_) return;
  // A dotted rectangle drawn pixel by pixel: DrawFocusRect inverts, which some designs'
  // faces would hide.
  const int right = rc.right - 1, bottom = rc.bottom - 1;
  for (int x = rc.left; x <= right; x += 2) {
    SetPixelV(dc, x, rc.top, colour);
    SetPixelV(dc, x, bottom, colour);
  }
  for (int y = rc.top; y <= bottom; y += 2) {
    SetPixelV(dc, rc.left, y, colour);
    SetPixelV(dc, right, y, colour);
  }
}

void NoteKeyboardFocus(bool on) { g_keyboard_focus_next = on; }

COLORREF FocusMarkColour(HWND widget) {
  // The design's text colour: that of the scrolling title beside the widget.
  if (HWND parent = GetParent(widget)) {
    if (HWND title = GetDlgItem(parent, 1020 /* Banner1 */))
      return static_cast<COLORREF>(SendMessageW(title, VBM_GETTEXTCOLOR, 0, 0));
  }
  return RGB(255, 255, 255);
}

HBITMAP CopyBitmap(HBITMAP source) {
  if (!source) return nullptr;
  return static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

SIZE BitmapSize(HBITMAP bmp) {
  BITMAP bm{};
  if (!bmp || !GetObjectW(bmp, sizeof bm, &bm)) return {0, 0};
  return {bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
}

void PaintParentBackground(HWND child, HDC dc, const RECT& client, COLORREF fallback) {
  HWND parent = GetParent(child);
  HWND picture = nullptr;
  if (parent) {
    // The inactive face lies over the normal one while it is shown.
    for (int id : {1042 /* imdeactivated */, 1041 /* background */}) {
      HWND w = ChildWithId(parent, id);
      if (w && w != child && IsWindowVisible(w)) {
        picture = w;
        break;
      }
    }
  }
  FillSolid(dc, client, fallback);
  if (!picture) return;
  auto bmp = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (!bmp) return;
  RECT mine{}, theirs{};
  GetWindowRect(child, &mine);
  GetWindowRect(picture, &theirs);
  // One source DC for every label of the thread's windows, made once (each new DC asks the
  // display driver about the screen); the picture is selected only for the copy.
  static UniqueDC src(CreateCompatibleDC(nullptr));
  if (!src) return;
  ScopedSelect sel(src.get(), bmp);
  BitBlt(dc, 0, 0, client.right, client.bottom, src.get(), mine.left - theirs.left,
         mine.top - theirs.top, SRCCOPY);
}

bool RegisterWidgetClasses(HINSTANCE instance) {
  static bool done = false;
  if (done) return true;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  struct Entry {
    const wchar_t* name;
    WNDPROC proc;
    UINT style;
    HCURSOR cursor;
  } entries[] = {
      {kImageButtonClassW, ImageButtonProc, 0, LoadCursor(nullptr, IDC_ARROW)},
      // A DC of their own: the title draws each scroll step, the position slider and
      // the time label their changes while playing straight through it (PaintNow).
      {kSliderClassW, SliderProc, CS_OWNDC, LoadCursor(nullptr, IDC_ARROW)},
      {kBannerClassW, BannerProc, CS_OWNDC, LoadCursor(nullptr, IDC_HAND)},
      {kEffectLabelClassW, EffectLabelProc, CS_OWNDC, LoadCursor(nullptr, IDC_ARROW)},
  };
  for (const auto& e : entries) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = e.style;
    wc.lpfnWndProc = e.proc;
    wc.hInstance = instance;
    wc.hCursor = e.cursor;
    wc.lpszClassName = e.name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  done = true;
  return true;
}

}  // namespace velmora::ui
