// TForm1 out of sight and back: minimise to the task bar, the tray or both, restore, the
// task-bar button and tray icon while visible, shadow mode with its small window, and the
// settings whose change the window applies wherever it was made (menu or options).
#include "app/main_window_win.h"

#include <algorithm>

#include "app/main_window_ids_win.h"
#include "ui/form_shaper_win.h"
#include "ui/handles_win.h"
#include "ui/window_util_win.h"

namespace velmora {

using namespace main_menu;

void MainWindow::SetPresence(const Presence& presence) {
  taskbar_.SetButtonShown(presence.taskbar_button);
  if (tray_) tray_->SetShown(presence.tray_icon);
}

void MainWindow::ApplyVisibleMode() {
  applied_visible_mode_ = settings_->VisibleMode;
  if (minimized_) return;  // restoring applies it
  if (const auto presence = VisiblePresence(settings_->VisibleMode)) SetPresence(*presence);
}

void MainWindow::HidePlayer() {
  if (display_.DesignLibraryActive()) {
    steps_.MainWindowMinimized();
  } else {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

void MainWindow::ShowPlayer() {
  if (display_.DesignLibraryActive()) {
    steps_.MainWindowRestored();
  } else {
    ShowWindow(hwnd_, SW_SHOW);
  }
}

void MainWindow::Minimize() {
  if (display_.DesignLibraryActive()) steps_.MainWindowMinimized();
  const Presence presence = MinimizedPresence(settings_->Minimize);
  minimized_ = true;
  // The application's button goes down (or away); its windows go with it.
  taskbar_.Minimize(presence.taskbar_button);
  ShowWindow(hwnd_, SW_HIDE);
  if (presence.tray_icon && tray_) tray_->SetShown(true);
  display_.ShowStatus("Minimizing");
}

void MainWindow::Restore() {
  display_.ShowStatus("Restoring");
  if (tray_) tray_->SetShown(false);
  ShowPlayer();
  minimized_ = false;
  taskbar_.Restore();
  // Back where the player is to be seen while not minimised (task bar, tray or both).
  if (const auto presence = VisiblePresence(settings_->VisibleMode)) SetPresence(*presence);
  if (IsWindowVisible(hwnd_)) {
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
  }
}

void MainWindow::TaskbarClose() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

bool MainWindow::TaskbarForward(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  const bool external =
      msg == WM_COPYDATA || std::find(messages_.begin(), messages_.end(), msg) != messages_.end();
  if (!external || !hwnd_) return false;
  result = SendMessageW(hwnd_, msg, wp, lp);
  return true;
}

void MainWindow::TaskbarActivated() {
  if (IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_)) SetActiveWindow(hwnd_);
}

void MainWindow::OnTrayNotify(UINT mouse_message) {
  if (mouse_message == WM_LBUTTONDBLCLK)
    Restore();
  else if (mouse_message == WM_RBUTTONUP)
    ShowTrayMenu();
}

void MainWindow::ShowTrayMenu() {
  ui::UniqueMenu menu(CreateTrayMenu());  // MinimizedPopup
  if (!menu) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  const int cmd =
      ui::TrackPopupMenuFor(hwnd_, menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y);
  if (cmd) OnMenuCommand(cmd);
}

void MainWindow::EnterShadowMode() {
  shadow_shown_ = true;
  HidePlayer();
  if (shadow_) shadow_->Show();
}

void MainWindow::ExitShadowMode() {
  shadow_shown_ = false;
  if (shadow_) shadow_->Hide();
  ShowPlayer();
}

void MainWindow::LeaveShadowMode() {
  settings_.Set(&PlayerSettings::ShadowMode, false);
}

void MainWindow::ApplicationTitleChanged(const std::string& title) {
  taskbar_.SetTitle(title);
  if (tray_) tray_->SetHint(title);
}

void MainWindow::OnSettingsChanged() {
  if (!hwnd_) return;
  const PlayerSettings& s = *settings_;
  if (general_menu_) SetGeneralMenuMarks(general_menu_.get(), s);
  ui::FormShaper& shaper = ui::FormShaper::Of(hwnd_);
  if (shaper.Active() != s.Transparency) shaper.SetActive(s.Transparency);
  // Shown or left, and placed, once the start-up has put the stored settings in force.
  if (!startup_done_) return;
  if (s.ShadowMode != shadow_shown_) {
    if (s.ShadowMode)
      EnterShadowMode();
    else
      ExitShadowMode();
  }
  if (applied_visible_mode_ != s.VisibleMode) ApplyVisibleMode();
}

}  // namespace velmora
