// The widgets' hints in-process: every change of a hint goes through the shared tooltip,
// whose query of a tool copies the tool's current text out. A hint replaced by a shorter
// one, or dropped when its widget is destroyed, must not have that copy overrun a buffer
// sized for the new text: the overrun smashed the neighbouring heap blocks and the player
// faulted at exit.
#include <windows.h>
#include <commctrl.h>
#include <malloc.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/widgets.h"

namespace velmora::e2e {
namespace {

// As long as the title's hint in the main window, and longer than what the tooltip copies.
constexpr char kLongHint[] =
    "Song Name or ID3 Tag\r\nClick on it to disable/enable it\r\n(it takes a lot of CPU !!!)";

std::string HintOf(HWND widget) {
  char buffer[512] = {};
  SendMessageA(widget, ui::VWM_GETHINT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

class WidgetHints : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui::RegisterWidgetClasses(GetModuleHandleA(nullptr)));
    parent_ = CreateWindowExA(0, "STATIC", "hints", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(parent_);
    ASSERT_EQ(_heapchk(), _HEAPOK) << "the heap was damaged before the test";
  }
  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
  }
  HWND Widget(const char* cls, int id) {
    return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  }
  static void SetHint(HWND widget, const char* hint) {
    SendMessageA(widget, ui::VWM_SETHINT, 0, reinterpret_cast<LPARAM>(hint));
  }

  HWND parent_ = nullptr;
};

TEST_F(WidgetHints, AShorterHintAndTheDestructionOfTheWidgetLeaveTheHeapIntact) {
  for (const char* cls :
       {ui::kBannerClass, ui::kImageButtonClass, ui::kSliderClass, ui::kEffectLabelClass}) {
    SCOPED_TRACE(cls);
    HWND widget = Widget(cls, 1);
    ASSERT_TRUE(widget);
    SetHint(widget, kLongHint);
    EXPECT_EQ(HintOf(widget), kLongHint);
    // Many rounds, so that the short buffers land among live blocks of the heap; checked
    // at once, before a damaged block is handed out again and faults the whole suite.
    for (int round = 0; round < 20; ++round) {
      SetHint(widget, "x");
      ASSERT_EQ(_heapchk(), _HEAPOK) << "a shorter hint overran its buffer (round " << round << ")";
      SetHint(widget, kLongHint);
    }
    SetHint(widget, "Stop");
    EXPECT_EQ(HintOf(widget), "Stop");
    EXPECT_EQ(_heapchk(), _HEAPOK) << "a shorter hint overran its buffer";
    SetHint(widget, kLongHint);
    DestroyWindow(widget);  // drops its tool with an empty text
    EXPECT_EQ(_heapchk(), _HEAPOK) << "dropping the hint of a destroyed widget overran its buffer";
  }
}

// A real CALLBACK function: a lambda does not convert to a stdcall pointer on i686.
BOOL CALLBACK FindTooltip(HWND w, LPARAM out) {
  char cls[64] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0) return TRUE;
  *reinterpret_cast<HWND*>(out) = w;
  return FALSE;
}

TEST_F(WidgetHints, TheTooltipShowsTheLatestHint) {
  HWND widget = Widget(ui::kBannerClass, 2);
  ASSERT_TRUE(widget);
  SetHint(widget, kLongHint);
  SetHint(widget, "Current Position");
  // The shared tooltip of the process holds the widget's tool with the new text.
  HWND tip = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&tip));
  ASSERT_TRUE(tip);
  char text[256] = {};
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.uFlags = TTF_IDISHWND;
  ti.hwnd = parent_;
  ti.uId = reinterpret_cast<UINT_PTR>(widget);
  ti.lpszText = text;
  ASSERT_TRUE(SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti)));
  EXPECT_STREQ(text, "Current Position");
  SetHint(widget, "");
  ti.lpszText = text;
  EXPECT_FALSE(SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti)))
      << "an empty hint keeps its tool";
  DestroyWindow(widget);
}

// Pumps this thread's messages for `ms`; returns how many timer messages the tooltip got.
int PumpCountingTooltipTimers(HWND tip, DWORD ms) {
  int timers = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.hwnd == tip && msg.message == WM_TIMER) ++timers;
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return timers;
}

// A pointer resting over a widget: the hint shows and goes away by itself, and then the
// tooltip stops looking for the pointer (it looked ten times a second for as long as the
// pointer rested there), also when the window system repeats the mouse move without the
// pointer moving. Moved, the pointer brings the hint back.
TEST_F(WidgetHints, AHintThatWentAwayStopsWatchingTheRestingPointer) {
  SetWindowPos(parent_, HWND_TOPMOST, 100, 100, 200, 100, SWP_SHOWWINDOW);
  HWND widget = Widget(ui::kBannerClass, 3);
  ASSERT_TRUE(widget);
  SetHint(widget, "Current Position");
  HWND tip = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&tip));
  ASSERT_TRUE(tip);
  SendMessageA(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 20);
  SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 300);
  SendMessageA(tip, TTM_SETDELAYTIME, TTDT_RESHOW, 50);
  auto rest_at = [&](int x, int y) {
    ASSERT_TRUE(SetCursorPos(100 + x, 100 + y));
    PostMessageA(widget, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  };
  rest_at(10, 10);
  bool shown = false;
  const DWORD start = GetTickCount();
  while (!shown && GetTickCount() - start < 3000) {
    PumpCountingTooltipTimers(tip, 10);
    shown = IsWindowVisible(tip) != FALSE;
  }
  ASSERT_TRUE(shown) << "the hint did not show under the resting pointer";
  PumpCountingTooltipTimers(tip, 800);  // it goes away after 300 ms
  ASSERT_FALSE(IsWindowVisible(tip));
  EXPECT_EQ(PumpCountingTooltipTimers(tip, 600), 0) << "the tooltip kept looking";
  PostMessageA(widget, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));  // the pointer has not moved
  EXPECT_EQ(PumpCountingTooltipTimers(tip, 600), 0) << "a repeated mouse move started it over";
  EXPECT_FALSE(IsWindowVisible(tip));

  rest_at(20, 12);
  shown = false;
  const DWORD again = GetTickCount();
  while (!shown && GetTickCount() - again < 3000) {
    PumpCountingTooltipTimers(tip, 10);
    shown = IsWindowVisible(tip) != FALSE;
  }
  EXPECT_TRUE(shown) << "the moved pointer did not bring the hint back";
  DestroyWindow(widget);
}

}  // namespace
}  // namespace velmora::e2e
