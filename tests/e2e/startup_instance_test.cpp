// One player at a time: a second start hands its file to the first and leaves; and what
// the shutdown does with pl.m3u.
#include <gtest/gtest.h>

#include <map>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

constexpr char kProbeIni[] = "extensions=PRB\nlength_ms=60000\n";

std::map<std::string, std::string> RegistrySnapshot() {
  std::map<std::string, std::string> values;
  for (const auto& name : registry::ValueNames()) {
    if (auto d = registry::ReadDword(name))
      values[name] = "dword:" + std::to_string(*d);
    else if (auto s = registry::ReadString(name))
      values[name] = "sz:" + *s;
    else
      values[name] = "?";
  }
  return values;
}

FILETIME LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

TEST(StartupInstance, SecondInstanceHandsItsFileToTheFirstAndLeaves) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  const std::string old_list = "C:\\music\\x.prb\r\nC:\\music\\y.prb\r\n";
  folder.WriteFile("pl.m3u", old_list);
  PlayerProcess first;
  ASSERT_TRUE(first.Start(folder));
  ASSERT_TRUE(first.WaitForStartup());
  auto before = SendRegistered(first.MainWindow(), "VelmoraNumberFiles");
  ASSERT_EQ(before, 2);

  const auto settings = RegistrySnapshot();
  const FILETIME written = LastWrite(folder.File("pl.m3u"));
  const std::string song = folder.MakeMediaFile("handed.prb");

  PlayerProcess second;
  ASSERT_TRUE(second.Start(folder, {"\"" + song + "\""}));
  auto code = second.WaitForExit(20000);
  ASSERT_TRUE(code.has_value()) << "the second instance did not end";

  // The first one has the file, as a full path, appended and playing.
  ProbeLog log(folder);
  EXPECT_TRUE(log.WaitFor("load " + song));
  EXPECT_EQ(SendRegistered(first.MainWindow(), "VelmoraNumberFiles"), 3);
  // The second touched neither the settings nor the saved playlist.
  EXPECT_EQ(RegistrySnapshot(), settings);
  EXPECT_EQ(folder.ReadFile("pl.m3u"), old_list);
  const FILETIME now = LastWrite(folder.File("pl.m3u"));
  EXPECT_EQ(CompareFileTime(&now, &written), 0);
  EXPECT_TRUE(first.Close());
}

TEST(StartupShutdown, OneEntryLeavesTheSavedPlaylistAsItWas) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  // A comment line would not survive a rewrite: it proves the file was left alone.
  const std::string old_list = "#EXTM3U\r\nC:\\music\\only.prb";
  folder.WriteFile("pl.m3u", old_list);
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  ASSERT_EQ(SendRegistered(player.MainWindow(), "VelmoraNumberFiles"), 1);
  EXPECT_TRUE(player.Close());
  EXPECT_EQ(folder.ReadFile("pl.m3u"), old_list);
}

TEST(StartupShutdown, TwoEntriesReplaceTheSavedPlaylist) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string(kProbeIni));
  folder.WriteFile("pl.m3u", "#EXTM3U\r\nC:\\music\\first.prb\r\n");
  const std::string second = folder.MakeMediaFile("second.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  ASSERT_TRUE(SendCopyData(player.MainWindow(), second).has_value());
  ASSERT_EQ(SendRegistered(player.MainWindow(), "VelmoraNumberFiles"), 2);
  EXPECT_TRUE(player.Close());
  EXPECT_EQ(ReadLines(folder.File("pl.m3u")),
            (std::vector<std::string>{"C:\\music\\first.prb", second}));
  EXPECT_FALSE(folder.Exists("pl.m3u.tmp"));
  // The settings of the run were saved with it.
  EXPECT_EQ(registry::ReadString("Version"), "0.91");
  EXPECT_EQ(registry::ReadDword("CurrentFile"), 1u);
}

}  // namespace
}  // namespace velmora::e2e
