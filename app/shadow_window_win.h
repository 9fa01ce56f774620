// TForm4, the shadow-mode window: borderless, white, 121 x 9, a picture and seven small
// buttons (back to the main window, the general menu, next, previous, pause, stop, play).
// While shown it rides on the title area of the window under the mouse, looked up every
// 100 ms.
#pragma once

#include <windows.h>

#include <memory>

#include "app/player.h"
#include "ui/paced_steps_win.h"
#include "ui/top_level_window_win.h"

namespace velmora {

// What the shadow window's own buttons ask of the main window.
class ShadowWindowOwner {
 public:
  virtual ~ShadowWindowOwner() = default;
  // "Shadow Mode" off: back to the main window.
  virtual void LeaveShadowMode() = 0;
  // The general menu at the mouse, owned by `window` for as long as it is open.
  virtual void PopUpGeneralMenu(HWND window) = 0;
};

class ShadowWindow : public ui::TopLevelWindow {
 public:
  static constexpr int kWidth = 121;
  static constexpr int kHeight = 9;

  // `hints`: where the buttons' hints go besides their tooltips.
  ShadowWindow(ErrorSink& errors, Player& player, ShadowWindowOwner& owner, ui::HintEcho& hints);
  ~ShadowWindow() override;

  // Shown, it follows the pointer; hidden, it looks for nothing.
  void Show();
  void Hide();

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void CreateControls();
  // Onto the window under the pointer, unless it is there already.
  void FollowPointer();
  // Rides at x, y (on top of every window) at its size (its picture's, which nothing
  // changes); a window already there stays untouched.
  void PlaceAt(int x, int y);

  Player& player_;
  ShadowWindowOwner& owner_;
  HBRUSH white_ = nullptr;
  // The pointer as last read, and the time of the last input then.
  POINT pointer_{};
  DWORD pointer_input_time_ = 0;
  bool pointer_known_ = false;
  std::unique_ptr<ui::PacedStep> follow_;
};

}  // namespace velmora
