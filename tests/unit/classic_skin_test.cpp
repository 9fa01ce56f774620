// Classic skins: the colour rules, the order of the control places and the paintings,
// sheets smaller than what is read from them; and the plan for unpacking skin archives.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "design/classic_skin.h"
#include "design/skin_archive.h"

namespace velmora {
namespace {

Image Filled(int w, int h, uint32_t rgb) {
  Image img;
  img.width = w;
  img.height = h;
  img.pixels.assign(static_cast<size_t>(w) * h, rgb);
  return img;
}

TEST(ClassicSkin, DigitColourIsTheFirstNonBlackPixelOfRowFour) {
  Image numbers = Filled(99, 13, 0);
  numbers.pixels[4 * 99 + 3] = 0xFFFFFF;  // white at (3, 4) after three black pixels
  numbers.pixels[4 * 99 + 7] = 0x123456;
  numbers.pixels[3 * 99 + 0] = 0xFF0000;  // other rows do not count
  EXPECT_EQ(DigitColourOf(numbers), 0x00FFFFFFu);
  numbers.pixels[4 * 99 + 3] = 0x102030;  // pixels are RGB, colours $00BBGGRR
  EXPECT_EQ(DigitColourOf(numbers), 0x00302010u);
}

TEST(ClassicSkin, DigitColourWithoutAnyOnRowFourIsTheReadableDefault) {
  EXPECT_EQ(DigitColourOf(Filled(99, 13, 0)), kDefaultDigitColour);
  EXPECT_EQ(DigitColourOf(Filled(99, 4, 0xFFFFFF)), kDefaultDigitColour);  // no row 4
  EXPECT_EQ(DigitColourOf(Image{}), kDefaultDigitColour);
  EXPECT_NE(kDefaultDigitColour, 0u);
}

TEST(ClassicSkin, SliderColourIsPixel205x95OfMain) {
  Image main = Filled(275, 116, 0x333333);
  main.pixels[95 * 275 + 205] = 0x00FF00;
  EXPECT_EQ(SliderColourOf(main), 0x0000FF00u);
  main.pixels[95 * 275 + 205] = 0xFF0000;
  EXPECT_EQ(SliderColourOf(main), 0x000000FFu);
  EXPECT_EQ(SliderColourOf(Filled(200, 90, 0xFFFFFF)), 0u);  // smaller than the pixel
}

TEST(ClassicSkin, ControlPlacesInTheirOrder) {
  std::vector<std::string> order;
  for (const ClassicPlace& p : ClassicPlaces()) order.push_back(ControlName(p.control));
  const std::vector<std::string> want = {
      "plbut",     "poslab",   "Banner1",     "Bitbtn1",      "minibut", "Button1",
      "optionbut", "Freq",     "bitr",        "Versiontext",  "lay",     "prevtrackbut",
      "playbut",   "pausebut", "stopbut",     "nexttrackbut", "openbut", "id3but",
      "optionbut", "banner2",  "Statictext1", "lengthlab",    "volbar",  "tb"};
  EXPECT_EQ(order, want);
  const ClassicPlace& tb = ClassicPlaces().back();
  EXPECT_EQ((std::vector<int>{tb.top, tb.left, tb.width, tb.height}),
            (std::vector<int>{70, 15, 240, 16}));
  const ClassicPlace& status = ClassicPlaces()[19];
  EXPECT_EQ(ClassicTextColour(status.look, 0x123456), 0x000000FFu);
  EXPECT_EQ(status.font_points, 6);
  EXPECT_EQ(ClassicTextColour(ClassicPlaces()[21].look, 0x123456), 0x00FFFF00u);
  EXPECT_EQ(ClassicTextColour(ClassicPlaces()[1].look, 0x123456), 0x123456u);
  EXPECT_EQ(ClassicPlaces()[1].font_points, 13);
  // Neither of the seek buttons is moved.
  for (const ClassicPlace& p : ClassicPlaces()) {
    EXPECT_NE(p.control, DesignControl::revbut);
    EXPECT_NE(p.control, DesignControl::fwdbut);
  }
}

TEST(ClassicSkin, PaintingsInOrderAndSmallSheetsLeaveTheFace) {
  const auto& paint = ClassicPaintings();
  ASSERT_EQ(paint.size(), 5u);
  EXPECT_EQ(paint[0].sheet, ClassicSheet::cbuttons);
  EXPECT_EQ(paint[0].x, 136);
  EXPECT_EQ(paint[1].source.Width(), 113);
  EXPECT_EQ(paint[1].source.Height(), 18);
  EXPECT_EQ(paint[3].source.left, 312);
  EXPECT_EQ(paint[4].sheet, ClassicSheet::shufrep);

  Image face = ClassicFace(Filled(10, 10, 0x0000FF));  // a main.bmp far too small
  ASSERT_EQ(face.width, 275);
  ASSERT_EQ(face.height, 116);
  EXPECT_EQ(face.At(9, 9), 0x0000FFu);
  EXPECT_EQ(face.At(10, 9), 0u);
  // A 10 x 10 cbuttons.bmp: the transport keys paint its 10 x 10, the rest stays.
  PaintOnto(face, Filled(10, 10, 0xFF0000), paint[1].source, paint[1].x, paint[1].y);
  EXPECT_EQ(face.At(16, 89), 0xFF0000u);
  EXPECT_EQ(face.At(25, 98), 0xFF0000u);
  EXPECT_EQ(face.At(26, 98), 0u);
  PaintOnto(face, Filled(10, 10, 0xFF0000), paint[0].source, paint[0].x,
            paint[0].y);  // wholly outside
  EXPECT_EQ(face.At(136, 89), 0u);
  // A posbar.bmp narrower than 277: the thumb is black where the sheet ends.
  const Image thumb = CutOut(Filled(250, 10, 0x00FF00), kPositionThumb);
  ASSERT_EQ(thumb.width, 30);
  EXPECT_EQ(thumb.At(2, 5), 0x00FF00u);
  EXPECT_EQ(thumb.At(3, 5), 0u);
  EXPECT_TRUE(CutOut(Image{}, kPositionTrack).pixels == std::vector<uint32_t>(240 * 10, 0));
}

TEST(ClassicSkin, DigitsFromNumsExWhereNumbersIsMissing) {
  EXPECT_EQ(SheetFileCandidates(ClassicSheet::numbers),
            (std::vector<std::string>{"numbers.bmp", "nums_ex.bmp"}));
  EXPECT_EQ(SheetFileCandidates(ClassicSheet::main), std::vector<std::string>{"main.bmp"});
}

TEST(ClassicSkin, AFolderOfSheetsWithoutMainIsStillAClassicSkin) {
  EXPECT_TRUE(IsClassicSkinFolder({"readme.txt", "MAIN.BMP"}));
  EXPECT_TRUE(IsClassicSkinFolder({"cbuttons.bmp", "Titlebar.bmp", "pledit.txt"}));
  EXPECT_TRUE(IsClassicSkinFolder({"back.bmp", "main.bmp"}));
  EXPECT_FALSE(IsClassicSkinFolder({"back.bmp", "mask.bmp", "posbar.bmp"}));
  EXPECT_FALSE(IsClassicSkinFolder({"main.ini", "cbuttons.bmp"}));
  EXPECT_FALSE(IsClassicSkinFolder({"mask.bmp"}));
}

TEST(ClassicSkin, PlaylistLookFromPledit) {
  const PlaylistLook all = PlaylistLookOf(
      "[Text]\r\nNormal=#00FF00\r\nCurrent= #ffffff \r\nNormalBG=#000000\r\n"
      "SelectedBG=0000C6\r\nFont=Tahoma\r\nmbBG=#000000\r\n");
  EXPECT_EQ(all.normal_text, 0x0000FF00u);
  EXPECT_EQ(all.current_text, 0x00FFFFFFu);
  EXPECT_EQ(all.normal_background, 0u);
  EXPECT_EQ(all.selected_background, 0x00C60000u);  // $00BBGGRR
  EXPECT_EQ(all.font, "Tahoma");
  // Each key that does not read as its kind is left to the default.
  const PlaylistLook bad = PlaylistLookOf(
      "[Text]\nNormal=#00FF0\nCurrent=green\nNormalBG=#12345G\nSelectedBG=#1234567\n"
      "Font=\x01\x02\n");
  EXPECT_EQ(bad, PlaylistLook{});
  EXPECT_EQ(PlaylistLookOf("\xff\xfe garbage [[[ ="), PlaylistLook{});
  EXPECT_EQ(PlaylistLookOf("[Other]\nNormal=#00FF00\n"), PlaylistLook{});
}

TEST(SkinArchive, FlattensASingleTopFolderAndKeepsTheFirstOfEachName) {
  const UnpackPlan plan = PlanSkinUnpack({{"Cool Skin/", 0, true},
                                          {"Cool Skin/Main.BMP", 100},
                                          {"cool skin\\cbuttons.bmp", 50},
                                          {"Cool Skin/MAIN.bmp", 7},
                                          {"Cool Skin/extra/readme.txt", 5}});
  ASSERT_TRUE(plan.Ok());
  ASSERT_EQ(plan.files.size(), 2u);
  EXPECT_EQ(plan.files[0].file, "Main.BMP");
  EXPECT_EQ(plan.files[0].index, 1u);
  EXPECT_EQ(plan.files[1].file, "cbuttons.bmp");
  // Files at the top and in a folder: nothing is flattened, the folder's files stay out.
  const UnpackPlan mixed = PlanSkinUnpack({{"main.bmp", 1}, {"sub/posbar.bmp", 1}});
  ASSERT_EQ(mixed.files.size(), 1u);
  EXPECT_EQ(mixed.files[0].file, "main.bmp");
}

TEST(SkinArchive, TheSkinIsTheShallowestFolderHoldingMain) {
  // Packed by hand: the skin two folders down, beside a folder of other tools' files.
  const UnpackPlan plan = PlanSkinUnpack({{"__MACOSX/Pack/Skin/._main.bmp", 4},
                                          {"Pack/", 0, true},
                                          {"Pack/readme.txt", 3},
                                          {"Pack/Skin/MAIN.BMP", 100},
                                          {"pack\\skin\\Numbers.Bmp", 50},
                                          {"Pack/Skin/deeper/main.bmp", 9},
                                          {"Pack/Skin/deeper/posbar.bmp", 9}});
  ASSERT_TRUE(plan.Ok());
  ASSERT_EQ(plan.files.size(), 2u);
  EXPECT_EQ(plan.files[0].file, "MAIN.BMP");
  EXPECT_EQ(plan.files[1].file, "Numbers.Bmp");
  EXPECT_EQ(plan.files[1].index, 4u);
}

TEST(SkinArchive, AClashingNameTakesTheFirstFreeNumber) {
  const std::vector<std::string> taken = {"Default", "Default (2)"};
  auto free = [&](const std::string& n) {
    return std::find(taken.begin(), taken.end(), n) == taken.end();
  };
  EXPECT_EQ(FreeSkinName("Default", free), "Default (3)");
  EXPECT_EQ(FreeSkinName("Cool", free), "Cool");
  EXPECT_TRUE(IsUsableSkinName("Default (3)"));
  EXPECT_EQ(FreeSkinName("X", [](const std::string&) { return false; }), "");
}

TEST(SkinArchive, RefusesUnsafeNamesAndBombs) {
  for (const char* bad :
       {"..\\..\\evil.txt", "skin/../../evil.txt", "/etc/evil", "\\evil.bmp", "C:\\evil.bmp",
        "c:evil.bmp", "skin/CON", "nul.bmp", "skin/com1.txt", "LPT9", "a:stream", "sk\x01in.bmp"}) {
    const UnpackPlan plan = PlanSkinUnpack({{"main.bmp", 10}, {bad, 10}});
    EXPECT_EQ(plan.refusal, ArchiveRefusal::unsafe_name) << bad;
    EXPECT_EQ(plan.unsafe_entry, bad);
    EXPECT_TRUE(plan.files.empty());
  }
  EXPECT_TRUE(PlanSkinUnpack({{"console.bmp", 1}, {"com10.bmp", 1}, {"..skin.bmp", 1}}).Ok());

  ArchiveLimits limits;
  limits.max_total = 1000;
  limits.max_entries = 3;
  EXPECT_EQ(PlanSkinUnpack({{"a.bmp", 600}, {"b.bmp", 401}}, limits).refusal,
            ArchiveRefusal::too_large);
  EXPECT_EQ(PlanSkinUnpack({{"a.bmp", ~0ull}, {"b.bmp", 2}}, limits).refusal,
            ArchiveRefusal::too_large);
  EXPECT_TRUE(PlanSkinUnpack({{"a.bmp", 600}, {"b.bmp", 400}}, limits).Ok());
  EXPECT_EQ(PlanSkinUnpack({{"a", 1}, {"b", 1}, {"c", 1}, {"d", 1}}, limits).refusal,
            ArchiveRefusal::too_many);
  EXPECT_EQ(ArchiveStatusText("bomb.wsz", ArchiveRefusal::too_large, "", ArchiveLimits{}),
            "Skin archive bomb.wsz refused: it unpacks to more than 32 MB");
}

TEST(SkinArchive, NamesOfArchives) {
  EXPECT_TRUE(IsSkinArchiveName("C:\\x\\Cool.WSZ"));
  EXPECT_TRUE(IsSkinArchiveName("a.zip"));
  EXPECT_FALSE(IsSkinArchiveName("a.mp3"));
  EXPECT_FALSE(IsSkinArchiveName(".wsz"));
  EXPECT_EQ(SkinNameOfArchive("C:\\skins\\Cool Skin.v2.wsz"), "Cool Skin_v2");
  EXPECT_EQ(SkinNameOfArchive("C:\\skins\\...wsz"), "__");
  EXPECT_EQ(SkinNameOfArchive("plain"), "plain");
  EXPECT_TRUE(IsUsableSkinName("Cool Skin.v2"));
  for (const char* bad : {"", ".", "..", "a.", "nul", "a\\b", "c:x"})
    EXPECT_FALSE(IsUsableSkinName(bad)) << bad;
}

}  // namespace
}  // namespace velmora
