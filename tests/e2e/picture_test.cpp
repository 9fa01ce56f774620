// The JPEG decoder in this process: a file that libjpeg gives up on half-way is an error,
// and every buffer made for it is freed (libjpeg leaves by longjmp).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "design/picture_win.h"
#include "harness/harness.h"

namespace {
// Counts the allocations of one thread that are not yet freed, while switched on.
std::atomic<DWORD> g_counted_thread{0};
std::atomic<long> g_live{0};
}  // namespace

void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  if (g_counted_thread == GetCurrentThreadId()) ++g_live;
  return p;
}
void operator delete(void* p) noexcept {
  if (p && g_counted_thread == GetCurrentThreadId()) --g_live;
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace velmora::e2e {
namespace {

// An 8 x 8 grey baseline JPEG: one block whose DC difference and AC codes are one bit each.
std::string GreyJpeg(bool second_scan_names_a_missing_component) {
  std::string j = "\xFF\xD8";
  j += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');  // quantisation
  j += std::string("\xFF\xC0\x00\x0B\x08\x00\x08\x00\x08\x01\x01\x11\x00",
                   13);  // 8 x 8, 1 component
  const std::string one_code =
      std::string("\x01", 1) + std::string(15, '\0') + std::string(1, '\0');
  j += std::string("\xFF\xC4\x00\x14\x00", 5) + one_code;  // DC table: "0" = difference 0
  j += std::string("\xFF\xC4\x00\x14\x10", 5) + one_code;  // AC table: "0" = end of block
  j += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
  j += "\x3F";  // "0", "0", then padding
  // A second scan of component 9, which the frame does not have: libjpeg stops with an
  // error after every row was read, while finishing.
  if (second_scan_names_a_missing_component)
    j += std::string("\xFF\xDA\x00\x08\x01\x09\x00\x00\x3F\x00", 10) + "\x3F";
  j += "\xFF\xD9";
  return j;
}

TEST(Picture, BrokenJpegIsAnErrorAndLeavesNothingAllocated) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string good =
      std::string(temp) + "velmora-good-" + std::to_string(GetCurrentProcessId()) + ".jpg";
  const std::string bad =
      std::string(temp) + "velmora-bad-" + std::to_string(GetCurrentProcessId()) + ".jpg";
  ASSERT_TRUE(WriteWholeFile(good, GreyJpeg(false)));
  ASSERT_TRUE(WriteWholeFile(bad, GreyJpeg(true)));

  Image image;
  std::string error;
  ASSERT_TRUE(LoadJpegFile(good, &image, &error)) << error;
  EXPECT_EQ(image.width, 8);
  EXPECT_EQ(image.height, 8);
  EXPECT_EQ(image.At(7, 7), 0x808080u);

  bool loaded = true, error_text = false;
  g_live = 0;
  g_counted_thread = GetCurrentThreadId();
  for (int i = 0; i < 3; ++i) {
    Image broken;
    std::string why;
    loaded = LoadJpegFile(bad, &broken, &why) && loaded;
    error_text = why == "JPEG image is not valid" && broken.Empty();
  }
  g_counted_thread = 0;
  DeleteFileA(good.c_str());
  DeleteFileA(bad.c_str());
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(error_text);
  EXPECT_EQ(g_live.load(), 0) << "allocations left behind";
}

}  // namespace
}  // namespace velmora::e2e
