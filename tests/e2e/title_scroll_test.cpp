// The scrolling title on the screen: its steps are made by the program's message loop,
// and while a popup menu is open (a modal loop of the window system, where that loop
// does not run) by a timer set for as long as the menu takes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

// The pixels of a part of the screen.
std::vector<uint32_t> ScreenPixels(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::vector<uint32_t> out(static_cast<const uint32_t*>(bits),
                            static_cast<const uint32_t*>(bits) + w * h);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return out;
}

bool MenuOpen(PlayerProcess& player) {
  for (HWND w : TopLevelWindowsOf(player.Pid()))
    if (ClassNameOf(w) == "#32768" && IsWindowVisible(w)) return true;
  return false;
}

TEST(TitleScroll, MovesOnTheScreenAlsoWhileAPopupMenuIsOpen) {
  registry::ClearSettings();
  registry::WriteDword("Nag", 0);
  TestFolder folder;
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND main = player.MainWindow();
  RECT title{};
  ASSERT_TRUE(GetWindowRect(Control(main, ids::Banner1), &title));
  // Three different pictures of the title in turn: it moves, and goes on moving.
  auto moving = [&] {
    for (int i = 0; i < 3; ++i) {
      const std::vector<uint32_t> before = ScreenPixels(title);
      if (!WaitUntil([&] { return ScreenPixels(title) != before; }, 2000)) return false;
    }
    return true;
  };
  EXPECT_TRUE(moving()) << "the title stands still";

  // The player's popup menu opens at the pointer, away from the title.
  SetCursorPos(title.left + 40, title.bottom + 300);
  PostMessageA(main, WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
  ASSERT_TRUE(WaitUntil([&] { return MenuOpen(player); }, 5000));
  EXPECT_TRUE(moving()) << "the title stands still while the menu is open";
  PostMessageA(main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(player); }, 5000));
  EXPECT_TRUE(moving()) << "the title stands still after the menu";
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
