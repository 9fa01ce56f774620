// Fades on the wave-output volume and the volume slider.
#include <gtest/gtest.h>

#include "fakes/player_fakes.h"

namespace velmora {
namespace {

using fakes::PlayerRig;

std::vector<std::string> StatusesStartingWith(const std::vector<std::string>& all,
                                              const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& s : all)
    if (s.rfind(prefix, 0) == 0) out.push_back(s);
  return out;
}

TEST(Fades, StopFadeOutFrom250StepsDownThenStops) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.StartPlaying(0);
  rig.settings.Set(&PlayerSettings::Fadestop, true);
  rig.volume.level = 250;
  rig.player->Stop();
  EXPECT_EQ(rig.window.status, "Fade out started");
  EXPECT_EQ(rig.player->SavedVolume(), 250);
  EXPECT_FALSE(rig.host.TimerRunning(TimerId::Position));
  EXPECT_TRUE(rig.plugin.is_playing);

  EXPECT_EQ(rig.host.RunUntilStopped(TimerId::StopFadeOut), 51);
  const auto steps = StatusesStartingWith(rig.window.statuses, "Fade out : volume at ");
  ASSERT_EQ(steps.size(), 50u);
  EXPECT_EQ(steps[0], "Fade out : volume at 100%");
  EXPECT_EQ(steps[1], "Fade out : volume at 98%");
  EXPECT_EQ(steps.back(), "Fade out : volume at 2%");
  EXPECT_EQ(rig.volume.level, 0);
  EXPECT_EQ(rig.window.volume_slider, 0);
  EXPECT_TRUE(rig.window.Has("Fade out done"));
  EXPECT_EQ(rig.window.status, "Stopped");
  EXPECT_FALSE(rig.plugin.is_playing);
  EXPECT_TRUE(rig.window.volume_slider_enabled);
  EXPECT_FALSE(rig.window.volume_slider_enabled_history.front());

  // The next Play brings the saved level back.
  rig.settings.Set(&PlayerSettings::Fadestop, false);
  rig.player->Play();
  EXPECT_EQ(rig.volume.level, 250);
}

TEST(Fades, NextTrackDuringAStopFadeKeepsTheNewTrackPlaying) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3", "b.mp3"});
  rig.StartPlaying(0);
  rig.settings.Set(&PlayerSettings::Fadestop, true);
  rig.volume.level = 250;
  rig.player->SetSavedVolume(250);
  rig.player->NextTrack();
  EXPECT_EQ(rig.plugin.play_args.back(), "b.mp3");
  EXPECT_FALSE(rig.host.TimerRunning(TimerId::StopFadeOut));
  EXPECT_EQ(rig.volume.level, 250);
  EXPECT_TRUE(rig.window.volume_slider_enabled);
  rig.host.RunUntilStopped(TimerId::StopFadeOut);
  EXPECT_TRUE(rig.plugin.is_playing);
}

TEST(Fades, StopAtLowVolumeStopsAtOnce) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.StartPlaying(0);
  rig.settings.Set(&PlayerSettings::Fadestop, true);
  rig.volume.level = 5;
  rig.player->Stop();
  EXPECT_FALSE(rig.host.TimerRunning(TimerId::StopFadeOut));
  EXPECT_EQ(rig.window.status, "Stopped");
  EXPECT_EQ(rig.plugin.Count("stop"), 1u);
}

TEST(Fades, PlayFadeInRisesToTheSavedVolume) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.settings.Set(&PlayerSettings::Fadeplay, true);
  rig.player->SetSavedVolume(200);
  rig.player->Play();
  EXPECT_EQ(rig.volume.level, 4);
  EXPECT_TRUE(rig.host.TimerRunning(TimerId::PlayFadeIn));
  EXPECT_EQ(rig.plugin.Count("play"), 0u);

  rig.host.RunUntilStopped(TimerId::PlayFadeIn);
  EXPECT_EQ(rig.plugin.Count("load"), 1u);
  EXPECT_EQ(rig.plugin.Count("play"), 1u);
  EXPECT_TRUE(rig.window.Has("Fade in started"));
  const auto steps = StatusesStartingWith(rig.window.statuses, "Fade in : volume at ");
  ASSERT_EQ(steps.size(), 39u);  // 9, 14, ..., 199
  EXPECT_EQ(steps.front(), "Fade in : volume at 3%");
  EXPECT_EQ(steps.back(), "Fade in : volume at 79%");
  EXPECT_EQ(rig.volume.level, 199);
  EXPECT_EQ(rig.window.status, "Fade in done");
  EXPECT_TRUE(rig.window.volume_slider_enabled);
  EXPECT_TRUE(rig.host.TimerRunning(TimerId::Position));
}

TEST(Fades, FadeInToALowSavedVolumeEndsAtOnce) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.player->SetSavedVolume(3);
  rig.player->FadeInPlay();
  EXPECT_EQ(rig.host.RunUntilStopped(TimerId::PlayFadeIn), 1);
  EXPECT_EQ(rig.plugin.Count("play"), 1u);
  EXPECT_EQ(rig.volume.level, 4);
  EXPECT_EQ(rig.window.status, "Fade in done");
}

TEST(Fades, WithoutADeviceFadesEndInsteadOfRestartingPlayback) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.volume.device = false;
  rig.player->SetSavedVolume(200);
  rig.player->FadeInPlay();
  EXPECT_LT(rig.host.RunUntilStopped(TimerId::PlayFadeIn), 5);
  EXPECT_EQ(rig.plugin.Count("play"), 1u);
  EXPECT_EQ(rig.window.status, "Fade in done");

  rig.player->FadeOutStop();
  EXPECT_EQ(rig.host.RunUntilStopped(TimerId::StopFadeOut), 1);
  EXPECT_EQ(rig.window.status, "Stopped");
}

TEST(Fades, PauseFadesOutIntoPauseAndBackIn) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.StartPlaying(0);
  rig.settings.Set(&PlayerSettings::Fadepause, true);
  rig.volume.level = 100;
  rig.player->Pause();
  EXPECT_EQ(rig.window.status, "Fade out started");
  EXPECT_FALSE(rig.window.pause_fadeout);
  EXPECT_TRUE(rig.window.pause_fadein);
  EXPECT_EQ(rig.player->SavedVolume(), 100);
  rig.host.RunUntilStopped(TimerId::PauseFadeOut);
  EXPECT_TRUE(rig.plugin.is_paused);
  EXPECT_EQ(rig.window.status, "Paused");

  rig.player->Pause();  // paused now: fade back in
  EXPECT_EQ(rig.volume.level, 4);
  EXPECT_TRUE(rig.window.pause_fadeout);
  EXPECT_FALSE(rig.window.pause_fadein);
  rig.host.RunUntilStopped(TimerId::PauseFadeIn);
  EXPECT_FALSE(rig.plugin.is_paused);
  EXPECT_EQ(rig.plugin.Count("pause"), 2u);
  EXPECT_EQ(rig.volume.level, 99);
  EXPECT_EQ(rig.window.status, "Fade in done");
}

TEST(Fades, NestedTicksOfTheSameFadeAreIgnored) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.player->SetSavedVolume(200);
  rig.player->FadeInPlay();
  // Window messages run inside the load the first tick starts; a second tick of the
  // same timer arrives there.
  rig.plugin.on_call = [&](const std::string& entry) {
    if (entry == "load") rig.host.QueueTick(TimerId::PlayFadeIn);
  };
  rig.host.Fire(TimerId::PlayFadeIn);
  EXPECT_EQ(rig.plugin.Count("load"), 1u);
  EXPECT_EQ(rig.volume.level, 9);
}

TEST(VolumeSlider, DraggingSetsVolumeAndPercentage) {
  PlayerRig rig;
  rig.host.left_button = true;
  rig.player->VolumeSliderChanged(125);
  EXPECT_EQ(rig.volume.level, 125);
  EXPECT_EQ(rig.player->SavedVolume(), 125);
  EXPECT_EQ(rig.window.status, "Volume : 50%");
  EXPECT_EQ(rig.window.volume_thumb, 7);

  rig.host.left_button = false;  // moved by the program: only the picture follows
  rig.player->VolumeSliderChanged(250);
  EXPECT_EQ(rig.volume.level, 125);
  EXPECT_EQ(rig.window.volume_thumb, 11);
  for (auto [value, image] : {std::pair{21, 2}, {40, 2}, {41, 3}, {200, 10}, {201, 11}}) {
    rig.player->VolumeSliderChanged(value);
    EXPECT_EQ(rig.window.volume_thumb, image) << value;
  }
  rig.player->VolumeSliderChanged(20);
  EXPECT_EQ(rig.window.volume_thumb, 11);  // unchanged at 0-20

  rig.player->SetVolumeRulerImage(true);
  rig.player->VolumeSliderChanged(100);
  EXPECT_EQ(rig.window.volume_thumb, 11);

  rig.player->VolumeSliderChanged(150, true);  // a key on the focused slider, as a drag
  EXPECT_EQ(rig.volume.level, 150);
  EXPECT_EQ(rig.window.status, "Volume : 60%");
}

// A design without a volume ruler raises the slider by one from what it shows (the
// player's own record, not the control), within its range; the thumb follows.
TEST(VolumeSlider, RaisedByOneFromTheValueShownWithinTheRange) {
  PlayerRig rig;
  rig.player->ShowVolumeSlider(99);
  rig.player->RaiseVolumeSliderByOne();
  EXPECT_EQ(rig.window.volume_slider, 100);
  EXPECT_EQ(rig.window.volume_thumb, 5);
  EXPECT_EQ(rig.volume.level, 200);  // the device is not moved
  rig.player->ShowVolumeSlider(255);  // a device level above the slider's range
  rig.player->RaiseVolumeSliderByOne();
  EXPECT_EQ(rig.window.volume_slider, 250);
  EXPECT_EQ(rig.window.volume_thumb, 11);
}

}  // namespace
}  // namespace velmora
