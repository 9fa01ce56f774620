// The position tick: time texts, end of track by the loop setting, re-entry; the time
// display switch and the title's scroll switch.
#include <gtest/gtest.h>

#include "fakes/player_fakes.h"

namespace velmora {
namespace {

using fakes::PlayerRig;

struct TickRig : PlayerRig {
  TickRig() {
    AddFiles({"a.mp3", "b.mp3", "c.mp3"});
    StartPlaying(0);
  }
  std::string TimeAt(int32_t position_ms) {
    plugin.position_ms = position_ms;
    host.Fire(TimerId::Position);
    return window.position_time;
  }
};

TEST(PositionTick, ElapsedAndRemainingTimes) {
  TickRig rig;
  EXPECT_EQ(rig.TimeAt(75500), "01:15");
  EXPECT_EQ(rig.window.position, 75500 / 3);
  EXPECT_EQ(rig.TimeAt(6000000), "10:00");  // 100 minutes: the first two digits
  EXPECT_EQ(rig.TimeAt(0), "00:00");
  EXPECT_EQ(rig.TimeAt(87 * 60000 + 18000), "00:00");  // "87:18" is never shown
  EXPECT_EQ(rig.TimeAt(87 * 60000 + 19000), "87:19");

  rig.plugin.length_ms = 200000;
  rig.player->ShowTimeRemaining();
  EXPECT_EQ(rig.TimeAt(75500), "02:04");
  EXPECT_EQ(rig.plugin.calls.back(), "length");
}

TEST(PositionTick, StopsItselfDuringTheTickAndStartsAgain) {
  TickRig rig;
  bool running_inside = true;
  rig.plugin.on_call = [&](const std::string& entry) {
    if (entry == "getposition") running_inside = rig.host.TimerRunning(TimerId::Position);
  };
  rig.plugin.position_ms = 1000;
  rig.host.Fire(TimerId::Position);
  EXPECT_FALSE(running_inside);
  EXPECT_TRUE(rig.host.TimerRunning(TimerId::Position));

  // A plug-in fault costs the update only.
  rig.plugin.on_call = nullptr;
  rig.plugin.failing = {PluginEntry::getposition};
  rig.host.Fire(TimerId::Position);
  EXPECT_TRUE(rig.host.TimerRunning(TimerId::Position));
  EXPECT_TRUE(rig.player->ErrorList().empty());
}

TEST(PositionTick, AStopWhileTheTickLetsMessagesRunIsKept) {
  TickRig rig;
  rig.host.on_pump = [&] {
    rig.host.on_pump = nullptr;
    rig.player->Stop();
  };
  rig.host.Fire(TimerId::Position);
  EXPECT_EQ(rig.window.status, "Stopped");
  EXPECT_FALSE(rig.host.TimerRunning(TimerId::Position));

  // A tick the window system still delivers after the stop asks nothing of the plug-in
  // and says the stop again (the host may have kept its timer set through the stop).
  const int stops = rig.host.stops[TimerId::Position];
  const size_t calls = rig.plugin.calls.size();
  rig.player->OnTimer(TimerId::Position);
  EXPECT_EQ(rig.host.stops[TimerId::Position], stops + 1);
  EXPECT_EQ(rig.plugin.calls.size(), calls);
  EXPECT_FALSE(rig.host.TimerRunning(TimerId::Position));
}

TEST(PositionTick, PausedShowsPause) {
  TickRig rig;
  rig.plugin.is_playing = false;
  rig.plugin.is_paused = true;
  rig.host.Fire(TimerId::Position);
  EXPECT_EQ(rig.window.position_time, "pause");
  EXPECT_EQ(rig.plugin.CallsSince(rig.plugin.calls.size() - 3),
            (std::vector<std::string>{"playing", "ended", "paused"}));
}

TEST(PositionTick, EndOfTrackWithLoopGoesToTheNextEntry) {
  TickRig rig;
  rig.playlist.SetCurrentIndex(2);
  rig.display.ShowStatus("before");
  rig.plugin.is_playing = false;
  rig.plugin.is_ended = true;
  rig.host.Fire(TimerId::Position);
  EXPECT_EQ(rig.playlist.CurrentIndex(), 0);  // wrapped
  EXPECT_EQ(rig.plugin.load_args.back(), "C:\\Music\\a.mp3");
  EXPECT_TRUE(rig.plugin.is_playing);
  EXPECT_TRUE(rig.host.TimerRunning(TimerId::Position));
  EXPECT_TRUE(rig.host.delays.empty());
}

TEST(PositionTick, EndOfTrackWithoutAutoplayMovesOnceAndWaits) {
  TickRig rig;
  rig.settings.Set(&PlayerSettings::autoplay, false);
  rig.plugin.is_playing = false;
  rig.plugin.is_ended = true;
  rig.host.Fire(TimerId::Position);
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
  EXPECT_FALSE(rig.host.TimerRunning(TimerId::Position));
  rig.host.Fire(TimerId::Position);
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
}

TEST(PositionTick, EndOfAMiddleEntryWithoutLoopFlushesFirst) {
  TickRig rig;
  rig.settings.Set(&PlayerSettings::loop, false);
  rig.display.ShowStatus("Loaded ...");
  rig.plugin.is_playing = false;
  rig.plugin.is_ended = true;
  const size_t before = rig.window.statuses.size();
  rig.host.Fire(TimerId::Position);
  ASSERT_GT(rig.window.statuses.size(), before + 2);
  EXPECT_EQ(rig.window.statuses[before], "Flushing the buffer");
  EXPECT_EQ(rig.window.statuses[before + 1], "Loaded ...");
  EXPECT_EQ(rig.host.delays, (std::vector<int>{4000}));
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
  EXPECT_TRUE(rig.plugin.is_playing);
}

TEST(PositionTick, EndOfTheLastEntryWithoutLoopShowsStop) {
  TickRig rig;
  rig.settings.Set(&PlayerSettings::loop, false);
  rig.StartPlaying(2);
  rig.plugin.is_playing = false;
  rig.plugin.is_ended = true;
  const size_t loads = rig.plugin.Count("load");
  for (int i = 0; i < 3; ++i) {
    rig.window.SetPositionValue(50);
    rig.host.Fire(TimerId::Position);
    EXPECT_EQ(rig.window.position_time, "Stop");
    EXPECT_EQ(rig.window.position, 0);
  }
  EXPECT_EQ(rig.playlist.CurrentIndex(), 2);
  EXPECT_EQ(rig.plugin.Count("load"), loads);
  EXPECT_TRUE(rig.host.TimerRunning(TimerId::Position));
}

TEST(TimeDisplay, SwitchesModeHintAndColour) {
  PlayerRig rig;
  rig.player->SetTimeColours(0x00FFFFFF, 0x000000FF);
  EXPECT_EQ(rig.window.time_colour, 0x00FFFFFFu);
  rig.player->TimeLabelClicked();  // hint "Time " is not "Time Elapsed"
  EXPECT_EQ(rig.window.time_hint, "Time Elapsed");
  EXPECT_FALSE(rig.player->TimeRemainingMode());
  rig.window.time_colour = 0x0000FF00;  // the design restyled the label
  rig.player->TimeLabelClicked();
  EXPECT_EQ(rig.window.time_hint, "Time Remaining");
  EXPECT_EQ(rig.window.time_colour, 0x000000FFu);
  EXPECT_EQ(rig.player->ElapsedTimeColour(), 0x0000FF00u);
  EXPECT_EQ(rig.window.status, "Changing time display");
  rig.player->TimeLabelClicked();
  EXPECT_EQ(rig.window.time_colour, 0x0000FF00u);
}

TEST(TitleScroll, SwitchPauseAndResume) {
  PlayerRig rig;
  rig.player->TitleClicked();
  EXPECT_EQ(rig.window.scroll_pixels, 0);
  EXPECT_EQ(rig.window.scroll_interval, 500);
  EXPECT_EQ(rig.window.status, "Don't Scroll");
  rig.player->PauseTitleScroll();  // the user's choice is not a pause
  rig.player->ResumeTitleScroll();
  EXPECT_EQ(rig.window.scroll_interval, 500);

  rig.player->TitleClicked();
  EXPECT_EQ(rig.window.status, "Scroll");
  EXPECT_EQ(rig.window.scroll_pixels, 1);
  EXPECT_EQ(rig.window.scroll_interval, 50);
  rig.player->PauseTitleScroll();
  EXPECT_EQ(rig.window.scroll_interval, 499);
  rig.player->ResumeTitleScroll();
  EXPECT_EQ(rig.window.scroll_interval, 50);
}

}  // namespace
}  // namespace velmora
