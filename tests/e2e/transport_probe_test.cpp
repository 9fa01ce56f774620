// The transport as the plug-in sees it: the order of the calls of a load and play, the
// 500 ms poll, the end of a track, and what the main window shows meanwhile.
#include <gtest/gtest.h>

#include <algorithm>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

std::vector<std::string> Entries(const std::vector<std::string>& calls) {
  std::vector<std::string> entries;
  for (const auto& c : calls) entries.push_back(c.substr(0, c.find(' ')));
  return entries;
}

TEST(TransportProbe, LoadAndPlayCallOrderThenThePoll) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=60000\n"));
  const std::string song = folder.MakeMediaFile("song.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder, {"\"" + song + "\""}));
  ASSERT_TRUE(player.WaitForStartup());
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("play song.prb"));
  ASSERT_TRUE(log.WaitForCount("getposition", 4));

  const auto entries = Entries(log.Calls());
  auto load = std::find(entries.begin(), entries.end(), "load");
  ASSERT_NE(load, entries.end());
  // After load, the named entries come in this order.
  std::vector<std::string> order;
  for (auto it = load; it != entries.end(); ++it)
    if (*it == "load" || *it == "frequence" || *it == "bitrate" || *it == "layer" ||
        *it == "length" || *it == "play")
      if (order.empty() || order.back() != *it) order.push_back(*it);
  ASSERT_GE(order.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 6),
            (std::vector<std::string>{"load", "frequence", "bitrate", "layer", "length", "play"}));
  // Then the poll: playing and getposition, twice a second.
  auto play = std::find(load, entries.end(), "play");
  std::vector<std::string> after(play + 1, entries.end());
  EXPECT_NE(std::find(after.begin(), after.end(), "playing"), after.end());
  EXPECT_NE(std::find(after.begin(), after.end(), "getposition"), after.end());

  const int before = log.Count("getposition");
  Sleep(2000);
  const int polls = log.Count("getposition") - before;
  EXPECT_GE(polls, 2) << "a poll every 500 ms";
  EXPECT_LE(polls, 6) << "a poll every 500 ms";

  HWND main = player.MainWindow();
  EXPECT_EQ(ControlText(main, ids::lengthlab), "01:00");
  EXPECT_EQ(ControlText(main, ids::Freq), "44100");
  EXPECT_EQ(ControlText(main, ids::bitr), "128");
  EXPECT_EQ(ControlText(main, ids::lay), "3");
  EXPECT_EQ(SliderMax(main, ids::tb), 6000);  // 60,000 ms at 10 ms a unit
  for (int id : {ids::playbut, ids::stopbut, ids::pausebut, ids::fwdbut, ids::revbut,
                 ids::nexttrackbut, ids::prevtrackbut, ids::openbut})
    EXPECT_TRUE(IsControlEnabled(main, id)) << id;
  EXPECT_TRUE(player.Close());
}

TEST(TransportProbe, EndOfTrackMovesToTheNextEntry) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=1500\n"));
  const std::string a = folder.MakeMediaFile("a.prb");
  const std::string b = folder.MakeMediaFile("b.prb");
  folder.WriteFile("pl.m3u", a + "\r\n" + b + "\r\n");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND main = player.MainWindow();
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("extension"));  // the library scan has run
  EXPECT_TRUE(IsControlEnabled(main, ids::playbut));
  EXPECT_FALSE(IsControlEnabled(main, ids::stopbut));

  ASSERT_EQ(SendRegistered(main, "VelmoraPlay"), 0);
  ASSERT_TRUE(log.WaitFor("load " + a));
  EXPECT_TRUE(WaitForControlText(main, ids::lengthlab, "00:01"));
  // a.prb ends after 1.5 s: the poll sees `ended` and the next entry plays.
  EXPECT_TRUE(log.WaitFor("load " + b, 15000));
  EXPECT_TRUE(log.WaitFor("play b.prb", 15000));
  EXPECT_TRUE(IsControlEnabled(main, ids::stopbut));
  EXPECT_TRUE(player.Close());
  EXPECT_EQ(registry::ReadDword("CurrentFile"), 1u);
}

}  // namespace
}  // namespace velmora::e2e
