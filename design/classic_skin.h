// Classic skin folders: the fixed layout that turns six of a classic skin's bitmaps into
// the main window's face (what is painted where, where every control goes, which pixels
// give the colours). The Win32 side does the drawing and the moving; every number lives
// here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "design/bmp.h"
#include "playlist/playlist_look.h"
#include "ui/label_effect.h"
#include "design/main_ini.h"

namespace velmora {

inline constexpr int32_t kClassicWidth = 275;
inline constexpr int32_t kClassicHeight = 116;

// The six bitmaps the import reads, in the order it reads them.
enum class ClassicSheet : int { main, cbuttons, titlebar, numbers, shufrep, posbar };
const char* SheetFileName(ClassicSheet sheet);  // "main.bmp", ...
// The files a sheet may come from, in the order they are tried: the digits come from
// numbers.bmp, or from nums_ex.bmp (the same row with a minus sign) where numbers.bmp is
// missing. A sheet is missing only when none of them is there; the error then names the
// first.
std::vector<std::string> SheetFileCandidates(ClassicSheet sheet);

// Whether a design folder holding these files (names in any letter case) is a classic
// skin: it has main.bmp, or it has none of a folder design's own files (back.bmp,
// main.ini) but some classic sheet, so that the import can say which sheet is missing.
bool IsClassicSkinFolder(const std::vector<std::string>& files);

// (left, top)-(right, bottom), right and bottom exclusive.
struct SheetRect {
  int32_t left, top, right, bottom;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
};

// A piece of a sheet painted onto the face with its top-left corner at (x, y).
struct ClassicPainting {
  ClassicSheet sheet;
  SheetRect source;
  int32_t x, y;
};
// The five paintings, in the order they are made.
const std::vector<ClassicPainting>& ClassicPaintings();

// The position slider's pictures, cut from posbar.bmp.
inline constexpr SheetRect kPositionTrack{0, 0, 240, 10};
inline constexpr SheetRect kPositionThumb{247, 0, 277, 10};

// What the import gives a control besides its place.
enum class ClassicLook : int {
  place_only,
  digit_label,  // "arial" in the skin's digit colour on black
  red_label,    // "arial", red on black
  aqua_label,   // "arial", aqua on black
  slider,       // background in the skin's slider colour
};
struct ClassicPlace {
  DesignControl control;
  int32_t top, left, width, height;
  ClassicLook look;
  int32_t font_points;  // labels and the song title
};
// Every control the import places, in its order (the Options button comes twice).
const std::vector<ClassicPlace>& ClassicPlaces();

inline constexpr char kClassicFont[] = "arial";
// The text colour of a place's label, given the skin's digit colour.
Colour ClassicTextColour(ClassicLook look, Colour digit_colour);

// The face: main.bmp at the top left of a 275 x 116 picture; black where main.bmp is
// smaller.
Image ClassicFace(const Image& main_bmp);
// Paints `source` of `sheet` onto `face` with its top-left corner at (x, y). Pixels
// outside the sheet are not painted (the face shows through), pixels outside the face
// are dropped.
void PaintOnto(Image& face, const Image& sheet, const SheetRect& source, int32_t x, int32_t y);
// A new picture of `source`'s size holding that part of `sheet`, black outside it.
Image CutOut(const Image& sheet, const SheetRect& source);

// Colours come back as colour values ($00BBGGRR).
// The sliders' background: the pixel (205, 95) of main.bmp; black when the picture is
// smaller.
Colour SliderColourOf(const Image& main_bmp);
// The labels' colour: the first pixel on row 4 of numbers.bmp that is not black,
// scanning from the left; kDefaultDigitColour when there is none.
Colour DigitColourOf(const Image& numbers_bmp);
// Bright green, the colour of an LCD readout: plain to read on the labels' black.
inline constexpr Colour kDefaultDigitColour = 0x0000FF00;

// The playlist's look from a skin's pledit.txt: section [Text], keys Normal, Current,
// NormalBG, SelectedBG ("#RRGGBB", the '#' may be missing) and Font (a face name). A key
// that is missing or does not read as its kind is left unset.
inline constexpr char kPlaylistLookFile[] = "pledit.txt";
PlaylistLook PlaylistLookOf(const std::string& pledit_text);

}  // namespace velmora
