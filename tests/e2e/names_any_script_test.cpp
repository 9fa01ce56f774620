// Names in any script reach the player from playlists and from other programs, and its
// own playlist keeps them. The probe plug-in logs the names it is handed (UTF-8: the
// player's code page is UTF-8 under its manifest); this suite's own calls are 8-bit, so
// files with such names are made through the wide API here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

constexpr char kProbeIni[] = "extensions=PRB\nlength_ms=60000\n";
const std::vector<std::string> kNames = {
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.prb",                                      // 日本語
    "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0.prb",  // Кириллица
    "caf\xC3\xA9.prb",                                                               // café
    "\xF0\x9F\x8E\xB5 song.prb"};                                                    // 🎵

std::wstring Wide(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  return wide;
}

class NamesInAnyScript : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::ClearSettings();
    folder_.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
    for (const std::string& name : kNames) {
      HANDLE file = CreateFileW(Wide(Song(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
      CloseHandle(file);
    }
  }
  void TearDown() override {
    // The folder's own clean-up uses 8-bit calls, which cannot name these files.
    player_.Close();
    for (const std::string& name : kNames) DeleteFileW(Wide(Song(name)).c_str());
  }
  std::string Song(const std::string& name) const { return folder_.Path() + "\\" + name; }
  HWND Start(const std::string& arguments = "") { return Start(player_, arguments); }
  HWND Start(PlayerProcess& player, const std::string& arguments) {
    EXPECT_TRUE(player.Start(folder_, {arguments}));
    EXPECT_TRUE(player.WaitForStartup());
    EXPECT_TRUE(ProbeLog(folder_).WaitFor("extension"));
    return player.MainWindow();
  }

  TestFolder folder_;
  PlayerProcess player_;
};

TEST_F(NamesInAnyScript, LegacyM3uAndM3u8FindTheFilesAndThePlayersPlaylistKeepsThem) {
  // An older program's .m3u: café in Windows-1252 bytes.
  folder_.WriteFile("old.m3u", "caf\xE9.prb\r\n");
  std::string m3u8 = "\xEF\xBB\xBF#EXTM3U\r\n";
  for (const std::string& name : kNames) m3u8 += name + "\r\n";
  folder_.WriteFile("names.m3u8", m3u8);

  HWND main = Start("\"" + folder_.File("old.m3u") + "\"");
  ProbeLog log(folder_);
  EXPECT_TRUE(log.WaitFor("load " + Song(kNames[2])));
  ASSERT_TRUE(DropFiles(main, {folder_.File("names.m3u8")}));
  EXPECT_TRUE(WaitUntil([&] { return SendRegistered(main, "VelmoraNumberFiles") == 5; }));
  for (size_t row = 0; row < kNames.size(); ++row) {
    const CtlResult name = RunCtl(folder_, "name " + std::to_string(row + 1));
    EXPECT_EQ(name.out, kNames[row]);  // read back through the list's UTF-16 text
  }
  ASSERT_TRUE(player_.Close());

  // Written as UTF-8 without a mark; read back as the same names, which still play.
  std::string expected = Song(kNames[2]) + "\r\n";
  for (const std::string& name : kNames) expected += Song(name) + "\r\n";
  EXPECT_EQ(folder_.ReadFile("pl.m3u"), expected);
  registry::WriteDword("CurrentFile", 1);
  PlayerProcess again;
  main = Start(again, "");
  EXPECT_TRUE(log.WaitForCount("extension", 2));  // this start's library scan
  EXPECT_EQ(SendRegistered(main, "VelmoraNumberFiles"), 5);
  EXPECT_EQ(SendRegistered(main, "VelmoraPlay"), 0);
  EXPECT_TRUE(log.WaitFor("load " + Song(kNames[0])));
}

TEST_F(NamesInAnyScript, OtherProgramsAddNamesInUtf8AndInTheirCodePage) {
  HWND main = Start();
  ProbeLog log(folder_);
  // Marked UTF-8 (what velmoractl sends).
  const std::string japanese = Song(kNames[0]);
  COPYDATASTRUCT cds{};
  cds.dwData = ids::kCopyDataUtf8;
  cds.cbData = static_cast<DWORD>(japanese.size() + 1);
  cds.lpData = const_cast<char*>(japanese.c_str());
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL,
                                  10000, &answer));
  EXPECT_TRUE(log.WaitFor("load " + japanese));
  EXPECT_TRUE(log.WaitFor("play " + kNames[0]));
  // An 8-bit caller's text in its code page (Windows-1252 here).
  ASSERT_TRUE(SendCopyData(main, folder_.Path() + "\\caf\xE9.prb").has_value());
  EXPECT_TRUE(log.WaitFor("load " + Song(kNames[2])));
  EXPECT_EQ(RunCtl(folder_, "name 1").out, kNames[2]);
}

}  // namespace
}  // namespace velmora::e2e
