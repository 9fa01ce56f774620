#include "design/classic_skin.h"

#include <algorithm>
#include <cctype>

#include "design/ini_file.h"

namespace velmora {

namespace {

Colour ColourOfPixel(uint32_t rgb) {
  return ((rgb & 0xFFu) << 16) | (rgb & 0xFF00u) | ((rgb >> 16) & 0xFFu);
}

bool Inside(const Image& img, int64_t x, int64_t y) {
  return x >= 0 && y >= 0 && x < img.width && y < img.height &&
         img.pixels.size() >= static_cast<size_t>(img.width) * static_cast<size_t>(img.height);
}

}  // namespace

const char* SheetFileName(ClassicSheet sheet) {
  switch (sheet) {
    case ClassicSheet::main: return "main.bmp";
    case ClassicSheet::cbuttons: return "cbuttons.bmp";
    case ClassicSheet::titlebar: return "titlebar.bmp";
    case ClassicSheet::numbers: return "numbers.bmp";
    case ClassicSheet::shufrep: return "shufrep.bmp";
    case ClassicSheet::posbar: return "posbar.bmp";
  }
  return "";
}

std::vector<std::string> SheetFileCandidates(ClassicSheet sheet) {
  if (sheet == ClassicSheet::numbers) return {"numbers.bmp", "nums_ex.bmp"};
  return {SheetFileName(sheet)};
}

bool IsClassicSkinFolder(const std::vector<std::string>& files) {
  bool folder_design = false, sheet = false;
  for (const std::string& f : files) {
    const std::string name = ToLowerAscii(f);
    if (name == "main.bmp") return true;
    if (name == "back.bmp" || name == "main.ini") folder_design = true;
    if (name == "nums_ex.bmp" || name == kPlaylistLookFile) sheet = true;
    for (int i = static_cast<int>(ClassicSheet::cbuttons);
         i <= static_cast<int>(ClassicSheet::posbar); ++i)
      if (name == SheetFileName(static_cast<ClassicSheet>(i))) sheet = true;
  }
  return sheet && !folder_design;
}

const std::vector<ClassicPainting>& ClassicPaintings() {
  static const std::vector<ClassicPainting> paintings = {
      {ClassicSheet::cbuttons, {114, 1, 135, 18}, 136, 89},  // the eject key
      {ClassicSheet::cbuttons, {0, 0, 113, 18}, 16, 89},     // the five transport keys
      {ClassicSheet::titlebar, {27, 0, 301, 13}, 0, 0},      // the title bar
      {ClassicSheet::titlebar, {312, 0, 320, 42}, 9, 21},    // the options strip
      {ClassicSheet::shufrep, {47, 61, 91, 73}, 218, 58},    // the equaliser/playlist keys
  };
  return paintings;
}

const std::vector<ClassicPlace>& ClassicPlaces() {
  using C = DesignControl;
  using L = ClassicLook;
  static const std::vector<ClassicPlace> places = {
      {C::plbut, 56, 243, 22, 14, L::place_only, 0},
      {C::poslab, 22, 52, 40, 18, L::digit_label, 13},
      {C::Banner1, 23, 110, 154, 11, L::digit_label, 8},
      {C::Bitbtn1, 1, 263, 10, 12, L::place_only, 0},
      {C::minibut, 1, 252, 12, 12, L::place_only, 0},
      {C::Button1, 2, 239, 14, 11, L::place_only, 0},
      {C::optionbut, 21, 9, 8, 43, L::place_only, 0},
      {C::Freq, 40, 108, 12, 8, L::digit_label, 6},
      {C::bitr, 40, 150, 15, 8, L::digit_label, 6},
      {C::Versiontext, 40, 222, 45, 10, L::digit_label, 6},
      {C::lay, 40, 190, 25, 8, L::digit_label, 6},
      {C::prevtrackbut, 90, 17, 20, 16, L::place_only, 0},
      {C::playbut, 90, 40, 20, 16, L::place_only, 0},
      {C::pausebut, 90, 65, 20, 16, L::place_only, 0},
      {C::stopbut, 90, 87, 20, 18, L::place_only, 0},
      {C::nexttrackbut, 91, 106, 20, 18, L::place_only, 0},
      {C::openbut, 90, 135, 20, 16, L::place_only, 0},
      {C::id3but, 57, 219, 23, 13, L::place_only, 0},
      {C::optionbut, 21, 9, 8, 43, L::place_only, 0},
      {C::banner2, 48, 21, 80, 10, L::red_label, 6},
      {C::Statictext1, 22, 21, 22, 10, L::digit_label, 5},
      {C::lengthlab, 33, 21, 23, 8, L::aqua_label, 6},
      {C::volbar, 52, 107, 67, 15, L::slider, 0},
      {C::tb, 70, 15, 240, 16, L::slider, 0},
  };
  return places;
}

Colour ClassicTextColour(ClassicLook look, Colour digit_colour) {
  switch (look) {
    case ClassicLook::red_label: return 0x000000FF;
    case ClassicLook::aqua_label: return 0x00FFFF00;
    default: return digit_colour;
  }
}

Image ClassicFace(const Image& main_bmp) {
  Image face;
  face.width = kClassicWidth;
  face.height = kClassicHeight;
  face.pixels.assign(static_cast<size_t>(kClassicWidth) * kClassicHeight, 0);
  PaintOnto(face, main_bmp, {0, 0, kClassicWidth, kClassicHeight}, 0, 0);
  return face;
}

void PaintOnto(Image& face, const Image& sheet, const SheetRect& source, int32_t x, int32_t y) {
  for (int32_t dy = 0; dy < source.Height(); ++dy) {
    for (int32_t dx = 0; dx < source.Width(); ++dx) {
      const int64_t sx = static_cast<int64_t>(source.left) + dx,
                    sy = static_cast<int64_t>(source.top) + dy;
      const int64_t fx = static_cast<int64_t>(x) + dx, fy = static_cast<int64_t>(y) + dy;
      if (!Inside(sheet, sx, sy) || !Inside(face, fx, fy)) continue;
      face.pixels[static_cast<size_t>(fy) * face.width + static_cast<size_t>(fx)] =
          sheet.At(static_cast<int32_t>(sx), static_cast<int32_t>(sy));
    }
  }
}

Image CutOut(const Image& sheet, const SheetRect& source) {
  Image out;
  if (source.Width() <= 0 || source.Height() <= 0 || source.Width() > kMaxBitmapSide ||
      source.Height() > kMaxBitmapSide)
    return out;
  out.width = source.Width();
  out.height = source.Height();
  out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);
  PaintOnto(out, sheet, source, 0, 0);
  return out;
}

Colour SliderColourOf(const Image& main_bmp) {
  return Inside(main_bmp, 205, 95) ? ColourOfPixel(main_bmp.At(205, 95)) : 0;
}

Colour DigitColourOf(const Image& numbers_bmp) {
  constexpr int32_t kRow = 4;
  for (int32_t x = 0; Inside(numbers_bmp, x, kRow); ++x)
    if (const uint32_t px = numbers_bmp.At(x, kRow); px != 0) return ColourOfPixel(px);
  return kDefaultDigitColour;
}

namespace {

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// "#RRGGBB" or "RRGGBB" as a colour value; nothing for any other text.
std::optional<uint32_t> SkinColour(const std::optional<std::string>& value) {
  if (!value) return std::nullopt;
  std::string text = Trimmed(*value);
  if (!text.empty() && text[0] == '#') text.erase(0, 1);
  if (text.size() != 6) return std::nullopt;
  uint32_t rgb = 0;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    rgb = (rgb << 4) | static_cast<uint32_t>(std::stoi(std::string(1, c), nullptr, 16));
  }
  return ColourOfPixel(rgb);
}

}  // namespace

PlaylistLook PlaylistLookOf(const std::string& pledit_text) {
  const IniFile ini = IniFile::Parse(pledit_text);
  PlaylistLook look;
  look.normal_text = SkinColour(ini.Value("Text", "Normal"));
  look.current_text = SkinColour(ini.Value("Text", "Current"));
  look.normal_background = SkinColour(ini.Value("Text", "NormalBG"));
  look.selected_background = SkinColour(ini.Value("Text", "SelectedBG"));
  // A face name is printable and fits the system's 31 characters.
  const std::string font = Trimmed(ini.ReadString("Text", "Font", ""));
  const bool printable = std::all_of(font.begin(), font.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 32 && c != 127;
  });
  if (printable && font.size() <= 31) look.font = font;
  return look;
}

}  // namespace velmora
