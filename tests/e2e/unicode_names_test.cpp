// Files named in Japanese, Cyrillic, accented Latin and with an emoji: given on the command
// line, dropped and found by the folder scan they play, the playlist rows, the title and
// the task-bar title show them read back in UTF-16, and they are still there and play after
// a restart.
#include "audio_support.h"

#include <gtest/gtest.h>

namespace velmora::e2e {
namespace {

using namespace audio;

const std::string kJapanese =
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x80\x93 caf\xC3\xA9 \xF0\x9F\x8E\xB5.mp3";
const std::string kCyrillic =
    "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0.mp3";
const std::string kAccented = "\xC3\x85ngstr\xC3\xB6m \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80.mp3";
const std::string kFolder = "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 m\xC3\xBAsica";

class UnicodeNames : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AudioSink::Available()) << "VELMORA_AUDIO_SINK is not set (run by scripts/test.sh)";
    WriteSettings({});
    const std::string tone = MediaFolder() + "\\sine_1k_5s.mp3";
    media_ = Utf8FromCodePage(folder_.File("media"));
    CreateDirectoryW(WideOf(media_).c_str(), nullptr);
    CreateDirectoryW(WideOf(media_ + "\\" + kFolder).c_str(), nullptr);
    for (const std::string& name :
         {"\\" + kJapanese, "\\" + kCyrillic, "\\" + kFolder + "\\" + kAccented})
      ASSERT_TRUE(CopyFileUtf8(Utf8FromCodePage(tone), media_ + name)) << name;
  }

  HWND Start(PlayerProcess& player, const std::string& arguments) {
    LaunchOptions options;
    options.arguments = arguments;
    options.utf8_arguments = true;
    HWND main = StartReady(player, folder_, options);
    playlist_ = PlaylistWindow(player);
    return main && playlist_ ? main : nullptr;
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < ListCount(playlist_, ids::pl); ++i)
      rows.push_back(WideListText(playlist_, ids::pl, i));
    return rows;
  }

  // The track named `name` is the one playing: title, task-bar title, sound.
  void ExpectPlaying(HWND main, const std::string& name) {
    AudioSink sink;
    EXPECT_TRUE(WaitUntil([&] {
      return WideWindowText(Control(main, ids::Banner1)).find(name) != std::string::npos;
    })) << WideWindowText(Control(main, ids::Banner1));
    EXPECT_TRUE(WaitUntil([&] {
      return WideWindowText(GetWindow(main, GW_OWNER)).find(name) != std::string::npos;
    })) << WideWindowText(GetWindow(main, GW_OWNER));
    EXPECT_TRUE(sink.WaitForBytes(kBytesPerSecond / 2)) << name << " did not play";
  }

  TestFolder folder_;
  HWND playlist_ = nullptr;
  std::string media_;  // UTF-8
};

TEST_F(UnicodeNames, PlayAndShowFromTheCommandLineADropAndAScanAndAfterARestart) {
  PlayerProcess player;
  HWND main = Start(player, Quoted(media_ + "\\" + kJapanese));
  ASSERT_TRUE(main);
  ExpectPlaying(main, kJapanese.substr(0, kJapanese.size() - 4));
  EXPECT_EQ(WideListText(playlist_, ids::pl, 0), kJapanese);

  ASSERT_TRUE(DropFilesUtf8(playlist_, {media_ + "\\" + kCyrillic}));
  ASSERT_TRUE(WaitUntil([&] { return ListCount(playlist_, ids::pl) == 2; }));
  HWND chooser = Control(playlist_, ids::DirectoryEdit1);
  const std::wstring scanned = WideOf(media_ + "\\" + kFolder);
  SendMessageW(chooser, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(scanned.c_str()));
  ASSERT_TRUE(WaitUntil([&] { return ListCount(playlist_, ids::pl) == 3; }));
  const std::vector<std::string> expected{kJapanese, kCyrillic, kAccented};
  EXPECT_EQ(Rows(), expected);
  EXPECT_EQ(WideListText(playlist_, ids::pathbox, 2), media_ + "\\" + kFolder + "\\" + kAccented);

  ASSERT_EQ(SendRegistered(main, "VelmoraNext"), 0);
  ExpectPlaying(main, kCyrillic.substr(0, kCyrillic.size() - 4));
  ASSERT_EQ(SendRegistered(main, "VelmoraNext"), 0);
  ExpectPlaying(main, kAccented.substr(0, kAccented.size() - 4));
  ASSERT_TRUE(player.Close());
  ASSERT_TRUE(player.WaitForExit(5000).has_value());

  // The saved playlist brings every name back, and they play.
  PlayerProcess again;
  main = Start(again, "");
  ASSERT_TRUE(main);
  EXPECT_TRUE(WaitUntil([&] { return Rows() == expected; })) << ::testing::PrintToString(Rows());
  ASSERT_EQ(SendRegistered(main, "VelmoraPlay"), 0);
  const int current = std::atoi(CurrentIndexText(again).c_str());
  ASSERT_TRUE(current >= 0 && current < 3) << CurrentIndexText(again);
  const std::string& name = expected[static_cast<size_t>(current)];
  ExpectPlaying(main, name.substr(0, name.size() - 4));
}

}  // namespace
}  // namespace velmora::e2e
