// The VU meter window as a user sees it: its bars read from the screen while the shipped
// MPEG plug-in plays test tones. Under wine the mixer has no peak meter and the output
// device offers no meter either, so the levels come from the plug-in's own peaks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window_ids_win.h"
#include "audio_support.h"

namespace velmora::e2e {
namespace {

using namespace audio;

constexpr int kBarRows = 75;
constexpr COLORREF kDarkBlue = RGB(0, 0, 128);

// What the screen shows of a window's child: its pixels as COLORREF, row by row.
struct Shot {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool operator==(const Shot& o) const { return width == o.width && pixels == o.pixels; }
};

Shot Grab(HWND control) {
  Shot shot;
  RECT rc{};
  if (!control || !GetClientRect(control, &rc)) return shot;
  POINT origin{0, 0};
  ClientToScreen(control, &origin);
  shot.width = rc.right;
  shot.height = rc.bottom;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = shot.width;
  bi.bmiHeader.biHeight = -shot.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const auto* raw = static_cast<const uint32_t*>(bits);
  for (int i = 0; i < shot.width * shot.height; ++i) {
    const uint32_t p = raw[i];
    shot.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
  }
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

// Rows of a bar lit from its bottom: the topmost row with a pixel that is not dark blue.
int LitHeight(HWND vu, int id) {
  const Shot shot = Grab(GetDlgItem(vu, id));
  if (shot.height != kBarRows) return -1;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x)
      if (shot.At(x, y) != kDarkBlue) return shot.height - y;
  return 0;
}

bool AllDark(const Shot& shot) {
  if (shot.pixels.empty()) return false;
  for (COLORREF p : shot.pixels)
    if (p != kDarkBlue) return false;
  return true;
}

// The mouse away from the player's windows, so no hint stands over the bars.
void MouseAway() { SetCursorPos(0, 0); }

// The text of the player's hint shown now, "" when none is shown.
std::string ShownHint(const PlayerProcess& player) {
  for (HWND w : TopLevelWindowsOf(player.Pid()))
    if (IsWindowVisible(w) && ClassNameOf(w) == "tooltips_class32") return WindowText(w);
  return {};
}

HWND ShowVuMeter(PlayerProcess& player, HWND main) {
  MouseAway();
  PostMessageA(main, WM_COMMAND, main_menu::kVuMeter, 0);
  HWND vu = nullptr;
  WaitUntil([&] {
    vu = VisibleWindowOf(player, "TForm12", "Vu");
    return vu != nullptr;
  });
  if (vu) SetWindowPos(vu, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return vu;
}

TEST(VuMeter, BarsFollowThePlayingToneAndFallDarkWhenStopped) {
  WriteSettings(Settings{});
  TestFolder folder;
  const std::string full = CopyMedia(folder, "sine_1k_full_20s.mp3");
  const std::string quieter = CopyMedia(folder, "sine_1k_m12_20s.mp3");
  ASSERT_FALSE(full.empty()) << "no test media in " << MediaFolder();
  ASSERT_FALSE(quieter.empty());
  folder.WriteFile("pl.m3u", full + "\r\n" + quieter + "\r\n");

  PlayerProcess player;
  HWND main = StartReady(player, folder);
  ASSERT_TRUE(main);
  HWND vu = ShowVuMeter(player, main);
  ASSERT_TRUE(vu) << "Execute > Vu Meter showed no window";
  RECT client{};
  GetClientRect(vu, &client);
  EXPECT_EQ(client.right, 104);
  EXPECT_EQ(client.bottom, 109);
  EXPECT_TRUE(WaitUntil([&] { return AllDark(Grab(GetDlgItem(vu, ids::iml))); }, 5000))
      << "the bars start unlit";
  EXPECT_FALSE(IsControlVisible(vu, ids::ruler));

  // The tone at full scale: both bars lit to the top, the overload lamps on.
  ASSERT_EQ(SendRegistered(main, "VelmoraPlay"), 0);
  EXPECT_TRUE(WaitUntil(
      [&] { return LitHeight(vu, ids::iml) >= 70 && LitHeight(vu, ids::imr) >= 70; }, 15000))
      << "left " << LitHeight(vu, ids::iml) << ", right " << LitHeight(vu, ids::imr);
  EXPECT_TRUE(IsControlVisible(vu, ids::redl));
  EXPECT_TRUE(IsControlVisible(vu, ids::redr));
  const int full_height = LitHeight(vu, ids::iml);

  // The hint over the bars says where the levels come from.
  RECT bar{};
  GetWindowRect(GetDlgItem(vu, ids::iml), &bar);
  SetCursorPos((bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2);
  EXPECT_TRUE(WaitUntil([&] {
    return ShownHint(player) ==
           "Level of what the input plug-in plays (no peak meter on this system)";
  })) << "hint: '"
      << ShownHint(player) << "'";
  MouseAway();
  WaitUntil([&] { return ShownHint(player).empty(); }, 3000);

  // 12 dB lower (a quarter of the amplitude: level 45, 22 rows): well below, no lamp.
  ASSERT_EQ(SendRegistered(main, "VelmoraNext"), 0);
  EXPECT_TRUE(WaitUntil(
      [&] {
        const int left = LitHeight(vu, ids::iml), right = LitHeight(vu, ids::imr);
        return left >= 15 && left <= 30 && right >= 15 && right <= 30;
      },
      15000))
      << "left " << LitHeight(vu, ids::iml) << ", right " << LitHeight(vu, ids::imr);
  EXPECT_LT(LitHeight(vu, ids::iml), full_height);
  EXPECT_FALSE(IsControlVisible(vu, ids::redl));
  EXPECT_FALSE(IsControlVisible(vu, ids::redr));

  // Paused, nothing is heard: dark; playing on, lit again.
  ASSERT_EQ(SendRegistered(main, "VelmoraPause"), 0);
  EXPECT_TRUE(WaitUntil([&] {
    return LitHeight(vu, ids::iml) == 0 && LitHeight(vu, ids::imr) == 0;
  })) << "left "
      << LitHeight(vu, ids::iml) << ", right " << LitHeight(vu, ids::imr);
  ASSERT_EQ(SendRegistered(main, "VelmoraPause"), 0);
  EXPECT_TRUE(WaitUntil([&] { return LitHeight(vu, ids::iml) >= 15; }))
      << "left " << LitHeight(vu, ids::iml);

  // Stopped: dark at once (the first reading of silence darkens the whole bar).
  ASSERT_EQ(SendRegistered(main, "VelmoraStop"), 0);
  const DWORD stopped = GetTickCount();
  EXPECT_TRUE(WaitUntil(
      [&] {
        return AllDark(Grab(GetDlgItem(vu, ids::iml))) && AllDark(Grab(GetDlgItem(vu, ids::imr)));
      },
      5000));
  const DWORD dark_after = GetTickCount() - stopped;
  std::printf("bars dark %lu ms after stop\n", static_cast<unsigned long>(dark_after));
  EXPECT_LT(dark_after, 3000u) << "the machine is loaded; the meter itself takes one tick";

  // Closed and shown again: it works as before.
  SendMessageA(vu, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(vu));
  vu = ShowVuMeter(player, main);
  ASSERT_TRUE(vu);
  ASSERT_EQ(SendRegistered(main, "VelmoraPrev"), 0);
  EXPECT_TRUE(WaitUntil([&] { return LitHeight(vu, ids::iml) >= 70; }, 15000));
  EXPECT_TRUE(player.Close());
}

TEST(VuMeter, WithoutAnAudioDeviceItSaysSoOnceAndLeavesTheBars) {
  WriteSettings(Settings{});
  TestFolder folder;
  PlayerProcess player;
  LaunchOptions options;
  options.no_audio_device = true;
  HWND main = StartReady(player, folder, options);
  ASSERT_TRUE(main);
  HWND vu = ShowVuMeter(player, main);
  ASSERT_TRUE(vu);
  const char* kMessage = "No Wave Devices to open";
  ASSERT_TRUE(WaitUntil([&] { return !MessageBoxesSaying(player, kMessage).empty(); }));
  EXPECT_EQ(MessageBoxesSaying(player, kMessage).size(), 1u);
  PostMessageA(MessageBoxesSaying(player, kMessage)[0], WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxesSaying(player, kMessage).empty(); }));
  // (The box stood over the bars; they are read once it is gone.) The timer goes on
  // without readings: no second message, and the bars stay as they were shown, unlit.
  EXPECT_TRUE(WaitUntil([&] { return AllDark(Grab(GetDlgItem(vu, ids::iml))); }, 5000))
      << "the bars are not shown unlit";
  const Shot left = Grab(GetDlgItem(vu, ids::iml));
  EXPECT_FALSE(WaitUntil([&] { return !MessageBoxesSaying(player, kMessage).empty(); }, 1500));
  EXPECT_TRUE(Grab(GetDlgItem(vu, ids::iml)) == left);
  EXPECT_TRUE(AllDark(Grab(GetDlgItem(vu, ids::imr))));
  EXPECT_FALSE(IsControlVisible(vu, ids::redl));
  EXPECT_TRUE(player.Close());
}

// Benchmark (prints figures, asserts nothing about them): what the shown VU window adds
// to the player's CPU use while a track plays.
TEST(Benchmark, DISABLED_VuMeterIdleCpuWhilePlaying) {
  WriteSettings(Settings{});
  TestFolder folder;
  // A minute of changing material: the bars move all the time.
  const std::string tone = CopyMedia(folder, "cbr320_60s.mp3");
  ASSERT_FALSE(tone.empty()) << "no test media in " << MediaFolder();
  folder.WriteFile("pl.m3u", tone + "\r\n");
  PlayerProcess player;
  HWND main = StartReady(player, folder);
  ASSERT_TRUE(main);
  ASSERT_EQ(SendRegistered(main, "VelmoraPlay"), 0);
  ASSERT_TRUE(WaitUntil([&] { return IsControlEnabled(main, ids::stopbut); }));
  WaitUntil([] { return false; }, 1000);  // let the start settle

  auto measure = [&](int ms) { return CpuSharePercent(player.Handle(), ms); };
  const double playing = measure(10000);
  HWND vu = ShowVuMeter(player, main);
  ASSERT_TRUE(vu);
  const double with_vu = measure(10000);
  std::printf(
      "CPU while playing: %.2f%% of one core; with the VU window shown: %.2f%%; "
      "the VU window adds %.2f%% (target <= 1%%)\n",
      playing, with_vu, with_vu - playing);
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
