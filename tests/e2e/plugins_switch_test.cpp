// The extension table drives the current plug-in in the running player: a file of another
// library's type switches (deinit, then init of the other), a file of the same type keeps
// the library loaded, and a plug-in that faults while polled does not stop the player.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

// The program folder ships an MPEG plug-in that also claims MP3, and another plug-in; these
// tests choose the libraries of Library themselves, so both are taken out first.
void RemoveShippedLibraries(const TestFolder& folder) {
  for (const char* name : {"Library\\mpeg.dll", "Library\\openaudio.dll"}) {
    folder.Remove(name);
    ASSERT_FALSE(folder.Exists(name));
  }
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
  const auto it = std::find(lines.begin(), lines.end(), line);
  return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

TEST(PluginsSwitch, AnotherTypeSwitchesTheLibraryTheSameTypeKeepsIt) {
  registry::ClearSettings();
  TestFolder folder;
  ASSERT_NO_FATAL_FAILURE(RemoveShippedLibraries(folder));
  folder.AddPlugin("probe.dll", "probe_a.dll", std::string("extensions=MP3\n"));
  folder.AddPlugin("probe.dll", "probe_b.dll", std::string("extensions=OGG\n"));
  const std::string a = folder.MakeMediaFile("media\\a.mp3");
  const std::string b = folder.MakeMediaFile("media\\b.ogg");
  const std::string c = folder.MakeMediaFile("media\\c.ogg");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  ProbeLog log(folder);
  HWND main = player.MainWindow();
  HWND options = player.FindWindowOfClassWait("TForm2");
  ASSERT_TRUE(WaitUntil([&] { return ListCount(options, ids::Dlls) == 2; }));  // the scan ran

  ASSERT_TRUE(SendCopyData(main, a).has_value());
  ASSERT_TRUE(log.WaitFor("load " + a))
      << "probe_a never loaded the file; status: " << ControlText(main, ids::banner2)
      << "; log: " << log.Lines().size();
  ASSERT_TRUE(SendCopyData(main, b).has_value());
  ASSERT_TRUE(log.WaitFor("load " + b));
  ASSERT_TRUE(SendCopyData(main, c).has_value());
  ASSERT_TRUE(log.WaitFor("load " + c));

  const auto lines = log.Lines();
  const int deinit_a = IndexOf(lines, "probe_a.dll: deinit");
  const int init_b = IndexOf(lines, "probe_b.dll: init " + folder.Path() + "\\");
  ASSERT_GE(deinit_a, 0);
  ASSERT_GE(init_b, 0);
  EXPECT_LT(deinit_a, init_b);
  EXPECT_EQ(log.Count("init", "probe_b.dll"), 1);  // c.ogg kept it loaded
  EXPECT_EQ(log.Count("deinit", "probe_b.dll"), 0);
  EXPECT_TRUE(player.Close());
  EXPECT_TRUE(log.WaitForCount("deinit", 1));  // at exit
}

TEST(PluginsSwitch, APluginWhosePlayingFaultsDoesNotStopThePlayer) {
  registry::ClearSettings();
  TestFolder folder;
  ASSERT_NO_FATAL_FAILURE(RemoveShippedLibraries(folder));
  folder.AddPlugin("faulty.dll", "faulty_p.dll",
                   std::string("extensions=MP3\nfault_playing=null\n"));
  const std::string a = folder.MakeMediaFile("media\\a.mp3");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND options = player.FindWindowOfClassWait("TForm2");
  ASSERT_TRUE(WaitUntil([&] { return ListCount(options, ids::Dlls) == 1; }));
  ASSERT_TRUE(SendCopyData(player.MainWindow(), a).has_value());
  const std::string log_path = folder.File("Library\\faulty_p.log");
  auto playing_calls = [&] {
    const auto lines = ReadLines(log_path);
    return std::count(lines.begin(), lines.end(), std::string("playing"));
  };
  // The position timer keeps polling (and the player keeps answering) after faults.
  EXPECT_TRUE(WaitUntil([&] { return playing_calls() >= 3; }, 15000)) << playing_calls();
  EXPECT_TRUE(player.Running());
  EXPECT_TRUE(SendRegistered(player.MainWindow(), "VelmoraGetLength").has_value());
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
