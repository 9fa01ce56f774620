#include "app/taskbar_window_win.h"

#include "app/window_rules.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {
constexpr char kClassName[] = "VelmoraApplication";
}

TaskbarWindow::TaskbarWindow(ErrorSink& errors, HICON icon, const std::string& title)
    : ui::TopLevelWindow(errors) {
  ui::TopLevelClass cls;
  cls.unicode = true;
  cls.name = kClassName;
  cls.icon = icon;
  // No size, in the middle of the screen: only its button is ever seen.
  CreateTopLevel(cls, 0, title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                 GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0);
}

TaskbarWindow::~TaskbarWindow() { DestroyTopLevel(); }

void TaskbarWindow::SetTitle(const std::string& title) {
  if (hwnd_) ui::SetText(hwnd_, title);
}

void TaskbarWindow::SetButtonShown(bool shown) {
  if (!hwnd_ || (IsWindowVisible(hwnd_) != FALSE) == shown) return;
  if (!shown)
    ShowWindow(hwnd_, SW_HIDE);
  else
    ShowWindow(hwnd_, minimized_ ? SW_SHOWMINNOACTIVE : SW_SHOWNA);
}

void TaskbarWindow::Minimize(bool button_shown) {
  if (!hwnd_) return;
  minimized_ = true;
  if (button_shown)
    ShowWindow(hwnd_, SW_SHOWMINNOACTIVE);
  else
    ShowWindow(hwnd_, SW_HIDE);
}

void TaskbarWindow::Restore() {
  if (!hwnd_) return;
  minimized_ = false;
  // Back to no size in the middle of the screen, shown; the main window is what is seen.
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOWNA);
}

LRESULT TaskbarWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (commands_ && (msg == WM_COPYDATA || msg >= 0xC000)) {
    LRESULT result = 0;
    if (commands_->TaskbarForward(msg, wp, lp, result)) return result;
  }
  switch (msg) {
    case WM_SYSCOMMAND:
      if (!commands_) return 0;
      switch (SystemCommandFor(static_cast<uint32_t>(wp))) {
        case SystemCommand::Minimize: commands_->TaskbarMinimize(); return 0;
        case SystemCommand::Restore: commands_->TaskbarRestore(); return 0;
        case SystemCommand::Close: commands_->TaskbarClose(); return 0;
        default: return 0;  // the rest is consumed, as on the main window
      }
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && !minimized_ && commands_) commands_->TaskbarActivated();
      return 0;
    case WM_CLOSE:
      if (commands_) commands_->TaskbarClose();
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace velmora
