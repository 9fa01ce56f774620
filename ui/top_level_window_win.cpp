#include "ui/top_level_window_win.h"

#include "ui/widget_base_win.h"

#include <cstring>
#include "ui/wide_win.h"

namespace velmora::ui {

namespace {
HWND app_command_window = nullptr;
}  // namespace

void RouteAppCommandsTo(HWND window) { app_command_window = window; }

namespace {

// The child of `root` that holds `window` (a combo box for its edit field).
HWND ControlOf(HWND root, HWND window) {
  while (window && window != root && GetParent(window) != root) window = GetParent(window);
  return window && window != root ? window : nullptr;
}

bool ComboDroppedDown(HWND control) {
  wchar_t cls[32] = {};
  GetClassNameW(control, cls, 32);
  return lstrcmpiW(cls, L"ComboBox") == 0 && SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0);
}

}  // namespace

bool PreTranslateDialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !msg.hwnd) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!root || (IsWindowUnicode(root) ? GetWindowLongPtrW(root, GWLP_WNDPROC)
                                      : GetWindowLongPtrA(root, GWLP_WNDPROC)) !=
                   reinterpret_cast<LONG_PTR>(&TopLevelWindow::Procedure))
    return false;
  auto* self = reinterpret_cast<TopLevelWindow*>(GetWindowLongPtrW(root, GWLP_USERDATA));
  if (!self || !self->uses_dialog_keys_) return false;
  bool handled = false;
  self->errors_.Run([&] { handled = self->DialogKey(msg); });
  return handled;
}

bool TopLevelWindow::DialogKey(const MSG& msg) {
  if (GetKeyState(VK_MENU) < 0) return false;
  // The key's control is the focused one (for a key posted to one: that one).
  HWND focus = msg.hwnd == hwnd_ ? GetFocus() : msg.hwnd;
  HWND control = ControlOf(hwnd_, focus);
  const UINT code = control ? static_cast<UINT>(SendMessageW(focus, WM_GETDLGCODE, msg.wParam,
                                                             reinterpret_cast<LPARAM>(&msg)))
                            : 0;
  switch (msg.wParam) {
    case VK_TAB: {
      if (GetKeyState(VK_CONTROL) < 0 || (code & DLGC_WANTTAB)) return false;
      const bool back = GetKeyState(VK_SHIFT) < 0;
      HWND next = GetNextDlgTabItem(hwnd_, control, back ? TRUE : FALSE);
      if (next && next != control) {
        NoteKeyboardFocus(true);
        SetFocus(next);
        NoteKeyboardFocus(false);
        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
          SendMessageW(next, EM_SETSEL, 0, -1);
      }
      return true;
    }
    case VK_ESCAPE:
      if (!dialog_keys_.escape_closes || (control && ComboDroppedDown(control))) return false;
      SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      return true;
    case VK_RETURN: {
      if ((code & DLGC_WANTMESSAGE) || (control && ComboDroppedDown(control))) return false;
      if (control && focus == control && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        SendMessageW(control, BM_CLICK, 0, 0);
        return true;
      }
      if (!dialog_keys_.default_button) return false;
      HWND button = GetDlgItem(hwnd_, dialog_keys_.default_button);
      if (button && IsWindowEnabled(button) && IsWindowVisible(button))
        SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(dialog_keys_.default_button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
      return true;
    }
    default: return false;
  }
}

TopLevelWindow::~TopLevelWindow() { DestroyTopLevel(); }

void TopLevelWindow::DestroyTopLevel() {
  if (!hwnd_) return;
  const HWND hwnd = hwnd_;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  DestroyWindow(hwnd);
}

bool TopLevelWindow::CreateTopLevel(const TopLevelClass& cls, DWORD ex_style, const char* caption,
                                    DWORD style, int x, int y, int width, int height, HWND owner) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const std::wstring class_name = Widen(cls.name);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, class_name.c_str(), &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = cls.style;
    wc.lpfnWndProc = &TopLevelWindow::Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = cls.icon;
    wc.hbrBackground = cls.background ? cls.background : GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = class_name.c_str();
    if (cls.unicode) {
      if (!RegisterClassExW(&wc)) return false;
    } else {
      // An 8-bit window: its messages carry text in the active code page.
      WNDCLASSEXA narrow{};
      std::memcpy(&narrow, &wc, sizeof narrow);
      narrow.lpszMenuName = nullptr;
      narrow.lpszClassName = cls.name;
      if (!RegisterClassExA(&narrow)) return false;
    }
  }
  CreateWindowUtf8(ex_style, cls.name, caption, style, x, y, width, height, owner, nullptr,
                   instance, this);
  return hwnd_ != nullptr;
}

bool TopLevelWindow::CreateCentredTopLevel(const TopLevelClass& cls, DWORD ex_style,
                                           const char* caption, DWORD style, int client_width,
                                           int client_height, HWND owner) {
  RECT r{0, 0, client_width, client_height};
  AdjustWindowRectEx(&r, style, FALSE, ex_style);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return CreateTopLevel(cls, ex_style, caption, style, x, y, width, height, owner);
}

LRESULT CALLBACK TopLevelWindow::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_NCCREATE) {
    auto* created =
        static_cast<TopLevelWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<TopLevelWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self)
    return IsWindowUnicode(hwnd) ? DefWindowProcW(hwnd, msg, wp, lp)
                                 : DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_APPCOMMAND && app_command_window && hwnd != app_command_window &&
      IsWindow(app_command_window))
    return SendMessageW(app_command_window, msg, wp, lp);
  LRESULT result = 0;
  // A control passes the cursor question up to its window (DefWindowProc), so the window
  // sees the mouse enter each of its controls, standard ones included.
  if (msg == WM_SETCURSOR && self->hint_echo_)
    self->errors_.Run([&] { self->MouseOver(reinterpret_cast<HWND>(wp)); });
  if (!self->errors_.Run([&] { result = self->HandleMessage(msg, wp, lp); })) result = 0;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
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
