// The media keys' table and what each key's command does to the player: the same
// guarded commands as the keys of the main window.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "app/media_keys.h"
#include "fakes/command_fakes.h"

namespace velmora {
namespace {

using fakes::CommandRig;
using C = MediaCommand;

TEST(MediaKeys, AppCommandsKeysAndGlobalKeysMapToTheSameCommands) {
  // APPCOMMAND_* and VK_MEDIA_* / VK_VOLUME_* numbers of the window system.
  const std::pair<uint32_t, C> app_commands[] = {
      {14, C::PlayPause}, {46, C::Play},      {47, C::Pause},    {13, C::Stop},
      {11, C::NextTrack}, {12, C::PrevTrack}, {10, C::VolumeUp}, {9, C::VolumeDown},
      {8, C::Mute},       {1, C::None},       {7, C::None},      {48, C::None}};
  for (const auto& [command, expected] : app_commands)
    EXPECT_EQ(MediaCommandForAppCommand(command), expected) << command;
  const std::pair<uint32_t, C> keys[] = {
      {0xB3, C::PlayPause}, {0xB2, C::Stop},     {0xB0, C::NextTrack},
      {0xB1, C::PrevTrack}, {0xAF, C::VolumeUp}, {0xAE, C::VolumeDown},
      {0xAD, C::Mute},      {'P', C::None},      {0x13, C::None}};
  for (const auto& [key, expected] : keys) EXPECT_EQ(MediaCommandForKey(key), expected) << key;

  // Global: the four transport media keys without modifiers (the volume keys stay the
  // system's), and seven distinct Ctrl+Alt keys; no key twice.
  std::set<std::pair<uint32_t, uint32_t>> seen;
  int media = 0, ctrl_alt = 0;
  for (const GlobalKey& key : GlobalKeys()) {
    EXPECT_TRUE(seen.insert({key.modifiers, key.virtual_key}).second) << key.virtual_key;
    if (key.group == GlobalKeyGroup::MediaKeys) {
      ++media;
      EXPECT_EQ(key.modifiers, 0u);
      EXPECT_EQ(MediaCommandForKey(key.virtual_key), key.command);
    } else {
      ++ctrl_alt;
      EXPECT_EQ(key.modifiers, 0x3u);  // MOD_ALT | MOD_CONTROL
    }
  }
  EXPECT_EQ(media, 4);
  EXPECT_EQ(ctrl_alt, 7);
}

TEST(MediaKeys, TransportGoesThroughTheGuardedCommands) {
  CommandRig rig;
  rig.dispatcher.Execute(MediaKeyCommand(C::PlayPause));
  EXPECT_EQ(rig.window.status, "Play not enable !") << "nothing to play: refused as the key P";
  rig.dispatcher.Execute(MediaKeyCommand(C::NextTrack));
  EXPECT_EQ(rig.window.status, "NextTrack not enable !");

  rig.AddFiles({"a.mp3", "b.mp3"});
  rig.StartPlaying(0);
  const size_t pauses = rig.plugin.Count("pause");
  rig.dispatcher.Execute(MediaKeyCommand(C::Play));  // playing already: nothing
  EXPECT_EQ(rig.plugin.Count("pause"), pauses);
  rig.dispatcher.Execute(MediaKeyCommand(C::PlayPause));  // pauses
  EXPECT_EQ(rig.plugin.Count("pause"), pauses + 1);
  rig.plugin.is_paused = true;
  rig.dispatcher.Execute(MediaKeyCommand(C::Pause));  // paused already: nothing
  EXPECT_EQ(rig.plugin.Count("pause"), pauses + 1);
  rig.dispatcher.Execute(MediaKeyCommand(C::Play));  // resumes
  EXPECT_EQ(rig.plugin.Count("pause"), pauses + 2);
  rig.plugin.is_paused = false;

  rig.dispatcher.Execute(MediaKeyCommand(C::Stop));
  EXPECT_FALSE(rig.player->ButtonEnabled(TransportButton::Pause));
  rig.window.statuses.clear();
  rig.dispatcher.Execute(MediaKeyCommand(C::PlayPause));  // stopped: plays again
  ASSERT_FALSE(rig.window.statuses.empty());
  EXPECT_EQ(rig.window.statuses.front(), "Pushed on play !");
  EXPECT_TRUE(rig.player->ButtonEnabled(TransportButton::Pause));
}

TEST(MediaKeys, VolumeStepsWithinTheSliderAndMuteComesBack) {
  CommandRig rig;
  rig.player->ShowVolumeSlider(245);
  rig.dispatcher.Execute(MediaKeyCommand(C::VolumeUp));
  EXPECT_EQ(rig.window.volume_slider, 250) << "kept within the slider's range";
  EXPECT_EQ(rig.volume.level, 250);
  EXPECT_EQ(rig.window.status, "Volume : 100%");
  rig.dispatcher.Execute(MediaKeyCommand(C::VolumeDown));
  EXPECT_EQ(rig.volume.level, 240);
  EXPECT_EQ(rig.player->SavedVolume(), 240) << "a pause's fade comes back to it";

  rig.dispatcher.Execute(MediaKeyCommand(C::Mute));
  EXPECT_EQ(rig.volume.level, 0);
  EXPECT_EQ(rig.window.volume_slider, 0);
  rig.dispatcher.Execute(MediaKeyCommand(C::Mute));
  EXPECT_EQ(rig.volume.level, 240);
  // A volume key while muted starts from the silence.
  rig.dispatcher.Execute(MediaKeyCommand(C::Mute));
  rig.dispatcher.Execute(MediaKeyCommand(C::VolumeUp));
  rig.dispatcher.Execute(MediaKeyCommand(C::Mute));
  EXPECT_EQ(rig.volume.level, 0) << "a second Mute after a volume key silences again";
}

}  // namespace
}  // namespace velmora
