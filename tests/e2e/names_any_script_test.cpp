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
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.prb",                              // 日本語
    "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0.prb",  // Кириллица
    "caf\xC3\xA9.prb",                                                       // café
    "\xF0\x9F\x8E\xB5 song.prb"};                                            // 🎵

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
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
      HANDLE file = CreateFileW(Wide(Song(name)).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
      CloseHandle(file);
    }
  }
  std::string Song(const std::string& name) const { return folder_.Path() + "\\" + name; }
  HWND Start(const std::string& arguments = "") {
    EXPECT_TRUE(player_.Start(folder_, {arguments}));
    EXPECT_TRUE(WaitStarted(player_));
    EXPECT_TRUE(ProbeLog(folder_).WaitFor("extension"));
    return player_.MainWindow();
  }

  TestFolder folder_;
  PlayerProcess player_;
};

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
  ASSERT_TRUE(SendMessageTimeoutA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                                  SMTO_NORMAL, 10000, &answer));
  EXPECT_TRUE(log.WaitFor("load " + japanese));
  EXPECT_TRUE(log.WaitFor("play " + kNames[0]));
  // An 8-bit caller's text in its code page (Windows-1252 here).
  ASSERT_TRUE(SendCopyData(main, folder_.Path() + "\\caf\xE9.prb").has_value());
  EXPECT_TRUE(log.WaitFor("load " + Song(kNames[2])));
  EXPECT_EQ(RunCtl(folder_, "name 1").out, kNames[2]);
}

}  // namespace
}  // namespace velmora::e2e
