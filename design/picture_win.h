// Pictures for the windows: design bitmaps through the portable BMP reader (so every
// file gets the same checks and error texts), JPEG through libjpeg, both handed out as
// 24-bit DIB sections.
#pragma once

#include <windows.h>

#include <string>

#include "design/bmp.h"

namespace velmora {

// A 24-bit top-down DIB section of the image; null when it cannot be made.
HBITMAP BitmapFromImage(const Image& image);

// Loads a .bmp file. Throws std::runtime_error with "Cannot open file <path>" or
// "Bitmap image is not valid".
Image LoadBitmapPicture(const std::string& path);

// Decodes a JPEG file; false with *error set when it cannot.
bool LoadJpegFile(const std::string& path, Image* out, std::string* error);

// A .bmp or .jpg/.jpeg file as a bitmap the caller owns; null with *error on failure.
HBITMAP LoadPictureFile(const std::string& path, std::string* error);

}  // namespace velmora
