// Other programs drive the player through velmoractl (registered messages and
// WM_COPYDATA) and through the raw messages.
#include <gtest/gtest.h>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

constexpr char kProbeIni[] = "extensions=PRB\nlength_ms=60000\n";

class ExternalControl : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::ClearSettings();
    folder_.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  }
  HWND Start(const std::string& arguments = "") {
    EXPECT_TRUE(player_.Start(folder_, {arguments}));
    EXPECT_TRUE(player_.WaitForStartup());
    // Until the library scan has run no file type is known.
    EXPECT_TRUE(ProbeLog(folder_).WaitFor("extension"));
    return player_.MainWindow();
  }
  std::string Status() const { return ControlText(player_.MainWindow(), ids::banner2); }

  TestFolder folder_;
  PlayerProcess player_;
};

TEST_F(ExternalControl, NoPlayerRunningIsReported) {
  CtlResult r = RunCtl(folder_, "count");
  EXPECT_EQ(r.exit_code, 2u);
  EXPECT_EQ(RunCtl(folder_, "frobnicate").exit_code, 3u);
}

TEST_F(ExternalControl, GuardedCommandsRefuseOnAnEmptyPlaylist) {
  Start();
  CtlResult r = RunCtl(folder_, "play");
  EXPECT_EQ(r.out, "1");
  EXPECT_EQ(r.exit_code, 1u);
  EXPECT_EQ(Status(), "API CALL : Play");
  r = RunCtl(folder_, "stop");
  EXPECT_EQ(r.out, "1");
  EXPECT_EQ(Status(), "API CALL : Stop");
  EXPECT_EQ(RunCtl(folder_, "next").exit_code, 1u);
  EXPECT_EQ(Status(), "API CALL : Next Track");
  r = RunCtl(folder_, "count");
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_EQ(r.out, "0");
  EXPECT_EQ(Status(), "API CALL : Get Files");
}

TEST_F(ExternalControl, VolumeIsAPercentage) {
  Start();
  // A fresh output stands at full volume: the slider's 100 %.
  CtlResult r = RunCtl(folder_, "volume");
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_EQ(r.out, "100");
  EXPECT_EQ(Status(), "API CALL : Get Vol");
  EXPECT_EQ(SliderPos(player_.MainWindow(), ids::volbar), 250);
}

TEST_F(ExternalControl, DollarTextOnlyShowsTheText) {
  HWND main = Start();
  const bool play_enabled = IsControlEnabled(main, ids::playbut);
  CtlResult r = RunCtl(folder_, "status Hello");
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_EQ(r.out, "0");
  EXPECT_EQ(Status(), "Hello");
  EXPECT_EQ(SendRegistered(main, "VelmoraNumberFiles"), 0);
  EXPECT_EQ(IsControlEnabled(main, ids::playbut), play_enabled);
}

TEST_F(ExternalControl, PlainPathIsAppendedMadeCurrentAndPlayed) {
  folder_.WriteFile("pl.m3u", "C:\\music\\first.prb\r\n");
  HWND main = Start();
  const std::string song = folder_.MakeMediaFile("added.prb");
  CtlResult r = RunCtl(folder_, "open \"" + song + "\"");
  EXPECT_EQ(r.exit_code, 0u);
  ProbeLog log(folder_);
  EXPECT_TRUE(log.WaitFor("load " + song));
  EXPECT_TRUE(log.WaitFor("play added.prb"));
  EXPECT_EQ(SendRegistered(main, "VelmoraNumberFiles"), 2);
  EXPECT_TRUE(IsControlEnabled(main, ids::stopbut));
  EXPECT_TRUE(player_.Close());
  // Index 1 (the appended entry) was current.
  EXPECT_EQ(registry::ReadDword("CurrentFile"), 1u);
}

TEST_F(ExternalControl, SlashPathPlaysOutsideThePlaylist) {
  HWND main = Start();
  const std::string song = folder_.MakeMediaFile("outside.prb");
  CtlResult r = RunCtl(folder_, "just-play \"" + song + "\"");
  EXPECT_EQ(r.exit_code, 0u);
  ProbeLog log(folder_);
  EXPECT_TRUE(log.WaitFor("load " + song));
  EXPECT_TRUE(log.WaitFor("play " + song));
  EXPECT_EQ(Status(), "API CALL : Just play the file");
  EXPECT_EQ(SendRegistered(main, "VelmoraNumberFiles"), 0);
  EXPECT_FALSE(IsControlEnabled(main, ids::stopbut));  // the buttons are left as they were
}

TEST_F(ExternalControl, CopyDataIsReadOnlyWithinItsSize) {
  HWND main = Start();
  // Six bytes of a longer text, with no terminating zero among them.
  ASSERT_TRUE(SendCopyData(main, "$Hello, world", 6u).has_value());
  EXPECT_EQ(Status(), "Hello");
  // No data at all is ignored.
  ASSERT_TRUE(SendCopyData(main, "$Ignored", 0u).has_value());
  EXPECT_EQ(Status(), "Hello");
  EXPECT_EQ(SendRegistered(main, "VelmoraNumberFiles"), 0);
}

TEST_F(ExternalControl, LengthAndCountWhilePlaying) {
  const std::string song = folder_.MakeMediaFile("long.prb");
  HWND main = Start("\"" + song + "\"");
  ProbeLog log(folder_);
  ASSERT_TRUE(log.WaitFor("play long.prb"));
  EXPECT_EQ(RunCtl(folder_, "length").out, "60000");
  EXPECT_EQ(Status(), "API CALL : Get Length");
  EXPECT_EQ(RunCtl(folder_, "count").out, "1");
  // Pause and Stop are enabled now, so they are done.
  CtlResult r = RunCtl(folder_, "pause");
  EXPECT_EQ(r.out, "0");
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_TRUE(log.WaitFor("pause"));
  r = RunCtl(folder_, "stop");
  EXPECT_EQ(r.out, "0");
  EXPECT_TRUE(WaitUntil([&] { return !IsControlEnabled(main, ids::stopbut); }));
}

TEST_F(ExternalControl, ExitRunsTheWholeShutdown) {
  folder_.WriteFile("pl.m3u", "C:\\music\\a.prb\r\nC:\\music\\b.prb\r\n#end\r\n");
  Start();
  CtlResult r = RunCtl(folder_, "exit");
  EXPECT_EQ(r.out, "0");
  ASSERT_TRUE(player_.WaitForExit().has_value());
  EXPECT_EQ(registry::ReadString("Version"), "0.91");
  EXPECT_TRUE(registry::ReadDword("EnableTooltips").has_value());
  EXPECT_EQ(folder_.ReadFile("pl.m3u"), "C:\\music\\a.prb\r\nC:\\music\\b.prb\r\n");
}

TEST_F(ExternalControl, CloseFromOutsideRunsTheWholeShutdown) {
  folder_.WriteFile("pl.m3u", "C:\\music\\a.prb\r\nC:\\music\\b.prb\r\n#end\r\n");
  Start();
  EXPECT_TRUE(player_.Close());
  EXPECT_EQ(registry::ReadString("Version"), "0.91");
  EXPECT_EQ(folder_.ReadFile("pl.m3u"), "C:\\music\\a.prb\r\nC:\\music\\b.prb\r\n");
}

}  // namespace
}  // namespace velmora::e2e
