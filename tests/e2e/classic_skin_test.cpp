// Classic skins end to end, with the skins the generator draws into <build>\testskins:
// the import after a folder design (size, no outline, colours, places), a missing or
// broken sheet, sheets in every bitmap layout and too small, skins as they are found
// (the face on screen against the generator's), skin archives dropped on the window or
// the chooser, placed in Design or named on the command line, hostile ones included.
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

// The face the generator says a skin gives: a 275 x 116 24-bit bottom-up BMP, as RGB.
std::vector<COLORREF> ReadFace(const std::string& path) {
  const std::string b = ReadWhole(path);
  std::vector<COLORREF> out;
  if (b.size() < 54 + 276 * 3 * 116) return out;
  const size_t bits = static_cast<unsigned char>(b[10]) | (static_cast<unsigned char>(b[11]) << 8);
  const size_t stride = (275 * 3 + 3) & ~3u;
  for (int y = 0; y < 116; ++y)
    for (int x = 0; x < 275; ++x) {
      const unsigned char* p =
          reinterpret_cast<const unsigned char*>(b.data() + bits + (115 - y) * stride + x * 3);
      out.push_back(RGB(p[2], p[1], p[0]));
    }
  return out;
}

// The pixels of a part of the screen, top-down.
std::vector<COLORREF> ScreenPixels(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<COLORREF> out;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  for (int i = 0; i < w * h; ++i) {
    const uint32_t v = static_cast<const uint32_t*>(bits)[i];
    out.push_back(RGB((v >> 16) & 255, (v >> 8) & 255, v & 255));
  }
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return out;
}

// Pixels of the main window that differ from `face` where the player draws nothing of its
// own: outside every visible control and the parts painted from the other sheets.
std::string FaceDifference(HWND main, const std::vector<COLORREF>& face) {
  RECT w{};
  GetWindowRect(main, &w);
  const std::vector<COLORREF> shot = ScreenPixels({w.left, w.top, w.left + 275, w.top + 116});
  std::vector<RECT> covered = {
      {16, 89, 157, 107}, {0, 0, 275, 13}, {9, 21, 17, 63}, {218, 58, 262, 70}};
  for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(c);
    if (!IsWindowVisible(c) || id == ids::background || id == ids::imdeactivated) continue;
    covered.push_back(PlaceOf(main, id));
  }
  int differing = 0, compared = 0;
  std::string first;
  for (int y = 0; y < 116; ++y)
    for (int x = 0; x < 275; ++x) {
      const POINT p{x, y};
      if (std::any_of(covered.begin(), covered.end(),
                      [&](const RECT& r) { return PtInRect(&r, p); }))
        continue;
      ++compared;
      const COLORREF want = face[static_cast<size_t>(y) * 275 + x],
                     got = shot[static_cast<size_t>(y) * 275 + x];
      if (want == got) continue;
      if (differing++ == 0)
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(got) +
                ", not " + std::to_string(want);
    }
  if (compared < 5000) return "only " + std::to_string(compared) + " pixels compared";
  return differing ? std::to_string(differing) + " pixels differ, first " + first : "";
}

COLORREF ListBackground(HWND playlist) {
  RECT r{};
  GetWindowRect(GetDlgItem(playlist, ids::pl), &r);
  // Below the last row, inside the border.
  return ScreenPixels({r.right - 12, r.bottom - 12, r.right - 8, r.bottom - 8})[0];
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
    EXPECT_TRUE(player_.WaitForStartup());  // the whole start-up, not only the sliders
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

  // Presses Apply and waits for it; an error box (that would hold it up) is a failure.
  void ApplyWithoutError(const std::string& name) {
    HWND c = Chooser();
    SetWindowTextA(GetDlgItem(c, ids::designList), name.c_str());
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(GetDlgItem(c, ids::dcToolbarButton972), BM_CLICK, 0, 0, SMTO_NORMAL,
                             60000, &answer)) {
      ADD_FAILURE() << "Apply did not come back: " << name;
      for (HWND w : TopLevelWindowsOf(player_.Pid()))
        if (ClassNameOf(w) == "#32770") PostMessageA(w, WM_COMMAND, IDOK, 0);
    }
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
  AddSkin("No Main", {"main.bmp"});
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
  // Sheets without main.bmp are still a classic skin: the missing sheet is named.
  EXPECT_EQ(LowerText(ApplyExpectingError("No Main")),
            LowerText("Cannot open file " + folder_.Path() + "\\design\\No Main\\main.bmp"));
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
  // The refusal at start-up is in the error list.
  HWND options = player_.FindWindowOfClassWait("TForm2");
  const std::string errors = ControlText(options, ids::currenterrors);
  EXPECT_NE(errors.find("Skin archive evil.wsz refused: unsafe file name"), std::string::npos)
      << errors;

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

// Skins as users find them, each placed in Design as an archive and applied through the
// chooser: the face on screen is main.bmp where the player draws nothing over it, the
// labels take the digits' colour, nothing is reported.
TEST_F(ClassicSkinTest, SkinsAsFoundInDesignAreApplied) {
  const char* kWild[] = {"Wild Nums Ex",       "Wild Packed By Hand", "Wild Main 8bit",
                         "Wild Main RLE4",     "Wild Main 32bit",     "Wild Main Core Header",
                         "Wild Main 300x130",  "Wild Main 200x100",   "Wild Pledit Full",
                         "Wild Pledit Garbage"};
  for (const char* name : kWild)
    folder_.WriteFile(std::string("Design\\") + name + ".wsz",
                      ReadWhole(TestSkins() + "\\" + name + ".wsz"));
  HWND main = Start();
  HWND playlist = player_.FindWindowOfClassWait("TForm3");
  HWND options = player_.FindWindowOfClassWait("TForm2");
  // Side by side, nothing covering the main window.
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(Chooser(), nullptr, 0, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(SendRegistered(main, "VelmoraShowPlaylist").has_value());
  SetWindowPos(playlist, nullptr, 700, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const COLORREF system_list = GetSysColor(COLOR_WINDOW);
  ASSERT_TRUE(WaitUntil([&] { return ListBackground(playlist) == system_list; }));

  for (const char* name : kWild) {
    SCOPED_TRACE(name);
    ApplyWithoutError(name);
    EXPECT_TRUE(IsClassicSize(main));
    EXPECT_EQ(static_cast<COLORREF>(
                  SendMessageA(GetDlgItem(main, ids::Banner1), ui::VBM_GETTEXTCOLOR, 0, 0)),
              kDigit);
    const std::vector<COLORREF> face = ReadFace(TestSkins() + "\\" + name + ".face.bmp");
    ASSERT_EQ(face.size(), 275u * 116u);
    std::string difference;
    EXPECT_TRUE(WaitUntil([&] { return (difference = FaceDifference(main, face)).empty(); }))
        << difference;
    // The playlist follows pledit.txt; without one, or with one of garbage, it keeps the
    // system's colours.
    const COLORREF list =
        std::string(name) == "Wild Pledit Full" ? RGB(0x10, 0x20, 0x30) : system_list;
    EXPECT_TRUE(WaitUntil([&] { return ListBackground(playlist) == list; }))
        << ListBackground(playlist);
  }
  // The comparison tells faces apart.
  EXPECT_NE(FaceDifference(main, ReadFace(TestSkins() + "\\Wild Main 200x100.face.bmp")), "");
  // Packed by hand: the skin's own folder, its names in UTF-8 kept; nothing else.
  EXPECT_NE(GetFileAttributesW((std::wstring(folder_.Path().begin(), folder_.Path().end()) +
                                L"\\Design\\Wild Packed By Hand\\\u00fcn\u00efc\u00f8d\u00e9.txt")
                                   .c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(folder_.Exists("Design\\Wild Packed By Hand\\readme.txt"));
  EXPECT_FALSE(folder_.Exists("Design\\Wild Packed By Hand\\Extras"));
  // Another design brings the system's colours back.
  ApplyWithoutError("Wild Pledit Full");
  ASSERT_TRUE(WaitUntil([&] { return ListBackground(playlist) == RGB(0x10, 0x20, 0x30); }));
  ApplyWithoutError("Default");
  EXPECT_TRUE(WaitUntil([&] { return ListBackground(playlist) == system_list; }));
  EXPECT_EQ(ControlText(options, ids::currenterrors), "");
}

// A skin archive named like a design that exists (Default.wsz beside Default) opened from
// the command line: unpacked under a free name and that is applied; the design is not
// touched. Opened again (dropped on the chooser), the same folder is used. Opened from
// the shell while the player runs, the second start hands it over.
TEST_F(ClassicSkinTest, ArchiveOnTheCommandLineNamedLikeADesign) {
  const std::string archive = folder_.File("Downloads\\Default.wsz");
  folder_.WriteFile("Downloads\\Default.wsz", ReadWhole(TestSkins() + "\\Wild Nums Ex.wsz"));
  const std::string default_back = folder_.ReadFile("Design\\Default\\back.bmp");
  ASSERT_FALSE(default_back.empty());
  LaunchOptions options;
  options.arguments = "\"" + archive + "\"";
  ASSERT_TRUE(player_.Start(folder_, options));
  HWND main = player_.WaitForMainWindow();
  ASSERT_TRUE(player_.WaitForStartup());
  EXPECT_TRUE(
      WaitForControlText(main, ids::banner2, "Skin archive Default.wsz unpacked as Default (2)"));
  EXPECT_TRUE(WaitUntil([&] { return IsClassicSize(main); }));
  EXPECT_TRUE(folder_.Exists("Design\\Default (2)\\nums_ex.bmp"));
  EXPECT_EQ(folder_.ReadFile("Design\\Default\\back.bmp"), default_back);
  EXPECT_FALSE(folder_.Exists("Design\\Default\\main.bmp"));
  EXPECT_EQ(WindowText(GetDlgItem(Chooser(), ids::designList)), "Default (2)");
  EXPECT_EQ(static_cast<COLORREF>(
                SendMessageA(GetDlgItem(main, ids::Banner1), ui::VBM_GETTEXTCOLOR, 0, 0)),
            kDigit);
  // The skin's archive is not something to play.
  EXPECT_EQ(ControlText(player_.FindWindowOfClassWait("TForm3"), ids::Label3), "0");
  // Some seconds into the run the status line shows the makers' address once: over before
  // the statuses below are read.
  WaitUntil([&] { return ControlText(main, ids::banner2).rfind("http", 0) == 0; }, 6000);

  ApplyWithoutError("Default");
  ASSERT_TRUE(WaitUntil([&] { return HasRegion(main); }));
  ASSERT_TRUE(DropFiles(Chooser(), {archive}));
  EXPECT_TRUE(WaitForControlText(main, ids::banner2, "Design Default (2) is there already"))
      << ControlText(main, ids::banner2);
  EXPECT_TRUE(WaitUntil([&] { return IsClassicSize(main); }));
  EXPECT_FALSE(folder_.Exists("Design\\Default (3)"));
  // Another skin of that name, its files as large as the first one's: a folder of its own.
  folder_.WriteFile("Downloads\\Default.wsz",
                    ReadWhole(TestSkins() + "\\Wild Nums Ex Recoloured.wsz"));
  ASSERT_TRUE(DropFiles(Chooser(), {archive}));
  EXPECT_TRUE(
      WaitForControlText(main, ids::banner2, "Skin archive Default.wsz unpacked as Default (3)"))
      << ControlText(main, ids::banner2);
  EXPECT_EQ(WindowText(GetDlgItem(Chooser(), ids::designList)), "Default (3)");

  PlayerProcess second;
  ASSERT_TRUE(second.Start(folder_, {"\"" + CopyArchive("Wild Pledit Full.wsz") + "\""}));
  EXPECT_TRUE(second.WaitForExit(20000).has_value());
  // (The activation that the hand-off brings replaces the status text soon.)
  EXPECT_TRUE(WaitUntil([&] { return folder_.Exists("Design\\Wild Pledit Full\\pledit.txt"); }));
  EXPECT_TRUE(WaitUntil(
      [&] { return WindowText(GetDlgItem(Chooser(), ids::designList)) == "Wild Pledit Full"; }));
}

}  // namespace
}  // namespace velmora::e2e
