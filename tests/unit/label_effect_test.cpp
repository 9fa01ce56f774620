// The effect label's presets and setters, in the component's own orders.
#include <gtest/gtest.h>

#include "ui/label_effect.h"

namespace velmora {
namespace {

TEST(LabelEffect, ComponentOrdersAreKept) {
  EXPECT_EQ(static_cast<int>(TEffectStyle::esFlying), 5);
  EXPECT_EQ(static_cast<int>(TColourScheme::csSteel), 5);
  EXPECT_EQ(static_cast<int>(TEffectDirection::edUpLeft), 8);
  EXPECT_EQ(static_cast<int>(TGraduateOption::goHorizontal), 2);
  EXPECT_EQ(static_cast<int>(TEffectOption::eoGraduated), 3);
}

TEST(LabelEffect, IniNumbersMapAlphabetically) {
  EXPECT_EQ(EffectFromIni(2), TEffectStyle::esShadow);
  EXPECT_EQ(EffectFromIni(3), TEffectStyle::esSunken);
  EXPECT_EQ(SchemeFromIni(1), TColourScheme::csEmbossed);
  EXPECT_EQ(SchemeFromIni(5), TColourScheme::csWindows);
  EXPECT_EQ(DirectionFromIni(0), TEffectDirection::edDown);
  EXPECT_EQ(DirectionFromIni(7), TEffectDirection::edUpLeft);
  EXPECT_EQ(DirectionFromIni(9), TEffectDirection::edNone);
  EXPECT_EQ(GradientFromIni(0), TGraduateOption::goHorizontal);
  EXPECT_EQ(StyleFromIni(0), TEffectOption::eoExtrude);
  EXPECT_EQ(StyleFromIni(3), TEffectOption::eoReal);
  EXPECT_EQ(StyleFromIni(-1), TEffectOption::eoNormal);
}

TEST(LabelEffect, PresetsSetDirectionsDepthsAndHighlight) {
  LabelEffectStyle s;
  s.SetColourScheme(TColourScheme::csSteel);
  s.SetColourHighlight(0x123456);
  s.SetEffectStyle(TEffectStyle::esRaised);
  EXPECT_EQ(s.DirectionHighlight(), TEffectDirection::edUpLeft);
  EXPECT_EQ(s.DirectionShadow(), TEffectDirection::edDownRight);
  EXPECT_EQ(s.DepthHighlight(), 1);
  EXPECT_EQ(s.ColourHighlight(), 0xFFFF00u);  // the scheme's highlight first
  s.SetEffectStyle(TEffectStyle::esFlying);
  EXPECT_EQ(s.DepthShadow(), 5);
  EXPECT_EQ(s.ColourHighlight(), 0x800000u);  // the scheme's shadow colour
  s.SetEffectStyle(TEffectStyle::esShadow);
  EXPECT_EQ(s.DirectionHighlight(), TEffectDirection::edNone);
  EXPECT_EQ(s.DepthShadow(), 2);
  s.SetEffectStyle(TEffectStyle::esCustom);  // keeps them
  EXPECT_EQ(s.DepthShadow(), 2);
}

TEST(LabelEffect, ChangingADepthOrDirectionMakesTheStyleCustom) {
  LabelEffectStyle s;
  s.SetEffectStyle(TEffectStyle::esSunken);
  s.SetDepthHighlight(1);  // same value: no change
  s.SetDirectionShadow(TEffectDirection::edUpLeft);
  EXPECT_EQ(s.EffectStyle(), TEffectStyle::esSunken);
  s.SetDepthShadow(3);
  EXPECT_EQ(s.EffectStyle(), TEffectStyle::esCustom);
}

TEST(LabelEffect, SchemesLoadThreeColoursAndCustomKeepsThem) {
  LabelEffectStyle s;
  s.font_colour = 0x0000FF;
  s.SetColourScheme(TColourScheme::csCustom);
  EXPECT_EQ(s.font_colour, 0x0000FFu);
  s.SetColourScheme(TColourScheme::csWindows);
  EXPECT_EQ(s.font_colour, 0x808080u);
  EXPECT_EQ(s.ColourShadow(), 0u);
  EXPECT_EQ(s.ColourHighlight(), 0xFFFFFFu);
}

}  // namespace
}  // namespace velmora
