#include "design/bmp.h"
#include "ui/utf8.h"
#include "ui/unique_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace velmora {

namespace {

uint32_t U16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

// Extracts a channel described by a bit mask and scales it to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint32_t Get(uint32_t v) const {
    if (!bits) return 0;
    uint32_t c = (v & mask) >> shift;
    if (bits >= 8) return c >> (bits - 8);
    // Replicate the high bits so that full intensity stays 255.
    uint32_t r = 0;
    int have = 0;
    while (have < 8) {
      r = (r << bits) | c;
      have += bits;
    }
    return r >> (have - 8);
  }
};

bool Fail(std::string* error) {
  if (error) *error = kBitmapNotValid;
  return false;
}

}  // namespace

std::string CannotOpenFileMessage(const std::string& path) { return "Cannot open file " + path; }

bool DecodeBmp(const uint8_t* d, size_t size, Image* out, std::string* error) {
  if (size < 14 + 12 || d[0] != 'B' || d[1] != 'M') return Fail(error);
  const uint32_t bits_offset = U32(d + 10);
  const uint32_t header_size = U32(d + 14);
  if (header_size < 12 || header_size > size - 14) return Fail(error);

  int64_t width, height;
  uint32_t planes, bpp, compression = BI_RGB, colours_used = 0;
  uint32_t masks[4] = {0, 0, 0, 0};
  size_t palette_entry = 4;
  if (header_size == 12) {  // the old core header
    width = static_cast<int16_t>(U16(d + 18));
    height = static_cast<int16_t>(U16(d + 20));
    planes = U16(d + 22);
    bpp = U16(d + 24);
    palette_entry = 3;
  } else {
    if (header_size < 16) return Fail(error);
    width = static_cast<int32_t>(U32(d + 18));
    height = static_cast<int32_t>(U32(d + 22));
    planes = U16(d + 26);
    bpp = U16(d + 28);
    if (header_size >= 20) compression = U32(d + 30);
    if (header_size >= 36) colours_used = U32(d + 46);
    if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
      const size_t mask_count = compression == BI_ALPHABITFIELDS ? 4 : 3;
      if (header_size >= 40 + 4 * mask_count) {
        for (size_t i = 0; i < mask_count; ++i) masks[i] = U32(d + 14 + 40 + 4 * i);
      } else if (header_size == 40) {
        // The masks follow the 40-byte header.
        if (size < 14 + 40 + 4 * mask_count) return Fail(error);
        for (size_t i = 0; i < mask_count; ++i) masks[i] = U32(d + 14 + 40 + 4 * i);
      } else {
        return Fail(error);
      }
    }
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (planes != 1 || width <= 0 || height <= 0 || width > kMaxBitmapSide ||
      height > kMaxBitmapSide || width * height > kMaxBitmapPixels)
    return Fail(error);
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return Fail(error);
  const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  if (compression == BI_RLE8 && bpp != 8) return Fail(error);
  if (compression == BI_RLE4 && bpp != 4) return Fail(error);
  if (rle && top_down) return Fail(error);
  const bool bitfields = compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS;
  if (bitfields && bpp != 16 && bpp != 32) return Fail(error);
  if (!rle && !bitfields && compression != BI_RGB) return Fail(error);

  // Palette.
  std::vector<uint32_t> palette;
  if (bpp <= 8) {
    size_t count = colours_used ? colours_used : (1u << bpp);
    if (count > 256) return Fail(error);
    size_t pal_offset = 14 + header_size;
    if (bitfields) pal_offset += 12;
    if (pal_offset > size || count > (size - pal_offset) / palette_entry) {
      // Some writers state more colours than they store; keep what is there.
      count = pal_offset > size ? 0 : (size - pal_offset) / palette_entry;
      if (count == 0) return Fail(error);
    }
    palette.resize(1u << bpp, 0);
    for (size_t i = 0; i < count && i < palette.size(); ++i) {
      const uint8_t* p = d + pal_offset + i * palette_entry;
      palette[i] = (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
    }
  }
  if (bits_offset >= size) return Fail(error);

  const int32_t w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  const uint8_t* bits = d + bits_offset;
  const size_t avail = size - bits_offset;

  if (!rle) {
    const uint64_t stride = ((static_cast<uint64_t>(w) * bpp + 31) / 32) * 4;
    // The whole pixel array must be present before anything is allocated.
    if (stride * static_cast<uint64_t>(h) > avail) return Fail(error);
    if (!bitfields) {
      if (bpp == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
      } else if (bpp == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
      }
    }
    const Channel r(masks[0]), g(masks[1]), b(masks[2]);
    out->width = w;
    out->height = h;
    out->pixels.assign(static_cast<size_t>(w) * h, 0);
    for (int32_t y = 0; y < h; ++y) {
      const uint8_t* row = bits + stride * static_cast<uint64_t>(top_down ? y : h - 1 - y);
      uint32_t* dst = &out->pixels[static_cast<size_t>(y) * w];
      for (int32_t x = 0; x < w; ++x) {
        uint32_t px;
        switch (bpp) {
          case 1: px = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
          case 4: px = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
          case 8: px = palette[row[x]]; break;
          case 24:
            px = (static_cast<uint32_t>(row[x * 3 + 2]) << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
            break;
          case 16: {
            const uint32_t v = U16(row + x * 2);
            px = (r.Get(v) << 16) | (g.Get(v) << 8) | b.Get(v);
            break;
          }
          default: {
            const uint32_t v = U32(row + x * 4);
            px = (r.Get(v) << 16) | (g.Get(v) << 8) | b.Get(v);
            break;
          }
        }
        dst[x] = px;
      }
    }
    if (error) error->clear();
    return true;
  }

  // Run-length encoded (bottom-up only). Undrawn pixels take palette entry 0. A run file
  // can describe far more pixels than it has bytes, but not without limit: refuse one
  // whose claimed size is out of all proportion to its data.
  if (static_cast<uint64_t>(w) * static_cast<uint64_t>(h) > static_cast<uint64_t>(avail) * 1024)
    return Fail(error);
  out->width = w;
  out->height = h;
  out->pixels.assign(static_cast<size_t>(w) * h, palette[0]);
  // The pen: x never passes w (pixels beyond the right edge are dropped until the next end
  // of line) and drawing ends when y reaches h, so no run or delta, however long the file,
  // can move it outside the picture.
  int32_t x = 0, y = 0;  // y counts rows from the bottom
  const size_t palette_mask = palette.size() - 1;
  auto row = [&]() { return &out->pixels[static_cast<size_t>(h - 1 - y) * w]; };
  auto advance = [&](size_t n) {
    x = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(w - x), n)) + x;
  };
  size_t i = 0;
  while (i + 1 < avail && y < h) {
    const uint8_t count = bits[i], value = bits[i + 1];
    i += 2;
    if (count) {
      const int32_t n = std::min<int32_t>(count, w - x);
      uint32_t* dst = row() + x;
      for (int32_t k = 0; k < n; ++k) {
        const uint32_t index =
            compression == BI_RLE8 ? value : ((k & 1) ? (value & 15) : (value >> 4));
        dst[k] = palette[index & palette_mask];
      }
      advance(count);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (i + 1 >= avail) break;
      advance(bits[i]);
      y += bits[i + 1];
      i += 2;
    } else {  // absolute run of `value` pixels
      const size_t n = value;
      const size_t bytes = compression == BI_RLE8 ? n : (n + 1) / 2;
      if (bytes > avail - i) return Fail(error);
      const size_t shown = std::min<size_t>(n, static_cast<size_t>(w - x));
      uint32_t* dst = row() + x;
      for (size_t k = 0; k < shown; ++k) {
        const uint32_t index = compression == BI_RLE8
                                   ? bits[i + k]
                                   : ((k & 1) ? (bits[i + k / 2] & 15) : (bits[i + k / 2] >> 4));
        dst[k] = palette[index & palette_mask];
      }
      advance(n);
      i += (bytes + 1) & ~static_cast<size_t>(1);
    }
  }
  if (error) error->clear();
  return true;
}

bool LoadBmpFile(const std::string& path, Image* out, std::string* error) {
  ui::UniqueFile f(ui::OpenFileUtf8(path, "rb"));
  if (!f) {
    if (error) *error = CannotOpenFileMessage(path);
    return false;
  }
  std::vector<uint8_t> data;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) {
    data.insert(data.end(), chunk, chunk + n);
    // A design bitmap never needs more than the largest picture we accept.
    if (data.size() > static_cast<size_t>(kMaxBitmapPixels) * 4 + 65536) {
      if (error) *error = kBitmapNotValid;
      return false;
    }
  }
  if (std::ferror(f.get())) {
    if (error) *error = CannotOpenFileMessage(path);
    return false;
  }
  return DecodeBmp(data.data(), data.size(), out, error);
}

std::vector<uint8_t> EncodeBmp24(const Image& img) {
  const uint32_t stride = ((static_cast<uint32_t>(img.width) * 24 + 31) / 32) * 4;
  const uint32_t data_size = stride * static_cast<uint32_t>(img.height);
  std::vector<uint8_t> out(54 + data_size, 0);
  auto put16 = [&](size_t at, uint32_t v) {
    out[at] = v & 255;
    out[at + 1] = (v >> 8) & 255;
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<uint32_t>(out.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(img.width));
  put32(22, static_cast<uint32_t>(img.height));
  put16(26, 1);
  put16(28, 24);
  put32(34, data_size);
  put32(38, 2835);
  put32(42, 2835);
  for (int32_t y = 0; y < img.height; ++y) {
    uint8_t* row = &out[54 + static_cast<size_t>(stride) * (img.height - 1 - y)];
    for (int32_t x = 0; x < img.width; ++x) {
      const uint32_t p = img.At(x, y);
      row[x * 3] = p & 255;
      row[x * 3 + 1] = (p >> 8) & 255;
      row[x * 3 + 2] = (p >> 16) & 255;
    }
  }
  return out;
}

}  // namespace velmora

namespace velmora {

Image BuildGlyphStrip(const Image& normal, const Image& disabled, const PixelRect& r) {
  Image out;
  if (r.width <= 0 || r.height <= 0) return out;
  if (static_cast<int64_t>(r.width) * 2 * r.height > kMaxBitmapPixels || r.width > kMaxBitmapSide)
    return out;
  out.width = r.width * 2;
  out.height = r.height;
  out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);
  auto copy = [&](const Image& src, int32_t dx) {
    for (int32_t y = 0; y < r.height; ++y) {
      const int64_t sy = static_cast<int64_t>(r.top) + y;
      if (sy < 0 || sy >= src.height) continue;
      for (int32_t x = 0; x < r.width; ++x) {
        const int64_t sx = static_cast<int64_t>(r.left) + x;
        if (sx < 0 || sx >= src.width) continue;
        out.pixels[static_cast<size_t>(y) * out.width + dx + x] =
            src.At(static_cast<int32_t>(sx), static_cast<int32_t>(sy));
      }
    }
  };
  copy(normal, 0);
  copy(disabled, r.width);
  return out;
}

}  // namespace velmora
