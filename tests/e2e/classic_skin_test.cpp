// Classic skins end to end, with the skins the generator draws into <build>\testskins:
// the import after a folder design (size, no outline, colours, places), a missing or
// broken sheet, sheets in every bitmap layout and too small, and skin archives dropped
// on the window or placed in Design, hostile ones included.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_window_ids_win.h"
#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"
#include "ui/widgets.h"

namespace velmora::e2e {
namespace {

// The generator's distinctive colours, as colour values.
constexpr COLORREF kDigit = RGB(255, 200, 32);  // numbers.bmp (3, 4)
constexpr COLORREF kSlider = RGB(0, 255, 0);    // main.bmp (205, 95)
constexpr const char* kSheets[] = {"main.bmp",    "cbuttons.bmp", "titlebar.bmp",
                                   "numbers.bmp", "shufrep.bmp",  "posbar.bmp"};

std::string TestSkins() { return ExeFolder() + "\\..\\testskins"; }

std::string ReadWhole(const std::string& path) {
  std::string out;
  HANDLE h =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
  CloseHandle(h);
  return out;
}

SIZE WindowSize(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

bool IsClassicSize(HWND w) {
  const SIZE s = WindowSize(w);
  return s.cx == 275 && s.cy == 116;
}

RECT PlaceOf(HWND main, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(main, id), &r);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool SamePlace(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool HasRegion(HWND w) {
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  const int kind = GetWindowRgn(w, rgn);
  DeleteObject(rgn);
  return kind != ERROR;
}

class ClassicSkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::ClearSettings();
    registry::WriteDword("Nag", 0);
    registry::WriteDword("Transparency", 1);
    registry::WriteString("design", "Default");
  }

  // Copies a generated skin folder into Design\<as>, minus `omit`, with `replace` files.
  void AddSkin(const std::string& as, const std::vector<std::string>& omit = {},
               const std::vector<std::pair<std::string, std::string>>& replace = {},
               const std::string& from = "Generated Classic") {
    for (const char* sheet : kSheets) {
      if (std::find(omit.begin(), omit.end(), sheet) != omit.end()) continue;
      folder_.WriteFile("Design\\" + as + "\\" + sheet,
                        ReadWhole(TestSkins() + "\\" + from + "\\" + sheet));
    }
    for (const auto& [file, content] : replace)
      folder_.WriteFile("Design\\" + as + "\\" + file, content);
  }

  HWND Start() {
    EXPECT_TRUE(player_.Start(folder_));
    HWND main = player_.WaitForMainWindow();
    EXPECT_TRUE(WaitStarted(player_));  // the whole start-up, not only the sliders
    // The Default design is in force (its outline is the last thing it sets up).
    EXPECT_TRUE(WaitUntil([&] { return HasRegion(main); }));
    return main;
  }

  HWND Chooser() { return player_.FindWindowOfClassWait("TForm6"); }

  void Apply(const std::string& name) {
    HWND c = Chooser();
    ASSERT_NE(c, nullptr);
    SetWindowTextA(GetDlgItem(c, ids::designList), name.c_str());
    Click(c, ids::dcToolbarButton972);
  }

  // Presses Apply without waiting and returns the text of the error box that follows
  // (closing it) and the box's owner.
  std::string ApplyExpectingError(const std::string& name, HWND* owner = nullptr) {
    HWND c = Chooser();
    SetWindowTextA(GetDlgItem(c, ids::designList), name.c_str());
    PostMessageA(GetDlgItem(c, ids::dcToolbarButton972), BM_CLICK, 0, 0);
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
    if (owner) *owner = GetWindow(box, GW_OWNER);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return text;
  }

  std::string CopyArchive(const std::string& name) {
    const std::string path = folder_.File("Downloads\\" + name);
    folder_.WriteFile("Downloads\\" + name, ReadWhole(TestSkins() + "\\" + name));
    return path;
  }

  TestFolder folder_;
  PlayerProcess player_;
};

TEST_F(ClassicSkinTest, ImportAfterAFolderDesign) {
  AddSkin("Generated Classic");
  HWND main = Start();
  const RECT rev = PlaceOf(main, ids::revbut), fwd = PlaceOf(main, ids::fwdbut);
  Apply("Generated Classic");
  ASSERT_TRUE(WaitUntil([&] { return IsClassicSize(main); }));
  EXPECT_FALSE(HasRegion(main));
  // The title, the labels and both sliders take the skin's colours.
  EXPECT_TRUE(WaitUntil([&] {
    return SendMessageA(GetDlgItem(main, ids::tb), ui::VSM_GETBKCOLOR, 0, 0) == kSlider;
  }));
  EXPECT_EQ(
      static_cast<COLORREF>(SendMessageA(GetDlgItem(main, ids::volbar), ui::VSM_GETBKCOLOR, 0, 0)),
      kSlider);
  EXPECT_EQ(static_cast<COLORREF>(
                SendMessageA(GetDlgItem(main, ids::Banner1), ui::VBM_GETTEXTCOLOR, 0, 0)),
            kDigit);
  for (int id : {ids::poslab, ids::Freq, ids::bitr, ids::lay, ids::Versiontext, ids::Statictext1})
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(GetDlgItem(main, id), ui::VLM_GETCOLOR, 0, 0)),
              kDigit)
        << id;
  EXPECT_EQ(
      static_cast<COLORREF>(SendMessageA(GetDlgItem(main, ids::banner2), ui::VLM_GETCOLOR, 0, 0)),
      RGB(255, 0, 0));
  EXPECT_EQ(
      static_cast<COLORREF>(SendMessageA(GetDlgItem(main, ids::lengthlab), ui::VLM_GETCOLOR, 0, 0)),
      RGB(0, 255, 255));
  // The classic places; the seek buttons stay where the folder design put them.
  EXPECT_TRUE(SamePlace(PlaceOf(main, ids::tb), RECT{15, 70, 255, 86}));
  EXPECT_TRUE(SamePlace(PlaceOf(main, ids::playbut), RECT{40, 90, 60, 106}));
  EXPECT_TRUE(SamePlace(PlaceOf(main, ids::Banner1), RECT{110, 23, 264, 34}));
  EXPECT_TRUE(SamePlace(PlaceOf(main, ids::revbut), rev));
  EXPECT_TRUE(SamePlace(PlaceOf(main, ids::fwdbut), fwd));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, ids::tb)));
  // Losing the focus keeps the skin's face, not the folder design's inactive one.
  SendMessageA(main, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, ids::background)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(main, ids::imdeactivated)));
  // The old design's outline went with it: switching "Transparency" off and on again
  // leaves the plain rectangle.
  SendMessageA(main, WM_COMMAND, main_menu::kTransparency, 0);
  SendMessageA(main, WM_COMMAND, main_menu::kTransparency, 0);
  EXPECT_FALSE(HasRegion(main));
  EXPECT_TRUE(IsClassicSize(main));
}

TEST_F(ClassicSkinTest, MissingOrBrokenSheetStopsThereWithTheLoaderError) {
  AddSkin("No Posbar", {"posbar.bmp"});
  AddSkin("Not A Bitmap", {}, {{"shufrep.bmp", "this is not a picture"}});
  HWND main = Start();
  const COLORREF tb_before =
      static_cast<COLORREF>(SendMessageA(GetDlgItem(main, ids::tb), ui::VSM_GETBKCOLOR, 0, 0));
  HWND owner = nullptr;
  const std::string text = ApplyExpectingError("No Posbar", &owner);
  EXPECT_EQ(LowerText(text),
            LowerText("Cannot open file " + folder_.Path() + "\\design\\No Posbar\\posbar.bmp"));
  EXPECT_EQ(owner, Chooser());
  // What came before the position slider is done and stays: size, places, volume slider.
  EXPECT_TRUE(IsClassicSize(main));
  EXPECT_TRUE(SamePlace(PlaceOf(main, ids::playbut), RECT{40, 90, 60, 106}));
  EXPECT_EQ(
      static_cast<COLORREF>(SendMessageA(GetDlgItem(main, ids::volbar), ui::VSM_GETBKCOLOR, 0, 0)),
      kSlider);
  EXPECT_EQ(
      static_cast<COLORREF>(SendMessageA(GetDlgItem(main, ids::tb), ui::VSM_GETBKCOLOR, 0, 0)),
      tb_before);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, ids::tb)));

  EXPECT_EQ(ApplyExpectingError("Not A Bitmap"), "Bitmap image is not valid");
  EXPECT_TRUE(player_.Running());
}

TEST_F(ClassicSkinTest, SheetsInEveryLayoutAndTooSmallAreSurvived) {
  // RLE8 main, 10 x 10 one-bit cbuttons, RLE4 titlebar, 32-bit top-down numbers, 4-bit
  // shufrep, 8-bit posbar 100 pixels wide.
  AddSkin("Odd Sheets", {}, {}, "Odd Sheets");
  // numbers.bmp with row 4 all black: the default colour.
  std::string numbers = ReadWhole(TestSkins() + "\\Generated Classic\\numbers.bmp");
  std::fill(numbers.begin() + 54, numbers.end(), '\0');
  AddSkin("Black Digits", {}, {{"numbers.bmp", numbers}});
  HWND main = Start();
  Apply("Odd Sheets");
  ASSERT_TRUE(WaitUntil([&] { return IsClassicSize(main); }));
  EXPECT_TRUE(WaitUntil([&] {
    return SendMessageA(GetDlgItem(main, ids::tb), ui::VSM_GETBKCOLOR, 0, 0) == kSlider;
  }));
  EXPECT_EQ(static_cast<COLORREF>(
                SendMessageA(GetDlgItem(main, ids::Banner1), ui::VBM_GETTEXTCOLOR, 0, 0)),
            kDigit);
  Apply("Black Digits");
  EXPECT_TRUE(WaitUntil([&] {
    return SendMessageA(GetDlgItem(main, ids::Banner1), ui::VBM_GETTEXTCOLOR, 0, 0) ==
           RGB(0, 255, 0);
  }));
  InvalidateRect(main, nullptr, TRUE);
  UpdateWindow(main);
  EXPECT_TRUE(player_.Running());
}

TEST_F(ClassicSkinTest, DroppedArchiveIsUnpackedListedAndApplied) {
  HWND main = Start();
  ASSERT_TRUE(DropFiles(main, {CopyArchive("Zipped Classic.wsz")}));
  ASSERT_TRUE(WaitUntil([&] { return IsClassicSize(main); }));
  // One top folder flattened, upper-case names found all the same.
  for (const char* sheet : kSheets)
    EXPECT_TRUE(folder_.Exists(std::string("Design\\Zipped Classic\\") + sheet)) << sheet;
  EXPECT_FALSE(folder_.Exists("Design\\Zipped Classic\\Generated Classic"));
  const auto items = ComboItems(GetDlgItem(Chooser(), ids::designList));
  EXPECT_NE(std::find(items.begin(), items.end(), "Zipped Classic"), items.end());
  EXPECT_TRUE(WaitChooserListsAgree(Chooser()));
  EXPECT_EQ(WindowText(GetDlgItem(Chooser(), ids::designList)), "Zipped Classic");
  EXPECT_EQ(static_cast<COLORREF>(
                SendMessageA(GetDlgItem(main, ids::Banner1), ui::VBM_GETTEXTCOLOR, 0, 0)),
            kDigit);
  // The playlist is not touched by a skin.
  EXPECT_EQ(ControlText(player_.FindWindowOfClassWait("TForm3"), ids::Label3), "0");
}

TEST_F(ClassicSkinTest, HostileArchivesAreRefused) {
  // Placed in Design: the good one is listed at start-up (its dots made '_', or the
  // listing of folder names without a dot would miss it), the evil one writes nothing.
  folder_.WriteFile("Design\\Zipped Classic.v2.wsz",
                    ReadWhole(TestSkins() + "\\Zipped Classic.wsz"));
  folder_.WriteFile("Design\\evil.wsz", ReadWhole(TestSkins() + "\\evil.wsz"));
  HWND main = Start();
  const auto items = ComboItems(GetDlgItem(Chooser(), ids::designList));
  EXPECT_NE(std::find(items.begin(), items.end(), "Zipped Classic_v2"), items.end());
  EXPECT_EQ(std::find(items.begin(), items.end(), "evil"), items.end());
  EXPECT_FALSE(folder_.Exists("Design\\evil"));
  EXPECT_FALSE(folder_.Exists("evil.txt"));
  EXPECT_FALSE(folder_.Exists("Design\\evil.txt"));

  ASSERT_TRUE(DropFiles(main, {CopyArchive("evil.wsz")}));
  EXPECT_TRUE(WaitForControlText(
      main, ids::banner2, "Skin archive evil.wsz refused: unsafe file name ..\\..\\evil.txt"));
  EXPECT_FALSE(folder_.Exists("evil.txt"));
  EXPECT_FALSE(folder_.Exists("Downloads\\..\\..\\evil.txt"));

  ASSERT_TRUE(DropFiles(main, {CopyArchive("bomb.wsz")}));
  EXPECT_TRUE(WaitForControlText(main, ids::banner2,
                                 "Skin archive bomb.wsz refused: it unpacks to more than 32 MB"));
  EXPECT_FALSE(folder_.Exists("Design\\bomb"));
  EXPECT_FALSE(folder_.Exists("Design\\bomb.unpacking"));
  // Headers that understate the size: reading stops at the claim, the check sum fails.
  ASSERT_TRUE(DropFiles(main, {CopyArchive("liar.wsz")}));
  EXPECT_TRUE(WaitForControlText(main, ids::banner2, "Skin archive liar.wsz is damaged"));
  EXPECT_FALSE(folder_.Exists("Design\\liar"));
  EXPECT_TRUE(player_.Running());
}

}  // namespace
}  // namespace velmora::e2e
