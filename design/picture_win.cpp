#include "design/picture_win.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "design/ini_file.h"
#include "ui/window_util_win.h"

#if VELMORA_HAVE_LIBJPEG
// libjpeg's header needs FILE and size_t first.
extern "C" {
#include <jpeglib.h>
}
#endif

namespace velmora {

HBITMAP BitmapFromImage(const Image& image) {
  if (image.Empty() || image.pixels.size() < static_cast<size_t>(image.width) * image.height) return nullptr;
  void* bits = nullptr;
  HBITMAP bmp = ui::CreateTopDownDib(image.width, image.height, 24, &bits);
  if (!bmp) return nullptr;
  const size_t stride = ((static_cast<size_t>(image.width) * 24 + 31) / 32) * 4;
  auto* dst = static_cast<uint8_t*>(bits);
  for (int32_t y = 0; y < image.height; ++y) {
    uint8_t* row = dst + stride * y;
    const uint32_t* src = &image.pixels[static_cast<size_t>(y) * image.width];
    for (int32_t x = 0; x < image.width; ++x) {
      row[x * 3] = src[x] & 255;
      row[x * 3 + 1] = (src[x] >> 8) & 255;
      row[x * 3 + 2] = (src[x] >> 16) & 255;
    }
  }
  GdiFlush();
  return bmp;
}

Image LoadBitmapPicture(const std::string& path) {
  Image img;
  std::string error;
  if (!LoadBmpFile(path, &img, &error)) throw std::runtime_error(error);
  return img;
}

#if VELMORA_HAVE_LIBJPEG
namespace {
struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};
void OnJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}
void OnJpegMessage(j_common_ptr) {}
}  // namespace

bool LoadJpegFile(const std::string& path, Image* out, std::string* error) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) {
    *error = CannotOpenFileMessage(path);
    return false;
  }
  jpeg_decompress_struct cinfo;
  JpegError jerr;
  cinfo.err = jpeg_std_error(&jerr.mgr);
  jerr.mgr.error_exit = OnJpegError;
  jerr.mgr.output_message = OnJpegMessage;
  // Nothing with a destructor lives between setjmp and the decoder's calls.
  Image* result = out;
  result->pixels.clear();
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    result->pixels.clear();
    result->width = result->height = 0;
    *error = "JPEG image is not valid";
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f.get());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  if (static_cast<int64_t>(cinfo.image_width) * cinfo.image_height > kMaxBitmapPixels) {
    jpeg_destroy_decompress(&cinfo);
    *error = "JPEG image is not valid";
    return false;
  }
  jpeg_start_decompress(&cinfo);
  result->width = static_cast<int32_t>(cinfo.output_width);
  result->height = static_cast<int32_t>(cinfo.output_height);
  result->pixels.resize(static_cast<size_t>(result->width) * result->height);
  std::vector<uint8_t> row(static_cast<size_t>(cinfo.output_width) * cinfo.output_components);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {row.data()};
    const JDIMENSION y = cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, rows, 1);
    uint32_t* dst = &result->pixels[static_cast<size_t>(y) * result->width];
    for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
      const uint8_t* p = &row[x * cinfo.output_components];
      dst[x] = cinfo.output_components >= 3 ? (static_cast<uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2]
                                            : (static_cast<uint32_t>(p[0]) * 0x010101u);
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}
#else
bool LoadJpegFile(const std::string& path, Image*, std::string* error) {
  *error = "JPEG pictures are not supported in this build: " + path;
  return false;
}
#endif

HBITMAP LoadPictureFile(const std::string& path, std::string* error) {
  const std::string lower = ToLowerAscii(path);
  Image img;
  const bool jpeg = lower.size() > 4 && (lower.compare(lower.size() - 4, 4, ".jpg") == 0 ||
                                         (lower.size() > 5 && lower.compare(lower.size() - 5, 5, ".jpeg") == 0));
  const bool ok = jpeg ? LoadJpegFile(path, &img, error) : LoadBmpFile(path, &img, error);
  if (!ok) return nullptr;
  HBITMAP bmp = BitmapFromImage(img);
  if (!bmp) *error = kBitmapNotValid;
  return bmp;
}

}  // namespace velmora
