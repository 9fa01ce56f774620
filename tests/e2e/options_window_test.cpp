// The options window (TForm2) read from outside: its tree, its pages and their title
// lines, and what its settings controls do at once and at close.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

class OptionsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { registry::ClearSettings(); }
  bool Start() {
    registry::WriteDword("Nag", 0);
    if (!player_.Start(folder_) || !WaitStarted(player_)) return false;
    main_ = player_.MainWindow();
    options_ = player_.FindWindowOfClassWait("TForm2");
    return options_ != nullptr;
  }
  bool Select(const std::string& node) { return SelectTreeNode(options_, ids::TreeView1, node); }
  std::string Title() { return ControlText(options_, ids::pageTitle); }

  TestFolder folder_;
  PlayerProcess player_;
  HWND main_ = nullptr;
  HWND options_ = nullptr;
};

TEST_F(OptionsWindowTest, TreeListsEveryNodeAndEachSelectsItsPage) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(WindowText(options_), "Velmora Options");
  RECT client{};
  GetClientRect(options_, &client);
  EXPECT_EQ(client.right, 515);
  EXPECT_EQ(client.bottom, 307);
  EXPECT_EQ(ClassNameOf(Control(options_, ids::TreeView1)), "SysTreeView32");

  const std::vector<std::pair<std::string, int>> expected = {
      {"General", 0},       {"Update", 0},        {"Infos", 0},
      {"Design Info", 1},   {"Memory Infos", 1},  {"System Info", 1},
      {"Plugins", 0},       {"Input Plugins", 1}, {"Visualisation Plugins", 1},
      {"Help/About", 0},    {"Help", 1},          {"About", 1},
      {"History", 1},       {"Greetings", 1},     {"Configuration", 0},
      {"Sound Options", 1}, {"Web", 1},           {"Errors", 1},
      {"FileType/Icons", 1}};
  std::vector<std::pair<std::string, int>> nodes;
  for (const TreeNode& node : TreeNodes(options_, ids::TreeView1))
    nodes.emplace_back(node.text, node.depth);
  EXPECT_EQ(nodes, expected);

  // The window opens on the general page with no node selected.
  EXPECT_EQ(Title(), "General Options");
  EXPECT_EQ(SendMessageA(Control(options_, ids::TreeView1), TVM_GETNEXTITEM, TVGN_CARET, 0), 0);

  const std::pair<const char*, const char*> pages[] = {
      {"Web", "Web Options"},
      {"Errors", "Errors Logging"},
      {"Memory Infos", "Memory Infos"},
      {"FileType/Icons", "FileType - Icons"},
      {"Input Plugins", "Input Plugins"},
      {"Help", "Help"},
      {"History", "History"},
      {"About", "About"},
      {"Greetings", "Greetings"},
      {"Visualisation Plugins", "Visualisation Plugins"},
      {"Design Info", "Design Informations"},
      {"Sound Options", "Sound Options"},
      {"Update", "Auto Update"},
      {"System Info", "System Info"},
      {"General", "General Options"},
  };
  for (const auto& [node, title] : pages) {
    ASSERT_TRUE(Select(node)) << node;
    EXPECT_EQ(Title(), title) << node;
  }
  // A page's controls show with it and hide with it.
  ASSERT_TRUE(Select("Errors"));
  EXPECT_TRUE(IsControlVisible(options_, ids::currenterrors));
  EXPECT_FALSE(IsControlVisible(options_, ids::cbAutoplay));
  // Group nodes keep the page shown.
  for (const char* group : {"Infos", "Plugins", "Help/About", "Configuration"}) {
    ASSERT_TRUE(Select(group)) << group;
    EXPECT_EQ(Title(), "Errors Logging") << group;
  }
  EXPECT_TRUE(IsControlVisible(options_, ids::currenterrors));
  EXPECT_TRUE(player_.Close());
}

}  // namespace
}  // namespace velmora::e2e
