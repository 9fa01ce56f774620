// Transport scenarios: loading, play, stop, pause, track changes, seeking, the open
// dialog and the guarded commands, against a recording plug-in.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/player_fakes.h"

namespace velmora {
namespace {

using fakes::PlayerRig;
using B = TransportButton;

TEST(PlayerLoad, ScaleMaximumAndTotalTimeFollowTheLength) {
  struct Case {
    int32_t length, scale, max;
    const char* total;
  };
  // The third length falls where the plain rule would give a scale of zero.
  for (const Case& c : {Case{300000, 3, 100000, "05:00"}, Case{30000, 10, 3000, "00:30"},
                        Case{100000, 1, 100000, "01:40"}, Case{65535, 1, 65535, "01:05"}}) {
    PlayerRig rig;
    rig.AddFiles({"a.mp3"});
    rig.plugin.length_ms = c.length;
    ASSERT_TRUE(rig.player->LoadFile("C:\\Music\\a.mp3"));
    EXPECT_EQ(rig.player->PositionScale(), c.scale) << c.length;
    EXPECT_EQ(rig.window.position_max, c.max) << c.length;
    EXPECT_EQ(rig.window.total_time, c.total) << c.length;
  }
  // A plug-in that answers no real length (the largest number, a negative one) shows none;
  // two hours are two hours.
  for (const auto& [length, total] :
       {std::pair<int32_t, const char*>{INT32_MAX, "00:00"}, {-1, "00:00"}, {7200000, "120:00"}}) {
    PlayerRig rig;
    rig.AddFiles({"a.mp3"});
    rig.plugin.length_ms = length;
    ASSERT_TRUE(rig.player->LoadFile("C:\\Music\\a.mp3"));
    EXPECT_EQ(rig.window.total_time, total) << length;
  }
}

TEST(PlayerLoad, ShowsTheFileEverywhere) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3", "b.mp3"});
  rig.playlist.SetCurrentIndex(1);
  ASSERT_TRUE(rig.player->LoadFile("C:\\Music\\b.mp3"));

  EXPECT_EQ(rig.selector.asked.back(), "mp3");
  EXPECT_EQ(rig.selector.selected.back(), "C:\\Music\\b.mp3");
  EXPECT_EQ(rig.plugin.load_args.back(), "C:\\Music\\b.mp3");
  EXPECT_EQ(rig.playlist.PlayingLabel(), "1Song");
  EXPECT_EQ(rig.host.app_title, "ORVANE Velmora - 1Song");
  EXPECT_EQ(rig.window.frequency, "44100");
  EXPECT_EQ(rig.window.bitrate, "128");
  EXPECT_EQ(rig.window.layer, "3");
  ASSERT_GE(rig.window.titles.size(), 2u);
  EXPECT_EQ(rig.window.titles[rig.window.titles.size() - 2], "1Song");
  EXPECT_EQ(rig.window.titles.back(), "1Song    <05:00>          ");
  EXPECT_EQ(rig.player->SavedTitle(), "1Song    <05:00>          ");
  EXPECT_EQ(rig.window.status, "Loaded ...");
  EXPECT_TRUE(rig.player->ButtonEnabled(B::Play));
  EXPECT_TRUE(rig.player->ButtonEnabled(B::NextTrack));
  EXPECT_TRUE(rig.player->ButtonEnabled(B::PrevTrack));
  EXPECT_FALSE(rig.player->ButtonEnabled(B::Stop));
}

TEST(PlayerLoad, UnsupportedOrExtensionlessFilesAreNotLoaded) {
  for (const char* path : {"C:\\Music\\notes.txt", "C:\\Music\\noextension"}) {
    PlayerRig rig;
    rig.selector.unsupported = {"txt"};
    EXPECT_TRUE(rig.player->LoadFile(path)) << path;  // no retry
    EXPECT_EQ(rig.window.status, "Non-supported file");
    EXPECT_EQ(rig.plugin.Count("load"), 0u);
    EXPECT_TRUE(rig.selector.selected.empty());
  }
}

TEST(PlayerLoad, UrlEntries) {
  PlayerRig rig;
  rig.playlist.AddUrlEntry("http://radio.example/live.mp3");
  rig.plugin.absent = {PluginEntry::webload};
  EXPECT_TRUE(rig.player->LoadFile(rig.playlist.Path(0)));
  EXPECT_EQ(rig.window.status, "WebFetch not supported with this file!");
  EXPECT_EQ(rig.playlist.PlayingLabel(), "");
  EXPECT_EQ(rig.plugin.Count("load"), 0u);

  rig.plugin.absent.clear();
  EXPECT_TRUE(rig.player->LoadFile(rig.playlist.Path(0)));
  EXPECT_EQ(rig.player->CurrentFilePath(), "http://radio.example/live.mp3");
  EXPECT_EQ(rig.playlist.PlayingLabel(), "0Radio");
  EXPECT_EQ(rig.window.status, "Loaded ...");
}

TEST(PlayerLoad, FailingLoadOrMissingEntriesAskForARetry) {
  PlayerRig rig;
  rig.plugin.load_failures = 1;
  EXPECT_FALSE(rig.player->LoadFile("C:\\Music\\a.mp3"));
  EXPECT_EQ(rig.window.status, "File not loaded correctly... Retrying");

  rig.plugin.absent = {PluginEntry::length};  // called without a presence test
  EXPECT_FALSE(rig.player->LoadFile("C:\\Music\\a.mp3"));

  rig.plugin.absent = {PluginEntry::frequence, PluginEntry::bitrate, PluginEntry::layer};
  EXPECT_TRUE(rig.player->LoadFile("C:\\Music\\a.mp3"));
  EXPECT_EQ(rig.plugin.CallsSince(rig.plugin.calls.size() - 2),
            (std::vector<std::string>{"load", "length"}));
}

TEST(PlayerPlay, CallsThePluginInOrderThenTicksPoll) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3", "b.mp3"});
  rig.player->Play();
  EXPECT_EQ(rig.plugin.calls, (std::vector<std::string>{"playing", "load", "frequence", "bitrate",
                                                        "layer", "length", "play"}));
  EXPECT_EQ(rig.plugin.play_args.back(), "a.mp3");  // the display name
  EXPECT_TRUE(rig.host.TimerRunning(TimerId::Position));
  EXPECT_TRUE(rig.playlist.IsSelected(0));
  for (B b :
       {B::Play, B::Stop, B::Pause, B::FastForward, B::Rewind, B::NextTrack, B::PrevTrack, B::Open})
    EXPECT_TRUE(rig.player->ButtonEnabled(b)) << static_cast<int>(b);
  EXPECT_TRUE(rig.window.buttons[B::Stop]);

  const size_t mark = rig.plugin.calls.size();
  rig.plugin.position_ms = 1000;
  rig.host.Fire(TimerId::Position);
  rig.host.Fire(TimerId::Position);
  EXPECT_EQ(rig.plugin.CallsSince(mark),
            (std::vector<std::string>{"playing", "getposition", "playing", "getposition"}));
}

TEST(PlayerPlay, SelectsThePlayingRowUnlessSeveralAreSelected) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3", "b.mp3", "c.mp3"});
  rig.playlist.SelectOnly(0);
  rig.StartPlaying(2);
  EXPECT_FALSE(rig.playlist.IsSelected(0));
  EXPECT_TRUE(rig.playlist.IsSelected(2));

  rig.playlist.SetSelected(0, true);  // two marked now
  rig.StartPlaying(1);
  EXPECT_EQ(rig.playlist.SelectedCount(), 2u);
  EXPECT_FALSE(rig.playlist.IsSelected(1));
}

TEST(PlayerPlay, StopsTheRunningFileAndRestoresTheVolume) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3", "b.mp3"});
  rig.StartPlaying(0);
  rig.volume.level = 17;
  rig.player->SetSavedVolume(180);
  const size_t mark = rig.plugin.calls.size();
  rig.StartPlaying(1);
  auto calls = rig.plugin.CallsSince(mark);
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "playing");
  EXPECT_EQ(calls[2], "stop");
  EXPECT_EQ(rig.volume.level, 180);
  EXPECT_EQ(rig.window.volume_slider, 180);
}

TEST(PlayerPlay, EmptyPlaylist) {
  PlayerRig rig;
  rig.player->SetButtonEnabled(B::Play, true);
  rig.player->Play();
  EXPECT_EQ(rig.window.status, "No files in playlist !");
  EXPECT_FALSE(rig.player->ButtonEnabled(B::Play));
  EXPECT_TRUE(rig.plugin.calls.empty());
}

TEST(PlayerPlay, ElevenFailedLoadsSkipToTheNextTrack) {
  PlayerRig rig;
  rig.AddFiles({"bad.mp3", "good.mp3"});
  rig.plugin.load_failures = 11;
  rig.player->Play();
  std::vector<std::string> expected(11, "C:\\Music\\bad.mp3");
  expected.push_back("C:\\Music\\good.mp3");
  EXPECT_EQ(rig.plugin.load_args, expected);
  EXPECT_EQ(rig.window.CountOf("File not loaded correctly... Retrying"), 11u);
  EXPECT_TRUE(rig.window.Has("Failed loading the file ... Skipping"));
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
  EXPECT_EQ(rig.plugin.play_args, (std::vector<std::string>{"good.mp3"}));
}

TEST(PlayerPlay, AFileWhoseLoadFaultsInThePlugInIsSkippedWithoutRetries) {
  PlayerRig rig;
  rig.AddFiles({"bad.mp3", "worse.mp3"});
  rig.plugin.load_crashes = true;
  rig.player->Play();
  EXPECT_EQ(rig.plugin.load_args,
            (std::vector<std::string>{"C:\\Music\\bad.mp3", "C:\\Music\\worse.mp3"}));
  EXPECT_TRUE(rig.window.Has("No playable file in playlist !"));
  EXPECT_TRUE(rig.plugin.play_args.empty());
}

TEST(PlayerPlay, APlayAskedWhileAFileIsRetriedIsMadeAfterTheSkip) {
  PlayerRig rig;
  rig.AddFiles({"bad.mp3", "good.mp3"});
  rig.plugin.load_failures = 11;
  // A second press comes in among the messages of the first retry's wait.
  bool pressed = false;
  rig.host.on_pump = [&] {
    if (!pressed) {
      pressed = true;
      rig.player->Play();
    }
  };
  rig.player->Play();
  ASSERT_TRUE(pressed);
  EXPECT_EQ(std::count(rig.plugin.load_args.begin(), rig.plugin.load_args.end(),
                       "C:\\Music\\bad.mp3"),
            11);
  // The file being skipped is not played: the second press plays what the first left.
  EXPECT_EQ(rig.plugin.play_args, (std::vector<std::string>{"good.mp3", "good.mp3"}));
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
}

TEST(PlayerPlay, ANothingLoadsPlaylistGivesUpInsteadOfLoopingForEver) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3", "b.mp3", "c.mp3"});
  rig.plugin.load_failures = 1000000;
  rig.player->Play();
  EXPECT_EQ(rig.plugin.Count("load"), 33u);  // eleven attempts at each entry
  EXPECT_EQ(rig.window.status, "No playable file in playlist !");
  EXPECT_EQ(rig.plugin.Count("play"), 0u);
}

TEST(PlayerPlay, MissingPlayEntryReachesTheErrorHandler) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.plugin.absent = {PluginEntry::play};
  rig.player->Play();
  ASSERT_EQ(rig.player->ErrorList().size(), 1u);
  EXPECT_EQ(rig.window.status, "Error : " + rig.player->ErrorList()[0]);
  EXPECT_FALSE(rig.player->ButtonEnabled(B::Stop));
}

TEST(PlayerPlay, UnsupportedEntryStillCallsPlay) {
  PlayerRig rig;
  rig.AddFiles({"a.xyz"});
  rig.selector.unsupported = {"xyz"};
  rig.player->Play();
  EXPECT_TRUE(rig.window.Has("Non-supported file"));
  EXPECT_EQ(rig.plugin.Count("load"), 0u);
  EXPECT_EQ(rig.plugin.Count("play"), 1u);
}

TEST(PlayerPlay, RowsRemovedWhileThePlugInIsChosenLeaveTheNameBeingLoadedIntact) {
  PlayerRig rig;
  rig.AddFiles({"a-long-enough-name-to-live-on-the-heap.mp3", "b.mp3"});
  // Choosing the plug-in runs window messages; the user's "remove all" is among them.
  rig.selector.on_select = [&](const std::string&) { rig.playlist.Clear(); };
  rig.StartPlaying(0);
  EXPECT_EQ(rig.plugin.load_args,
            (std::vector<std::string>{"C:\\Music\\a-long-enough-name-to-live-on-the-heap.mp3"}));
}

TEST(PlayerPlay, ATickArrivingInsideTheLoadDoesNotChangeTrack) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3", "b.mp3", "c.mp3"});
  rig.StartPlaying(0);
  // The first file has just ended; the user picks entry 1 while the position timer runs.
  rig.plugin.is_playing = false;
  rig.plugin.is_ended = true;
  bool queued = false;
  rig.plugin.on_call = [&](const std::string& entry) {
    if (entry == "load" && !queued) {
      queued = true;
      rig.host.QueueTick(TimerId::Position);
    }
  };
  rig.plugin.load_args.clear();
  rig.StartPlaying(1);
  EXPECT_TRUE(queued);
  EXPECT_EQ(rig.plugin.load_args, (std::vector<std::string>{"C:\\Music\\b.mp3"}));
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
  EXPECT_TRUE(rig.host.TimerRunning(TimerId::Position));
}

// The program can begin to close inside any pump of the player (another program sends
// Exit while a load, a track change or a fade lets messages run). What was interrupted
// ends there: no further plug-in call, no timer, no change of the entry.
TEST(PlayerClosing, AShutdownInsideAPumpEndsTheInterruptedOperation) {
  struct Case {
    const char* name;
    bool fade_in;
  };
  for (const Case& c : {Case{"load", false}, Case{"fade-in", true}}) {
    PlayerRig rig;
    rig.AddFiles({"bad.mp3", "b.mp3"});
    rig.settings.Set(&PlayerSettings::Fadeplay, c.fade_in);
    rig.plugin.load_failures = c.fade_in ? 0 : 100;  // without the shutdown: retries, a skip
    size_t calls_at_close = 0;
    rig.host.on_pump = [&] {
      if (rig.player->Closing() || rig.plugin.Count("load") == 0) return;
      ASSERT_TRUE(rig.player->BeginClosing());
      rig.plugin.Unload();  // the shutdown de-initialises and frees the library
      calls_at_close = rig.plugin.calls.size();
    };
    rig.player->Play();
    if (c.fade_in) rig.host.RunUntilStopped(TimerId::PlayFadeIn, 20);
    ASSERT_TRUE(rig.player->Closing()) << c.name;
    EXPECT_EQ(rig.plugin.calls.size(), calls_at_close) << c.name;
    EXPECT_EQ(rig.playlist.CurrentIndex(), 0) << c.name;
    for (TimerId id : {TimerId::Position, TimerId::SeekStatus, TimerId::PlayFadeIn,
                       TimerId::StopFadeOut, TimerId::PauseFadeIn, TimerId::PauseFadeOut})
      EXPECT_FALSE(rig.host.TimerRunning(id)) << c.name << " " << static_cast<int>(id);

    // Afterwards nothing starts again, and the shutdown happens once.
    rig.host.on_pump = nullptr;
    rig.player->Play();
    rig.player->NextTrack();
    rig.player->FadeInPlay();
    rig.player->PlayOutsidePlaylist("C:\\Music\\b.mp3");
    EXPECT_EQ(rig.plugin.calls.size(), calls_at_close) << c.name;
    EXPECT_EQ(rig.playlist.CurrentIndex(), 0) << c.name;
    EXPECT_FALSE(rig.host.TimerRunning(TimerId::Position)) << c.name;
    EXPECT_FALSE(rig.host.TimerRunning(TimerId::PlayFadeIn)) << c.name;
    EXPECT_FALSE(rig.player->BeginClosing()) << c.name;
  }
}

TEST(PlayerStop, StopsThePluginAndShowsTheStoppedState) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.StartPlaying(0);
  rig.player->Stop();
  EXPECT_EQ(rig.plugin.Count("stop"), 1u);
  EXPECT_EQ(rig.window.status, "Stopped");
  EXPECT_EQ(rig.playlist.PlayingLabel(), "none");
  EXPECT_EQ(rig.window.position_time, "00:00");
  EXPECT_FALSE(rig.host.TimerRunning(TimerId::Position));
  EXPECT_TRUE(rig.player->ButtonEnabled(B::Play));
  EXPECT_TRUE(rig.player->ButtonEnabled(B::Open));
  for (B b : {B::Stop, B::Pause, B::FastForward, B::Rewind})
    EXPECT_FALSE(rig.player->ButtonEnabled(b));

  rig.player->Stop();  // not playing: no stop call
  EXPECT_EQ(rig.plugin.Count("stop"), 1u);

  rig.StartPlaying(0);
  rig.plugin.failing = {PluginEntry::stop};
  rig.player->Stop();
  EXPECT_TRUE(rig.window.Has("Failed to stop"));
  EXPECT_FALSE(rig.player->ButtonEnabled(B::Stop));
  EXPECT_TRUE(rig.player->ErrorList().empty());
}

TEST(PlayerPause, TogglesAndRestoresTheVolume) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.StartPlaying(0);
  rig.host.left_button = true;  // clicked with the mouse: remember the level
  rig.volume.level = 150;
  rig.player->Pause();
  EXPECT_EQ(rig.window.status, "Paused");
  EXPECT_EQ(rig.player->SavedVolume(), 150);
  EXPECT_FALSE(rig.window.pause_fadeout);
  EXPECT_TRUE(rig.window.pause_fadein);

  rig.host.left_button = false;
  rig.volume.level = 20;
  rig.player->Pause();
  EXPECT_EQ(rig.window.status, "Playing");
  EXPECT_EQ(rig.volume.level, 150);
  EXPECT_TRUE(rig.window.pause_fadeout);
  EXPECT_FALSE(rig.window.pause_fadein);

  // Without pause/paused entries the player can only say it paused.
  rig.plugin.absent = {PluginEntry::pause, PluginEntry::paused};
  rig.player->Pause();
  EXPECT_EQ(rig.window.status, "Paused");
  EXPECT_TRUE(rig.player->ErrorList().empty());
}

TEST(PlayerTrack, NextAndPreviousWrapAround) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3", "b.mp3", "c.mp3"});
  rig.StartPlaying(2);
  fakes::RecordingSink sink;  // a design library draws the player from here on
  rig.display.SetDesignSink(&sink);
  rig.player->NextTrack();
  EXPECT_EQ(rig.playlist.CurrentIndex(), 0);
  EXPECT_EQ(rig.plugin.load_args.back(), "C:\\Music\\a.mp3");
  EXPECT_EQ(sink.statuses.front(), "Going to next track");
  rig.player->PrevTrack();
  EXPECT_EQ(rig.playlist.CurrentIndex(), 2);
  EXPECT_EQ(rig.plugin.load_args.back(), "C:\\Music\\c.mp3");
  EXPECT_EQ(sink.indexes, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(rig.plugin.Count("stop"), 2u);  // each change stops the playing file first
}

TEST(PlayerTrack, WithoutAutoplayOnlyTheIndexMoves) {
  PlayerRig rig;
  rig.settings.Set(&PlayerSettings::autoplay, false);
  rig.AddFiles({"a.mp3", "b.mp3"});
  rig.player->NextTrack();
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
  rig.player->PrevTrack();
  rig.player->PrevTrack();
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
  EXPECT_EQ(rig.plugin.Count("load"), 0u);
  EXPECT_EQ(rig.window.status, "Going to previous track");
}

TEST(PlayerTrack, EmptyListAndStaleIndexStayInRange) {
  PlayerRig rig;
  rig.settings.Set(&PlayerSettings::autoplay, false);
  rig.player->PrevTrack();
  EXPECT_EQ(rig.playlist.CurrentIndex(), 0);
  rig.AddFiles({"a.mp3", "b.mp3"});
  rig.playlist.SetCurrentIndex(7);  // rows were removed under it
  rig.player->PrevTrack();
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
}

TEST(PlayerTrack, RandomPlayDrawsFromTheSharedGenerator) {
  PlayerRig rig;
  rig.settings.Set(&PlayerSettings::Randomplay, true);
  rig.settings.Set(&PlayerSettings::autoplay, false);
  rig.AddFiles({"a", "b", "c", "d", "e", "f", "g"});
  RandomGenerator expected;
  for (int i = 0; i < 5; ++i) {
    rig.player->NextTrack();
    EXPECT_EQ(rig.playlist.CurrentIndex(), expected.Next(7));
  }
  rig.player->PrevTrack();
  EXPECT_EQ(rig.playlist.CurrentIndex(), expected.Next(7));
}

TEST(PlayerSeek, RewindAndFastForwardMoveTheSliderAndSeek) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.StartPlaying(0);                    // 300,000 ms: scale 3
  rig.player->PositionSliderChanged(10);  // the user moved it
  rig.player->Rewind();
  EXPECT_EQ(rig.window.position, 7);
  EXPECT_EQ(rig.plugin.jumps.back(), 21);
  rig.player->PositionSliderChanged(3);
  rig.player->Rewind();
  EXPECT_EQ(rig.window.position, 0);
  EXPECT_EQ(rig.window.status, "Playing");
  EXPECT_TRUE(rig.host.TimerRunning(TimerId::SeekStatus));

  rig.player->PositionSliderChanged(100);
  rig.player->FastForward();
  EXPECT_EQ(rig.plugin.jumps.back(), 312);
  EXPECT_EQ(rig.window.status, "Fast Forward");
  EXPECT_EQ(rig.window.titles.back(), rig.player->SavedTitle());

  rig.plugin.failing = {PluginEntry::jumpto};
  rig.player->FastForward();
  EXPECT_TRUE(rig.window.Has("Failed skipping"));
  EXPECT_TRUE(rig.player->ErrorList().empty());

  rig.host.Fire(TimerId::SeekStatus);
  EXPECT_FALSE(rig.host.TimerRunning(TimerId::SeekStatus));
  EXPECT_EQ(rig.window.status, "http://velmora.example/");
}

TEST(PlayerSeek, SliderSeeksOnlyWhenHeldAndPlaying) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.StartPlaying(0);
  rig.host.left_button = true;
  rig.player->PositionSliderChanged(33333);  // not tracking yet
  EXPECT_NE(rig.window.status.rfind("Seeking", 0), 0u);

  rig.player->PositionSliderFocus(true);
  rig.player->PositionSliderChanged(33333);  // 99,999 ms
  EXPECT_EQ(rig.window.status, "Seeking to : 01:39/05:00");
  EXPECT_TRUE(rig.plugin.jumps.empty());
  rig.host.shift = true;  // live seeking
  rig.player->PositionSliderChanged(40000);
  EXPECT_EQ(rig.plugin.jumps, (std::vector<int32_t>{120000}));

  // The position tick leaves the held slider alone.
  rig.window.SetPositionValue(40000);
  rig.plugin.position_ms = 3000;
  rig.host.Fire(TimerId::Position);
  EXPECT_EQ(rig.window.position, 40000);

  rig.host.left_button = false;
  // A position tick that runs inside the release does not change where it goes.
  rig.host.QueueTick(TimerId::Position);
  rig.player->PositionSliderReleased(40000);
  EXPECT_EQ(rig.plugin.jumps.back(), 120000);
  rig.player->PositionSliderFocus(false);
  EXPECT_FALSE(rig.player->SliderTracking());

  rig.player->Stop();
  rig.window.SetPositionValue(500);
  rig.player->PositionSliderClicked();
  EXPECT_EQ(rig.window.position, 0);
  EXPECT_FALSE(rig.player->SliderTracking());
}

TEST(PlayerOpen, AddsTheChosenFilesAndPlays) {
  PlayerRig rig;
  rig.AddFiles({"old.mp3"});
  rig.playlist.SetCurrentIndex(0);
  rig.host.dialog_files = {"D:\\x\\one.mp3", "D:\\x\\missing.m3u", "D:\\x\\Skin.WSZ",
                           "D:\\x\\two.mp3"};
  rig.player->OpenFiles();
  EXPECT_EQ(rig.playlist.Names(), (std::vector<std::string>{"old.mp3", "one.mp3", "two.mp3"}));
  EXPECT_EQ(rig.host.skin_archives,
            (std::vector<std::string>{"D:\\x\\Skin.WSZ"}));  // a design, not a song
  EXPECT_EQ(rig.playlist.TrackCountText(), "2");
  EXPECT_EQ(rig.playlist.CurrentIndex(), 0);
  EXPECT_EQ(rig.plugin.Count("play"), 1u);
  EXPECT_TRUE(rig.window.Has("Opening"));

  // A cancelled dialog with autoplay off: Play is enabled, the count refreshed.
  PlayerRig idle;
  idle.settings.Set(&PlayerSettings::autoplay, false);
  idle.AddFiles({"a.mp3", "b.mp3"});
  idle.player->OpenFiles();
  EXPECT_TRUE(idle.player->ButtonEnabled(B::Play));
  EXPECT_EQ(idle.playlist.TrackCountText(), "1");
  EXPECT_EQ(idle.plugin.Count("play"), 0u);
}

// In a fresh run the open dialog's files arrive before any plug-in is loaded; with
// autoplay set they play, loading the plug-in on the way.
TEST(PlayerOpen, AutoPlaysBeforeAnyPluginIsLoaded) {
  PlayerRig rig;
  rig.plugin.Unload();
  rig.selector.on_select = [&](const std::string&) {
    if (rig.plugin.Name().empty()) rig.plugin.LoadAs("fake.dll");
  };
  rig.host.dialog_files = {"D:\\x\\one.mp3"};
  rig.player->OpenFiles();
  EXPECT_EQ(rig.plugin.load_args, (std::vector<std::string>{"D:\\x\\one.mp3"}));
  EXPECT_EQ(rig.plugin.Count("play"), 1u);
  EXPECT_TRUE(rig.player->ButtonEnabled(B::Stop));
  EXPECT_TRUE(rig.player->ErrorList().empty());

  // A loaded plug-in that cannot tell whether it plays, or faults when asked, is not
  // handed a new song; Play is enabled instead and nothing is reported as an error.
  for (bool fault : {false, true}) {
    PlayerRig unsure;
    if (fault)
      unsure.plugin.failing.insert(PluginEntry::playing);
    else
      unsure.plugin.absent.insert(PluginEntry::playing);
    unsure.host.dialog_files = {"D:\\x\\one.mp3"};
    unsure.player->OpenFiles();
    EXPECT_EQ(unsure.plugin.Count("load"), 0u);
    EXPECT_TRUE(unsure.player->ButtonEnabled(B::Play));
    EXPECT_EQ(unsure.playlist.TrackCountText(), "0");
    EXPECT_TRUE(unsure.player->ErrorList().empty());
  }
}

}  // namespace
}  // namespace velmora
