// Plug-ins that misbehave, end to end: design libraries with no name, a name of megabytes,
// an apply that fails, a stored default that is applied at the next start or is gone, and
// libraries that never return from a call (the watchdog's message, "Close Velmora", and the
// next start that skips the library once).
#include "audio_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velmora::e2e {
namespace {

using namespace audio;

bool Listed(HWND chooser, const std::string& name) {
  const std::vector<std::string> items = ComboItems(GetDlgItem(chooser, ids::designList));
  return std::find(items.begin(), items.end(), name) != items.end();
}

// The player's visible message boxes, whatever they say.
std::vector<HWND> MessageBoxes(const PlayerProcess& player) {
  std::vector<HWND> boxes;
  for (HWND w : TopLevelWindowsOf(player.Pid()))
    if (IsWindowVisible(w) && ClassNameOf(w) == "#32770") boxes.push_back(w);
  return boxes;
}

TEST(DesignLibraryFaults, NamesAreListedWithinBoundsAndAFailedApplyIsNoDefault) {
  WriteSettings({/*autoplay=*/false});
  TestFolder folder;
  folder.AddPlugin("glass.dll", "glass.dll", "");
  folder.AddPlugin("glass.dll", "nameless.dll", "null_name=1\nlog=nameless.log\n");
  folder.AddPlugin("glass.dll", "wordy.dll", "name_length=1500000\nlog=wordy.log\n");
  folder.AddPlugin("glass.dll", "cracked.dll", "name=Cracked\nfault=update\nlog=cracked.log\n");
  PlayerProcess player;
  HWND main = StartReady(player, folder);
  ASSERT_TRUE(main);
  HWND chooser = player.FindWindowOfClassWait("TForm6");
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(WaitUntil([&] { return Listed(chooser, "Cracked"); }));
  // A library without a name is listed under its file's name, a name of 1.5 MB is cut
  // (and the list still answers another program's questions).
  EXPECT_TRUE(Listed(chooser, "nameless"));
  EXPECT_TRUE(Listed(chooser, std::string(255, 'g')));
  EXPECT_FALSE(Listed(chooser, ""));

  // One failed apply: one message box, and the design is no candidate for the default.
  ASSERT_TRUE(WaitUntil([&] { return Status(main).rfind("http", 0) == 0; }));
  SetWindowTextA(GetDlgItem(chooser, ids::designList), "Cracked");
  PostMessageA(GetDlgItem(chooser, ids::dcToolbarButton972), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !MessageBoxes(player).empty(); }));
  WaitUntil([] { return false; }, 1500);
  EXPECT_EQ(MessageBoxes(player).size(), 1u);
  while (!MessageBoxes(player).empty()) {
    PostMessageA(MessageBoxes(player)[0], WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return MessageBoxes(player).empty(); }, 2000);
  }
  EXPECT_TRUE(IsWindowVisible(main));
  SendMessageTimeoutA(GetDlgItem(chooser, ids::dcAddbut), BM_CLICK, 0, 0, SMTO_NORMAL, 5000,
                      nullptr);
  EXPECT_TRUE(player.Close());
  EXPECT_EQ(registry::ReadString("design").value_or(""), "Default");
}

TEST(DesignLibraryFaults, AStoredLibraryIsAppliedAtStartAndOneThatIsGoneGivesWayToDefault) {
  WriteSettings({/*autoplay=*/false});
  registry::WriteString("design", "Glass");
  registry::WriteDword("LogErrors", 1);
  TestFolder folder;
  folder.AddPlugin("glass.dll", "glass.dll", "");
  {
    PlayerProcess player;
    HWND main = StartReady(player, folder);
    ASSERT_TRUE(main);
    ProbeLog log(folder, "design.log");
    EXPECT_TRUE(log.WaitForCount("update", 1)) << "the stored library is applied";
    EXPECT_TRUE(log.WaitFor("OnShow TForm1"));
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_TRUE(player.Close());
  }
  EXPECT_EQ(registry::ReadString("design").value_or(""), "Glass");

  folder.Remove("Library\\glass.dll");
  PlayerProcess player;
  HWND main = StartReady(player, folder);
  ASSERT_TRUE(main);
  HWND chooser = player.FindWindowOfClassWait("TForm6");
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main); }));
  EXPECT_EQ(WindowText(GetDlgItem(chooser, ids::designList)), "Default");
  EXPECT_TRUE(player.Close());
  EXPECT_NE(folder.ReadFile("errors.log").find("The design Glass was not found: Default applied"),
            std::string::npos)
      << folder.ReadFile("errors.log");
}

// Titles from an input plug-in: one without its terminator is read within a bound and the
// file plays; a garbage pointer faults once per file, and the file is not loaded again.
TEST(InputPlugInFaults, AnUnterminatedTitlePlaysAndAGarbageOneIsNotRetried) {
  WriteSettings({/*autoplay=*/false});
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe_a.dll",
                   "extensions=PRA\ntitle_unterminated=1\nlength_ms=60000\n");
  folder.AddPlugin("probe.dll", "probe_b.dll", "extensions=PRB\ntitle_address=0x40\n");
  folder.WriteFile("pl.m3u", folder.MakeMediaFile("media\\x.prb") + "\r\n" +
                                 folder.MakeMediaFile("media\\y.prb") + "\r\n" +
                                 folder.MakeMediaFile("media\\a.pra") + "\r\n");
  ProbeLog probe(folder);
  PlayerProcess player;
  HWND main = StartReady(player, folder);
  ASSERT_TRUE(main);
  const auto calls = [&] {
    std::string text;
    for (const std::string& line : probe.Lines()) text += line + "\n";
    return text + "status: " + Status(main);
  };
  // Each Play: a faulting file is skipped at once (the next entry becomes current).
  const UINT play = RegisterWindowMessageA("VelmoraPlay");
  for (int i = 1; i <= 2; ++i) {
    PostMessageA(main, play, 0, 0);
    ASSERT_TRUE(probe.WaitForCount("load", i)) << calls();
  }
  PostMessageA(main, play, 0, 0);
  ASSERT_TRUE(probe.WaitForCount("play", 1)) << calls();
  EXPECT_EQ(probe.Count("load", "probe_b.dll"), 2) << "each faulting file is loaded once";
  EXPECT_EQ(probe.Count("load", "probe_a.dll"), 1);
  EXPECT_TRUE(player.Close());
}

// A design library whose `update` never returns: after five seconds a message from another
// thread names it (by its DesignName); "Close Velmora" ends the player with the entry added just before in
// pl.m3u, and the next start leaves the library out once and says so.
TEST(HangingLibraries, CloseVelmoraKeepsThePlaylistAndTheNextStartSkipsTheLibraryOnce) {
  WriteSettings({/*autoplay=*/false});
  registry::WriteDword("LogErrors", 1);
  TestFolder folder;
  folder.AddPlugin("glass.dll", "glass.dll", "hang=update\n");
  folder.AddPlugin("probe.dll", "probe_a.dll", "extensions=PRB\nlength_ms=60000\n");
  folder.WriteFile("pl.m3u", folder.MakeMediaFile("media\\a.prb") + "\r\n" +
                                 folder.MakeMediaFile("media\\b.prb") + "\r\n");
  const std::string added = folder.MakeMediaFile("media\\added.prb");
  ProbeLog design(folder, "design.log");
  {
    PlayerProcess player;
    HWND main = StartReady(player, folder);
    ASSERT_TRUE(main);
    HWND chooser = player.FindWindowOfClassWait("TForm6");
    ASSERT_TRUE(WaitUntil([&] { return Listed(chooser, "Glass"); }));
    ASSERT_TRUE(SendCopyData(main, added).has_value());
    SetWindowTextA(GetDlgItem(chooser, ids::designList), "Glass");
    PostMessageA(GetDlgItem(chooser, ids::dcToolbarButton972), BM_CLICK, 0, 0);
    ASSERT_TRUE(design.WaitForCount("update", 1));
    const DWORD hung_at = GetTickCount();
    const std::string question = "The design library Glass does not answer.";
    ASSERT_TRUE(WaitUntil([&] { return !MessageBoxesSaying(player, question).empty(); }, 20000));
    EXPECT_GE(GetTickCount() - hung_at, 4500u) << "asked only after five seconds";
    HWND box = MessageBoxesSaying(player, question)[0];
    EXPECT_EQ(WindowText(GetDlgItem(box, IDYES)), "Wait");
    EXPECT_EQ(WindowText(GetDlgItem(box, IDNO)), "Close Velmora");
    PostMessageA(box, WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(player.WaitForExit(10000).has_value());
  }
  const std::string playlist = folder.ReadFile("pl.m3u");
  EXPECT_NE(playlist.find(added), std::string::npos) << playlist;
  const int probes = design.Count("init");

  PlayerProcess player;
  HWND main = StartReady(player, folder);
  ASSERT_TRUE(main);
  HWND chooser = player.FindWindowOfClassWait("TForm6");
  ASSERT_TRUE(chooser);
  EXPECT_FALSE(Listed(chooser, "Glass"));
  EXPECT_EQ(design.Count("init"), probes) << "not even probed";
  EXPECT_TRUE(player.Close());
  EXPECT_NE(folder.ReadFile("errors.log")
                .find("The design library Glass did not answer last time: left out this once"),
            std::string::npos)
      << folder.ReadFile("errors.log");
}

// A design library hanging in `init`: the library scan probes it, so every start hung there.
// Now the question comes; after "Close Velmora" the next start leaves it out and comes up.
TEST(HangingLibraries, ALibraryHangingWhenTheScanProbesItIsLeftOutAtTheNextStart) {
  WriteSettings({/*autoplay=*/false});
  registry::WriteDword("LogErrors", 1);
  TestFolder folder;
  folder.AddPlugin("glass.dll", "glass.dll", "hang=init\n");
  {
    PlayerProcess player;
    ASSERT_TRUE(player.Start(folder));
    const std::string question = "The design library glass does not answer.";
    ASSERT_TRUE(WaitUntil([&] { return !MessageBoxesSaying(player, question).empty(); }, 40000));
    PostMessageA(MessageBoxesSaying(player, question)[0], WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(player.WaitForExit(10000).has_value());
  }
  PlayerProcess player;
  HWND main = StartReady(player, folder);
  ASSERT_TRUE(main);
  EXPECT_FALSE(Listed(player.FindWindowOfClassWait("TForm6"), "Glass"));
  EXPECT_TRUE(player.Close());
  EXPECT_NE(folder.ReadFile("errors.log")
                .find("The design library glass did not answer last time: left out this once"),
            std::string::npos)
      << folder.ReadFile("errors.log");
}

// An input plug-in whose `load` never returns: named, and left out of the next start's scan.
TEST(HangingLibraries, AnInputPlugInHangingInLoadIsNamedAndLeftOutOnce) {
  WriteSettings({/*autoplay=*/false});
  registry::WriteDword("LogErrors", 1);
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe_a.dll", "extensions=PRB\ndelay_load=600000\n");
  folder.WriteFile("pl.m3u", folder.MakeMediaFile("media\\a.prb") + "\r\n" +
                                 folder.MakeMediaFile("media\\b.prb") + "\r\n");
  ProbeLog probe(folder);
  {
    PlayerProcess player;
    HWND main = StartReady(player, folder);
    ASSERT_TRUE(main);
    PostMessageA(main, RegisterWindowMessageA("VelmoraPlay"), 0, 0);
    ASSERT_TRUE(probe.WaitForCount("load", 1));
    const std::string question = "The input plug-in probe_a does not answer.";
    ASSERT_TRUE(WaitUntil([&] { return !MessageBoxesSaying(player, question).empty(); }, 20000));
    PostMessageA(MessageBoxesSaying(player, question)[0], WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(player.WaitForExit(10000).has_value());
  }
  PlayerProcess player;
  HWND main = StartReady(player, folder);
  ASSERT_TRUE(main);
  ASSERT_TRUE(SendRegistered(main, "VelmoraPlay").has_value());
  WaitUntil([] { return false; }, 1000);
  EXPECT_EQ(probe.Count("load"), 1) << "the plug-in is not used in this run";
  EXPECT_TRUE(player.Close());
  EXPECT_NE(folder.ReadFile("errors.log")
                .find("The input plug-in probe_a did not answer last time: left out this once"),
            std::string::npos)
      << folder.ReadFile("errors.log");
}

}  // namespace
}  // namespace velmora::e2e
