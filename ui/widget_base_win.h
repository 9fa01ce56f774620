// The small base every widget class derives from: binds the C++ object to its HWND at
// WM_NCCREATE, keeps exceptions out of the window procedure, and handles what all
// widgets share (the hint and its tooltip, the hover notice to the parent).
#pragma once

#include <windows.h>

#include <string>

#include "ui/accessible_win.h"

namespace velmora::ui {

class WidgetBase : public AccessibleSource {
 public:
  explicit WidgetBase(HWND hwnd) : hwnd_(hwnd) {}
  virtual ~WidgetBase() = default;
  WidgetBase(const WidgetBase&) = delete;
  WidgetBase& operator=(const WidgetBase&) = delete;

  HWND hwnd() const { return hwnd_; }
  int ControlId() const { return GetDlgCtrlID(hwnd_); }
  void NotifyParent(WORD code) const;

  // Messages common to all widgets; returns true when handled. Painting (WM_PAINT,
  // WM_PRINTCLIENT, no background erase) goes to Paint, and a right click goes to the
  // parent as WM_CONTEXTMENU at the screen point, as a common control does.
  bool HandleCommon(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
  virtual LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) = 0;

  // What screen readers are told (WM_GETOBJECT): by default a client area named by its
  // name (VWM_SETACCNAME) or else its caption, with its hint as the description.
  bool Describe(long item, AccessibleInfo& info) override;

 protected:
  // Draws the whole client area into `dc` (the paint DC or a WM_PRINTCLIENT one).
  virtual void Paint(HDC dc) = 0;
  void Redraw() const { InvalidateRect(hwnd_, nullptr, FALSE); }
  // Draws at once through the widget's own DC (classes registered with CS_OWNDC), for a
  // change that recurs while playing: no invalidation and no paint cycle, each of which
  // is a round trip to the window system's server under wine. The DC is fetched once and
  // kept to the window's end (an own DC needs no release), not fetched per change.
  // Nothing while hidden.
  void PaintNow();
  RECT ClientRect() const {
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    return rc;
  }
  std::string Text() const;
  // The name readers get: the one set by the owner, else the caption.
  std::string AccessibleName() const {
    return accessible_name_.empty() ? Text() : accessible_name_;
  }
  const std::string& Hint() const { return hint_; }
  bool HasAccessibleName() const { return !accessible_name_.empty(); }
  // Draws the keyboard focus mark (a dotted rectangle in `colour`) when the widget has the
  // focus and the user works with the keyboard.
  void DrawFocusMark(HDC dc, const RECT& rc, COLORREF colour) const;
  // Tracks the mouse entering/leaving; call from WM_MOUSEMOVE. Returns true on entry.
  bool TrackHover();
  bool hot_ = false;
  HWND hwnd_;
  HFONT font_ = nullptr;  // WM_SETFONT; owned by the sender

 private:
  std::string hint_;
  std::string accessible_name_;
  bool keyboard_focus_ = false;
  HDC own_dc_ = nullptr;  // kept by PaintNow, released at WM_NCDESTROY
};

// The shared window procedure of widget class T (constructed from its HWND).
template <class T>
LRESULT CALLBACK WidgetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* self = reinterpret_cast<WidgetBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    try {
      self = new T(hwnd);
    } catch (...) {
      // FALSE here makes the creation fail, and the window that creates the control is
      // told so by CreateWindowEx.
      return FALSE;
    }
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  try {
    if (!self->HandleCommon(msg, wp, lp, &result)) result = self->Handle(msg, wp, lp);
  } catch (...) {
    // Nothing may escape into the window system. A widget only draws what its window
    // set and tells its window of the user's actions (whose handling reports its own
    // failures there); a message it fails to handle gets the default handling.
    result = DefWindowProcW(hwnd, msg, wp, lp);
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete self;
  }
  return result;
}

// Around a SetFocus of keyboard navigation (Tab): on before, off after. The widget taking
// the focus meanwhile shows its focus mark.
void NoteKeyboardFocus(bool on);

// The colour of the keyboard focus mark for a widget of a window (the design's text colour).
COLORREF FocusMarkColour(HWND widget);

// Adds, updates or removes (empty text) the tooltip of a window.
void SetToolTip(HWND hwnd, const std::string& text);
// The same for a window that hands its mouse messages to the hint itself (RelayToHint
// from its window procedure): the tooltip does not subclass it, so the window's other
// messages (a timer's) cost no look-up of the subclass in the window system.
void SetRelayedToolTip(HWND hwnd, const std::string& text);
void RelayToHint(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// The hint of a window (a widget's or one given by SetToolTip), "" when it has none.
std::string HintOf(HWND hwnd);

}  // namespace velmora::ui
