// The keyboard's media keys and the app commands reach the player from each of its
// windows, and, as hot keys, while another program has the focus; a key another program
// holds is said on the status line and the others go on working.
#include <gtest/gtest.h>

#include <windows.h>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

constexpr char kTakenText[] = "Media keys are used by another program";

constexpr char kMediaKeysHint[] = "The media keys work while another program has the focus";

// The mouse enters the control: its hint goes to the status line ("Enable Tooltips").
void HoverOver(HWND window, int id) {
  HWND control = Control(window, id);
  SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

LRESULT SendAppCommand(HWND to, int command) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(to, WM_APPCOMMAND, reinterpret_cast<WPARAM>(to),
                      MAKELPARAM(0, FAPPCOMMAND_KEY | command), SMTO_ABORTIFHUNG, 10000, &answer);
  return static_cast<LRESULT>(answer);
}

void PressKey(WORD key, bool ctrl_alt = false) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  if (ctrl_alt) add(VK_CONTROL, false), add(VK_MENU, false);
  add(key, false);
  add(key, true);
  if (ctrl_alt) add(VK_MENU, true), add(VK_CONTROL, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class MediaKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::ClearSettings();
    folder_.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=60000\n"));
    a_ = folder_.MakeMediaFile("a.prb");
    b_ = folder_.MakeMediaFile("b.prb");
    folder_.WriteFile("pl.m3u", a_ + "\r\n" + b_ + "\r\n");
  }
  HWND Start() {
    registry::WriteDword("Nag", 0);
    EXPECT_TRUE(player_.Start(folder_));
    EXPECT_TRUE(player_.WaitForStartup());
    EXPECT_TRUE(log_.WaitFor("extension"));  // the library scan has run
    return player_.MainWindow();
  }
  std::string Status() const { return ControlText(player_.MainWindow(), ids::banner2); }

  TestFolder folder_;
  PlayerProcess player_;
  ProbeLog log_{folder_};
  std::string a_, b_;
};

TEST_F(MediaKeys, AppCommandsAndKeysReachThePlayerFromItsWindows) {
  HWND main = Start();
  // Not a command of the player's: left to the system.
  EXPECT_EQ(SendAppCommand(main, APPCOMMAND_BROWSER_BACKWARD), 0);

  EXPECT_EQ(SendAppCommand(main, APPCOMMAND_MEDIA_PLAY_PAUSE), TRUE);
  ASSERT_TRUE(log_.WaitFor("play a.prb"));
  // Another window of the player's passes it on.
  HWND playlist = player_.FindWindowOfClassWait("TForm3");
  ASSERT_TRUE(playlist);
  EXPECT_EQ(SendAppCommand(playlist, APPCOMMAND_MEDIA_NEXTTRACK), TRUE);
  ASSERT_TRUE(log_.WaitFor("play b.prb"));
  // A standard control passes it up to its window (wine's answers 0 whatever the window
  // answered, so only the effect tells).
  HWND options = player_.FindWindowOfClassWait("TForm2");
  ASSERT_TRUE(options);
  const int volume = SliderPos(main, ids::volbar);
  SendAppCommand(Control(options, ids::cbLoop), APPCOMMAND_VOLUME_DOWN);
  EXPECT_EQ(SliderPos(main, ids::volbar), volume - 10);
  EXPECT_EQ(Status(), "Volume : " + std::to_string((volume - 10) * 10 / 25) + "%");

  // The media key itself, in the main window: play/pause pauses.
  const int pauses = log_.Count("pause");
  PostMessageA(main, WM_KEYDOWN, VK_MEDIA_PLAY_PAUSE, 1);
  EXPECT_TRUE(log_.WaitForCount("pause", pauses + 1));
  EXPECT_TRUE(player_.Close());
}

TEST_F(MediaKeys, GlobalKeysWorkBehindAnotherProgramAndAreReleasedWhenUnchecked) {
  // This program holds Stop before the player starts.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, 0, VK_MEDIA_STOP));
  HWND main = Start();
  EXPECT_TRUE(WaitForControlText(main, ids::banner2, kTakenText));
  EXPECT_FALSE(RegisterHotKey(nullptr, 2, 0, VK_MEDIA_PLAY_PAUSE)) << "the player holds it";

  // A window of ours in front; the keys still reach the player.
  HWND front = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "in front", WS_POPUP | WS_VISIBLE, 0, 0,
                               200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(front);
  SetForegroundWindow(front);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == front; }));
  PressKey(VK_MEDIA_PLAY_PAUSE);
  EXPECT_TRUE(log_.WaitFor("play a.prb"));
  PressKey(VK_MEDIA_NEXT_TRACK);
  EXPECT_TRUE(log_.WaitFor("play b.prb"));
  EXPECT_EQ(GetForegroundWindow(), front);

  // "Global keys": Ctrl+Alt+End stops.
  HWND options = player_.FindWindowOfClassWait("TForm2");
  ASSERT_TRUE(options);
  EXPECT_EQ(CheckState(options, ids::cbMediaKeys), BST_CHECKED) << "on by default";
  EXPECT_EQ(CheckState(options, ids::cbGlobalKeys), BST_UNCHECKED) << "off by default";
  // The box's hint says it too (after the start-up's one-shot status, which would replace it).
  ASSERT_TRUE(WaitUntil([&] { return Status().rfind("http", 0) == 0; }));
  HoverOver(options, ids::cbMediaKeys);
  EXPECT_TRUE(WaitUntil([&] {
    const std::string hint = Status();
    return hint.rfind(kMediaKeysHint, 0) == 0 && hint.find(kTakenText) != std::string::npos;
  }));
  Click(options, ids::cbGlobalKeys);
  const int stops = log_.Count("stop");
  PressKey(VK_END, true);
  EXPECT_TRUE(log_.WaitForCount("stop", stops + 1));

  // Unchecked: the keys go back at once.
  Click(options, ids::cbMediaKeys);
  Click(options, ids::cbGlobalKeys);
  EXPECT_TRUE(WaitUntil([] {
    if (!RegisterHotKey(nullptr, 2, 0, VK_MEDIA_PLAY_PAUSE)) return false;
    UnregisterHotKey(nullptr, 2);
    return true;
  }));
  EXPECT_TRUE(RegisterHotKey(nullptr, 3, MOD_CONTROL | MOD_ALT, VK_INSERT));
  HoverOver(options, ids::cbGlobalKeys);
  HoverOver(options, ids::cbMediaKeys);
  EXPECT_TRUE(WaitForControlText(main, ids::banner2, kMediaKeysHint, 3000)) << "nothing held";
  UnregisterHotKey(nullptr, 3);
  UnregisterHotKey(nullptr, 1);
  DestroyWindow(front);
  EXPECT_TRUE(player_.Close());
  EXPECT_EQ(registry::ReadDword("MediaKeys"), 0u);
  EXPECT_EQ(registry::ReadDword("GlobalKeys"), 0u);
}

}  // namespace
}  // namespace velmora::e2e
