#include "ui/label_effect.h"

namespace velmora {

TEffectStyle EffectFromIni(int32_t n) {
  switch (n) {
    case 1: return TEffectStyle::esRaised;
    case 2: return TEffectStyle::esShadow;
    case 3: return TEffectStyle::esSunken;
    case 4: return TEffectStyle::esFlying;
    default: return TEffectStyle::esNone;
  }
}

TColourScheme SchemeFromIni(int32_t n) {
  switch (n) {
    case 1: return TColourScheme::csEmbossed;
    case 2: return TColourScheme::csGold;
    case 3: return TColourScheme::csSteel;
    case 4: return TColourScheme::csText;
    case 5: return TColourScheme::csWindows;
    default: return TColourScheme::csCustom;
  }
}

TEffectDirection DirectionFromIni(int32_t n) {
  switch (n) {
    case 0: return TEffectDirection::edDown;
    case 1: return TEffectDirection::edDownLeft;
    case 2: return TEffectDirection::edDownRight;
    case 3: return TEffectDirection::edLeft;
    case 5: return TEffectDirection::edRight;
    case 6: return TEffectDirection::edUp;
    case 7: return TEffectDirection::edUpLeft;
    case 8: return TEffectDirection::edUpRight;
    default: return TEffectDirection::edNone;
  }
}

TGraduateOption GradientFromIni(int32_t n) {
  switch (n) {
    case 0: return TGraduateOption::goHorizontal;
    case 2: return TGraduateOption::goVertical;
    default: return TGraduateOption::goNone;
  }
}

TEffectOption StyleFromIni(int32_t n) {
  switch (n) {
    case 0: return TEffectOption::eoExtrude;
    case 1: return TEffectOption::eoGraduated;
    case 3: return TEffectOption::eoReal;
    default: return TEffectOption::eoNormal;
  }
}

const char* Name(TEffectStyle v) {
  static const char* const names[] = {"esNone",   "esCustom", "esRaised",
                                      "esSunken", "esShadow", "esFlying"};
  return names[static_cast<int>(v)];
}
const char* Name(TColourScheme v) {
  static const char* const names[] = {"csCustom",   "csText", "csWindows",
                                      "csEmbossed", "csGold", "csSteel"};
  return names[static_cast<int>(v)];
}
const char* Name(TEffectDirection v) {
  static const char* const names[] = {"edNone", "edUp",       "edUpRight", "edRight", "edDownRight",
                                      "edDown", "edDownLeft", "edLeft",    "edUpLeft"};
  return names[static_cast<int>(v)];
}
const char* Name(TGraduateOption v) {
  static const char* const names[] = {"goNone", "goVertical", "goHorizontal"};
  return names[static_cast<int>(v)];
}
const char* Name(TEffectOption v) {
  static const char* const names[] = {"eoNormal", "eoReal", "eoExtrude", "eoGraduated"};
  return names[static_cast<int>(v)];
}

bool SchemeColoursOf(TColourScheme scheme, SchemeColours* out) {
  switch (scheme) {
    case TColourScheme::csText: *out = {0xFFFFFF, 0x808080, 0x000000}; return true;
    case TColourScheme::csWindows: *out = {0xFFFFFF, 0x000000, 0x808080}; return true;
    case TColourScheme::csEmbossed: *out = {0xFFFFFF, 0x000000, 0xC0C0C0}; return true;
    case TColourScheme::csGold: *out = {0x00FFFF, 0x000000, 0x008080}; return true;
    case TColourScheme::csSteel: *out = {0xFFFF00, 0x800000, 0x808000}; return true;
    case TColourScheme::csCustom: break;
  }
  return false;
}

void DirectionOffset(TEffectDirection d, int* dx, int* dy) {
  int x = 0, y = 0;
  switch (d) {
    case TEffectDirection::edNone: break;
    case TEffectDirection::edUp: y = -1; break;
    case TEffectDirection::edUpRight:
      x = 1;
      y = -1;
      break;
    case TEffectDirection::edRight: x = 1; break;
    case TEffectDirection::edDownRight:
      x = 1;
      y = 1;
      break;
    case TEffectDirection::edDown: y = 1; break;
    case TEffectDirection::edDownLeft:
      x = -1;
      y = 1;
      break;
    case TEffectDirection::edLeft: x = -1; break;
    case TEffectDirection::edUpLeft:
      x = -1;
      y = -1;
      break;
  }
  *dx = x;
  *dy = y;
}

void LabelEffectStyle::SetEffectStyle(TEffectStyle style) {
  effect_ = style;
  SchemeColours sc;
  const bool has_scheme = SchemeColoursOf(scheme_, &sc);
  // With a custom scheme, "the scheme's colours" are the ones the label holds now.
  const Colour scheme_highlight = has_scheme ? sc.highlight : colour_h_;
  const Colour scheme_shadow = has_scheme ? sc.shadow : colour_s_;
  colour_h_ = scheme_highlight;
  auto set = [this](TEffectDirection dh, int32_t h, TEffectDirection ds, int32_t s) {
    dir_h_ = dh;
    depth_h_ = h;
    dir_s_ = ds;
    depth_s_ = s;
  };
  using D = TEffectDirection;
  switch (style) {
    case TEffectStyle::esNone: set(D::edNone, 0, D::edNone, 0); break;
    case TEffectStyle::esRaised: set(D::edUpLeft, 1, D::edDownRight, 1); break;
    case TEffectStyle::esSunken: set(D::edDownRight, 1, D::edUpLeft, 1); break;
    case TEffectStyle::esShadow: set(D::edNone, 0, D::edDownRight, 2); break;
    case TEffectStyle::esFlying:
      set(D::edDownRight, 1, D::edDownRight, 5);
      colour_h_ = scheme_shadow;
      break;
    case TEffectStyle::esCustom: break;
  }
}

void LabelEffectStyle::SetDepthHighlight(int32_t depth) {
  if (depth == depth_h_) return;
  depth_h_ = depth;
  effect_ = TEffectStyle::esCustom;
}

void LabelEffectStyle::SetDepthShadow(int32_t depth) {
  if (depth == depth_s_) return;
  depth_s_ = depth;
  effect_ = TEffectStyle::esCustom;
}

void LabelEffectStyle::SetDirectionHighlight(TEffectDirection d) {
  if (d == dir_h_) return;
  dir_h_ = d;
  effect_ = TEffectStyle::esCustom;
}

void LabelEffectStyle::SetDirectionShadow(TEffectDirection d) {
  if (d == dir_s_) return;
  dir_s_ = d;
  effect_ = TEffectStyle::esCustom;
}

void LabelEffectStyle::SetColourScheme(TColourScheme scheme) {
  scheme_ = scheme;
  SchemeColours sc;
  if (!SchemeColoursOf(scheme, &sc)) return;
  colour_h_ = sc.highlight;
  colour_s_ = sc.shadow;
  font_colour = sc.text;
}

bool LabelEffectStyle::operator==(const LabelEffectStyle& o) const {
  return font_name == o.font_name && font_size == o.font_size && font_colour == o.font_colour &&
         bk_colour == o.bk_colour && transparent == o.transparent &&
         keep_letters_vertical == o.keep_letters_vertical && angle == o.angle &&
         effect_ == o.effect_ && scheme_ == o.scheme_ && dir_h_ == o.dir_h_ && dir_s_ == o.dir_s_ &&
         depth_h_ == o.depth_h_ && depth_s_ == o.depth_s_ && colour_h_ == o.colour_h_ &&
         colour_s_ == o.colour_s_ && graduate_ == o.graduate_ &&
         graduate_from_ == o.graduate_from_ && style_h_ == o.style_h_ && style_s_ == o.style_s_;
}

}  // namespace velmora
