// Designs end to end: the Default design at start-up (size and outline), the chooser's
// list, apply, set as default across a restart, the random design, a design without
// button pictures, and broken design folders.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"
#include "ui/widgets.h"

namespace velmora::e2e {
namespace {

constexpr SIZE kDefaultSize{340, 170};
constexpr SIZE kCompactSize{300, 64};

SIZE WindowSize(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

bool HasSize(HWND w, SIZE s) {
  const SIZE now = WindowSize(w);
  return now.cx == s.cx && now.cy == s.cy;
}

// A 24-bit BMP of one colour, or with a callback per pixel.
std::string Bmp(int w, int h, uint32_t rgb) {
  const int stride = (w * 3 + 3) & ~3;
  std::string b(54 + static_cast<size_t>(stride) * h, '\0');
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 255);
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, static_cast<uint32_t>(b.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(w), 4);
  put(22, static_cast<uint32_t>(h), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) put(54 + static_cast<size_t>(y) * stride + x * 3, rgb, 3);
  return b;
}

// Copies Design\Default to Design\<name>, minus `omit`.
void CloneDefault(const TestFolder& f, const std::string& name,
                  const std::vector<std::string>& omit = {}) {
  for (const char* file : {"back.bmp", "backbut.bmp", "mask.bmp", "deact.bmp", "main.ini",
                           "posruler.bmp", "posthumb.bmp", "volruler.bmp", "volthumb.bmp"}) {
    if (std::find(omit.begin(), omit.end(), file) != omit.end()) continue;
    f.WriteFile("Design\\" + name + "\\" + file,
                f.ReadFile(std::string("Design\\Default\\") + file));
  }
}

class DesignTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::ClearSettings();
    registry::WriteDword("Nag", 0);
    registry::WriteString("design", "Default");
  }

  HWND Start() {
    EXPECT_TRUE(player_.Start(folder_));
    HWND main = player_.WaitForMainWindow();
    // The whole start-up: the design step lets messages through, so a click sent once the
    // sliders show could land in the middle of it.
    EXPECT_TRUE(player_.WaitForStartup());
    return main;
  }

  HWND Chooser() { return player_.FindWindowOfClassWait("TForm6"); }

  // Types a name into the chooser and presses a button, waiting for the click to finish.
  void ChooseAndClick(const std::string& name, int button) {
    HWND c = Chooser();
    ASSERT_NE(c, nullptr);
    SetWindowTextA(GetDlgItem(c, ids::designList), name.c_str());
    Click(c, button);
  }

  // Presses Apply without waiting (an error shows a modal message box) and returns the
  // text of that box, closing it.
  std::string ApplyExpectingError(const std::string& name) {
    HWND c = Chooser();
    SetWindowTextA(GetDlgItem(c, ids::designList), name.c_str());
    PostMessageA(GetDlgItem(c, ids::dcToolbarButton972), BM_CLICK, 0, 0);
    // The message box: a dialog of the player's with a message text.
    HWND box = nullptr;
    std::string text;
    WaitUntil([&] {
      for (HWND w : TopLevelWindowsOf(player_.Pid())) {
        if (ClassNameOf(w) != "#32770" || !IsWindowVisible(w)) continue;
        text = WindowText(GetDlgItem(w, 0xFFFF));
        if (!text.empty()) {
          box = w;
          return true;
        }
      }
      return false;
    });
    if (!box) return "";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return text;
  }

  TestFolder folder_;
  PlayerProcess player_;
};

TEST_F(DesignTest, StartupAppliesDefaultWithItsOutline) {
  HWND main = Start();
  ASSERT_TRUE(WaitUntil([&] { return HasSize(main, kDefaultSize); }));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return GetWindowRgn(main, rgn) == COMPLEXREGION; }));
  // Button pictures are the last step of the apply.
  EXPECT_TRUE(WaitUntil([&] {
    return SendMessageA(GetDlgItem(main, ids::playbut), ui::VMB_GETNUMGLYPHS, 0, 0) == 2;
  }));
  RECT box{};
  GetRgnBox(rgn, &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, kDefaultSize.cx);
  EXPECT_EQ(box.bottom, kDefaultSize.cy);
  EXPECT_FALSE(PtInRegion(rgn, 1, 1));     // rounded corner of the tab
  EXPECT_FALSE(PtInRegion(rgn, 2, 168));   // rounded corner of the body
  EXPECT_TRUE(PtInRegion(rgn, 170, 100));  // the middle
  EXPECT_TRUE(PtInRegion(rgn, 170, 2));    // the tab
  DeleteObject(rgn);
}

TEST_F(DesignTest, ChooserListsShippedDesignsAndAppliesAnother) {
  HWND main = Start();
  HWND chooser = Chooser();
  ASSERT_NE(chooser, nullptr);
  const auto items = ComboItems(GetDlgItem(chooser, ids::designList));
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items[0], "---Classics---");
  EXPECT_NE(std::find(items.begin(), items.end(), "Default"), items.end());
  EXPECT_NE(std::find(items.begin(), items.end(), "Compact"), items.end());
  EXPECT_TRUE(WaitChooserListsAgree(chooser));

  ChooseAndClick("Compact", ids::dcToolbarButton972);
  EXPECT_TRUE(WaitUntil([&] { return HasSize(main, kCompactSize); }));
  RECT play{};
  GetWindowRect(GetDlgItem(main, ids::playbut), &play);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&play), 2);
  EXPECT_EQ(play.left, 60);
  EXPECT_EQ(play.top, 40);
  EXPECT_EQ(ControlText(main, ids::banner2).empty(), false);
  // The setting is untouched by apply.
  EXPECT_EQ(registry::ReadString("design").value_or(""), "Default");
}

TEST_F(DesignTest, InvalidChoicesChangeNothing) {
  HWND main = Start();
  ASSERT_TRUE(WaitUntil([&] { return HasSize(main, kDefaultSize); }));
  for (const char* name : {"---Classics---", "compact", "", "No Such Design"}) {
    ChooseAndClick(name, ids::dcToolbarButton972);
    ChooseAndClick(name, ids::dcAddbut);
    EXPECT_TRUE(HasSize(main, kDefaultSize)) << name;
    EXPECT_EQ(registry::ReadString("design").value_or(""), "Default") << name;
  }
}

TEST_F(DesignTest, SetAsDefaultIsWrittenAndSurvivesARestart) {
  HWND main = Start();
  ChooseAndClick("Compact", ids::dcAddbut);
  EXPECT_EQ(registry::ReadString("design").value_or(""), "Compact");
  EXPECT_FALSE(IsWindowVisible(Chooser()));
  EXPECT_TRUE(HasSize(main, kDefaultSize));  // set as default does not apply
  ASSERT_TRUE(player_.Close());
  PlayerProcess again;
  ASSERT_TRUE(again.Start(folder_));
  main = again.WaitForMainWindow();
  ASSERT_TRUE(again.WaitForStartup());
  EXPECT_TRUE(WaitUntil([&] { return HasSize(main, kCompactSize); }));
}

TEST_F(DesignTest, RandomDesignPicksAListedOne) {
  registry::WriteDword("Randomdesign", 1);
  HWND main = Start();
  EXPECT_EQ(CheckState(Chooser(), ids::randomDesignCheck), BST_CHECKED);
  const std::string chosen = WindowText(GetDlgItem(Chooser(), ids::designList));
  EXPECT_TRUE(chosen == "Default" || chosen == "Compact") << chosen;
  EXPECT_TRUE(
      WaitUntil([&] { return HasSize(main, chosen == "Compact" ? kCompactSize : kDefaultSize); }));
  // Clicking the box writes the setting at once.
  Click(Chooser(), ids::randomDesignCheck);
  EXPECT_EQ(registry::ReadDword("Randomdesign").value_or(7), 0u);
}

TEST_F(DesignTest, WithoutBackbutButtonsHaveNoPicturesButWork) {
  CloneDefault(folder_, "NoBut", {"backbut.bmp"});
  registry::WriteString("design", "NoBut");
  registry::WriteDword("Minimize", 0);
  HWND main = Start();
  ASSERT_TRUE(WaitUntil([&] { return HasSize(main, kDefaultSize); }));
  for (int id : {ids::playbut, ids::openbut, ids::minibut, ids::Bitbtn1})
    EXPECT_EQ(SendMessageA(GetDlgItem(main, id), ui::VMB_GETNUMGLYPHS, 0, 0), 0) << id;
  Click(main, ids::minibut);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(main) || !IsWindowVisible(main); }));
}

TEST_F(DesignTest, GarbageMainIniDoesNotHurt) {
  CloneDefault(folder_, "Garbage");
  folder_.WriteFile(
      "Design\\Garbage\\main.ini",
      "[main]\r\nmainwidth=2147483647\r\nmainheight=-99999\r\nplaywidth=99999999\r\n"
      "playheight=2000000000\r\nstopleft=$7FFFFFFF\r\ntimefontsize=100000\r\n"
      "versiontextfontsize=-2147483648\r\ntimeangle=99999\r\ntimedepthS=2000000000\r\n"
      "timedirectionshadow=2\r\ntimestyleshadow=0\r\nsongtitlefontsize=9999999\r\n"
      "infofont=\x01\x02\x03\r\nhintcolor=zzz\r\n\xff\xfe=\xff\r\n");
  registry::WriteString("design", "Garbage");
  HWND main = Start();
  // The mask decides the final size whatever main.ini said.
  EXPECT_TRUE(WaitUntil([&] { return HasSize(main, kDefaultSize); }));
  // One whole paint, done before RedrawWindow returns; then the window still answers.
  RedrawWindow(main, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  DWORD_PTR ignored = 0;
  EXPECT_TRUE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored));
  EXPECT_TRUE(player_.Running());
  EXPECT_TRUE(IsWindow(main));
}

TEST_F(DesignTest, MissingBackBmpReportsThePathAndKeepsTheWindow) {
  CloneDefault(folder_, "NoBack", {"back.bmp"});
  HWND main = Start();
  ASSERT_TRUE(WaitUntil([&] { return HasSize(main, kDefaultSize); }));
  const std::string text = ApplyExpectingError("NoBack");
  EXPECT_EQ(LowerText(text),
            LowerText("Cannot open file " + folder_.Path() + "\\design\\NoBack\\back.bmp"));
  EXPECT_TRUE(player_.Running());
  EXPECT_TRUE(HasSize(main, kDefaultSize));  // the mask step never ran
}

TEST_F(DesignTest, BrokenBitmapsAreRefused) {
  CloneDefault(folder_, "Truncated");
  const std::string mask = folder_.ReadFile("Design\\Truncated\\mask.bmp");
  folder_.WriteFile("Design\\Truncated\\mask.bmp", mask.substr(0, mask.size() / 3));
  CloneDefault(folder_, "Huge");
  std::string back = folder_.ReadFile("Design\\Huge\\back.bmp");
  const uint32_t claim = 100000;
  for (size_t at : {size_t{18}, size_t{22}})
    for (int i = 0; i < 4; ++i) back[at + i] = static_cast<char>((claim >> (8 * i)) & 255);
  folder_.WriteFile("Design\\Huge\\back.bmp", back);
  HWND main = Start();
  ASSERT_TRUE(WaitUntil([&] { return HasSize(main, kDefaultSize); }));
  EXPECT_EQ(ApplyExpectingError("Truncated"), "Bitmap image is not valid");
  EXPECT_EQ(ApplyExpectingError("Huge"), "Bitmap image is not valid");
  EXPECT_TRUE(player_.Running());
  EXPECT_TRUE(HasSize(main, kDefaultSize));
}

TEST_F(DesignTest, AllBlackMaskLeavesAPlainRectangle) {
  folder_.WriteFile("Design\\Black\\back.bmp", Bmp(200, 100, 0x203040));
  folder_.WriteFile("Design\\Black\\mask.bmp", Bmp(200, 100, 0));
  HWND main = Start();
  ASSERT_TRUE(WaitUntil([&] { return HasSize(main, kDefaultSize); }));
  ChooseAndClick("Black", ids::dcToolbarButton972);
  EXPECT_TRUE(WaitUntil([&] { return HasSize(main, SIZE{200, 100}); }));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(main, rgn), ERROR);  // no outline in force
  DeleteObject(rgn);
  // Without backbut.bmp and main.ini the buttons lost their pictures.
  EXPECT_EQ(SendMessageA(GetDlgItem(main, ids::playbut), ui::VMB_GETNUMGLYPHS, 0, 0), 0);
}

}  // namespace
}  // namespace velmora::e2e
