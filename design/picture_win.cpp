#include "design/picture_win.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "design/ini_file.h"
#include "ui/window_util_win.h"
#include "ui/utf8.h"
#include "ui/unique_file.h"

#if VELMORA_HAVE_LIBJPEG
// libjpeg's header needs FILE and size_t first.
extern "C" {
#include <jpeglib.h>
}
#endif

namespace velmora {

HBITMAP BitmapFromImage(const Image& image) {
  if (image.Empty() || image.pixels.size() < static_cast<size_t>(image.width) * image.height)
    return nullptr;
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

// libjpeg reports a broken file by calling error_exit, which must not return: it jumps
// back to the setjmp of the step that was running. Those steps are plain functions whose
// frames hold nothing with a destructor; the buffers they fill are owned by the caller.
struct JpegJob {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr errors;
  std::jmp_buf jump;
  bool created;
};

void OnJpegError(j_common_ptr cinfo) {
  std::longjmp(static_cast<JpegJob*>(cinfo->client_data)->jump, 1);
}
void OnJpegMessage(j_common_ptr) {}

// Reads the header and settles the output size; false for a file that is no JPEG.
bool ReadJpegHeader(JpegJob* job, FILE* file) {
  job->cinfo.err = jpeg_std_error(&job->errors);
  job->errors.error_exit = OnJpegError;
  job->errors.output_message = OnJpegMessage;
  job->cinfo.client_data = job;
  if (setjmp(job->jump)) return false;
  jpeg_create_decompress(&job->cinfo);
  job->created = true;
  jpeg_stdio_src(&job->cinfo, file);
  jpeg_read_header(&job->cinfo, TRUE);
  job->cinfo.out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(&job->cinfo);
  return true;
}

// Decodes every row into `pixels` (output_width x output_height, 0x00RRGGBB) through
// `row` (output_width x output_components bytes); false for a broken file.
bool ReadJpegPixels(JpegJob* job, uint32_t* pixels, uint8_t* row) {
  if (setjmp(job->jump)) return false;
  jpeg_decompress_struct* cinfo = &job->cinfo;
  jpeg_start_decompress(cinfo);
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW rows[1] = {row};
    uint32_t* dst = pixels + static_cast<size_t>(cinfo->output_scanline) * cinfo->output_width;
    if (jpeg_read_scanlines(cinfo, rows, 1) != 1) return false;
    for (JDIMENSION x = 0; x < cinfo->output_width; ++x) {
      const uint8_t* p = row + static_cast<size_t>(x) * cinfo->output_components;
      dst[x] = cinfo->output_components >= 3
                   ? (static_cast<uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2]
                   : (static_cast<uint32_t>(p[0]) * 0x010101u);
    }
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

// Owns the decoder's state; jpeg_destroy_decompress never fails.
struct JpegJobOwner {
  JpegJob job{};
  ~JpegJobOwner() {
    if (job.created) jpeg_destroy_decompress(&job.cinfo);
  }
};

}  // namespace

bool LoadJpegFile(const std::string& path, Image* out, std::string* error) {
  ui::UniqueFile f(ui::OpenFileUtf8(path, "rb"));
  if (!f) {
    *error = CannotOpenFileMessage(path);
    return false;
  }
  *out = Image{};
  JpegJobOwner owner;
  JpegJob* job = &owner.job;
  bool ok = ReadJpegHeader(job, f.get());
  const jpeg_decompress_struct& cinfo = job->cinfo;
  ok = ok && cinfo.output_width > 0 && cinfo.output_height > 0 && cinfo.output_components > 0 &&
       static_cast<int64_t>(cinfo.output_width) * cinfo.output_height <= kMaxBitmapPixels;
  if (ok) {
    std::vector<uint32_t> pixels(static_cast<size_t>(cinfo.output_width) * cinfo.output_height);
    std::vector<uint8_t> row(static_cast<size_t>(cinfo.output_width) * cinfo.output_components);
    ok = ReadJpegPixels(job, pixels.data(), row.data());
    if (ok) {
      out->width = static_cast<int32_t>(cinfo.output_width);
      out->height = static_cast<int32_t>(cinfo.output_height);
      out->pixels = std::move(pixels);
    }
  }
  if (!ok) *error = "JPEG image is not valid";
  return ok;
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
  const bool jpeg =
      lower.size() > 4 && (lower.compare(lower.size() - 4, 4, ".jpg") == 0 ||
                           (lower.size() > 5 && lower.compare(lower.size() - 5, 5, ".jpeg") == 0));
  const bool ok = jpeg ? LoadJpegFile(path, &img, error) : LoadBmpFile(path, &img, error);
  if (!ok) return nullptr;
  HBITMAP bmp = BitmapFromImage(img);
  if (!bmp) *error = kBitmapNotValid;
  return bmp;
}

}  // namespace velmora
