// The visualisation host as a user drives it: the "Visualisation Plugins" page lists the
// test visualisation plug-in (tests/plugins/visprobe) and its modules, "Choose this one"
// makes one the chosen module, "Execute" > "Visualisation Plugin" starts and stops it
// (each time after the message box), and the plug-in's log shows what the module saw.
// The probe input plug-in plays and reports fixed peaks (18000 and 7200, levels 100 and
// 40), which is what the meter reads under wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_window_ids_win.h"
#include "audio_support.h"

namespace velmora::e2e {
namespace {

using namespace audio;

constexpr char kStartStop[] = "Not already working ... just showing ...";
constexpr char kProbeName[] = "Velmora visualisation probe";
constexpr DWORD kSecond = 1000;

struct VisFolder {
  explicit VisFolder(const std::string& vis_ini) {
    folder.AddPlugin("probe.dll", "probe_v.dll",
                     "extensions=VPR\nlength_ms=600000\npeaks=18000,7200\n");
    folder.AddPlugin("visprobe.dll", "visprobe.dll", vis_ini);
    track = folder.MakeMediaFile("media\\tone.vpr");
    folder.WriteFile("pl.m3u", track + "\r\n");
  }
  std::vector<std::string> Log() const { return ReadLines(folder.File("visprobe.log")); }
  // Lines of the log that start with `word` and a blank.
  std::vector<std::string> Lines(const std::string& word) const {
    std::vector<std::string> found;
    for (const std::string& line : Log())
      if (line.rfind(word + " ", 0) == 0) found.push_back(line);
    return found;
  }
  TestFolder folder;
  std::string track;
};

// The value of "key=" in a log line ("" when absent).
std::string Field(const std::string& line, const std::string& key) {
  const size_t at = line.find(" " + key + "=");
  if (at == std::string::npos) return {};
  const size_t start = at + key.size() + 2;
  return line.substr(start, line.find(' ', start) - start);
}

HWND ShowVisualisationPage(PlayerProcess& player, HWND main) {
  PostMessageA(main, WM_COMMAND, main_menu::kVisualisation, 0);
  HWND options = nullptr;
  WaitUntil([&] {
    options = player.FindWindowOfClass("TForm2");
    return options && IsWindowVisible(options) && IsControlVisible(options, ids::Dlllist);
  });
  return options;
}

// Asked in UTF-16, as the harness asks lists: wine hands the ANSI reply back from
// another process unconverted.
std::vector<std::string> ComboItems(HWND options) {
  std::vector<std::string> items;
  HWND combo = Control(options, ids::ComboBox1);
  const LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    wchar_t wide[512] = L"";
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) >= 511) continue;
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
    char text[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    items.push_back(text);
  }
  return items;
}

void SelectRow(HWND options, int id, UINT set, UINT notification, int row) {
  HWND control = Control(options, id);
  SendMessageA(control, set, row, 0);
  SendMessageA(options, WM_COMMAND, MAKEWPARAM(id, notification),
               reinterpret_cast<LPARAM>(control));
}

// Clicks the probe's row of the plug-in list and chooses module `module` (-1: none).
void ChooseModule(HWND options, int module) {
  const std::vector<std::string> rows = ListItems(options, ids::Dlllist);
  const auto row = std::find(rows.begin(), rows.end(), kProbeName);
  ASSERT_NE(row, rows.end());
  SelectRow(options, ids::Dlllist, LB_SETCURSEL, LBN_SELCHANGE,
            static_cast<int>(row - rows.begin()));
  SendMessageA(Control(options, ids::ComboBox1), CB_SETCURSEL, module, 0);
  Click(options, ids::OLabel8);
}

// "Execute" > "Visualisation Plugin", answering its message box.
bool StartOrStop(PlayerProcess& player, HWND main) {
  PostMessageA(main, WM_COMMAND, main_menu::kVisualisationPlugin, 0);
  return AnswerMessageBox(player, kStartStop);
}

HWND StartPlaying(PlayerProcess& player, const VisFolder& vis) {
  WriteSettings(Settings{});
  HWND main = StartReady(player, vis.folder);
  if (!main) return nullptr;
  SendRegistered(main, "VelmoraPlay");
  if (!WaitUntil([&] { return IsControlEnabled(main, ids::stopbut); })) return nullptr;
  return main;
}

TEST(VisHost, ListsChoosesAndRendersTheMeterLevelsUntilTheExitQuitsIt) {
  VisFolder vis("delay_ms=10\nuserdata=1\n");
  PlayerProcess player;
  HWND main = StartPlaying(player, vis);
  ASSERT_TRUE(main);
  HWND options = ShowVisualisationPage(player, main);
  ASSERT_TRUE(options);

  // Before anything is chosen a start does nothing and the run stays idle: the next
  // command asks again.
  ASSERT_TRUE(StartOrStop(player, main));
  ASSERT_TRUE(StartOrStop(player, main));
  EXPECT_TRUE(vis.Lines("init").empty());

  // The three modules in index order, the first selected.
  ChooseModule(options, -1);  // an empty combo text chooses nothing
  EXPECT_EQ(ComboItems(options),
            (std::vector<std::string>{"Probe scope", "Probe bars", "Probe dots"}));
  EXPECT_EQ(ControlText(options, ids::Edit7), "");
  EXPECT_EQ(ControlText(options, ids::Edit8), "");
  ChooseModule(options, 1);
  EXPECT_EQ(ControlText(options, ids::Edit7), vis.folder.File("Library\\visprobe.dll"));
  EXPECT_EQ(ControlText(options, ids::Edit8), "Probe bars");
  const std::vector<std::string> listed = ListItems(options, ids::Dlllist);
  EXPECT_EQ(ListItems(options, ids::dlllist2).size(), listed.size());

  ASSERT_TRUE(StartOrStop(player, main));
  ASSERT_TRUE(WaitUntil([&] { return vis.Lines("init").size() == 1; }));
  const std::string init = vis.Lines("init")[0];
  EXPECT_EQ(init.substr(0, 7), "init 1 ");
  EXPECT_EQ(Field(init, "instance"), "self");
  EXPECT_EQ(Field(init, "delay"), "10");
  // The parent window answers the plug-in's questions (asked after Init is logged, each
  // answered by the player's window thread).
  ASSERT_TRUE(WaitUntil([&] { return vis.Lines("ask").size() == 1; }));
  const std::string ask = vis.Lines("ask")[0];
  EXPECT_EQ(Field(ask, "version"), "8192");
  EXPECT_EQ(Field(ask, "playing"), "1");
  EXPECT_EQ(Field(ask, "listlength"), "1");
  EXPECT_EQ(Field(ask, "title0"), "tone.vpr");

  // Rendered with the levels, at the module's pace.
  ASSERT_TRUE(WaitUntil([&] { return vis.Lines("render").size() >= 60; }, 20000));
  std::vector<double> times;
  int with_levels = 0;
  for (const std::string& line : vis.Lines("render")) {
    times.push_back(std::atof(Field(line, "t").c_str()));
    if (Field(line, "w0") == "100,0" && Field(line, "w1") == "40,0") ++with_levels;
  }
  EXPECT_GE(with_levels, 50) << "the module sees 100, 0, 100, 0 ... and 40, 0, 40, 0 ...";
  std::vector<double> gaps;
  for (size_t i = 1; i < times.size(); ++i) gaps.push_back(times[i] - times[i - 1]);
  std::sort(gaps.begin(), gaps.end());
  std::printf("render every %.1f ms (median of %zu), shortest %.1f ms\n", gaps[gaps.size() / 2],
              gaps.size(), gaps.front());
  EXPECT_GE(gaps.front(), 9.0) << "the module's 10 ms pause comes after every render";
  EXPECT_LT(gaps[gaps.size() / 2], 40.0) << "about every 10 ms";

  // The exit stops the worker, quits the module on the record Init saw (its state intact)
  // and releases the library before the process ends.
  EXPECT_TRUE(player.Close());
  ASSERT_EQ(vis.Lines("quit").size(), 1u);
  const std::string quit = vis.Lines("quit")[0];
  EXPECT_EQ(Field(quit, "record"), Field(init, "record"));
  EXPECT_EQ(Field(quit, "state"), "intact");
  const std::vector<std::string> log = vis.Log();
  const auto quit_at = std::find(log.begin(), log.end(), quit);
  EXPECT_NE(std::find(quit_at, log.end(), "detach free"), log.end());
  EXPECT_EQ(std::find(quit_at, log.end(), "detach exit"), log.end());
}

TEST(VisHost, StopReturnsWhileTheMeterCanNeverBeRead) {
  VisFolder vis("delay_ms=10\n");
  WriteSettings(Settings{});
  PlayerProcess player;
  LaunchOptions no_device;
  no_device.no_audio_device = true;
  HWND main = StartReady(player, vis.folder, no_device);
  ASSERT_TRUE(main);
  HWND options = ShowVisualisationPage(player, main);
  ASSERT_TRUE(options);
  ChooseModule(options, 0);

  // What the message box itself takes to go here: from the answer to the start's Init.
  PostMessageA(main, WM_COMMAND, main_menu::kVisualisationPlugin, 0);
  ASSERT_TRUE(WaitUntil([&] { return !MessageBoxesSaying(player, kStartStop).empty(); }));
  PostMessageA(MessageBoxesSaying(player, kStartStop)[0], WM_COMMAND, IDOK, 0);
  const DWORD start_answered = GetTickCount();
  ASSERT_TRUE(WaitUntil([&] { return vis.Lines("init").size() == 1; }, 5000));
  const DWORD box_ms = GetTickCount() - start_answered;
  ASSERT_TRUE(AnswerMessageBox(player, "No Wave Devices to open"));
  WaitUntil([] { return false; }, 500);
  EXPECT_TRUE(vis.Lines("render").empty()) << "nothing to render without a reading";

  PostMessageA(main, WM_COMMAND, main_menu::kVisualisationPlugin, 0);
  ASSERT_TRUE(WaitUntil([&] { return !MessageBoxesSaying(player, kStartStop).empty(); }));
  // The box's loop ends at its next message: a null message follows the answer at once.
  const HWND box = MessageBoxesSaying(player, kStartStop)[0];
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  PostMessageA(box, WM_NULL, 0, 0);
  const DWORD answered = GetTickCount();
  ASSERT_TRUE(WaitUntil([&] { return vis.Lines("quit").size() == 1; }, 5000));
  const DWORD took = GetTickCount() - answered;
  std::printf("stopped %lu ms after the answer (Init came %lu ms after the start's answer)\n",
              static_cast<unsigned long>(took), static_cast<unsigned long>(box_ms));
  EXPECT_LT(took, box_ms + 1000u) << "the stop itself takes less than a second";
  EXPECT_TRUE(player.Close());
}

TEST(VisHost, AModuleFaultingInRenderIsSurvivedAndCanBeStartedAgain) {
  VisFolder vis("delay_ms=10\nfault=render\n");
  PlayerProcess player;
  HWND main = StartPlaying(player, vis);
  ASSERT_TRUE(main);
  HWND options = ShowVisualisationPage(player, main);
  ASSERT_TRUE(options);
  ChooseModule(options, 2);
  // The start-up's one-shot status must not land on the text checked below.
  WaitUntil([&] { return Status(main).rfind("http", 0) == 0; }, 8000);

  ASSERT_TRUE(StartOrStop(player, main));
  ASSERT_TRUE(WaitUntil([&] { return vis.Lines("quit").size() == 1; }));
  EXPECT_EQ(vis.Lines("render").size(), 1u);
  EXPECT_TRUE(WaitUntil([&] {
    return Status(main).find("Visualisation stopped") != std::string::npos;
  })) << Status(main);
  EXPECT_TRUE(IsControlEnabled(main, ids::stopbut)) << "the player plays on";

  // The run ended: the next command starts again.
  ASSERT_TRUE(StartOrStop(player, main));
  EXPECT_TRUE(WaitUntil([&] { return vis.Lines("init").size() == 2; }));
  EXPECT_TRUE(WaitUntil([&] { return vis.Lines("quit").size() == 2; }));
  EXPECT_TRUE(player.Close());
}

TEST(VisHost, WithThePlayingSoundTheModuleSeesTheSamplesAndTheirSpectrum) {
  VisFolder vis("delay_ms=10\n");
  // The probe sounds a sine at bin 100 of the transform, at full scale.
  vis.folder.WriteFile("Library\\probe_v.ini",
                       "extensions=VPR\nlength_ms=600000\npeaks=32767,16000\nsamples=100\n");
  PlayerProcess player;
  HWND main = StartPlaying(player, vis);
  ASSERT_TRUE(main);
  HWND options = ShowVisualisationPage(player, main);
  ASSERT_TRUE(options);
  EXPECT_EQ(CheckState(options, ids::cbUsePlayingSound), BST_UNCHECKED) << "off by default";
  Click(options, ids::cbUsePlayingSound);
  EXPECT_EQ(CheckState(options, ids::cbUsePlayingSound), BST_CHECKED);
  ChooseModule(options, 0);
  ASSERT_TRUE(StartOrStop(player, main));
  ASSERT_TRUE(WaitUntil([&] {
    for (const std::string& line : vis.Lines("render"))
      if (Field(line, "w0") == "mixed" && Field(line, "s0peak").rfind("100:", 0) == 0) return true;
    return false;
  })) << (vis.Lines("render").empty() ? "" : vis.Lines("render").back());
  ASSERT_TRUE(StartOrStop(player, main));
  EXPECT_TRUE(player.Close());
  EXPECT_EQ(registry::ReadDword("UsePlayingSound"), 1u) << "the choice is stored";
}

// The client area of `window` as the screen shows it, 32-bit pixels 0x00RRGGBB, row by
// row; saved as a bitmap file when `save_as` is given.
std::vector<uint32_t> ScreenPixels(HWND window, const std::string& save_as = "") {
  RECT rc{};
  GetClientRect(window, &rc);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = rc.right;
  bi.bmiHeader.biHeight = -rc.bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, rc.right, rc.bottom, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const auto* raw = static_cast<const uint32_t*>(bits);
  std::vector<uint32_t> pixels(raw, raw + static_cast<size_t>(rc.right) * rc.bottom);
  if (!save_as.empty()) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof bi.bmiHeader;
    const auto bytes = static_cast<DWORD>(pixels.size() * 4);
    file.bfSize = file.bfOffBits + bytes;
    std::string data(reinterpret_cast<const char*>(&file), sizeof file);
    data.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    data.append(reinterpret_cast<const char*>(pixels.data()), bytes);
    WriteWholeFile(save_as, data);
  }
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

TEST(VisHost, TheShippedScopeDrawsWhileATrackPlays) {
  VisFolder vis("");
  PlayerProcess player;
  HWND main = StartPlaying(player, vis);
  ASSERT_TRUE(main);
  HWND options = ShowVisualisationPage(player, main);
  ASSERT_TRUE(options);
  const std::vector<std::string> rows = ListItems(options, ids::Dlllist);
  const auto row = std::find(rows.begin(), rows.end(), "Velmora Scope");
  ASSERT_NE(row, rows.end());
  SelectRow(options, ids::Dlllist, LB_SETCURSEL, LBN_SELCHANGE,
            static_cast<int>(row - rows.begin()));
  EXPECT_EQ(ComboItems(options), (std::vector<std::string>{"Velmora Scope: oscilloscope",
                                                           "Velmora Scope: spectrum bars"}));
  SendMessageA(Control(options, ids::ComboBox1), CB_SETCURSEL, 1, 0);
  Click(options, ids::OLabel8);
  ShowWindow(options, SW_HIDE);

  ASSERT_TRUE(StartOrStop(player, main));
  HWND scope = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    scope = player.FindWindowOfClass("VelmoraScope");
    return scope && IsWindowVisible(scope);
  }));
  SetWindowPos(scope, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Bars of the levels (100 and 40) and the playing title in the caption.
  EXPECT_TRUE(WaitUntil([&] {
    int lit = 0;
    for (uint32_t p : ScreenPixels(scope))
      if ((p & 0xFFFFFF) != 0x000010) ++lit;
    return lit > 500;
  })) << "the bars are drawn";
  EXPECT_TRUE(WaitUntil([&] {
    return WindowText(scope) == "Velmora Scope: spectrum bars - tone.vpr";
  })) << WindowText(scope);
  CreateDirectoryA((ExeFolder() + "\\..\\screenshots").c_str(), nullptr);
  ScreenPixels(scope, ExeFolder() + "\\..\\screenshots\\VelmoraScope.bmp");

  ASSERT_TRUE(StartOrStop(player, main));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(scope); })) << "Quit closes its window";
  EXPECT_TRUE(player.Close());
}

// Libraries that hand over bad pointers (a header or module record at 0x40 or at an address
// that is no address at all) or a description of 1.5 MB: the player lists what it can,
// keeps answering, and a module whose Init fails does not run.
TEST(VisHost, BadRecordsLongNamesAndAFailingInitAreTheLibrarysOwnFaults) {
  VisFolder vis("delay_ms=10\ninit_result=1\n");
  vis.folder.AddPlugin("visprobe.dll", "visheader.dll", "header=0xdead0000beef\nlog=a.log\n");
  vis.folder.AddPlugin("visprobe.dll", "vislow.dll", "header=0x40\nlog=b.log\n");
  vis.folder.AddPlugin("visprobe.dll", "vismodule.dll",
                       "module=0x40\ndescription=Bad modules\nlog=c.log\n");
  vis.folder.AddPlugin("visprobe.dll", "vislong.dll", "description_length=1500000\nlog=d.log\n");
  PlayerProcess player;
  HWND main = StartPlaying(player, vis);
  ASSERT_TRUE(main);
  HWND options = ShowVisualisationPage(player, main);
  ASSERT_TRUE(options);
  const std::vector<std::string> rows = ListItems(options, ids::Dlllist);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), kProbeName), 1) << "bad headers are not listed";
  EXPECT_EQ(std::count(rows.begin(), rows.end(), std::string(255, 'd')), 1)
      << "a long description is cut to 255 characters";
  const auto bad_modules = std::find(rows.begin(), rows.end(), "Bad modules");
  ASSERT_NE(bad_modules, rows.end());
  SelectRow(options, ids::Dlllist, LB_SETCURSEL, LBN_SELCHANGE,
            static_cast<int>(bad_modules - rows.begin()));
  EXPECT_TRUE(ComboItems(options).empty());

  // Init answers 1: the module is neither rendered nor quit, and the user is told.
  ChooseModule(options, 0);
  ASSERT_TRUE(StartOrStop(player, main));
  ASSERT_TRUE(WaitUntil([&] { return vis.Lines("init").size() == 1; }));
  EXPECT_TRUE(WaitUntil([&] {
    return Status(main).find("Visualisation not started") != std::string::npos;
  })) << Status(main);
  EXPECT_TRUE(vis.Lines("render").empty());
  EXPECT_TRUE(vis.Lines("quit").empty());
  EXPECT_TRUE(player.Close());
}

// A Render that never returns: Stop comes back within a second, says so, and neither quits
// the module nor releases its library; the exit is not held up either.
TEST(VisHost, StopLeavesARenderThatNeverReturnsBehind) {
  VisFolder vis("delay_ms=10\nhang=render\n");
  PlayerProcess player;
  HWND main = StartPlaying(player, vis);
  ASSERT_TRUE(main);
  HWND options = ShowVisualisationPage(player, main);
  ASSERT_TRUE(options);
  ChooseModule(options, 0);
  WaitUntil([&] { return Status(main).rfind("http", 0) == 0; }, 8000);
  const auto answer_box = [&] {
    if (!WaitUntil([&] { return !MessageBoxesSaying(player, kStartStop).empty(); })) return false;
    // The box's loop ends at its next message: a null message follows the answer at once.
    const HWND box = MessageBoxesSaying(player, kStartStop)[0];
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    PostMessageA(box, WM_NULL, 0, 0);
    return true;
  };
  // What the message box itself takes to go here: from the answer to the start's Init.
  PostMessageA(main, WM_COMMAND, main_menu::kVisualisationPlugin, 0);
  ASSERT_TRUE(answer_box());
  const DWORD start_answered = GetTickCount();
  ASSERT_TRUE(WaitUntil([&] { return vis.Lines("init").size() == 1; }));
  const DWORD box_ms = GetTickCount() - start_answered;
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<std::string> log = vis.Log();
    return std::find(log.begin(), log.end(), "render 0 hang") != log.end();
  }));
  const size_t before_stop = vis.Log().size();

  PostMessageA(main, WM_COMMAND, main_menu::kVisualisationPlugin, 0);
  ASSERT_TRUE(answer_box());
  const DWORD answered = GetTickCount();
  ASSERT_TRUE(WaitUntil([&] {
    return Status(main).find("does not return from Render") != std::string::npos;
  })) << Status(main);
  const DWORD took = GetTickCount() - answered;
  std::printf("stop came back %lu ms after the answer (Init came %lu ms after the start's)\n",
              static_cast<unsigned long>(took), static_cast<unsigned long>(box_ms));
  EXPECT_LT(took, box_ms + 1000u + kSecond) << "the stop itself takes about a second";
  EXPECT_TRUE(vis.Lines("quit").empty()) << "no Quit while Render may be running";
  const std::vector<std::string> log = vis.Log();
  EXPECT_EQ(
      std::find(log.begin() + static_cast<std::ptrdiff_t>(before_stop), log.end(), "detach free"),
      log.end())
      << "the library is not released";
  EXPECT_TRUE(IsControlEnabled(main, ids::stopbut)) << "the player plays on";
  EXPECT_TRUE(player.Close());
}

// Benchmark (prints figures, asserts nothing about them): the player's CPU with a module
// running whose Render returns at once (delayMs 20), against the same playback without it.
TEST(Benchmark, DISABLED_VisualisationHostCpuAtDelay20) {
  VisFolder vis("delay_ms=20\nquiet=1\n");
  PlayerProcess player;
  HWND main = StartPlaying(player, vis);
  ASSERT_TRUE(main);
  HWND options = ShowVisualisationPage(player, main);
  ASSERT_TRUE(options);
  ChooseModule(options, 0);
  WaitUntil([] { return false; }, 1000);  // let the start settle
  auto measure = [&](int ms) { return CpuSharePercent(player.Handle(), ms); };
  // 30 s each: the process's times come in 10 ms ticks, 0.03% of a core over 30 s.
  const double playing = measure(30000);
  ASSERT_TRUE(StartOrStop(player, main));
  ASSERT_TRUE(WaitUntil([&] { return vis.Lines("init").size() == 1; }));
  const double with_module = measure(30000);
  std::printf(
      "CPU while playing: %.2f%% of one core; with a module at delayMs 20 whose Render costs "
      "nothing: %.2f%%; the host adds %.2f%%\n",
      playing, with_module, with_module - playing);
  ASSERT_TRUE(StartOrStop(player, main));
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
