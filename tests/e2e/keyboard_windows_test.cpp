// The playlist, options and chooser windows without a mouse: their tab order read from
// outside, Tab moving the focus, Enter pressing the chooser's Apply, Escape closing.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_window_ids_win.h"
#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

// The ids of the window's tab stops in Tab order, from the first round; empty when the
// order does not come back to its start.
std::vector<int> TabOrder(HWND window) {
  std::vector<int> ids;
  HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
  for (HWND c = first; c && ids.size() < 64; c = GetNextDlgTabItem(window, c, FALSE)) {
    ids.push_back(GetDlgCtrlID(c));
    if (GetNextDlgTabItem(window, c, FALSE) == first) return ids;
  }
  return {};
}

bool Contains(const std::vector<int>& ids, int id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The control that holds the player's keyboard focus (a combo box for its edit field).
int FocusedId(HWND window) {
  GUITHREADINFO gui{sizeof gui};
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) || !gui.hwndFocus)
    return 0;
  HWND c = gui.hwndFocus;
  while (c && GetParent(c) && GetParent(c) != window) c = GetParent(c);
  return c && GetParent(c) == window ? GetDlgCtrlID(c) : 0;
}

TEST(KeyboardWindows, TabOrderEnterAndEscape) {
  registry::ClearSettings();
  registry::WriteDword("Nag", 0);
  registry::WriteString("design", "Default");
  TestFolder folder;
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND main = player.MainWindow();
  HWND playlist = player.FindWindowOfClassWait("TForm3");
  HWND options = player.FindWindowOfClassWait("TForm2");
  HWND chooser = player.FindWindowOfClassWait("TForm6");
  ASSERT_TRUE(playlist && options && chooser);

  const std::vector<int> in_playlist = TabOrder(playlist);
  ASSERT_FALSE(in_playlist.empty());
  EXPECT_EQ(in_playlist.front(), ids::pl);
  for (int id : {ids::pladdbut, ids::plremovebut, ids::plToolbarButton972})
    EXPECT_TRUE(Contains(in_playlist, id)) << id;

  // The options window opens on the general page: the tree, its boxes and its radio groups.
  const std::vector<int> in_options = TabOrder(options);
  ASSERT_FALSE(in_options.empty());
  EXPECT_EQ(in_options.front(), ids::TreeView1);
  EXPECT_TRUE(Contains(in_options, ids::cbMediaKeys));
  EXPECT_TRUE(Contains(in_options, ids::cbGlobalKeys));

  const std::vector<int> in_chooser = TabOrder(chooser);
  EXPECT_EQ(in_chooser, (std::vector<int>{ids::designList, ids::randomDesignCheck, ids::dcAddbut,
                                          ids::dcToolbarButton972, ids::dcToolbarButton971}));

  // Tab and Shift+Tab are run by the player's message loop for the chooser.
  SendMessageA(main, WM_COMMAND, main_menu::kDesign, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(chooser) != FALSE; }));
  PostMessageA(chooser, WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(WaitUntil([&] { return FocusedId(chooser) == ids::designList; }));
  PostMessageA(chooser, WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(WaitUntil([&] { return FocusedId(chooser) == ids::randomDesignCheck; }))
      << FocusedId(chooser);

  // Enter in the name box presses Apply, the chooser's default button.
  RECT before{}, after{};
  GetWindowRect(main, &before);
  SetWindowTextA(GetDlgItem(chooser, ids::designList), "Compact");
  PostMessageA(GetWindow(GetDlgItem(chooser, ids::designList), GW_CHILD), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(WaitUntil([&] {
    GetWindowRect(main, &after);
    return after.right - after.left != before.right - before.left;
  }));

  // Escape hides the chooser and the options window as their close boxes do.
  PostMessageA(chooser, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(chooser) == FALSE; }))
      << SendMessageA(GetDlgItem(chooser, ids::designList), CB_GETDROPPEDSTATE, 0, 0) << " "
      << FocusedId(chooser) << " " << FocusedId(main);
  SendMessageA(main, WM_COMMAND, main_menu::kGeneral, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(options) != FALSE; }));
  PostMessageA(options, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(options) == FALSE; }));
  // The playlist window is no dialog: Escape leaves it open.
  SendMessageA(main, WM_COMMAND, main_menu::kPlaylist, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(playlist) != FALSE; }));
  PostMessageA(Control(playlist, ids::pl), WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(Control(playlist, ids::pl), WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(WaitUntil([&] { return FocusedId(playlist) == ids::pladdbut; }))
      << FocusedId(playlist);
  EXPECT_TRUE(IsWindowVisible(playlist));
}

}  // namespace
}  // namespace velmora::e2e
