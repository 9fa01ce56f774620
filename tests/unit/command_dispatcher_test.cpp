// The "only while enabled" rules of the one command path: a key or menu entry refuses a
// disabled button saying so, another program is told it was refused, a button's own press
// (or a design library's) runs.
#include <gtest/gtest.h>

#include "fakes/command_fakes.h"

namespace velmora {
namespace {

using fakes::CommandRig;
using B = TransportButton;
using K = CommandKind;
using S = CommandSource;

TEST(CommandDispatcher, ShortcutsRefuseDisabledButtonsAndSaySo) {
  CommandRig rig;
  rig.AddFiles({"a.mp3", "b.mp3"});
  for (K kind : {K::Play, K::Stop, K::Pause, K::NextTrack, K::PrevTrack})
    EXPECT_EQ(rig.Run(kind), CommandResult::Refused);
  EXPECT_EQ(rig.window.statuses, (std::vector<std::string>{
                                     "Play not enable !", "Stop not enable !", "Pause not enable !",
                                     "NextTrack not enable !", "PrevTrack not enable !"}));
  EXPECT_TRUE(rig.plugin.calls.empty());

  rig.player->SetButtonEnabled(B::Play, true);
  EXPECT_EQ(rig.Run(K::Play), CommandResult::Done);
  EXPECT_EQ(rig.window.statuses[5], "Pushed on play !");
  EXPECT_EQ(rig.plugin.Count("play"), 1u);
  rig.Run(K::NextTrack);
  EXPECT_TRUE(rig.window.Has("Pushed on NextTrack !"));
  EXPECT_EQ(rig.playlist.CurrentIndex(), 1);
  rig.Run(K::Stop);
  EXPECT_EQ(rig.window.status, "Stopped");
}

TEST(CommandDispatcher, AnotherProgramIsToldOfARefusal) {
  CommandRig rig;
  rig.AddFiles({"a.mp3"});
  EXPECT_EQ(rig.Run(K::Pause, S::OtherProgram), CommandResult::Refused);
  EXPECT_EQ(rig.window.statuses, (std::vector<std::string>{"API CALL : Pause"}))
      << "named, without the key's refusal text";
  rig.player->SetButtonEnabled(B::Play, true);
  EXPECT_EQ(rig.Run(K::Play, S::OtherProgram), CommandResult::Done);
  EXPECT_EQ(rig.plugin.Count("play"), 1u);
  EXPECT_EQ(rig.window.status, "API CALL : Play");
  EXPECT_FALSE(rig.window.Has("Pushed on play !"));
  // Commands without a button are never refused.
  EXPECT_EQ(rig.Run(K::ClearPlaylist, S::OtherProgram), CommandResult::Done);
  EXPECT_EQ(rig.windows.calls, (std::vector<std::string>{"clear"}));
}

TEST(CommandDispatcher, APressOfTheButtonRunsAndExitWaitsForMenusAndLibraries) {
  CommandRig rig;
  rig.AddFiles({"a.mp3"});
  ASSERT_FALSE(rig.player->ButtonEnabled(B::Play));
  // A design library draws the buttons itself: its press runs as the button's own.
  EXPECT_EQ(rig.Run(K::Play, S::Library), CommandResult::Done);
  EXPECT_EQ(rig.plugin.Count("play"), 1u);
  EXPECT_FALSE(rig.window.Has("Play not enable !"));

  rig.Run(K::Exit, S::Control);
  rig.Run(K::Exit, S::OtherProgram);
  rig.Run(K::Exit, S::Shortcut);
  rig.Run(K::Exit, S::Library);
  EXPECT_EQ(rig.windows.calls,
            (std::vector<std::string>{"close now", "close now", "close later", "close later"}));
}

TEST(CommandDispatcher, MenuTogglesAnnounceTheirSettings) {
  struct Counter : SettingsObserver {
    int changes = 0;
    void OnSettingsChanged() override { ++changes; }
  } counter;
  CommandRig rig;
  rig.settings.AddObserver(&counter);
  const bool loop = rig.settings->loop, easy = rig.settings->EasyMove;
  rig.Run(K::ToggleLoop);
  EXPECT_NE(rig.settings->loop, loop);
  rig.Run(K::ToggleEasyMove);
  EXPECT_NE(rig.settings->EasyMove, easy);
  EXPECT_EQ(rig.window.status, easy ? "Easymove deactivated" : "Easymove activated");
  EXPECT_EQ(counter.changes, 2) << "the menu marks and the options follow";
  rig.settings.RemoveObserver(&counter);
}

}  // namespace
}  // namespace velmora
