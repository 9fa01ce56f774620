// A fade-out measured on the output's volume, and files dropped onto the main window.
#include <gtest/gtest.h>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

constexpr char kProbeIni[] = "extensions=PRB\nlength_ms=60000\n";

TEST(TransportFade, StopWithFadeReachesSilenceThenStops) {
  registry::ClearSettings();
  registry::WriteDword("Fadestop", 1);
  registry::WriteDword("loop", 1);
  registry::WriteDword("autoplay", 1);
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  const std::string song = folder.MakeMediaFile("fade.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder, {"\"" + song + "\""}));
  ASSERT_TRUE(player.WaitForStartup());
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("play fade.prb"));
  HWND main = player.MainWindow();
  ASSERT_EQ(RunCtl(folder, "volume").out, "100");

  // The guarded stop begins the fade and answers at once.
  CtlResult r = RunCtl(folder, "stop");
  EXPECT_EQ(r.out, "0");
  // 51 steps of 30 ms: the track is stopped once the output is silent.
  EXPECT_TRUE(WaitForControlText(main, ids::banner2, "Stopped", 15000));
  EXPECT_EQ(RunCtl(folder, "volume").out, "0");
  EXPECT_EQ(SliderPos(main, ids::volbar), 0);
  EXPECT_TRUE(log.Contains("stop"));
  EXPECT_FALSE(IsControlEnabled(main, ids::stopbut));
  EXPECT_TRUE(player.Close());
}

TEST(TransportDrop, OneDroppedFileIsAddedWithoutPlaying) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  const std::string one = folder.MakeMediaFile("one.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("extension"));
  HWND main = player.MainWindow();
  EXPECT_FALSE(IsControlEnabled(main, ids::playbut));

  ASSERT_TRUE(DropFiles(main, {one}));
  ASSERT_TRUE(WaitUntil([&] { return SendRegistered(main, "VelmoraNumberFiles") == 1; }));
  EXPECT_TRUE(WaitUntil([&] { return IsControlEnabled(main, ids::playbut); }));
  Sleep(300);
  EXPECT_EQ(log.Count("load"), 0);
  EXPECT_TRUE(player.Close());
}

TEST(TransportDrop, DroppingMoreFilesOnAStoppedPlayerStartsPlayback) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  const std::string first = folder.MakeMediaFile("first.prb");
  const std::string two = folder.MakeMediaFile("two.prb");
  const std::string three = folder.MakeMediaFile("three.prb");
  folder.WriteFile("pl.m3u", first + "\r\n");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("extension"));
  HWND main = player.MainWindow();
  // Played once and stopped: the plug-in is there and reports that it does not play.
  ASSERT_EQ(SendRegistered(main, "VelmoraPlay"), 0);
  ASSERT_TRUE(log.WaitFor("play first.prb"));
  ASSERT_EQ(SendRegistered(main, "VelmoraStop"), 0);
  const int loads = log.Count("load");

  ASSERT_TRUE(DropFiles(main, {two, three}));
  EXPECT_TRUE(WaitUntil([&] { return SendRegistered(main, "VelmoraNumberFiles") == 3; }));
  EXPECT_TRUE(log.WaitForCount("load", loads + 1));
  EXPECT_TRUE(WaitUntil([&] { return IsControlEnabled(main, ids::stopbut); }));
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
