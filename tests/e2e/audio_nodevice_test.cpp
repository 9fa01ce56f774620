// A system without any wave-out device: playing real files through the shipped MPEG
// plug-in says why nothing is heard, the player moves on through its list, stays usable
// and ends cleanly.
#include "audio_support.h"

#include <gtest/gtest.h>

namespace velmora::e2e {
namespace {

using namespace audio;

// The plug-in's note about the failure (a window of its own, shown without the focus).
std::string PluginNote(const PlayerProcess& player) {
  HWND note = VisibleWindowOf(player, "VelmoraMpegWindow", "MPEG plug-in");
  return note ? ControlText(note, 100) : std::string();
}

TEST(AudioNoDevice, PlayingSaysWhyAndThePlayerStaysUsable) {
  Settings settings;
  settings.Fadestop = true;  // with no device the level reads 0: stop must not fade
  WriteSettings(settings);
  TestFolder folder;
  const std::string first = CopyMedia(folder, "sine_1k_5s.mp3");
  const std::string second = CopyMedia(folder, "tag_v2.mp3");
  ASSERT_FALSE(first.empty()) << "no test media in " << MediaFolder();
  ASSERT_FALSE(second.empty());
  folder.WriteFile("pl.m3u", first + "\r\n" + second + "\r\n");

  PlayerProcess player;
  LaunchOptions options;
  options.no_audio_device = true;
  HWND main = StartReady(player, folder, options);
  ASSERT_TRUE(main) << "the player did not start without a device";
  // Volume reads give 0 without a device.
  EXPECT_EQ(SendRegistered(main, "VelmoraGetVolume"), 0);
  EXPECT_EQ(SliderPos(main, ids::volbar), 0);

  ASSERT_EQ(SendRegistered(main, "VelmoraPlay"), 0);
  EXPECT_TRUE(WaitUntil([&] { return PluginNote(player).find("No audio output device") == 0; }))
      << "note: '" << PluginNote(player) << "'";
  // Each file ends at once; the position timer goes on to the next and stops after the last.
  EXPECT_TRUE(WaitUntil([&] { return CurrentIndexText(player) == "1"; }, 20000))
      << "current index: " << CurrentIndexText(player);
  ASSERT_TRUE(WaitForStopDisplay(main, 20000)) << ControlText(main, ids::poslab);
  EXPECT_EQ(ControlText(main, ids::lengthlab), "00:05");  // the file was read all the same

  // Still answering, and the transport still works: back to the first entry, and round
  // from the last to the first; each time the list runs on to its end again.
  EXPECT_EQ(SendRegistered(main, "VelmoraNumberFiles"), 2);
  for (const char* command : {"VelmoraPrev", "VelmoraNext"}) {
    SCOPED_TRACE(command);
    ASSERT_EQ(SendRegistered(main, command), 0);
    EXPECT_EQ(CurrentIndexText(player), "0");
    EXPECT_TRUE(WaitUntil([&] {
      return ControlText(main, ids::Banner1).rfind("0sine_1k_5s.mp3    <00:05>", 0) == 0;
    })) << ControlText(main, ids::Banner1);
    EXPECT_TRUE(WaitUntil([&] { return CurrentIndexText(player) == "1"; }, 20000));
    EXPECT_TRUE(WaitUntil([&] {
      return ControlText(main, ids::Banner1).rfind("1Second Artist - Second Title", 0) == 0;
    })) << ControlText(main, ids::Banner1);
    ASSERT_TRUE(WaitForStopDisplay(main, 20000));
  }

  // Stop with the fade setting on: nothing to fade, it stops at once.
  ASSERT_EQ(SendRegistered(main, "VelmoraStop"), 0);
  EXPECT_FALSE(IsControlEnabled(main, ids::stopbut));
  EXPECT_TRUE(IsControlEnabled(main, ids::playbut));
  EXPECT_EQ(ControlText(main, ids::poslab), "00:00");
  EXPECT_EQ(SliderPos(main, ids::volbar), 0);

  // A clean end: the whole shutdown runs and the playlist is kept.
  ASSERT_TRUE(player.Close());
  EXPECT_EQ(player.WaitForExit(2000).value_or(0xFFFFFFFF), 0u) << "the player did not end cleanly";
  const std::vector<std::string> saved = ReadLines(folder.File("pl.m3u"));
  EXPECT_EQ(saved, (std::vector<std::string>{first, second}));
  EXPECT_EQ(registry::ReadDword("CurrentFile"), 1u);
}

}  // namespace
}  // namespace velmora::e2e
