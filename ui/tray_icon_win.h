// The tray icon component: one icon in the task bar's notification area with its hint.
// Its owner window receives the callback message with the mouse message in lParam. The
// icon leaves the tray with its owner object.
#pragma once

#include <windows.h>

#include <string>

namespace velmora::ui {

class TrayIcon {
 public:
  TrayIcon(HWND owner, UINT id, UINT callback_message, HICON icon);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon (true once it is in the tray) or removes it.
  void SetShown(bool shown);
  bool Shown() const { return shown_; }
  // The hint; updates a shown icon at once.
  void SetHint(const std::string& hint);
  const std::string& Hint() const { return hint_; }
  // The task bar was made anew (explorer restarted): a shown icon is added again.
  void TaskbarRecreated();

 private:
  bool Notify(DWORD action);

  HWND owner_;
  UINT id_;
  UINT callback_message_;
  HICON icon_;
  std::string hint_;
  bool shown_ = false;
};

}  // namespace velmora::ui
