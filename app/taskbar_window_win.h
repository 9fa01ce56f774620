// The application's window: a window of no size that owns the main window and carries the
// task-bar button with the application title ("ORVANE Velmora - " + the song title), so
// the task bar and Alt+Tab show the title while the main window keeps its caption for
// other programs. The task bar's Minimize, Restore and Close arrive here and go on to the
// main window's operations.
#pragma once

#include <windows.h>

#include <string>

#include "ui/top_level_window_win.h"

namespace velmora {

// What the task bar asks of the player.
class TaskbarCommands {
 public:
  virtual ~TaskbarCommands() = default;
  virtual void TaskbarMinimize() = 0;
  virtual void TaskbarRestore() = 0;
  virtual void TaskbarClose() = 0;
  // The button or Alt+Tab activated the application: the main window takes the focus.
  virtual void TaskbarActivated() = 0;
  // A command another program meant for the main window (a search by the title, which both
  // windows carry, may find this one): true when the main window took it and answered.
  virtual bool TaskbarForward(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;
};

class TaskbarWindow : public ui::TopLevelWindow {
 public:
  TaskbarWindow(ErrorSink& errors, HICON icon, const std::string& title);
  ~TaskbarWindow() override;

  void SetCommands(TaskbarCommands* commands) { commands_ = commands; }
  void SetTitle(const std::string& title);
  // Shows or hides the button; a minimised application stays minimised.
  void SetButtonShown(bool shown);
  // Minimised with the button shown (minimised) or hidden; restored with the button.
  void Minimize(bool button_shown);
  void Restore();

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  TaskbarCommands* commands_ = nullptr;
  bool minimized_ = false;
};

}  // namespace velmora
