// Benchmark (prints figures, asserts nothing about them): the player's CPU use with a
// track playing and the title scrolling, averaged over 30 s. Run it with
//   velmora_e2e --gtest_also_run_disabled_tests --gtest_filter=*IdleCpu*
#include <gtest/gtest.h>

#include <cstdio>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {


// Prints the CPU time of `process` over `seconds`, in per cent of one core.
void MeasureCpu(HANDLE process, int seconds, const char* what, const char* target) {
  const uint64_t cpu0 = CpuTime100ns(process);
  const DWORD t0 = GetTickCount();
  WaitUntil([] { return false; }, seconds * 1000);
  const uint64_t cpu1 = CpuTime100ns(process);
  const DWORD wall_ms = GetTickCount() - t0;
  const double cpu_ms = static_cast<double>(cpu1 - cpu0) / 10000.0;
  const double percent = wall_ms ? 100.0 * cpu_ms / wall_ms : 0.0;
  std::printf("idle CPU %s: %.1f ms CPU in %lu ms = %.2f%% of one core (target %s)\n", what, cpu_ms,
              static_cast<unsigned long>(wall_ms), percent, target);
}

TEST(Benchmark, DISABLED_IdleCpuWhilePlaying) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=600000\n"));
  const std::string song = folder.MakeMediaFile("long.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder, {"\"" + song + "\""}));
  ASSERT_TRUE(player.WaitForStartup());
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("play long.prb"));
  HWND main = player.MainWindow();
  ASSERT_TRUE(IsControlEnabled(main, ids::Banner1)) << "the title scrolls";
  Sleep(2000);  // let the start settle

  MeasureCpu(player.Handle(), 30, "while playing, title scrolling", "<= 2%");
  std::printf("position polls in the window: %d\n", log.Count("getposition"));
  EXPECT_TRUE(player.Close());
}

TEST(Benchmark, DISABLED_IdleCpuInShadowModeWithTheTrayIcon) {
  // The small window rides on the window under the mouse every 100 ms; the tray icon and
  // the task-bar button are both shown; nothing plays.
  registry::ClearSettings();
  registry::WriteDword("Nag", 0);
  registry::WriteDword("ShadowMode", 1);
  registry::WriteDword("VisibleMode", 2);
  TestFolder folder;
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(WaitUntil([&] {
    HWND shadow = player.FindWindowOfClass("TForm4");
    return shadow && IsWindowVisible(shadow);
  }));
  Sleep(2000);  // let the start settle
  // 60 s: the process's times come in 10 ms ticks, 0.017% of a core over 60 s.
  MeasureCpu(player.Handle(), 60, "in shadow mode with the tray icon", "< 0.05%");
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
