// Helper of scripts/bench.sh: asks the running player (class TForm1) what the benchmark
// needs and cannot see from outside wine.
//
//   player_probe scroll on|off   sets the title's scrolling the way a user does (a click
//                                on the title toggles it), only when it is not so already
//   player_probe vu-meter        shows the VU meter (Execute > Vu Meter), waits for it
//   player_probe pointer-on-title   moves the mouse pointer onto the scrolling title and
//                                leaves it resting there, as a user's often is
//
// Exit status: 0 done, 1 no player or the query failed, 2 bad usage.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/main_window_ids_win.h"
#include "ui/control_ids.h"
#include "ui/widgets.h"

namespace {

HWND FindPlayer() { return FindWindowA("TForm1", nullptr); }

int Scroll(HWND main, bool on) {
  HWND title = GetDlgItem(main, velmora::ids::Banner1);
  if (!title) return 1;
  const auto state = static_cast<DWORD>(SendMessageA(title, velmora::ui::VBM_GETSCROLL, 0, 0));
  const bool scrolling = LOWORD(state) != 0;
  if (scrolling != on) {
    PostMessageA(title, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageA(title, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  }
  // Wait for the switch to take effect.
  for (int i = 0; i < 100; ++i) {
    const auto now = static_cast<DWORD>(SendMessageA(title, velmora::ui::VBM_GETSCROLL, 0, 0));
    if ((LOWORD(now) != 0) == on) return 0;
    Sleep(50);
  }
  return 1;
}

int ShowVuMeter(HWND main) {
  PostMessageA(main, WM_COMMAND, velmora::main_menu::kVuMeter, 0);
  for (int i = 0; i < 100; ++i) {
    HWND vu = FindWindowA("TForm12", nullptr);
    if (vu && IsWindowVisible(vu)) return 0;
    Sleep(50);
  }
  return 1;
}

int PointerOnTitle(HWND main) {
  HWND title = GetDlgItem(main, velmora::ids::Banner1);
  RECT r{};
  if (!title || !GetWindowRect(title, &r)) return 1;
  // Two moves, so that the pointer arrives at the title from somewhere else.
  SetCursorPos((r.left + r.right) / 2 - 4, (r.top + r.bottom) / 2);
  Sleep(100);
  return SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HWND main = FindPlayer();
  if (!main) return 1;
  if (!std::strcmp(argv[1], "scroll") && argc == 3) return Scroll(main, !std::strcmp(argv[2], "on"));
  if (!std::strcmp(argv[1], "vu-meter")) return ShowVuMeter(main);
  if (!std::strcmp(argv[1], "pointer-on-title")) return PointerOnTitle(main);
  return 2;
}
