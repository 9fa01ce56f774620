// The base of every top-level window (TForm1, TForm2, ...), in the manner of the widget
// base: the window class is registered once, the C++ object is bound to its HWND from
// WM_NCCREATE to WM_NCDESTROY, and the window procedure runs every message through the
// program's ErrorSink, so no failure escapes into the window system.
#pragma once

#include <windows.h>

#include "ui/error_sink.h"
#include "ui/hint_echo.h"

namespace velmora::ui {

// The class of a top-level window; registered on first use.
struct TopLevelClass {
  const char* name = nullptr;   // the class name other programs see ("TForm1", ...)
  UINT style = 0;               // CS_DBLCLKS, ...
  HBRUSH background = nullptr;  // null: the button face colour
  HICON icon = nullptr;         // null: none
  // A Unicode window: its messages carry UTF-16 (texts in any script reach it whole). Its
  // handler then passes what it leaves to DefWindowProcW.
  bool unicode = false;
};

// The window that acts on app commands (the keyboard's media and volume keys): every other
// top-level window passes its WM_APPCOMMAND on to it and answers what it answered. Child
// windows pass theirs up to their top-level window on their own.
void RouteAppCommandsTo(HWND window);

// How a window of standard controls answers the keyboard (see UseDialogKeys).
struct DialogKeys {
  int default_button = 0;      // the id of the button Enter presses; 0: none
  bool escape_closes = false;  // Escape sends the window WM_CLOSE
};

// Run by the message loop for every message before it is dispatched: a key meant for a
// window that uses dialog keys is handled here (true) instead of going to its control.
bool PreTranslateDialogKey(const MSG& msg);

class TopLevelWindow {
 public:
  TopLevelWindow(const TopLevelWindow&) = delete;
  TopLevelWindow& operator=(const TopLevelWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  explicit TopLevelWindow(ErrorSink& errors) : errors_(errors) {}
  // Destroys the window if it still exists (its messages no longer reach this object).
  virtual ~TopLevelWindow();

  // Destroys the window now; its messages no longer reach this object.
  void DestroyTopLevel();

  // Registers the class once per process and creates the window; hwnd() is set from the
  // first message on. Returns false when the window could not be made. An owned window
  // stays above its owner, goes with it and has no task-bar button of its own.
  bool CreateTopLevel(const TopLevelClass& cls, DWORD ex_style, const char* caption, DWORD style,
                      int x, int y, int width, int height, HWND owner = nullptr);
  // The same for a window in the middle of the screen whose client area is `client_width`
  // by `client_height` (the frame of `style` and `ex_style` around it).
  bool CreateCentredTopLevel(const TopLevelClass& cls, DWORD ex_style, const char* caption,
                             DWORD style, int client_width, int client_height,
                             HWND owner = nullptr);

  // The window's messages, DefWindowProcA included for what it leaves alone. A failure
  // is reported to the error sink and the message answers 0.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;

  // From now on, each time the mouse enters one of the window's controls (or the window
  // itself) that has a hint, the hint also goes to `echo`.
  void EchoHintsTo(HintEcho& echo) { hint_echo_ = &echo; }

  // From now on Tab and Shift+Tab move the focus through the window's tab stops (in their
  // z-order), Enter presses a focused push button or else the default button (unless the
  // focused control takes Enter itself) and Escape closes the window if `keys` says so.
  void UseDialogKeys(const DialogKeys& keys) {
    dialog_keys_ = keys;
    uses_dialog_keys_ = true;
  }

  HWND hwnd_ = nullptr;
  ErrorSink& errors_;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  // The window system asks for the cursor of `window` (under the mouse) on every move.
  void MouseOver(HWND window);

  friend bool PreTranslateDialogKey(const MSG& msg);
  bool DialogKey(const MSG& msg);

  HintEcho* hint_echo_ = nullptr;
  DialogKeys dialog_keys_;
  bool uses_dialog_keys_ = false;
  HWND hovered_ = nullptr;  // the window the mouse was last over
};

}  // namespace velmora::ui
