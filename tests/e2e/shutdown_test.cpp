// Shutdown requested by another program while the player is in the middle of something:
// it happens once, with the state as it was, and what was interrupted does not go on.
#include <gtest/gtest.h>

#include <algorithm>

#include "external_ctl.h"
#include "harness/harness.h"

namespace velmora::e2e {
namespace {

void PostRegistered(HWND hwnd, const char* name) {
  PostMessageA(hwnd, RegisterWindowMessageA(name), 0, 0);
}

TEST(Shutdown, ExitDuringADelayedLoadEndsEverythingAtDeinit) {
  registry::ClearSettings();
  registry::WriteDword("CurrentFile", 1);
  registry::WriteDword("autoplay", 1);
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll",
                   std::string("extensions=PRB\nlength_ms=60000\ndelay_load=1500\n"));
  std::string list;
  for (const char* name : {"a.prb", "b.prb", "c.prb"}) list += folder.MakeMediaFile(name) + "\r\n";
  folder.WriteFile("pl.m3u", list);
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("extension"));  // the library scan has run

  PostRegistered(player.MainWindow(), "VelmoraPlay");
  ASSERT_TRUE(WaitUntil([&] { return log.Count("load") > 0; }, 20000));
  // Delivered when the player next lets messages run, right after the slow load.
  SendRegistered(player.MainWindow(), "VelmoraExit", 30000);
  ASSERT_TRUE(player.WaitForExit(30000).has_value());

  const std::vector<std::string> calls = log.Calls();
  const auto load = std::find_if(calls.begin(), calls.end(),
                                 [](const std::string& c) { return c.rfind("load ", 0) == 0; });
  const auto deinit = std::find(load, calls.end(), "deinit");
  ASSERT_NE(deinit, calls.end());
  EXPECT_EQ(std::vector<std::string>(deinit + 1, calls.end()), std::vector<std::string>{});
  EXPECT_EQ(log.Count("play"), 0);
  EXPECT_EQ(registry::ReadDword("CurrentFile"), 1u);
}

TEST(Shutdown, ExitBeforeTheStartUpHasReadTheSettingsKeepsThem) {
  registry::ClearSettings();
  registry::WriteDword("CurrentFile", 2);
  // Both flags: a missing `loop` leaves `autoplay` at its default when the list is read.
  registry::WriteDword("loop", 1);
  registry::WriteDword("autoplay", 0);
  registry::WriteString("design", "Compact");
  TestFolder folder;
  std::string list;
  for (const char* name : {"a.prb", "b.prb", "c.prb"}) list += folder.MakeMediaFile(name) + "\r\n";
  folder.WriteFile("pl.m3u", list);
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForMainWindow());
  // Handled before (or, on a slow machine, somewhere inside) the deferred start-up.
  PostRegistered(player.MainWindow(), "VelmoraExit");
  ASSERT_TRUE(player.WaitForExit(30000).has_value());
  EXPECT_EQ(registry::ReadDword("CurrentFile"), 2u);
  EXPECT_EQ(registry::ReadDword("autoplay"), 0u);
  EXPECT_EQ(registry::ReadString("design"), "Compact");
  EXPECT_EQ(folder.ReadFile("pl.m3u"), list);
}

}  // namespace
}  // namespace velmora::e2e
