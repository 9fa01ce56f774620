// A device-independent bitmap reader for the design files. It never trusts the header:
// sizes are checked against the bytes actually present before anything is allocated,
// so a truncated file or one that claims 100000 x 100000 pixels is refused with the
// loader's error instead of exhausting memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// Pixels top-down, 0x00RRGGBB each.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;

  uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool Empty() const { return width <= 0 || height <= 0; }
};

inline constexpr char kBitmapNotValid[] = "Bitmap image is not valid";
// "Cannot open file <path>".
std::string CannotOpenFileMessage(const std::string& path);

// Decodes a BMP file held in memory. On failure returns false with *error set to
// "Bitmap image is not valid".
bool DecodeBmp(const uint8_t* data, size_t size, Image* out, std::string* error);

// Reads and decodes a file; "Cannot open file <path>" when it cannot be read.
bool LoadBmpFile(const std::string& path, Image* out, std::string* error);

// Encodes a 24-bit bottom-up BMP (used by the design generator and the tests).
std::vector<uint8_t> EncodeBmp24(const Image& image);

// Largest picture the loader accepts, in pixels (far beyond any screen).
inline constexpr int64_t kMaxBitmapPixels = 16ll * 1024 * 1024;
inline constexpr int32_t kMaxBitmapSide = 32768;

}  // namespace velmora

namespace velmora {

struct PixelRect {
  int32_t left, top, width, height;
};
// The two-image picture of a button: the rectangle R of `normal` then the same rectangle
// of `disabled`, side by side (2W x H). Parts of R outside a picture stay black. Empty
// when R has no area or is beyond kMaxBitmapPixels.
Image BuildGlyphStrip(const Image& normal, const Image& disabled, const PixelRect& r);

}  // namespace velmora
