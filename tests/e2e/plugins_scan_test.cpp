// The library scan through the running player: input plug-ins land in the options
// window's lists, libraries that are not plug-ins (or not libraries at all) are skipped
// without harm, and the extension table chooses and switches the plug-in per file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

// The rows of a list box of the player, read in UTF-16 (the 8-bit LB_GETTEXT is not
// converted across processes under wine) and brought back to 8-bit text.
std::vector<std::string> Rows(HWND parent, int id) {
  std::vector<std::string> rows;
  HWND list = GetDlgItem(parent, id);
  const int count = ListCount(parent, id);
  for (int row = 0; row < count; ++row) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXTLEN, row, 0, SMTO_NORMAL, 5000, &length);
    std::wstring wide(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&wide[0]), SMTO_NORMAL, 5000, &copied);
    wide.resize(copied);
    std::string text(wide.size() * 2 + 1, '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                      static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(n > 0 ? n : 0);
    rows.push_back(text);
  }
  return rows;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(PluginsScan, BadLibrariesDoNotStopTheScan) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe_a.dll", std::string("extensions=MP3,MP2\n"));
  folder.AddPlugin("not_a_library.dll");
  folder.AddPlugin("dllmain_fails.dll");
  if (FileExists(TestPluginsFolder() + "\\wrong_bitness.dll")) folder.AddPlugin("wrong_bitness.dll");
  folder.AddPlugin("faulty.dll", "faulty_ext.dll", std::string("fault_extension=null\n"));
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND options = player.FindWindowOfClassWait("TForm2");
  ASSERT_NE(options, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ListCount(options, ids::Dlls) == 2; })) << ListCount(options, ids::Dlls);
  EXPECT_EQ(Sorted(Rows(options, ids::Dlls)), (std::vector<std::string>{"faulty_ext.dll", "probe_a.dll"}));
  EXPECT_EQ(Sorted(Rows(options, ids::ListBox1)), (std::vector<std::string>{"", "MP2", "MP3"}));
  EXPECT_EQ(ListCount(options, ids::ExtensionBox), 3);
  EXPECT_EQ(ListCount(options, ids::DllBox), 3);
  EXPECT_EQ(WindowText(options), "Velmora Options");
  EXPECT_TRUE(player.Running());
  EXPECT_TRUE(player.Close());
}

TEST(PluginsScan, AnEmptyLibraryFolderLeavesEveryListEmpty) {
  registry::ClearSettings();
  TestFolder folder;
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND options = player.FindWindowOfClassWait("TForm2");
  ASSERT_NE(options, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(options) == "Velmora Options"; }));
  EXPECT_EQ(ListCount(options, ids::Dlls), 0);
  EXPECT_EQ(ListCount(options, ids::ListBox1), 0);
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
