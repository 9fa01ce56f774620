// The player starts, shows its main window under its title, and ends on WM_CLOSE.
#include <gtest/gtest.h>

#include "harness/harness.h"

namespace velmora::e2e {
namespace {

TEST(Smoke, StartsShowsMainWindowAndEndsOnClose) {
  registry::ClearSettings();
  TestFolder folder;
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder)) << "cannot start " << folder.ExePath();

  HWND main = player.WaitForMainWindow();
  ASSERT_NE(main, nullptr) << "no main window";
  EXPECT_EQ(WindowText(main), "ORVANE Velmora");
  EXPECT_EQ(ClassNameOf(main), "TForm1");
  RECT r{};
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right - r.left, 306);
  EXPECT_EQ(r.bottom - r.top, 161);
  // Other programs find the player by its title alone.
  EXPECT_NE(FindWindowA(nullptr, "ORVANE Velmora"), nullptr);

  EXPECT_TRUE(player.Close()) << "the player did not end after WM_CLOSE";
  EXPECT_FALSE(player.Running());
}

}  // namespace
}  // namespace velmora::e2e
