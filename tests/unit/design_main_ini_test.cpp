// main.ini application order on a recording target: which key wins, when a preset turns
// into esCustom, and that absent keys keep the previous design's values.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "design/main_ini.h"

namespace velmora {
namespace {

// Holds every control's state like the main window would, and records the calls.
class RecordingTarget : public DesignTarget {
 public:
  RecordingTarget() {
    for (int i = 0; i < static_cast<int>(DesignControl::Count); ++i) {
      // Distinct starting places so that a moved control stands out.
      geometry[i] = {i * 10, i * 10 + 1, 20 + i, 10 + i};
    }
  }

  int32_t MainSize(Edge e) const override { return e == Edge::Width ? width : height; }
  void SetMainSize(Edge e, int32_t v) override { (e == Edge::Width ? width : height) = v; }
  Colour HintColour() const override { return hint; }
  void SetHintColour(Colour c) override { hint = c; }
  int32_t Geometry(DesignControl c, Edge e) const override {
    return geometry.at(static_cast<int>(c))[static_cast<int>(e)];
  }
  void SetGeometry(DesignControl c, Edge e, int32_t v) override {
    geometry[static_cast<int>(c)][static_cast<int>(e)] = v;
  }
  void SetEnabled(DesignControl c, bool en) override {
    log.push_back(std::string(en ? "enable " : "disable ") + ControlName(c));
  }
  void SetNoBorder(DesignControl c, bool nb) override { no_border[static_cast<int>(c)] = nb; }
  LabelEffectStyle LabelStyle(DesignControl c) const override {
    auto it = labels.find(static_cast<int>(c));
    return it == labels.end() ? LabelEffectStyle{} : it->second;
  }
  void SetLabelStyle(DesignControl c, const LabelEffectStyle& s) override {
    labels[static_cast<int>(c)] = s;
    if (c == DesignControl::Versiontext) version_effects.push_back(s.EffectStyle());
  }
  void SetTimeColours(Colour e, Colour r) override {
    elapsed = e;
    remaining = r;
    log.push_back("time colours");
  }
  void SetTimeModeElapsed() override { log.push_back("elapsed mode"); }
  Colour SliderColour(DesignControl c) const override {
    return slider_colour.count(static_cast<int>(c)) ? slider_colour.at(static_cast<int>(c)) : 0;
  }
  void SetSliderColour(DesignControl c, Colour col) override {
    slider_colour[static_cast<int>(c)] = col;
  }
  void SetSliderVertical(DesignControl c, bool v) override { vertical[static_cast<int>(c)] = v; }
  TitleLook Title() const override { return title; }
  void SetTitle(const TitleLook& t) override { title = t; }
  void SetTitleScrolling(bool on) override { log.push_back(on ? "scroll on" : "scroll off"); }

  int32_t width = 306, height = 161;
  Colour hint = 0x0000FF;
  std::map<int, std::vector<int32_t>> geometry;
  std::map<int, bool> no_border, vertical;
  std::map<int, Colour> slider_colour;
  std::map<int, LabelEffectStyle> labels;
  std::vector<TEffectStyle> version_effects;
  Colour elapsed = 0, remaining = 0;
  TitleLook title;
  std::vector<std::string> log;
};

void Apply(const std::string& text, RecordingTarget& t) { ApplyMainIni(IniFile::Parse(text), t); }

TEST(MainIni, OneKeyMovesOnlyItsControl) {
  RecordingTarget t;
  const auto before = t.geometry;
  Apply("[main]\nplayleft=10\n", t);
  for (const auto& [control, g] : t.geometry) {
    auto expected = before.at(control);
    if (control == static_cast<int>(DesignControl::playbut))
      expected[static_cast<int>(Edge::Left)] = 10;
    EXPECT_EQ(g, expected) << ControlName(static_cast<DesignControl>(control));
  }
  EXPECT_EQ(t.width, 306);
  EXPECT_EQ(t.height, 161);
  EXPECT_EQ(t.hint, 0x0000FFu);
}

TEST(MainIni, KeysAndSectionIgnoreLetterCase) {
  RecordingTarget t;
  Apply("[MAIN]\nPlayLeft = 12\nMAINWIDTH=$20\n", t);
  EXPECT_EQ(t.Geometry(DesignControl::playbut, Edge::Left), 12);
  EXPECT_EQ(t.width, 32);
}

TEST(MainIni, NoBorderKeysOfEveryButtonIncludingFastForward) {
  RecordingTarget t;
  Apply("[main]\nfwdnoborder=1\nexitnoborder=7\n", t);
  EXPECT_TRUE(t.no_border[static_cast<int>(DesignControl::fwdbut)]);
  EXPECT_TRUE(t.no_border[static_cast<int>(DesignControl::Bitbtn1)]);
  EXPECT_FALSE(t.no_border[static_cast<int>(DesignControl::playbut)]);  // absent: false
}

TEST(MainIni, VersionEffectPresetIsSetThenOverriddenByDefaultDepths) {
  RecordingTarget t;
  Apply("[main]\nversioneffect=4\n", t);
  ASSERT_FALSE(t.version_effects.empty());
  // The flying preset is loaded by its key...
  EXPECT_NE(std::find(t.version_effects.begin(), t.version_effects.end(), TEffectStyle::esFlying),
            t.version_effects.end());
  // ...and the default depth of 0 then differs from its 1: the style becomes esCustom.
  const auto s = t.LabelStyle(DesignControl::Versiontext);
  EXPECT_EQ(s.EffectStyle(), TEffectStyle::esCustom);
  EXPECT_EQ(s.DirectionHighlight(), TEffectDirection::edNone);
}

TEST(MainIni, VersionEffectFlyingHoldsWhenTheKeysRepeatThePreset) {
  RecordingTarget t;
  Apply(
      "[main]\nversioneffect=4\nversiondepthH=1\nversiondepthS=5\n"
      "versiondirectionhighlight=2\nversiondirectionshadow=2\n",
      t);
  const auto s = t.LabelStyle(DesignControl::Versiontext);
  EXPECT_EQ(s.EffectStyle(), TEffectStyle::esFlying);
  EXPECT_EQ(s.DirectionShadow(), TEffectDirection::edDownRight);
  EXPECT_EQ(s.DepthShadow(), 5);
}

TEST(MainIni, EnumerationNumbersOutsideTheirListsTakeTheFallback) {
  RecordingTarget t;
  Apply(
      "[main]\nversioneffect=9\nversioncolourscheme=-3\nversiongraduateface=77\n"
      "versionstylehighlight=4\nversiondirectionshadow=abc\n",
      t);
  const auto s = t.LabelStyle(DesignControl::Versiontext);
  EXPECT_EQ(s.EffectStyle(), TEffectStyle::esNone);
  EXPECT_EQ(s.ColourScheme(), TColourScheme::csCustom);
  EXPECT_EQ(s.GraduateFace(), TGraduateOption::goNone);
  EXPECT_EQ(s.StyleHighlight(), TEffectOption::eoNormal);
  EXPECT_EQ(s.DirectionShadow(), TEffectDirection::edNone);
}

TEST(MainIni, SchemeOverridesTheStatusColourButNotTheVersionColour) {
  RecordingTarget t;
  // Scheme 2 is csGold: text $008080.
  Apply(
      "[main]\ninfocolor=$0000FF\ninfocolourscheme=2\n"
      "versiontextcolor=$0000FF\nversioncolourscheme=2\n",
      t);
  EXPECT_EQ(t.LabelStyle(DesignControl::banner2).font_colour, 0x008080u);
  EXPECT_EQ(t.LabelStyle(DesignControl::Versiontext).font_colour, 0x0000FFu);
  // Both took the scheme's highlight colour.
  EXPECT_EQ(t.LabelStyle(DesignControl::banner2).ColourHighlight(), 0x00FFFFu);
}

TEST(MainIni, TimeColoursAndBlackBackground) {
  RecordingTarget t;
  LabelEffectStyle time;
  time.font_colour = 0x00FF00;
  time.bk_colour = 0x123456;
  t.labels[static_cast<int>(DesignControl::poslab)] = time;
  Apply("[main]\n", t);
  EXPECT_EQ(t.elapsed, 0x00FF00u);    // the label's current colour
  EXPECT_EQ(t.remaining, 0xFFFF00u);  // aqua when absent
  EXPECT_EQ(t.LabelStyle(DesignControl::poslab).bk_colour, 0u);
  Apply("[main]\ntimecolor=$80000008\ntimeremainingcolor=$00FF0000\n", t);
  EXPECT_EQ(t.elapsed, 0x80000008u);
  EXPECT_EQ(t.remaining, 0xFF0000u);
  EXPECT_EQ(t.LabelStyle(DesignControl::poslab).font_colour, 0x80000008u);
  // Colours are stored before the mode is set and before the label's own keys.
  auto pos = std::find(t.log.begin(), t.log.end(), "time colours");
  ASSERT_NE(pos, t.log.end());
  EXPECT_EQ(*(pos + 1), "elapsed mode");
  EXPECT_EQ(*(pos + 2), "disable poslab");
}

TEST(MainIni, WidthAndHeightOrderDiffersByLabel) {
  // Not observable through values alone; the effect label order is checked through the
  // disable/enable bracket that frames every label's keys.
  RecordingTarget t;
  Apply("[main]\n", t);
  const std::vector<std::string> brackets = {
      "disable Versiontext", "enable Versiontext", "disable Freq", "enable Freq",
      "disable bitr",        "enable bitr",        "disable lay",  "enable lay"};
  std::vector<std::string> seen;
  for (const auto& l : t.log)
    if (l.rfind("disable", 0) == 0 || l.rfind("enable", 0) == 0) seen.push_back(l);
  ASSERT_GE(seen.size(), brackets.size());
  EXPECT_TRUE(std::equal(brackets.begin(), brackets.end(), seen.begin()));
}

TEST(MainIni, SlidersAndTitle) {
  RecordingTarget t;
  t.title.font_name = "Arial";
  t.title.font_size = 8;
  Apply(
      "[main]\nvolbarvertical=1\ntbbarcolor=$00112233\nsongtitlecolor=$000000FF\nsongtitlefontsize="
      "12\n",
      t);
  EXPECT_TRUE(t.vertical[static_cast<int>(DesignControl::volbar)]);
  EXPECT_FALSE(t.vertical[static_cast<int>(DesignControl::tb)]);
  EXPECT_EQ(t.slider_colour[static_cast<int>(DesignControl::tb)], 0x112233u);
  EXPECT_EQ(t.title.colour, 0xFFu);
  EXPECT_EQ(t.title.font_size, 12);
  EXPECT_EQ(t.title.font_name, "Arial");
  // Scrolling is off while the title's keys apply and on afterwards.
  auto off = std::find(t.log.begin(), t.log.end(), "scroll off");
  auto on = std::find(t.log.begin(), t.log.end(), "scroll on");
  EXPECT_LT(off, on);
}

TEST(MainIni, GarbageAndHugeValuesAreHandedOnOrDefaulted) {
  RecordingTarget t;
  Apply(
      "[main]\nplayleft=99999999999\nplaytop=12abc\nplaywidth=2147483647\nmainwidth=-5\n"
      "hintcolor=$FFFFFFFFFF\nversiontextfontsize=100000\n\x01\x02=\xff\n=7\n[other]\nstopleft=3\n",
      t);
  EXPECT_EQ(t.Geometry(DesignControl::playbut, Edge::Left), 41);  // out of 32 bits: default
  EXPECT_EQ(t.Geometry(DesignControl::playbut, Edge::Top), 40);   // not a number: default
  EXPECT_EQ(t.Geometry(DesignControl::playbut, Edge::Width), 2147483647);
  EXPECT_EQ(t.width, -5);
  EXPECT_EQ(t.hint, 0x0000FFu);
  EXPECT_EQ(t.LabelStyle(DesignControl::Versiontext).font_size, 100000);
  EXPECT_EQ(t.Geometry(DesignControl::stopbut, Edge::Left), 21);  // other sections are ignored
}

TEST(IniInteger, DesignFileNumbers) {
  EXPECT_EQ(ParseIniInteger("12"), 12);
  EXPECT_EQ(ParseIniInteger(" -7 "), -7);
  EXPECT_EQ(ParseIniInteger("$FF"), 255);
  EXPECT_EQ(ParseIniInteger("0x10"), 16);
  EXPECT_EQ(ParseIniInteger("$80000008"), static_cast<int32_t>(0x80000008u));
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
  EXPECT_FALSE(ParseIniInteger("2147483648"));
  EXPECT_FALSE(ParseIniInteger("$100000000"));
  EXPECT_FALSE(ParseIniInteger(""));
  EXPECT_FALSE(ParseIniInteger("$"));
  EXPECT_FALSE(ParseIniInteger("1.5"));
}

TEST(IniFile, FirstKeyWinsQuotesAndComments) {
  const auto ini =
      IniFile::Parse("; comment\r\n[Main]\r\nfont = \"Arial Black\" \r\nfont=Other\r\n");
  EXPECT_EQ(ini.ReadString("main", "FONT", "x"), "Arial Black");
  EXPECT_EQ(ini.ReadString("main", "none", "x"), "x");
}

}  // namespace
}  // namespace velmora
