// The BMP reader against well-formed, unusual and hostile files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "design/bmp.h"
#include "design/outline.h"

namespace velmora {
namespace {

Image Checker(int w, int h) {
  Image img;
  img.width = w;
  img.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.pixels.push_back(((x + y) & 1) ? 0xFF8000u : 0x0000FFu);
  return img;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

bool Decode(const std::vector<uint8_t>& b, Image* img, std::string* err) {
  return DecodeBmp(b.data(), b.size(), img, err);
}

TEST(BmpReader, RoundTrip24Bit) {
  const Image src = Checker(7, 5);  // odd width: row padding
  Image out;
  std::string err;
  ASSERT_TRUE(Decode(EncodeBmp24(src), &out, &err)) << err;
  EXPECT_EQ(out.width, 7);
  EXPECT_EQ(out.height, 5);
  EXPECT_EQ(out.pixels, src.pixels);
}

TEST(BmpReader, TopDownAndPalettedAndBitfields) {
  // 2 x 2, 8 bits with a palette, top-down.
  std::vector<uint8_t> b(14 + 40 + 4 * 2 + 8, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, 14 + 40 + 8);
  Put32(b, 14, 40);
  Put32(b, 18, 2);
  Put32(b, 22, static_cast<uint32_t>(-2));
  b[26] = 1;
  b[28] = 8;
  Put32(b, 46, 2);
  Put32(b, 54, 0x00FF0000);  // entry 0: red (BGRx)
  Put32(b, 58, 0x000000FF);  // entry 1: blue
  const size_t bits = 62;
  b[bits] = 0;
  b[bits + 1] = 1;
  b[bits + 4] = 1;
  b[bits + 5] = 0;
  Image img;
  std::string err;
  ASSERT_TRUE(Decode(b, &img, &err)) << err;
  EXPECT_EQ(img.At(0, 0), 0xFF0000u);
  EXPECT_EQ(img.At(1, 0), 0x0000FFu);
  EXPECT_EQ(img.At(0, 1), 0x0000FFu);

  // 1 x 1, 16 bits 5-6-5 through bit fields.
  std::vector<uint8_t> c(14 + 40 + 12 + 4, 0);
  c[0] = 'B';
  c[1] = 'M';
  Put32(c, 10, 14 + 40 + 12);
  Put32(c, 14, 40);
  Put32(c, 18, 1);
  Put32(c, 22, 1);
  c[26] = 1;
  c[28] = 16;
  Put32(c, 30, 3);
  Put32(c, 54, 0xF800);
  Put32(c, 58, 0x07E0);
  Put32(c, 62, 0x001F);
  c[66] = 0xFF;
  c[67] = 0xFF;  // white
  ASSERT_TRUE(Decode(c, &img, &err)) << err;
  EXPECT_EQ(img.At(0, 0), 0xFFFFFFu);
}

TEST(BmpReader, TheTwelveByteCoreHeader) {
  // 2 x 2, 8 bits with a palette of three-byte entries, rows padded to four bytes.
  std::vector<uint8_t> b(14 + 12 + 2 * 3 + 2 * 4, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, 14 + 12 + 6);
  Put32(b, 14, 12);
  b[18] = 2;  // width, 16 bits
  b[20] = 2;  // height
  b[22] = 1;  // planes
  b[24] = 8;
  b[26 + 2] = 0xFF;  // entry 0 red (blue, green, red)
  b[29] = 0xFF;      // entry 1 blue
  b[32] = 1;         // bottom row: blue, red
  b[36 + 1] = 1;     // top row: red, blue
  Image img;
  std::string err;
  ASSERT_TRUE(Decode(b, &img, &err)) << err;
  EXPECT_EQ(img.At(0, 0), 0xFF0000u);
  EXPECT_EQ(img.At(1, 0), 0x0000FFu);
  EXPECT_EQ(img.At(0, 1), 0x0000FFu);
  EXPECT_EQ(img.At(1, 1), 0xFF0000u);
}

TEST(BmpReader, RejectsBrokenFilesWithTheLoaderText) {
  std::string err;
  Image img;
  const auto good = EncodeBmp24(Checker(16, 16));
  // Truncated anywhere.
  for (size_t n : {size_t{0}, size_t{2}, size_t{20}, size_t{54}, good.size() - 1}) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
    EXPECT_FALSE(Decode(cut, &img, &err)) << n;
    EXPECT_EQ(err, kBitmapNotValid);
  }
  // Claims 100000 x 100000 pixels in a small file: refused before any allocation.
  auto huge = good;
  Put32(huge, 18, 100000);
  Put32(huge, 22, 100000);
  EXPECT_FALSE(Decode(huge, &img, &err));
  // Claims a size that fits the limits but not the bytes present.
  auto tall = good;
  Put32(tall, 22, 4000);
  EXPECT_FALSE(Decode(tall, &img, &err));
  // Nonsense fields.
  auto planes = good;
  planes[26] = 3;
  EXPECT_FALSE(Decode(planes, &img, &err));
  auto depth = good;
  depth[28] = 7;
  EXPECT_FALSE(Decode(depth, &img, &err));
  auto offset = good;
  Put32(offset, 10, 0xFFFFFFF0u);
  EXPECT_FALSE(Decode(offset, &img, &err));
  auto header = good;
  Put32(header, 14, 0x7FFFFFFF);
  EXPECT_FALSE(Decode(header, &img, &err));
  // RLE claiming a giant picture from a few bytes.
  auto rle = good;
  rle[28] = 8;
  Put32(rle, 30, 1);
  Put32(rle, 18, 30000);
  Put32(rle, 22, 500);
  EXPECT_FALSE(Decode(rle, &img, &err));
}

// A run-length file: 14-byte file header, 40-byte info header, 16 palette entries (index
// i is colour 0x010101 * i), then `runs`.
std::vector<uint8_t> RunLengthBmp(int32_t w, int32_t h, int bits,
                                  const std::vector<uint8_t>& runs) {
  std::vector<uint8_t> b(14 + 40 + 64, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, static_cast<uint32_t>(b.size()));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(w));
  Put32(b, 22, static_cast<uint32_t>(h));
  b[26] = 1;
  b[28] = static_cast<uint8_t>(bits);
  Put32(b, 30, bits == 8 ? 1 : 2);
  Put32(b, 46, 16);
  for (uint32_t i = 0; i < 16; ++i) Put32(b, 54 + 4 * i, 0x010101u * i);
  b.insert(b.end(), runs.begin(), runs.end());
  return b;
}

TEST(BmpReader, RunLengthPixelsStayInsideThePicture) {
  Image img;
  std::string err;
  // RLE4, 3 x 2: an encoded run longer than the row is cut at the right edge, an absolute
  // run fills the next row, a delta past the edge and a run after it draw nothing.
  ASSERT_TRUE(
      Decode(RunLengthBmp(3, 2, 4, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 200, 0, 4, 0x77, 0, 1}),
             &img, &err))
      << err;
  EXPECT_EQ(img.pixels,
            (std::vector<uint32_t>{0x030303, 0x040404, 0x050505, 0x010101, 0x020202, 0x010101}));

  // A 1 x 1 RLE8 picture followed by ~17 MB of 255-pixel runs and deltas with no end of
  // line: the column would pass 2^31 many times over. Only the first pixel is drawn.
  std::vector<uint8_t> runs;
  runs.reserve(17u << 20);
  runs.insert(runs.end(), {1, 9});
  while (runs.size() < (16u << 20)) runs.insert(runs.end(), {255, 3});
  while (runs.size() < (33u << 19)) runs.insert(runs.end(), {0, 2, 255, 0});
  while (runs.size() < (17u << 20)) runs.insert(runs.end(), {255, 4});
  const auto big = RunLengthBmp(1, 1, 8, runs);
  ASSERT_TRUE(Decode(big, &img, &err)) << err;
  EXPECT_EQ(img.pixels, std::vector<uint32_t>{0x090909});
  // The same from a design folder's file.
  // A name of this run's own: other runs of the suite on the machine share the folder.
  const std::string path = testing::TempDir() + "velmora_rle_big_" +
                           std::to_string(std::random_device{}()) + ".bmp";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fwrite(big.data(), 1, big.size(), f), big.size());
  std::fclose(f);
  img = Image{};
  EXPECT_TRUE(LoadBmpFile(path, &img, &err)) << err;
  std::remove(path.c_str());
  EXPECT_EQ(img.pixels, std::vector<uint32_t>{0x090909});
}

TEST(BmpReader, MissingFileNamesThePath) {
  Image img;
  std::string err;
  EXPECT_FALSE(LoadBmpFile("/nonexistent/dir/back.bmp", &img, &err));
  EXPECT_EQ(err, "Cannot open file /nonexistent/dir/back.bmp");
}

TEST(Outline, RunsOfNonBlackPixelsPerRow) {
  Image mask;
  mask.width = 6;
  mask.height = 3;
  mask.pixels = {0,        1, 1, 0, 0xFFFFFF, 0,  //
                 0,        0, 0, 0, 0,        0,  //
                 0x010000, 5, 5, 5, 5,        0x000100};
  const std::vector<OutlineRun> expected = {{0, 1, 3}, {0, 4, 5}, {2, 0, 6}};
  EXPECT_EQ(OutlineRuns(mask), expected);
}

TEST(Outline, AllBlackGivesNothing) {
  Image mask;
  mask.width = 40;
  mask.height = 30;
  mask.pixels.assign(1200, 0);
  EXPECT_TRUE(OutlineRuns(mask).empty());
  EXPECT_TRUE(OutlineRuns(Image{}).empty());
}

TEST(GlyphStrip, NormalThenDisabledAndBlackOutside) {
  const Image normal = Checker(10, 10);
  Image disabled = normal;
  for (auto& p : disabled.pixels) p = 0x111111;
  const Image strip = BuildGlyphStrip(normal, disabled, {8, 8, 4, 3});
  ASSERT_EQ(strip.width, 8);
  ASSERT_EQ(strip.height, 3);
  EXPECT_EQ(strip.At(0, 0), normal.At(8, 8));
  EXPECT_EQ(strip.At(2, 0), 0u);  // beyond the picture
  EXPECT_EQ(strip.At(4, 1), 0x111111u);
  EXPECT_TRUE(BuildGlyphStrip(normal, disabled, {0, 0, 0, 5}).Empty());
  EXPECT_TRUE(BuildGlyphStrip(normal, disabled, {0, 0, 2147483647, 2147483647}).Empty());
}

}  // namespace
}  // namespace velmora
