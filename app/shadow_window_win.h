// TForm4, the shadow-mode window: borderless, white, 121 x 9, a picture and seven small
// buttons (back to the main window, the general menu, next, previous, pause, stop, play).
// In shadow mode the main window's timer places it on the title area of the window under
// the mouse.
#pragma once

#include <windows.h>

#include "app/player.h"
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

  void Show();
  void Hide();
  // Rides at x, y (on top of every window) with its width and its picture's height; a
  // window already there stays untouched.
  void PlaceAt(int x, int y);
  int PictureHeight() const;

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void CreateControls();

  Player& player_;
  ShadowWindowOwner& owner_;
  HBRUSH white_ = nullptr;
};

}  // namespace velmora
