#include "ui/top_level_window_win.h"

#include "ui/widget_base_win.h"

namespace velmora::ui {

namespace {
HWND app_command_window = nullptr;
}  // namespace

void RouteAppCommandsTo(HWND window) { app_command_window = window; }

TopLevelWindow::~TopLevelWindow() { DestroyTopLevel(); }

void TopLevelWindow::DestroyTopLevel() {
  if (!hwnd_) return;
  const HWND hwnd = hwnd_;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  DestroyWindow(hwnd);
}

bool TopLevelWindow::CreateTopLevel(const TopLevelClass& cls, DWORD ex_style, const char* caption,
                                    DWORD style, int x, int y, int width, int height,
                                    HWND owner) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExA(instance, cls.name, &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.style = cls.style;
    wc.lpfnWndProc = &TopLevelWindow::Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = cls.icon;
    wc.hbrBackground = cls.background ? cls.background : GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = cls.name;
    if (!RegisterClassExA(&wc)) return false;
  }
  CreateWindowExA(ex_style, cls.name, caption, style, x, y, width, height, owner, nullptr,
                  instance, this);
  return hwnd_ != nullptr;
}

LRESULT CALLBACK TopLevelWindow::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_NCCREATE) {
    auto* created =
        static_cast<TopLevelWindow*>(reinterpret_cast<const CREATESTRUCTA*>(lp)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<TopLevelWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_APPCOMMAND && app_command_window && hwnd != app_command_window &&
      IsWindow(app_command_window))
    return SendMessageA(app_command_window, msg, wp, lp);
  LRESULT result = 0;
  // A control passes the cursor question up to its window (DefWindowProc), so the window
  // sees the mouse enter each of its controls, standard ones included.
  if (msg == WM_SETCURSOR && self->hint_echo_)
    self->errors_.Run([&] { self->MouseOver(reinterpret_cast<HWND>(wp)); });
  if (!self->errors_.Run([&] { result = self->HandleMessage(msg, wp, lp); })) result = 0;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

void TopLevelWindow::MouseOver(HWND window) {
  if (window == hwnd_) {
    // A plain label lets the mouse through to its window: the label under the cursor.
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(hwnd_, &at);
    if (HWND child = ChildWindowFromPointEx(hwnd_, at, CWP_SKIPINVISIBLE)) window = child;
  }
  if (window == hovered_) return;
  hovered_ = window;
  std::string hint = HintOf(window);
  // Over a part of a compound control (a combo box's edit field): the control's hint.
  for (HWND part = window; hint.empty() && part && part != hwnd_;) {
    part = GetParent(part);
    if (part && part != hwnd_) hint = HintOf(part);
  }
  if (!hint.empty()) hint_echo_->EchoHint(hint);
}

}  // namespace velmora::ui
