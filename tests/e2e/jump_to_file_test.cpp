// "Jump to file" driven from outside: the J key, the words typed letter by letter into a
// large playlist, the arrow keys, Enter playing the one entry left, Escape.
#include <gtest/gtest.h>

#include <string>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

TEST(JumpToFile, TypedWordsLeaveOneOfTwentyThousandAndEnterPlaysIt) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=60000\n"));
  // Half the names hold "tone", the other half "cafe"; one (in the code page, accented)
  // holds both.
  constexpr int kEntries = 20000;
  constexpr int kTarget = 12345;
  const std::string target_name = "Caf\xE9 del Mar - Tone.prb";
  const std::string target = folder.MakeMediaFile("music\\" + target_name);
  std::string m3u;
  for (int i = 0; i < kEntries; ++i) {
    if (i == kTarget) m3u += target + "\r\n";
    m3u +=
        "C:\\music\\" + std::to_string(i) + (i % 2 ? " Tone Poem.prb\r\n" : " CAFE Racer.prb\r\n");
  }
  folder.WriteFile("pl.m3u", m3u);

  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND playlist = player.FindWindowOfClassWait("TForm3");
  ASSERT_TRUE(WaitUntil([&] { return ListCount(playlist, ids::pl) == kEntries + 1; }, 30000));

  HWND main = player.MainWindow();
  PostMessageA(main, WM_KEYDOWN, 'J', 1);
  PostMessageA(main, WM_KEYUP, 'J', 0xC0000001);
  HWND jump = player.FindWindowOfClassWait("TForm14");
  ASSERT_NE(jump, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(jump) != FALSE; }));
  EXPECT_EQ(WindowText(jump), "Jump to file");
  EXPECT_TRUE(WaitUntil([&] { return ListCount(jump, ids::jumpList) == kEntries + 1; }));

  HWND edit = Control(jump, ids::jumpEdit);
  HWND list = Control(jump, ids::jumpList);
  // The arrow keys in the word box move the choice in the list.
  PostMessageA(edit, WM_KEYDOWN, VK_DOWN, 1);
  PostMessageA(edit, WM_KEYDOWN, VK_DOWN, 1);
  PostMessageA(edit, WM_KEYDOWN, VK_UP, 1);
  EXPECT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == 1; }));
  for (char c : std::string("cafe tone")) PostMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
  ASSERT_TRUE(WaitUntil([&] { return ListCount(jump, ids::jumpList) == 1; }))
      << ListCount(jump, ids::jumpList) << " rows for \"" << ControlText(jump, ids::jumpEdit)
      << "\"";
  EXPECT_EQ(ListText(jump, ids::jumpList, 0), target_name);

  ProbeLog log(folder);
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
  // The player runs with UTF-8 as its code page: the probe is handed the UTF-8 name.
  EXPECT_TRUE(log.WaitFor("load " + Utf8FromCodePage(target)))
      << ::testing::PrintToString(log.Lines()) << " status: " << ControlText(main, ids::banner2);
  EXPECT_TRUE(log.WaitFor("play " + Utf8FromCodePage(target_name)));
  EXPECT_TRUE(WaitForControlText(playlist, ids::plct, std::to_string(kTarget)));
  EXPECT_TRUE(WaitUntil([&] { return IsControlEnabled(main, ids::stopbut); }));
  EXPECT_FALSE(IsWindowVisible(jump));

  // J in the playlist opens it again with the words kept; Escape closes it.
  PostMessageA(Control(playlist, ids::pl), WM_KEYDOWN, 'J', 1);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(jump) != FALSE; }));
  EXPECT_EQ(ListCount(jump, ids::jumpList), 1);
  PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(jump) == FALSE; }));
}

}  // namespace
}  // namespace velmora::e2e
