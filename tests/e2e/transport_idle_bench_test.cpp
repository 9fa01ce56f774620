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

uint64_t CpuTime100ns(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  auto value = [](const FILETIME& f) {
    return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  return value(kernel) + value(user);
}

TEST(Benchmark, DISABLED_IdleCpuWhilePlaying) {
  registry::ClearSettings();
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=600000\n"));
  const std::string song = folder.MakeMediaFile("long.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder, {"\"" + song + "\""}));
  ASSERT_TRUE(WaitStarted(player));
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("play long.prb"));
  HWND main = player.MainWindow();
  ASSERT_TRUE(IsControlEnabled(main, ids::Banner1)) << "the title scrolls";
  Sleep(2000);  // let the start settle

  const int seconds = 30;
  const uint64_t cpu0 = CpuTime100ns(player.Handle());
  const DWORD t0 = GetTickCount();
  WaitUntil([] { return false; }, seconds * 1000);
  const uint64_t cpu1 = CpuTime100ns(player.Handle());
  const DWORD wall_ms = GetTickCount() - t0;

  const double cpu_ms = static_cast<double>(cpu1 - cpu0) / 10000.0;
  const double percent = wall_ms ? 100.0 * cpu_ms / wall_ms : 0.0;
  std::printf(
      "idle CPU while playing, title scrolling: %.1f ms CPU in %lu ms = %.2f%% of one core "
      "(target <= 2%%)\n",
      cpu_ms, static_cast<unsigned long>(wall_ms), percent);
  std::printf("position polls in the window: %d\n", log.Count("getposition"));
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
