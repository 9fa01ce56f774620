// The library scan through the running player: input plug-ins land in the options
// window's lists, libraries that are not plug-ins (or not libraries at all) are skipped
// without harm, and the shipped program folder lists its own MPEG plug-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

// The program folder ships its own input plug-ins in Library; these tests decide the
// folder's content themselves, so they are taken out first.
void RemoveShippedLibraries(const TestFolder& folder) {
  for (const char* name : {"Library\\mpeg.dll", "Library\\openaudio.dll"}) {
    folder.Remove(name);
    ASSERT_FALSE(folder.Exists(name));
  }
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(PluginsScan, BadLibrariesDoNotStopTheScan) {
  registry::ClearSettings();
  TestFolder folder;
  ASSERT_NO_FATAL_FAILURE(RemoveShippedLibraries(folder));
  folder.AddPlugin("probe.dll", "probe_a.dll", std::string("extensions=MP3,MP2\n"));
  folder.AddPlugin("not_a_library.dll");
  folder.AddPlugin("dllmain_fails.dll");
  if (FileExists(TestPluginsFolder() + "\\wrong_bitness.dll"))
    folder.AddPlugin("wrong_bitness.dll");
  folder.AddPlugin("faulty.dll", "faulty_ext.dll", std::string("fault_extension=null\n"));
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND options = player.FindWindowOfClassWait("TForm2");
  ASSERT_NE(options, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ListCount(options, ids::Dlls) == 2; }))
      << ListCount(options, ids::Dlls);
  EXPECT_EQ(Sorted(ListItems(options, ids::Dlls)),
            (std::vector<std::string>{"faulty_ext.dll", "probe_a.dll"}));
  EXPECT_EQ(Sorted(ListItems(options, ids::ListBox1)),
            (std::vector<std::string>{"", "MP2", "MP3"}));
  // The hidden table: row i of the extensions belongs to row i of the library names, and
  // the file-type list is a copy of the extensions in the same order.
  const auto extensions = ListItems(options, ids::ExtensionBox);
  const auto libraries = ListItems(options, ids::DllBox);
  ASSERT_EQ(extensions.size(), 3u);
  ASSERT_EQ(libraries.size(), 3u);
  std::vector<std::string> rows;
  for (size_t i = 0; i < extensions.size(); ++i) rows.push_back(extensions[i] + "|" + libraries[i]);
  EXPECT_EQ(Sorted(rows),
            (std::vector<std::string>{"MP2|probe_a.dll", "MP3|probe_a.dll", "|faulty_ext.dll"}));
  EXPECT_EQ(ListItems(options, ids::ListBox1), extensions);
  EXPECT_EQ(WindowText(options), "Velmora Options");
  EXPECT_TRUE(player.Running());
  EXPECT_TRUE(player.Close());
}

TEST(PluginsScan, AnEmptyLibraryFolderLeavesEveryListEmpty) {
  registry::ClearSettings();
  TestFolder folder;
  ASSERT_NO_FATAL_FAILURE(RemoveShippedLibraries(folder));
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND options = player.FindWindowOfClassWait("TForm2");
  ASSERT_NE(options, nullptr);
  // The scan runs 200 ms after start-up and shows nothing of its own for an empty folder;
  // the lists must stay empty well past that moment.
  EXPECT_FALSE(WaitUntil(
      [&] { return ListCount(options, ids::Dlls) != 0 || ListCount(options, ids::ListBox1) != 0; },
      2000));
  EXPECT_EQ(ListCount(options, ids::Dlls), 0);
  EXPECT_EQ(ListCount(options, ids::ListBox1), 0);
  EXPECT_EQ(ListCount(options, ids::ExtensionBox), 0);
  EXPECT_EQ(ListCount(options, ids::DllBox), 0);
  EXPECT_EQ(WindowText(options), "Velmora Options");
  EXPECT_TRUE(player.Close());
}

// The program folder as shipped: its MPEG plug-in is found and plays the three layers,
// its FLAC/Ogg/Opus/WAV plug-in the rest.
TEST(PluginsScan, TheShippedPluginsAreListed) {
  registry::ClearSettings();
  TestFolder folder;
  ASSERT_TRUE(folder.Exists("Library\\mpeg.dll")) << "the program folder has no Library\\mpeg.dll";
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND options = player.FindWindowOfClassWait("TForm2");
  ASSERT_NE(options, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ListCount(options, ids::Dlls) == 2; }))
      << ListCount(options, ids::Dlls);
  EXPECT_EQ(Sorted(ListItems(options, ids::Dlls)),
            (std::vector<std::string>{"mpeg.dll", "openaudio.dll"}));
  const auto extensions = ListItems(options, ids::ExtensionBox);
  const auto libraries = ListItems(options, ids::DllBox);
  ASSERT_EQ(extensions.size(), libraries.size());
  std::vector<std::string> rows;
  for (size_t i = 0; i < extensions.size(); ++i) rows.push_back(extensions[i] + "|" + libraries[i]);
  EXPECT_EQ(Sorted(rows),
            Sorted({"MP3|mpeg.dll", "MP2|mpeg.dll", "MP1|mpeg.dll", "FLAC|openaudio.dll",
                    "OGG|openaudio.dll", "OGA|openaudio.dll", "OPUS|openaudio.dll",
                    "WAV|openaudio.dll"}));
  EXPECT_EQ(ListItems(options, ids::ListBox1), extensions);
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
