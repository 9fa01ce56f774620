// Start-up: the settings of a first run, the window's placement, the command line and
// the plug-in library's start and end.
#include <gtest/gtest.h>

#include <algorithm>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

constexpr char kProbeIni[] = "extensions=PRB\nlength_ms=60000\n";

RECT WindowRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

TEST(StartupSettings, FirstRunWritesExactlyTheEightValues) {
  registry::ClearSettings();
  TestFolder folder;
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());

  std::vector<std::string> names = registry::ValueNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Left", "Minimize", "Multiple", "Randomdesign", "Top",
                                             "autoplay", "design", "loop"}));
  EXPECT_EQ(registry::ReadString("design"), "Default");
  EXPECT_EQ(registry::ReadDword("Multiple"), 0u);
  EXPECT_EQ(registry::ReadDword("autoplay"), 1u);
  EXPECT_EQ(registry::ReadDword("loop"), 1u);
  EXPECT_EQ(registry::ReadDword("Minimize"), 1u);
  EXPECT_EQ(registry::ReadDword("Randomdesign"), 0u);
  // The window keeps the place it had: the stored position is where it stands.
  const RECT r = WindowRect(player.MainWindow());
  EXPECT_EQ(registry::ReadDword("Left"), static_cast<uint32_t>(r.left));
  EXPECT_EQ(registry::ReadDword("Top"), static_cast<uint32_t>(r.top));
  EXPECT_TRUE(player.Close());
}

TEST(StartupSettings, StoredPlacementIsKeptOnTheScreen) {
  const int screen_h = GetSystemMetrics(SM_CYSCREEN);
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  {
    registry::ClearSettings();
    registry::WriteDword("Top", static_cast<uint32_t>(-30));
    registry::WriteDword("Left", 100);
    TestFolder folder;
    PlayerProcess player;
    ASSERT_TRUE(player.Start(folder));
    ASSERT_TRUE(player.WaitForStartup());
    const RECT r = WindowRect(player.MainWindow());
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.left, 100);
    EXPECT_TRUE(player.Close());
  }
  {
    registry::ClearSettings();
    registry::WriteDword("Top", static_cast<uint32_t>(screen_h + 21));
    registry::WriteDword("Left", static_cast<uint32_t>(screen_w + 500));
    TestFolder folder;
    PlayerProcess player;
    ASSERT_TRUE(player.Start(folder));
    ASSERT_TRUE(player.WaitForStartup());
    const RECT r = WindowRect(player.MainWindow());
    EXPECT_EQ(r.top, (screen_h - 161) / 2);
    EXPECT_EQ(r.left, (screen_w - 306) / 2);
    EXPECT_TRUE(player.Close());
  }
}

TEST(StartupSettings, MissingLoopKeepsAutoplayOnAndTheStoredValuesBeforeIt) {
  registry::ClearSettings();
  registry::WriteDword("autoplay", 0);
  registry::WriteDword("Top", 40);
  registry::WriteDword("Left", 50);
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  const std::string song = folder.MakeMediaFile("song.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder, {"\"" + song + "\""}));
  ASSERT_TRUE(player.WaitForStartup());
  // `loop` is missing, so the stored `autoplay` 0 was never applied: the file plays.
  ProbeLog log(folder);
  EXPECT_TRUE(log.WaitFor("play song.prb"));
  const RECT r = WindowRect(player.MainWindow());
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.left, 50);
  EXPECT_TRUE(player.Close());
}

TEST(StartupCommandLine, ArgumentsSplitAtABlankAreOnePath) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  const std::string song = folder.MakeMediaFile("My Music\\a.prb");
  // Unquoted: the path arrives as two arguments.
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder, {folder.Path() + "\\My Music\\a.prb"}));
  ASSERT_TRUE(player.WaitForStartup());
  ProbeLog log(folder);
  EXPECT_TRUE(log.WaitFor("load " + song));
  auto files = SendRegistered(player.MainWindow(), "VelmoraNumberFiles");
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ(*files, 1);
  EXPECT_TRUE(player.Close());
}

TEST(StartupPlugins, PluginStartsWithTheProgramFolderAndEndsAtExit) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  const std::string song = folder.MakeMediaFile("one.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder, {"\"" + song + "\""}));
  ASSERT_TRUE(player.WaitForStartup());
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("play one.prb"));
  EXPECT_TRUE(log.Contains("init " + folder.Path() + "\\")) << "init with the program folder";
  EXPECT_TRUE(player.Close());
  EXPECT_GE(log.Count("deinit"), 1);
  // The playing track was stopped before the library went.
  const auto calls = log.Calls();
  auto stop = std::find(calls.rbegin(), calls.rend(), "stop");
  auto deinit = std::find(calls.rbegin(), calls.rend(), "deinit");
  ASSERT_NE(stop, calls.rend());
  EXPECT_TRUE(stop.base() < deinit.base()) << "stop comes before deinit";
}

}  // namespace
}  // namespace velmora::e2e
