// The effect label's model: every property of TLabelEffect, in the component's own
// enumeration orders, with the setters that rewrite related properties (an effect style
// loads its preset, a later change of depth or direction turns the style into esCustom,
// a colour scheme other than csCustom loads its three colours). The Win32 label draws
// from it; main.ini loading drives it through the same setters. No window system here.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// The component's own orders (numbering matters: it is what the label stores).
enum class TEffectStyle : int { esNone, esCustom, esRaised, esSunken, esShadow, esFlying };
enum class TColourScheme : int { csCustom, csText, csWindows, csEmbossed, csGold, csSteel };
enum class TEffectDirection : int {
  edNone,
  edUp,
  edUpRight,
  edRight,
  edDownRight,
  edDown,
  edDownLeft,
  edLeft,
  edUpLeft
};
enum class TGraduateOption : int { goNone, goVertical, goHorizontal };
enum class TEffectOption : int { eoNormal, eoReal, eoExtrude, eoGraduated };

// Colours are $00BBGGRR, or $800000nn for the system colour nn (resolved when drawn).
using Colour = uint32_t;
inline constexpr Colour kSystemWindowText = 0x80000008u;
inline bool IsSystemColour(Colour c) { return (c & 0xFF000000u) == 0x80000000u; }

// The design files number the enumerations alphabetically (the effect list ends with
// esFlying); these turn a design's number into the component's value, with the
// fallback entry for any number outside the list.
TEffectStyle EffectFromIni(
    int32_t n);  // 0 esNone (fallback) 1 esRaised 2 esShadow 3 esSunken 4 esFlying
TColourScheme SchemeFromIni(
    int32_t n);  // 0 csCustom (fallback) 1 csEmbossed 2 csGold 3 csSteel 4 csText 5 csWindows
TEffectDirection DirectionFromIni(int32_t n);  // 0 edDown ... 4 edNone (fallback) ... 8 edUpRight
TGraduateOption GradientFromIni(int32_t n);    // 0 goHorizontal 1 goNone (fallback) 2 goVertical
TEffectOption StyleFromIni(int32_t n);  // 0 eoExtrude 1 eoGraduated 2 eoNormal (fallback) 3 eoReal

// Names for messages and tests ("esFlying", ...).
const char* Name(TEffectStyle v);
const char* Name(TColourScheme v);
const char* Name(TEffectDirection v);
const char* Name(TGraduateOption v);
const char* Name(TEffectOption v);

struct SchemeColours {
  Colour highlight, shadow, text;
};
// The colours a scheme loads; csCustom has none (returns false).
bool SchemeColoursOf(TColourScheme scheme, SchemeColours* out);

// Unit offset of a direction (dx, dy), screen axes (y grows downward).
void DirectionOffset(TEffectDirection d, int* dx, int* dy);

class LabelEffectStyle {
 public:
  // Plain label properties.
  std::string font_name = "Arial";
  int32_t font_size = 8;  // points
  Colour font_colour = 0x00FFFFFF;
  Colour bk_colour = 0x00000000;
  bool transparent = false;
  bool keep_letters_vertical = false;  // KeepLettersVertical
  int32_t angle = 0;                   // Angle, 0..360 (degrees, counter-clockwise)

  // Effect properties, read freely; written through the setters below.
  TEffectStyle EffectStyle() const { return effect_; }
  TColourScheme ColourScheme() const { return scheme_; }
  TEffectDirection DirectionHighlight() const { return dir_h_; }
  TEffectDirection DirectionShadow() const { return dir_s_; }
  int32_t DepthHighlight() const { return depth_h_; }
  int32_t DepthShadow() const { return depth_s_; }
  Colour ColourHighlight() const { return colour_h_; }
  Colour ColourShadow() const { return colour_s_; }
  TGraduateOption GraduateFace() const { return graduate_; }
  Colour GraduateFrom() const { return graduate_from_; }
  TEffectOption StyleHighlight() const { return style_h_; }
  TEffectOption StyleShadow() const { return style_s_; }

  // Loads the style's preset (esCustom keeps directions and depths); every preset first
  // takes the current scheme's highlight colour.
  void SetEffectStyle(TEffectStyle style);
  // A value different from the current one turns the style into esCustom.
  void SetDepthHighlight(int32_t depth);
  void SetDepthShadow(int32_t depth);
  void SetDirectionHighlight(TEffectDirection d);
  void SetDirectionShadow(TEffectDirection d);
  // A scheme other than csCustom loads highlight, shadow and text colour.
  void SetColourScheme(TColourScheme scheme);
  void SetColourHighlight(Colour c) { colour_h_ = c; }
  void SetColourShadow(Colour c) { colour_s_ = c; }
  void SetGraduateFace(TGraduateOption g) { graduate_ = g; }
  void SetGraduateFrom(Colour c) { graduate_from_ = c; }
  void SetStyleHighlight(TEffectOption o) { style_h_ = o; }
  void SetStyleShadow(TEffectOption o) { style_s_ = o; }

  bool operator==(const LabelEffectStyle& o) const;
  bool operator!=(const LabelEffectStyle& o) const { return !(*this == o); }

 private:
  TEffectStyle effect_ = TEffectStyle::esNone;
  TColourScheme scheme_ = TColourScheme::csCustom;
  TEffectDirection dir_h_ = TEffectDirection::edNone;
  TEffectDirection dir_s_ = TEffectDirection::edNone;
  int32_t depth_h_ = 0;
  int32_t depth_s_ = 0;
  Colour colour_h_ = 0x00FFFFFF;
  Colour colour_s_ = 0x00808080;
  TGraduateOption graduate_ = TGraduateOption::goNone;
  Colour graduate_from_ = kSystemWindowText;
  TEffectOption style_h_ = TEffectOption::eoNormal;
  TEffectOption style_s_ = TEffectOption::eoNormal;
};

}  // namespace velmora
