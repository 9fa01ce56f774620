// The options window (TForm2) read from outside: its tree, its pages and their title
// lines, and what its settings controls do at once and at close.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
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
    if (!player_.Start(folder_) || !player_.WaitForStartup()) return false;
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

// A real CALLBACK function: a lambda does not convert to a stdcall pointer on i686.
BOOL CALLBACK CollectChild(HWND child, LPARAM out) {
  reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
  return TRUE;
}

// The controls of every page (all made at start-up) whose caption does not fit them in the
// window's font, bold 8-point Arial (under wine a wider face stands in), or that reach out
// of the window.
std::vector<std::string> ClippedControls(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  LOGFONTA lf{};
  lf.lfHeight = -11;
  lf.lfWeight = FW_BOLD;
  lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&lf);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT client{};
  GetClientRect(window, &client);
  std::vector<std::string> clipped;
  for (HWND child : children) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    const std::string cls = ClassNameOf(child), text = WindowText(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    const int width = r.right - r.left;
    bool fits = r.right <= client.right && r.bottom <= client.bottom;
    if (!text.empty() && lstrcmpiA(cls.c_str(), "Static") == 0 &&
        (style & SS_TYPEMASK) <= SS_RIGHT) {
      RECT need{0, 0, width, 0};  // labels may wrap, within their height
      DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK);
      fits = fits && need.right <= width && need.bottom <= r.bottom - r.top;
    } else if (!text.empty() && lstrcmpiA(cls.c_str(), "Button") == 0) {
      SIZE size{};
      GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
      const LONG type = style & BS_TYPEMASK;
      // Room for the frame of a push button or group, or for the box of a check or radio.
      const int room = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? 8
                       : type == BS_GROUPBOX                             ? 16
                                                                         : 18;
      fits = fits && size.cx + room <= width;
    }
    if (!fits) clipped.push_back(cls + " \"" + text + "\" " + std::to_string(GetDlgCtrlID(child)));
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  return clipped;
}

TEST_F(OptionsWindowTest, TreeListsEveryNodeAndEachSelectsItsPage) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(WindowText(options_), "Velmora Options");
  RECT client{};
  GetClientRect(options_, &client);
  EXPECT_EQ(client.right, 515);
  EXPECT_EQ(client.bottom, 307);
  EXPECT_EQ(ClassNameOf(Control(options_, ids::TreeView1)), "SysTreeView32");
  EXPECT_EQ(ClippedControls(options_), std::vector<std::string>());

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
  // With VELMORA_SCREENSHOT_DIR set (scripts/screenshots.sh), a picture of each page.
  const char* shots = getenv("VELMORA_SCREENSHOT_DIR");
  if (shots) ShowWindow(options_, SW_SHOW);
  for (const auto& [node, title] : pages) {
    ASSERT_TRUE(Select(node)) << node;
    EXPECT_EQ(Title(), title) << node;
    if (!shots) continue;
    Sleep(300);
    RECT r;
    GetWindowRect(options_, &r);
    std::string name = std::string("Options_") + node;
    for (char& c : name)
      if (c == ' ' || c == '/') c = '_';
    SaveScreenBmp(std::string(shots) + "\\" + name + ".bmp", r);
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

// What a user's move of the balance slider tells the window.
void MoveSlider(HWND window, int id, int value) {
  HWND slider = Control(window, id);
  SendMessageA(slider, TBM_SETPOS, TRUE, value);
  SendMessageA(window, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, value),
               reinterpret_cast<LPARAM>(slider));
}

TEST_F(OptionsWindowTest, PagesShowTheirFiguresAndTexts) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Select("Sound Options"));
  EXPECT_EQ(SliderPos(options_, ids::balance), 50);
  EXPECT_EQ(ControlText(options_, ids::baledit), "Centered");
  // The balance reaches the output level the player reads back from its volume control:
  // wine's wave-out device keeps no volume of its own (waveOutGetVolume on device 0
  // fails) and its mixer one level for both channels, so the direction does not show
  // there, only the level taken off one side, and the whole level back at the centre.
  const auto level = [&] { return SendRegistered(main_, "VelmoraGetVolume").value_or(-1); };
  const LRESULT centred = level();
  ASSERT_GT(centred, 0);
  const std::pair<int, const char*> balances[] = {
      {40, "20 Left"}, {50, "Centered"}, {60, "20 Right"}, {100, "100 Right"}, {50, "Centered"}};
  for (const auto& [value, text] : balances) {
    MoveSlider(options_, ids::balance, value);
    EXPECT_EQ(ControlText(options_, ids::baledit), text) << value;
    if (value == 50)
      EXPECT_EQ(level(), centred) << "the balance changed the volume";
    else
      EXPECT_LT(level(), centred) << value;
  }
  // The page shows the balance in force when it comes back.
  MoveSlider(options_, ids::balance, 30);
  ASSERT_TRUE(Select("General"));
  ASSERT_TRUE(Select("Sound Options"));
  EXPECT_EQ(SliderPos(options_, ids::balance), 30);

  EXPECT_EQ(ControlText(options_, ids::edit1), "Refreshing ...");
  ASSERT_TRUE(Select("Memory Infos"));
  for (int id : {ids::edit1, ids::edit2, ids::edit3, ids::Edit4, ids::Edit5, ids::Edit6}) {
    const std::string text = ControlText(options_, id);
    EXPECT_GT(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 3), " Kb") << id;
    EXPECT_NE(text[0], '-') << id;
  }
  ASSERT_TRUE(Select("System Info"));
  EXPECT_EQ(ControlText(options_, ids::system3), "4 K");
  EXPECT_NE(ControlText(options_, ids::system6), "Refreshing ...");

  ASSERT_TRUE(Select("History"));
  EXPECT_NE(ControlText(options_, ids::Memo3).find("Velmora 0.91"), std::string::npos);

  // The news window is there, hidden while "Show news on startup" is off.
  HWND news = player_.FindWindowOfClassWait("TForm13");
  ASSERT_NE(news, nullptr);
  EXPECT_EQ(WindowText(news), "News ...");
  EXPECT_FALSE(IsWindowVisible(news));
  EXPECT_TRUE(player_.Close());
}

TEST_F(OptionsWindowTest, DesignInfoShowsTheDesignFolderAndItsText) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Select("Design Info"));
  EXPECT_EQ(ControlText(options_, ids::Edit9), "Default");
  EXPECT_EQ(ControlText(options_, ids::Edit10), folder_.Path() + "\\design\\Default\\");
  EXPECT_EQ(ControlText(options_, ids::Edit11), "Classic");
  EXPECT_EQ(ControlText(options_, ids::Banner2), "Should have an info from the\r\ndesign here ... ;)");

  folder_.WriteFile("Design\\Default\\info.txt", "Default design\r\nby the Velmora team\r\n");
  ASSERT_TRUE(Select("Infos"));  // a group node refreshes the page shown
  EXPECT_EQ(ControlText(options_, ids::Banner2), "Default design\r\nby the Velmora team");
  EXPECT_TRUE(player_.Close());
}

TEST_F(OptionsWindowTest, BoxesActAtOnceAndOnlyClosingTheWindowSaves) {
  ASSERT_TRUE(Start());
  auto topmost = [&] { return (GetWindowLongA(main_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  ASSERT_FALSE(topmost());
  Click(options_, ids::cbToTop);
  EXPECT_TRUE(topmost());
  Click(options_, ids::cbToTop);
  EXPECT_FALSE(topmost());

  // The proxy fields are usable only with the proxy box checked.
  EXPECT_FALSE(IsControlEnabled(options_, ids::edHost));
  Click(options_, ids::cbUseProxy);
  EXPECT_TRUE(IsControlEnabled(options_, ids::edHost));
  SetWindowTextA(Control(options_, ids::edHost), "proxy.example");

  // Hidden another way (Escape), nothing is written; closed, everything is.
  SendMessageA(options_, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindowVisible(options_));
  EXPECT_NE(registry::ReadDword("UseProxy"), std::optional<uint32_t>(1));
  SendMessageA(options_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(options_));
  EXPECT_EQ(registry::ReadDword("UseProxy"), 1u);
  EXPECT_EQ(registry::ReadString("Host"), "proxy.example");
  EXPECT_TRUE(player_.Close());
}

// The mouse entering a control: the window system asks the control for its cursor, and the
// control passes the question up to its window.
void HoverOver(HWND window, int id) {
  HWND control = Control(window, id);
  SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

TEST_F(OptionsWindowTest, EnableTooltipsEchoesTheHintsOfEveryWindow) {
  ASSERT_TRUE(Start());
  // After the start-up's one-shot status (the makers' address), which would replace a hint.
  ASSERT_TRUE(WaitUntil([&] { return ControlText(main_, ids::banner2).rfind("http", 0) == 0; }));
  HWND playlist = player_.FindWindowOfClassWait("TForm3");
  ASSERT_NE(playlist, nullptr);
  HoverOver(playlist, ids::plsavebut);
  EXPECT_TRUE(WaitForControlText(main_, ids::banner2, "Save Playlist", 3000));
  HoverOver(playlist, ids::plct);  // a plain label with a tooltip
  EXPECT_TRUE(WaitForControlText(main_, ids::banner2, "Currently Playing", 3000));
  HoverOver(options_, ids::Gauge1);
  EXPECT_TRUE(WaitForControlText(main_, ids::banner2, "Total memory usage", 3000));

  Click(options_, ids::cbEnableTooltips);
  ASSERT_EQ(SendCopyData(main_, "$quiet"), 0);
  HoverOver(playlist, ids::plrandombut);
  HoverOver(options_, ids::Gauge2);
  EXPECT_EQ(ControlText(main_, ids::banner2), "quiet");

  Click(options_, ids::cbEnableTooltips);
  HoverOver(playlist, ids::plremovebut);
  EXPECT_TRUE(WaitForControlText(main_, ids::banner2, "Remove Selected Files", 3000));
  EXPECT_TRUE(player_.Close());
}

TEST_F(OptionsWindowTest, AGuidedTourToAControlOffTheScreenEnds) {
  ASSERT_TRUE(Start());
  SetWindowPos(main_, nullptr, 20000, 20000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Select("Help"));
  EXPECT_EQ(ControlText(options_, ids::infor), "info");
  SetCursorPos(10, 10);
  DWORD_PTR done = 0;
  ASSERT_TRUE(SendMessageTimeoutA(Control(options_, ids::OLabel6), BM_CLICK, 0, 0, SMTO_NORMAL,
                                  60000, &done));
  EXPECT_EQ(ControlText(options_, ids::infor), "1. Go to the 'open' button");
  EXPECT_TRUE(player_.Close());
}

}  // namespace
}  // namespace velmora::e2e
