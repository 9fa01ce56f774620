// The main window's own behaviour seen from outside: the volume thumb picture by level,
// control hints echoed on the status line, the inactive-window face, and the settings that
// the general menu and the options window's check boxes share.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/main_window_ids_win.h"
#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

constexpr UINT kBannerGetScroll = WM_USER + 0x121;  // the banner's MAKELONG(pixels, interval)

LRESULT Query(HWND main, UINT message) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(main, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

// Sets the volume slider as a program would and tells the window the value changed.
void MoveVolumeSlider(HWND main, int value) {
  HWND vol = Control(main, ids::volbar);
  SendMessageA(vol, TBM_SETPOS, TRUE, value);
  SendMessageA(main, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, value),
               reinterpret_cast<LPARAM>(vol));
}

void MenuCommand(HWND main, int id) { SendMessageA(main, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// The mouse entering a control, as the window system reports it to the control.
void HoverOver(HWND main, int id) {
  SendMessageA(Control(main, id), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
}

int TitleScrollInterval(HWND main) {
  return HIWORD(
      static_cast<DWORD>(SendMessageA(Control(main, ids::Banner1), kBannerGetScroll, 0, 0)));
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::ClearSettings();
    // Keep the real pointer away from the window: only the hovers the tests make count.
    SetCursorPos(0, 0);
  }
  bool Start(const std::string& design = "") {
    if (!design.empty()) registry::WriteString("design", design);
    registry::WriteDword("Nag", 0);
    if (!player_.Start(folder_) || !player_.WaitForStartup()) return false;
    main_ = player_.MainWindow();
    return true;
  }
  TestFolder folder_;
  PlayerProcess player_;
  HWND main_ = nullptr;
};

TEST_F(MainWindowTest, VolumeThumbPictureFollowsTheLevelByRange) {
  // "Compact" has no volume ruler of its own, so the built-in pictures are used.
  ASSERT_TRUE(Start("Compact"));
  struct Step {
    int volume, picture;
  } const steps[] = {
      {125, 7}, {21, 2},   {40, 2},   {41, 3},   {10, 3} /* 0-20 keeps the last picture */,
      {0, 3},   {200, 10}, {201, 11}, {250, 11}, {100, 5},
      {101, 6},
  };
  for (const Step& s : steps) {
    MoveVolumeSlider(main_, s.volume);
    EXPECT_EQ(Query(main_, main_menu::kQueryVolumeThumb), s.picture) << "volume " << s.volume;
  }
  EXPECT_TRUE(player_.Close());
}

TEST_F(MainWindowTest, DesignRulerKeepsItsOwnThumb) {
  // "Default" brings volruler.bmp: the thumb never follows the level.
  ASSERT_TRUE(Start("Default"));
  MoveVolumeSlider(main_, 250);
  MoveVolumeSlider(main_, 30);
  EXPECT_EQ(Query(main_, main_menu::kQueryVolumeThumb), 0);
  EXPECT_TRUE(player_.Close());
}

TEST_F(MainWindowTest, HintsReachTheStatusLineOnlyWithTooltipsEnabled) {
  ASSERT_TRUE(Start());
  ASSERT_EQ(Query(main_, main_menu::kQueryHintHandler), 1);
  HoverOver(main_, ids::playbut);
  EXPECT_TRUE(WaitForControlText(main_, ids::banner2, "Play", 3000));
  HoverOver(main_, ids::openbut);
  EXPECT_TRUE(
      WaitForControlText(main_, ids::banner2, "Add Song/Playlist to the current playlist", 3000));
  HoverOver(main_, ids::volbar);
  EXPECT_TRUE(WaitForControlText(main_, ids::banner2, "Volume", 3000));

  // The options window's "Enable Tooltips" removes the handler (tooltips stay).
  HWND options = player_.FindWindowOfClassWait("TForm2");
  ASSERT_NE(options, nullptr);
  ASSERT_EQ(CheckState(options, ids::cbEnableTooltips), BST_CHECKED);
  Click(options, ids::cbEnableTooltips);
  EXPECT_EQ(CheckState(options, ids::cbEnableTooltips), BST_UNCHECKED);
  EXPECT_EQ(Query(main_, main_menu::kQueryHintHandler), 0);
  ASSERT_EQ(SendCopyData(main_, "$quiet"), 0);
  HoverOver(main_, ids::stopbut);
  HoverOver(main_, ids::lengthlab);
  Sleep(200);
  EXPECT_EQ(ControlText(main_, ids::banner2), "quiet");

  Click(options, ids::cbEnableTooltips);
  EXPECT_EQ(Query(main_, main_menu::kQueryHintHandler), 1);
  HoverOver(main_, ids::Freq);  // a control not hovered yet
  EXPECT_TRUE(WaitForControlText(main_, ids::banner2, "Frequency", 3000));
  EXPECT_TRUE(player_.Close());
  EXPECT_EQ(registry::ReadDword("EnableTooltips"), 1u);
}

TEST_F(MainWindowTest, StoredTooltipsOffInstallsNoHintHandler) {
  registry::ClearSettings();
  registry::WriteDword("EnableTooltips", 0);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Query(main_, main_menu::kQueryHintHandler), 0);
  HWND options = player_.FindWindowOfClassWait("TForm2");
  EXPECT_EQ(CheckState(options, ids::cbEnableTooltips), BST_UNCHECKED);
  ASSERT_EQ(SendCopyData(main_, "$still"), 0);
  HoverOver(main_, ids::playbut);
  Sleep(200);
  EXPECT_EQ(ControlText(main_, ids::banner2), "still");
  EXPECT_TRUE(player_.Close());
}

TEST_F(MainWindowTest, InactivePictureReplacesTheFaceAndPausesTheTitle) {
  // "Default" supplies deact.bmp.
  ASSERT_TRUE(Start("Default"));
  ASSERT_EQ(TitleScrollInterval(main_), 50);
  SendMessageA(main_, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(ControlText(main_, ids::banner2), "Deactivated");
  EXPECT_EQ(Query(main_, main_menu::kQueryDeactivatedFace), 1);
  EXPECT_TRUE(IsControlVisible(main_, ids::imdeactivated));
  EXPECT_FALSE(IsControlVisible(main_, ids::background));
  EXPECT_EQ(TitleScrollInterval(main_), 499);

  SendMessageA(main_, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(ControlText(main_, ids::banner2), "Welcome Back");
  EXPECT_EQ(Query(main_, main_menu::kQueryDeactivatedFace), 0);
  EXPECT_FALSE(IsControlVisible(main_, ids::imdeactivated));
  EXPECT_TRUE(IsControlVisible(main_, ids::background));
  EXPECT_EQ(TitleScrollInterval(main_), 50);

  // The user's "Do not Scroll" survives a deactivation and a re-activation.
  MenuCommand(main_, main_menu::kNoScroll);
  ASSERT_EQ(TitleScrollInterval(main_), 500);
  SendMessageA(main_, WM_ACTIVATEAPP, FALSE, 0);
  SendMessageA(main_, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(TitleScrollInterval(main_), 500);
  EXPECT_TRUE(player_.Close());
}

TEST_F(MainWindowTest, DesignWithoutInactivePictureIgnoresDeactivation) {
  ASSERT_TRUE(Start("Compact"));
  ASSERT_EQ(SendCopyData(main_, "$before"), 0);
  SendMessageA(main_, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(ControlText(main_, ids::banner2), "before");
  EXPECT_EQ(Query(main_, main_menu::kQueryDeactivatedFace), 0);
  EXPECT_TRUE(IsControlVisible(main_, ids::background));
  EXPECT_EQ(TitleScrollInterval(main_), 50);
  SendMessageA(main_, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(ControlText(main_, ids::banner2), "before");
  EXPECT_TRUE(player_.Close());
}

TEST_F(MainWindowTest, MenuMarksAndOptionCheckBoxesMirrorEachOther) {
  registry::ClearSettings();
  registry::WriteDword("Fadepause", 1);
  ASSERT_TRUE(Start());
  HWND options = player_.FindWindowOfClassWait("TForm2");
  ASSERT_NE(options, nullptr);
  // Stored values reach the boxes at start-up.
  EXPECT_EQ(CheckState(options, ids::cbFadePause), BST_CHECKED);
  EXPECT_EQ(CheckState(options, ids::cbFadePlay), BST_UNCHECKED);
  EXPECT_EQ(CheckState(options, ids::cbAutoplay), BST_CHECKED);
  EXPECT_EQ(CheckState(options, ids::cbLoop), BST_CHECKED);

  // Menu entries move the boxes.
  MenuCommand(main_, main_menu::kFadePlay);
  EXPECT_EQ(CheckState(options, ids::cbFadePlay), BST_CHECKED);
  MenuCommand(main_, main_menu::kFadePause);
  EXPECT_EQ(CheckState(options, ids::cbFadePause), BST_UNCHECKED);
  MenuCommand(main_, main_menu::kLoop);
  EXPECT_EQ(CheckState(options, ids::cbLoop), BST_UNCHECKED);
  MenuCommand(main_, main_menu::kRandom);
  EXPECT_EQ(CheckState(options, ids::cbRandomPlay), BST_CHECKED);
  MenuCommand(main_, main_menu::kEasyMove);
  EXPECT_EQ(CheckState(options, ids::cbEasyMove), BST_CHECKED);
  EXPECT_EQ(ControlText(main_, ids::banner2), "Easymove activated");
  MenuCommand(main_, main_menu::kTransparency);
  EXPECT_EQ(CheckState(options, ids::cbTransparency), BST_UNCHECKED);

  // Boxes move the settings that the menus show and shutdown stores.
  Click(options, ids::cbFadeStop);
  Click(options, ids::cbAutoplay);
  Click(options, ids::cbLogErrors);
  Click(options, ids::cbMultiple);
  EXPECT_EQ(CheckState(options, ids::cbFadeStop), BST_CHECKED);
  // A box clicked back and forth ends where it started.
  Click(options, ids::cbFadePlay);
  Click(options, ids::cbFadePlay);
  EXPECT_EQ(CheckState(options, ids::cbFadePlay), BST_CHECKED);
  // Toggling the menu after the box changed it starts from the box's state.
  MenuCommand(main_, main_menu::kFadeStop);
  EXPECT_EQ(CheckState(options, ids::cbFadeStop), BST_UNCHECKED);
  MenuCommand(main_, main_menu::kFadeStop);
  EXPECT_EQ(CheckState(options, ids::cbFadeStop), BST_CHECKED);

  EXPECT_TRUE(player_.Close());
  EXPECT_EQ(registry::ReadDword("Fadeplay"), 1u);
  EXPECT_EQ(registry::ReadDword("Fadestop"), 1u);
  EXPECT_EQ(registry::ReadDword("Fadepause"), 0u);
  EXPECT_EQ(registry::ReadDword("loop"), 0u);
  EXPECT_EQ(registry::ReadDword("autoplay"), 0u);
  EXPECT_EQ(registry::ReadDword("Randomplay"), 1u);
  EXPECT_EQ(registry::ReadDword("EasyMove"), 1u);
  EXPECT_EQ(registry::ReadDword("Transparency"), 0u);
  EXPECT_EQ(registry::ReadDword("LogErrors"), 1u);
  EXPECT_EQ(registry::ReadDword("Multiple"), 1u);
}

TEST_F(MainWindowTest, StartupPictureIsShownUntilTheDesignAndABrokenOneIsOnlyAnError) {
  // The shipped picture loads without a complaint and is gone once start-up has ended.
  {
    ASSERT_TRUE(folder_.Exists("loading.jpg"));
    ASSERT_TRUE(Start());
    HWND options = player_.FindWindowOfClassWait("TForm2");
    EXPECT_EQ(ControlText(options, ids::currenterrors), "");
    EXPECT_FALSE(IsControlVisible(main_, ids::loading));
    EXPECT_TRUE(player_.Close());
  }
  // A damaged picture leaves the text face, one line in the error list, and a player
  // that starts as usual.
  registry::ClearSettings();
  folder_.WriteFile("loading.jpg", "this is not a picture");
  PlayerProcess second;
  ASSERT_TRUE(second.Start(folder_));
  ASSERT_TRUE(second.WaitForStartup());
  HWND options = second.FindWindowOfClassWait("TForm2");
  // The error list is a read-only multi-line text that other programs read whole.
  const LONG style = GetWindowLongA(Control(options, ids::currenterrors), GWL_STYLE);
  EXPECT_EQ(style & (ES_MULTILINE | ES_READONLY), ES_MULTILINE | ES_READONLY);
  const std::string errors = ControlText(options, ids::currenterrors);
  EXPECT_FALSE(errors.empty());
  EXPECT_EQ(errors.find('\n'), std::string::npos) << errors;  // one line
  EXPECT_FALSE(IsControlVisible(second.MainWindow(), ids::loading));
  EXPECT_TRUE(IsControlVisible(second.MainWindow(), ids::volbar));
  EXPECT_TRUE(second.Close());
}

TEST_F(MainWindowTest, FadePlayFromTheOptionsBoxFadesTheNextPlay) {
  TestFolder& folder = folder_;
  folder.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=60000\n"));
  const std::string song = folder.MakeMediaFile("song.prb");
  folder.WriteFile("pl.m3u", song + "\r\n" + song + "\r\n");
  ASSERT_TRUE(Start());
  HWND options = player_.FindWindowOfClassWait("TForm2");
  Click(options, ids::cbFadePlay);
  ASSERT_EQ(CheckState(options, ids::cbFadePlay), BST_CHECKED);
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("extension"));
  ASSERT_EQ(SendRegistered(main_, "VelmoraPlay"), 0);
  EXPECT_TRUE(WaitForControlText(main_, ids::banner2, "Fade in done", 15000));
  EXPECT_TRUE(player_.Close());
}

}  // namespace
}  // namespace velmora::e2e
