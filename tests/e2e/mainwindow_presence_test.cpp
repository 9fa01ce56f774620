// The main window as a user lives with it, seen from outside: minimise to the tray and back,
// the task bar's button, title and commands, keys that do nothing, Alt+F4, easy move, the
// Loop entry, shadow mode riding on another window, and the general menu's entries.
#include <gtest/gtest.h>

#include <sstream>

#include <windows.h>

#include "app/main_window_ids_win.h"
#include "audio_support.h"
#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

LRESULT Query(HWND main, UINT message, WPARAM wp = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(main, message, wp, 0, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

void MenuCommand(HWND main, int id) { SendMessageA(main, WM_COMMAND, static_cast<WPARAM>(id), 0); }

std::string Status(HWND main) { return ControlText(main, ids::banner2); }

// The application's window: it owns the main window and carries the task-bar button.
HWND TaskbarOwner(HWND main) { return GetWindow(main, GW_OWNER); }

bool HasTaskbarButton(HWND main) {
  HWND owner = TaskbarOwner(main);
  const auto shows_button = [](HWND w) {
    return w && IsWindowVisible(w) && !(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  };
  // An owned window has no button of its own unless it asks for one.
  const bool main_button =
      IsWindowVisible(main) && (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  return shows_button(owner) || main_button;
}

// A plain window of the test's own: another application to point at or to focus. One that
// does not take the focus is neither activated when shown nor when clicked: a case about the
// player's menus need not move the focus between programs as well.
LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_MOUSEACTIVATE && (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE))
    return MA_NOACTIVATE;
  return DefWindowProcA(hwnd, msg, wp, lp);
}
HWND MakeTargetWindow(int x, int y, int w, int h, bool takes_focus = true) {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmoraShadowTarget";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    return RegisterClassA(&wc) != 0;
  }();
  if (!registered) return nullptr;
  const DWORD ex_style = WS_EX_TOPMOST | (takes_focus ? 0 : WS_EX_NOACTIVATE);
  HWND hwnd = CreateWindowExA(ex_style, "VelmoraShadowTarget", "target", WS_POPUP, x, y, w, h,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ShowWindow(hwnd, takes_focus ? SW_SHOW : SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  return hwnd;
}

class MainWindowPresence : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::ClearSettings();
    registry::WriteDword("Nag", 0);
  }
  bool Start() {
    if (!player_.Start(folder_)) return false;
    if (!player_.WaitForStartup()) {
      HWND m = player_.MainWindow();
      ADD_FAILURE() << "not started: main " << m << " visible " << IsWindowVisible(m) << " tb "
                    << IsControlVisible(m, ids::tb) << " title enabled "
                    << IsControlEnabled(m, ids::Banner1) << " status " << Status(m);
      return false;
    }
    main_ = player_.MainWindow();
    // The start-up's one-shot status (the makers' address, four seconds in) comes first.
    const bool address = WaitUntil([&] { return Status(main_).rfind("http", 0) == 0; });
    EXPECT_TRUE(address) << Status(main_);
    return address;
  }
  void Drag(int x0, int y0, int x1, int y1) {
    SendMessageA(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
    SendMessageA(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x1, y1));
    SendMessageA(main_, WM_LBUTTONUP, 0, MAKELPARAM(x1, y1));
  }
  // A popup menu of the player is open.
  bool MenuOpen() const {
    for (HWND w : TopLevelWindowsOf(player_.Pid()))
      if (ClassNameOf(w) == "#32768" && IsWindowVisible(w)) return true;
    return false;
  }
  GUITHREADINFO PlayerThreadInfo() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info)) info.cbSize = 0;
    return info;
  }
  // A popup's loop goes on for a moment after its window is hidden, and a mouse message
  // posted in that moment is taken by it instead of the main window.
  bool MenuLoopEnded() const {
    const GUITHREADINFO info = PlayerThreadInfo();
    return info.cbSize && !(info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE));
  }
  // The popup is shown a moment before its loop takes the mouse: a click made in that
  // moment goes to the window under the pointer and the menu never sees it.
  bool MenuHasTheMouse() const {
    const GUITHREADINFO info = PlayerThreadInfo();
    return MenuOpen() && info.cbSize && (info.flags & GUI_INMENUMODE) && info.hwndCapture;
  }
  // What a missing menu leaves to look at: what the player's thread is doing.
  std::string MenuState() const {
    const GUITHREADINFO info = PlayerThreadInfo();
    std::ostringstream out;
    out << "flags " << info.flags << " capture " << info.hwndCapture << " menu owner "
        << info.hwndMenuOwner << " active " << info.hwndActive << " foreground "
        << GetForegroundWindow() << " (main " << main_ << ")";
    DWORD_PTR ignored = 0;
    out << " answers "
        << (SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored) != 0);
    out << " status \"" << Status(main_) << "\" windows:";
    for (HWND w : TopLevelWindowsOf(player_.Pid()))
      out << " " << ClassNameOf(w) << (IsWindowVisible(w) ? "+" : "-");
    return out.str();
  }
  RECT Rect() const {
    RECT r{};
    GetWindowRect(main_, &r);
    return r;
  }
  TestFolder folder_;
  PlayerProcess player_;
  HWND main_ = nullptr;
};

TEST_F(MainWindowPresence, MinimiseToTheTrayAndBackAndTheTaskBarsCommands) {
  folder_.AddPlugin("probe.dll", "probe.dll", "extensions=PRB\nlength_ms=600000\n");
  const std::string song = folder_.MakeMediaFile("song.prb");
  folder_.WriteFile("pl.m3u", song + "\r\n");
  // A design without an inactive picture: the status line keeps what restoring says.
  registry::WriteString("design", "Compact");
  ASSERT_EQ(registry::ReadDword("Minimize"), std::nullopt);  // first run stores 1: the tray
  ASSERT_TRUE(Start());
  HWND owner = TaskbarOwner(main_);
  ASSERT_NE(owner, nullptr);
  EXPECT_TRUE(HasTaskbarButton(main_));
  EXPECT_EQ(Query(main_, main_menu::kQueryTrayIcon), 0);
  EXPECT_EQ(WindowText(owner), "ORVANE Velmora");
  // A program that found the application's window by the shared title is still answered.
  EXPECT_EQ(SendRegistered(owner, "VelmoraNumberFiles"), 1);

  // The button carries the application title with the song; the main window keeps its
  // caption for other programs.
  ASSERT_TRUE(SendRegistered(main_, "VelmoraPlay").has_value());
  EXPECT_TRUE(WaitUntil([&] { return WindowText(owner).rfind("ORVANE Velmora - ", 0) == 0; }))
      << WindowText(owner);
  EXPECT_EQ(WindowText(main_), "ORVANE Velmora");

  Click(main_, ids::minibut);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }));
  EXPECT_FALSE(HasTaskbarButton(main_));
  EXPECT_EQ(Query(main_, main_menu::kQueryTrayIcon), 1);
  EXPECT_EQ(Status(main_), "Minimizing");

  // A double click on the tray icon.
  SendMessageA(main_, main_menu::kTrayNotify, 1, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(main_));
  EXPECT_TRUE(HasTaskbarButton(main_));
  EXPECT_FALSE(IsIconic(owner));
  EXPECT_EQ(Query(main_, main_menu::kQueryTrayIcon), 0);
  EXPECT_EQ(Status(main_), "Restoring");

  // The task bar's Minimize and Restore take the same ways; its Close ends the player
  // with the full shutdown (the settings are saved).
  SendMessageA(owner, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(main_));
  EXPECT_EQ(Query(main_, main_menu::kQueryTrayIcon), 1);
  SendMessageA(owner, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(IsWindowVisible(main_));
  EXPECT_EQ(Query(main_, main_menu::kQueryTrayIcon), 0);
  PostMessageA(owner, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(player_.WaitForExit().has_value());
  EXPECT_EQ(registry::ReadString("Version"), "0.91");
}

TEST_F(MainWindowPresence, KeysWithoutAnEntryDoNothingAndAltF4Closes) {
  ASSERT_TRUE(Start());
  const RECT before = Rect();
  ASSERT_TRUE(SendCopyData(main_, "$still").has_value());
  for (WPARAM key : {VK_F3, VK_F4, VK_DECIMAL}) {
    PostMessageA(main_, WM_KEYDOWN, key, 1);
    PostMessageA(main_, WM_KEYUP, key, 0xC0000001);
  }
  // Maximise and the window menu are consumed as well.
  SendMessageA(main_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  SendMessageA(main_, WM_SYSCOMMAND, SC_KEYMENU, 0);
  Query(main_, WM_NULL);  // the posted keys have run
  EXPECT_EQ(Status(main_), "still");
  EXPECT_TRUE(IsWindowVisible(main_));
  const RECT after = Rect();
  EXPECT_TRUE(EqualRect(&before, &after));
  for (const char* form : {"TForm2", "TForm3", "TForm6"}) {
    HWND w = player_.FindWindowOfClass(form);
    EXPECT_TRUE(!w || !IsWindowVisible(w)) << form;
  }
  // Alt+E: easy move, stored by the shutdown that Alt+F4 runs.
  SendMessageA(main_, WM_SYSCOMMAND, SC_KEYMENU, 'e');
  EXPECT_EQ(Status(main_), "Easymove activated");
  PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(player_.WaitForExit().has_value());
  EXPECT_EQ(registry::ReadDword("EasyMove"), 1u);
}

TEST_F(MainWindowPresence, EasyMoveDragsTheWindowByItsBackgroundOnlyWhenOn) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(SendCopyData(main_, "$idle").has_value());
  const RECT start = Rect();
  Drag(50, 50, 80, 70);
  RECT now = Rect();
  EXPECT_TRUE(EqualRect(&start, &now));
  EXPECT_EQ(Status(main_), "idle");  // not even the press shows a status

  MenuCommand(main_, main_menu::kEasyMove);
  EXPECT_EQ(Query(main_, main_menu::kQueryMenuMark, main_menu::kEasyMove), 1);
  Drag(50, 50, 80, 70);
  now = Rect();
  EXPECT_EQ(now.left - start.left, 30);
  EXPECT_EQ(now.top - start.top, 20);
  EXPECT_EQ(Status(main_), "Easy-Moving");

  // The Move button drags the window whatever easy move says.
  const RECT before_move = Rect();
  HWND move = Control(main_, ids::Button1);
  SendMessageA(move, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(move, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(15, 12));
  SendMessageA(move, WM_LBUTTONUP, 0, MAKELPARAM(15, 12));
  now = Rect();
  EXPECT_EQ(now.left - before_move.left, 10);
  EXPECT_EQ(now.top - before_move.top, 7);
  EXPECT_EQ(Status(main_), "Moving");

  // The right button on the background with no file: the one disabled entry.
  PostMessageA(main_, WM_RBUTTONUP, 0, MAKELPARAM(50, 50));
  EXPECT_TRUE(WaitUntil([&] { return MenuOpen(); }, 5000));
  PostMessageA(main_, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(); }, 5000));
  EXPECT_TRUE(player_.Close());
}

TEST_F(MainWindowPresence, LoopEntryMovesMarkBoxAndBehaviourTogether) {
  folder_.AddPlugin("probe.dll", "probe.dll", "extensions=PRB\nlength_ms=1500\n");
  const std::string song = folder_.MakeMediaFile("song.prb");
  folder_.WriteFile("pl.m3u", song + "\r\n");
  ASSERT_TRUE(Start());
  HWND options = player_.FindWindowOfClassWait("TForm2");
  ASSERT_EQ(Query(main_, main_menu::kQueryMenuMark, main_menu::kLoop), 1);
  ASSERT_EQ(CheckState(options, ids::cbLoop), BST_CHECKED);
  ProbeLog log(folder_);
  // Loop on: the one song plays again after its end.
  ASSERT_TRUE(SendRegistered(main_, "VelmoraPlay").has_value());
  EXPECT_TRUE(log.WaitForCount("play", 2, 20000));

  MenuCommand(main_, main_menu::kLoop);
  EXPECT_EQ(Query(main_, main_menu::kQueryMenuMark, main_menu::kLoop), 0);
  EXPECT_EQ(CheckState(options, ids::cbLoop), BST_UNCHECKED);
  // Loop off: the end of the last entry stops.
  EXPECT_TRUE(WaitForControlText(main_, ids::poslab, "Stop", 20000));
  const int plays = log.Count("play");
  EXPECT_FALSE(WaitUntil([&] { return log.Count("play") > plays; }, 3000));
  // The box moves the mark back.
  Click(options, ids::cbLoop);
  EXPECT_EQ(Query(main_, main_menu::kQueryMenuMark, main_menu::kLoop), 1);
  EXPECT_TRUE(player_.Close());
  EXPECT_EQ(registry::ReadDword("loop"), 1u);
}

TEST_F(MainWindowPresence, StoredVisibleModeTrayOnlyHoldsAfterARestore) {
  registry::WriteDword("VisibleMode", 1);
  registry::WriteDword("Minimize", 0);
  registry::WriteString("design", "Compact");
  ASSERT_TRUE(Start());
  HWND owner = TaskbarOwner(main_);
  EXPECT_FALSE(HasTaskbarButton(main_));
  EXPECT_EQ(Query(main_, main_menu::kQueryTrayIcon), 1);
  // Minimised to the task bar: the button appears, minimised; the icon stays.
  Click(main_, ids::minibut);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }));
  EXPECT_TRUE(IsWindowVisible(owner) && IsIconic(owner));
  EXPECT_EQ(Query(main_, main_menu::kQueryTrayIcon), 1);
  // Restored from the task bar: back where VisibleMode puts it.
  SendMessageA(owner, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(IsWindowVisible(main_));
  EXPECT_FALSE(HasTaskbarButton(main_));
  EXPECT_EQ(Query(main_, main_menu::kQueryTrayIcon), 1);
  EXPECT_TRUE(player_.Close());
}

TEST_F(MainWindowPresence, InactiveFaceWhenAnotherApplicationTakesTheFocus) {
  // Default brings an inactive picture, Compact none.
  for (const char* design : {"Default", "Compact"}) {
    SCOPED_TRACE(design);
    registry::ClearSettings();
    registry::WriteDword("Nag", 0);
    registry::WriteString("design", design);
    PlayerProcess player;
    ASSERT_TRUE(player.Start(folder_));
    ASSERT_TRUE(player.WaitForStartup());
    HWND main = player.MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return Status(main).rfind("http", 0) == 0; }));
    SetForegroundWindow(main);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 5000));
    ASSERT_TRUE(SendCopyData(main, "$before").has_value());
    HWND other = MakeTargetWindow(10, 10, 100, 100);
    SetForegroundWindow(other);
    const bool with_picture = std::string(design) == "Default";
    if (with_picture) {
      EXPECT_TRUE(WaitUntil([&] { return Query(main, main_menu::kQueryDeactivatedFace) == 1; }));
      EXPECT_EQ(Status(main), "Deactivated");
      EXPECT_TRUE(IsControlVisible(main, ids::imdeactivated));
    } else {
      EXPECT_FALSE(
          WaitUntil([&] { return Query(main, main_menu::kQueryDeactivatedFace) == 1; }, 1500));
      EXPECT_EQ(Status(main), "before");
      EXPECT_TRUE(IsControlVisible(main, ids::background));
    }
    SetForegroundWindow(main);
    if (with_picture) {
      EXPECT_TRUE(WaitForControlText(main, ids::banner2, "Welcome Back", 5000));
      EXPECT_FALSE(IsControlVisible(main, ids::imdeactivated));
    }
    DestroyWindow(other);
    EXPECT_TRUE(player.Close());
  }
}

TEST_F(MainWindowPresence, StoredShadowModeRidesOnThePointedWindowAndComesBack) {
  registry::WriteDword("ShadowMode", 1);
  ASSERT_TRUE(player_.Start(folder_));
  HWND shadow = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    shadow = player_.FindWindowOfClass("TForm4");
    return shadow && IsWindowVisible(shadow);
  }));
  main_ = player_.WaitForMainWindow();
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }));
  for (int id :
       {ids::shToNormal, ids::shToolbarButton971, ids::shToolbarButton972, ids::shToolbarButton973,
        ids::shToolbarButton974, ids::shToolbarButton975, ids::shToolbarButton976})
    EXPECT_NE(Control(shadow, id), nullptr) << id;

  HWND target = MakeTargetWindow(300, 200, 400, 250);
  ASSERT_NE(target, nullptr);
  SetCursorPos(500, 350);
  RECT r{};
  EXPECT_TRUE(WaitUntil(
      [&] {
        GetWindowRect(shadow, &r);
        return r.left == 700 - 200 && r.top == 200 + 5;
      },
      3000))
      << r.left << "," << r.top;
  EXPECT_EQ(r.right - r.left, 121);
  EXPECT_EQ(r.bottom - r.top, 9);
  // It follows the window when that moves.
  SetWindowPos(target, nullptr, 100, 100, 400, 250, SWP_NOZORDER | SWP_NOACTIVATE);
  SetCursorPos(300, 200);
  EXPECT_TRUE(WaitUntil(
      [&] {
        GetWindowRect(shadow, &r);
        return r.left == 300 && r.top == 105;
      },
      3000))
      << r.left << "," << r.top;
  // The mouse over the shadow window itself: it stays where it is.
  SetCursorPos(r.left + 3, r.top + 3);
  WaitUntil([] { return false; }, 400);
  RECT still{};
  GetWindowRect(shadow, &still);
  EXPECT_TRUE(EqualRect(&r, &still));
  DestroyWindow(target);
  SetCursorPos(0, 0);

  // Back to the main window.
  Click(shadow, ids::shToNormal);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_) && !IsWindowVisible(shadow); }));
  EXPECT_TRUE(player_.Close());
  EXPECT_EQ(registry::ReadDword("ShadowMode"), 0u);
}

TEST_F(MainWindowPresence, GeneralMenuEntriesReachTheirTargets) {
  ASSERT_TRUE(Start());
  HWND options = player_.FindWindowOfClassWait("TForm2");
  ASSERT_NE(options, nullptr);
  const auto shown = [&](const char* form) {
    return WaitUntil([&] {
      HWND w = player_.FindWindowOfClass(form);
      return w && IsWindowVisible(w);
    });
  };
  // Hiding a captioned window costs wine two seconds without a window manager: the options
  // window is hidden once, before its entries.
  const auto hide = [&](const char* form) {
    HWND w = player_.FindWindowOfClass(form);
    if (w) ShowWindowAsync(w, SW_HIDE);
    WaitUntil([&] { return !w || !IsWindowVisible(w); }, 5000);
  };
  hide("TForm2");
  const struct {
    int id;
    const char* status;  // nullptr: none of its own
    const char* form;
    const char* page;  // the options window's page title
  } entries[] = {
      {main_menu::kDesign, "Showing Design", "TForm6", nullptr},
      {main_menu::kPlaylist, "Showing Playlist", "TForm3", nullptr},
      {main_menu::kVuMeter, nullptr, "TForm12", nullptr},
      {main_menu::kNews, nullptr, "TForm13", nullptr},
      {main_menu::kAbout, "Showing About", "TForm2", "About"},
      {main_menu::kMemory, "Showing Memory Info", "TForm2", "Memory Infos"},
      {main_menu::kSound, "Showing sound options", "TForm2", "Sound Options"},
      {main_menu::kHelp, nullptr, "TForm2", "Help"},
      {main_menu::kRegister, nullptr, "TForm2", "FileType - Icons"},
      {main_menu::kInputPlugins, nullptr, "TForm2", "Input Plugins"},
      {main_menu::kLink, nullptr, "TForm2", "FileType - Icons"},
      {main_menu::kDesignInfos, nullptr, "TForm2", "Design Informations"},
      {main_menu::kVisualisation, nullptr, "TForm2", "Visualisation Plugins"},
      // "&General" shows the window on the page it was left on.
      {main_menu::kGeneral, "General Options", "TForm2", "Visualisation Plugins"},
  };
  for (const auto& e : entries) {
    ASSERT_TRUE(SendCopyData(main_, "$before").has_value());
    MenuCommand(main_, e.id);
    if (e.status) EXPECT_EQ(Status(main_), e.status) << e.id;
    EXPECT_TRUE(shown(e.form)) << e.id;
    if (e.page) EXPECT_EQ(ControlText(options, ids::pageTitle), e.page) << e.id;
    if (std::string(e.form) != "TForm2") hide(e.form);
  }
  // The menu button drops the menu down; cancelled, it closes again.
  PostMessageA(Control(main_, ids::optionbut), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitForControlText(main_, ids::banner2, "Showig Setup Popup", 5000));
  EXPECT_TRUE(WaitUntil([&] { return MenuOpen(); }, 5000));
  PostMessageA(main_, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(); }, 5000));

  // The tray menu's Restore and the general menu's Exit.
  MenuCommand(main_, main_menu::kRestore);
  EXPECT_EQ(Status(main_), "Restoring");
  PostMessageA(main_, WM_COMMAND, main_menu::kExit, 0);
  EXPECT_TRUE(player_.WaitForExit().has_value());
}

TEST_F(MainWindowPresence, ShadowModeBoxSaysItIsUnfinishedBeforeTheSmallWindowComes) {
  ASSERT_TRUE(Start());
  HWND options = player_.FindWindowOfClassWait("TForm2");
  ASSERT_NE(options, nullptr);
  PostMessageA(Control(options, ids::cbShadowMode), BM_CLICK, 0, 0);
  const char kMessage[] = "Not finished yet ... next time ..";
  ASSERT_TRUE(WaitUntil([&] { return !audio::MessageBoxesSaying(player_, kMessage).empty(); }));
  EXPECT_TRUE(IsWindowVisible(main_));  // the player goes once the message is read
  ASSERT_TRUE(audio::AnswerMessageBox(player_, kMessage));
  EXPECT_TRUE(WaitUntil([&] {
    HWND shadow = player_.FindWindowOfClass("TForm4");
    return shadow && IsWindowVisible(shadow) && !IsWindowVisible(main_);
  }));
  // Cleared, the player comes back without a word.
  PostMessageA(Control(options, ids::cbShadowMode), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_) != FALSE; }));
  EXPECT_TRUE(audio::MessageBoxesSaying(player_, kMessage).empty());
  EXPECT_TRUE(player_.Close());
}

TEST_F(MainWindowPresence, EveryButtonButTheLeftOpensThePopupAndAClickElsewhereClosesIt) {
  ASSERT_TRUE(Start());
  // Beside the player, where its menus do not reach.
  const RECT r = Rect();
  const int left = r.right + 240 < GetSystemMetrics(SM_CXSCREEN) ? r.right + 40 : r.left - 240;
  HWND elsewhere = MakeTargetWindow(left, r.top, 200, 100, false);
  ASSERT_NE(elsewhere, nullptr);
  ASSERT_EQ(GetForegroundWindow(), main_);
  // Nothing is loaded: the "no popup" menu opens at the mouse. Each button is pressed and
  // released on the window's face as a user does it, so what the player receives is in the
  // order the user made it (a button message posted to the window would come before any
  // input still queued for the player).
  const auto press = [](DWORD flags, DWORD data = 0) {
    INPUT click{};
    click.type = INPUT_MOUSE;
    click.mi.dwFlags = flags;
    click.mi.mouseData = data;
    SendInput(1, &click, sizeof(INPUT));
  };
  // A point of the window's face (its picture), where no control is.
  RECT client{};
  GetClientRect(main_, &client);
  POINT face{-1, -1};
  for (int y = 4; y < client.bottom && face.x < 0; y += 4) {
    for (int x = 4; x < client.right && face.x < 0; x += 4) {
      POINT screen{x, y};
      ClientToScreen(main_, &screen);
      HWND child = ChildWindowFromPointEx(main_, POINT{x, y}, CWP_SKIPINVISIBLE);
      if (GetDlgCtrlID(child) == ids::background && WindowFromPoint(screen) == main_) face = screen;
    }
  }
  ASSERT_GE(face.x, 0);
  const struct {
    DWORD down, up, data;
    const char* name;
  } buttons[] = {{MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, 0, "middle"},
                 {MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON1, "first extra"},
                 {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 0, "right"}};
  for (const auto& b : buttons) {
    SetCursorPos(face.x, face.y);
    press(b.down, b.data);
    press(b.up, b.data);
    EXPECT_TRUE(WaitUntil([&] { return MenuHasTheMouse(); }, 5000))
        << "no menu for the " << b.name << " button: " << MenuState();
    // The click elsewhere: its press closes the menu.
    SetCursorPos(left + 100, r.top + 50);
    press(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(WaitUntil([&] { return !MenuOpen() && MenuLoopEnded(); }, 5000)) << b.name;
    press(MOUSEEVENTF_LEFTUP);
  }
  DestroyWindow(elsewhere);
  EXPECT_TRUE(player_.Close());
}

// Keeps the text of the last WM_COPYDATA it was sent.
std::string g_copied;
LRESULT CALLBACK CopyDataReader(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    g_copied.assign(static_cast<const char*>(data->lpData), data->cbData);
    return 1;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST_F(MainWindowPresence, TheTrayIconsFirstHintIsVelmora) {
  ASSERT_TRUE(Start());
  WNDCLASSA wc{};
  wc.lpfnWndProc = CopyDataReader;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VelmoraHintReader";
  RegisterClassA(&wc);
  HWND reader = CreateWindowExA(0, "VelmoraHintReader", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                wc.hInstance, nullptr);
  ASSERT_NE(reader, nullptr);
  g_copied = "(none)";
  EXPECT_EQ(Query(main_, main_menu::kQueryTrayHint, reinterpret_cast<WPARAM>(reader)), 1);
  EXPECT_EQ(g_copied, "Velmora");
  DestroyWindow(reader);
  EXPECT_TRUE(player_.Close());
}

}  // namespace
}  // namespace velmora::e2e
