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
  EXPECT_EQ(FindWindowA(nullptr, "ORVANE Velmora") != nullptr, true);

  EXPECT_TRUE(player.Close()) << "the player did not end after WM_CLOSE";
  EXPECT_FALSE(player.Running());
}

}  // namespace
}  // namespace velmora::e2e
