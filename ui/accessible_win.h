// Screen readers: a control answers WM_GETOBJECT (OBJID_CLIENT) with AnswerGetObject and
// describes itself (and its items, if it has any) through an AccessibleSource. The
// object handed out keeps only the window: it asks the window for its source at every
// call (VWM_GETACCESSIBLE), so a reader holding it after the control is gone gets an
// error rather than a dangling pointer.
#pragma once

#include <windows.h>

#include <string>

namespace velmora::ui {

// What a reader is told about the control (item 0) or one of its items (1..ItemCount).
struct AccessibleInfo {
  long role = 0;   // ROLE_SYSTEM_*
  long state = 0;  // STATE_SYSTEM_*; unavailable, invisible and focused are added for item 0
  std::string name, description, value, default_action;
  RECT screen{};  // items only; item 0 is the window rectangle
};

class AccessibleSource {
 public:
  virtual ~AccessibleSource() = default;
  // Fills `info` for item 0 (the control) or 1..ItemCount(); false for an unknown item.
  virtual bool Describe(long item, AccessibleInfo& info) = 0;
  virtual long ItemCount() { return 0; }
  // The item with the keyboard focus inside the control, 0 for none.
  virtual long FocusedItem() { return 0; }
  // Does what the default action says (a click); false when there is none.
  virtual bool DoDefaultAction(long /*item*/) { return false; }
};

// The message a control answers with its AccessibleSource* (same thread only).
inline constexpr UINT kGetAccessibleMessage = WM_USER + 0x142;

// The answer to WM_GETOBJECT: the control's object for OBJID_CLIENT, 0 otherwise (the
// caller then passes the message on to DefWindowProc).
LRESULT AnswerGetObject(HWND control, WPARAM wp, LPARAM lp);

// Tells readers that something of the control changed (EVENT_OBJECT_NAMECHANGE,
// EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_FOCUS, ...).
void AnnounceChange(HWND control, DWORD event, long item = 0);

}  // namespace velmora::ui
