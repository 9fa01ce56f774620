// A network stream through the player and the shipped MPEG plug-in whose server accepts the
// connection and never answers: the player's window keeps answering while the plug-in
// waits, and Stop ends the wait at once.
#include <winsock2.h>

#include "audio_support.h"
#include "harness/local_http_server.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace velmora::e2e {
namespace {

using namespace audio;

// Milliseconds the window takes to answer WM_NULL; -1 when it does not within `bound_ms`.
int AnswerMs(HWND window, int bound_ms) {
  const DWORD start = GetTickCount();
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(bound_ms),
                           &ignored))
    return -1;
  return static_cast<int>(GetTickCount() - start);
}

TEST(AudioStream, AServerThatNeverAnswersLeavesTheWindowFreeAndStopEndsTheWait) {
  WriteSettings({});
  // Accepts the connection and never answers.
  LocalHttpServer server;
  server.Set("/live.mp3", {200, "", false, "", true});
  TestFolder folder;
  folder.WriteFile("pl.m3u", server.Url("/live.mp3") + "\r\n");
  PlayerProcess player;
  HWND main = StartReady(player, folder);
  ASSERT_TRUE(main) << "the player did not start";
  ASSERT_EQ(SendRegistered(main, "VelmoraNumberFiles"), 1);

  // Play is posted so that a player stuck inside the plug-in shows as a window that does
  // not answer, rather than as a send that does not return.
  ASSERT_TRUE(PostMessageA(main, RegisterWindowMessageA("VelmoraPlay"), 0, 0));
  ASSERT_TRUE(WaitUntil([&] { return !server.RequestLines().empty(); }))
      << "the plug-in never connected";
  // The plug-in waits for the server on a thread of its own. The aim is an answer within
  // 100 ms; the bound is generous because the machine running the tests may be loaded,
  // and still far below the network's 10 s timeouts the window used to wait out.
  constexpr int kBoundMs = 2000;
  int slowest = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 1500) {
    const int ms = AnswerMs(main, kBoundMs);
    ASSERT_GE(ms, 0) << "the window did not answer within " << kBoundMs << " ms";
    slowest = std::max(slowest, ms);
    Sleep(50);
  }
  std::printf("[ stream  ] slowest answer of the window while connecting: %d ms\n", slowest);
  EXPECT_TRUE(IsControlEnabled(main, ids::stopbut));

  // Stop reaches the plug-in (it reports playing while it connects) and returns at once.
  const DWORD before_stop = GetTickCount();
  EXPECT_EQ(SendRegistered(main, "VelmoraStop", kBoundMs), 0);
  const DWORD stop_ms = GetTickCount() - before_stop;
  EXPECT_LT(stop_ms, static_cast<DWORD>(kBoundMs));
  std::printf("[ stream  ] Stop took %lu ms\n", static_cast<unsigned long>(stop_ms));
  EXPECT_TRUE(WaitUntil([&] { return !IsControlEnabled(main, ids::stopbut); }));
  EXPECT_GE(AnswerMs(main, kBoundMs), 0);
  EXPECT_TRUE(player.Close());
  EXPECT_EQ(player.WaitForExit(5000).value_or(0xFFFFFFFF), 0u) << "the player did not end cleanly";
}

}  // namespace
}  // namespace velmora::e2e
