#include "ui/tray_icon_win.h"

#include <shellapi.h>

#include <algorithm>

#include "ui/wide_win.h"

namespace velmora::ui {

TrayIcon::TrayIcon(HWND owner, UINT id, UINT callback_message, HICON icon)
    : owner_(owner), id_(id), callback_message_(callback_message), icon_(icon) {}

TrayIcon::~TrayIcon() { SetShown(false); }

bool TrayIcon::Notify(DWORD action) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;  // the 128-character hint, understood since 2000
  data.hWnd = owner_;
  data.uID = id_;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callback_message_;
  data.hIcon = icon_;
  // Cut to what the hint holds, never between the two halves of a surrogate pair.
  const std::wstring hint = Widen(hint_);
  const size_t room = sizeof(data.szTip) / sizeof(data.szTip[0]) - 1;
  size_t n = std::min(hint.size(), room);
  if (n > 0 && n < hint.size() && hint[n - 1] >= 0xD800 && hint[n - 1] <= 0xDBFF) --n;
  hint.copy(data.szTip, n);
  data.szTip[n] = L'\0';
  return Shell_NotifyIconW(action, &data) != FALSE;
}

void TrayIcon::SetShown(bool shown) {
  if (shown == shown_ || !owner_) return;
  if (shown) {
    // Without a notification area (no shell running) the icon is still ours to remove.
    Notify(NIM_ADD);
    shown_ = true;
  } else {
    Notify(NIM_DELETE);
    shown_ = false;
  }
}

void TrayIcon::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  if (shown_) Notify(NIM_MODIFY);
}

void TrayIcon::TaskbarRecreated() {
  if (shown_) Notify(NIM_ADD);
}

}  // namespace velmora::ui
