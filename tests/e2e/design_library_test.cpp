// Design libraries end to end, with the test library "Glass" (tests/plugins/glass), which
// logs every call to design.log and calls host services when told through its hidden
// window: the probe lists it, apply hides the main window and hands over the state in the
// fixed order, player output and index changes reach it, the services act, a folder
// design and the program's end release it, faults are survived. The shipped "Pocket"
// library plays a file.
#include "audio_support.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velmora::e2e {
namespace {

using namespace audio;

bool Listed(HWND chooser, const std::string& name) {
  const std::vector<std::string> items = ComboItems(GetDlgItem(chooser, ids::designList));
  return std::find(items.begin(), items.end(), name) != items.end();
}

class DesignLibrary : public ::testing::Test {
 protected:
  void SetUp() override { WriteSettings({/*autoplay=*/false}); }

  // Starts with the Glass library (ini text) and the probe input plug-in, a playlist of
  // three probe files, and waits until the scan has listed `name` in the chooser.
  HWND Start(const std::string& glass_ini = "", const std::string& name = "Glass") {
    folder_.AddPlugin("glass.dll", "glass.dll", glass_ini);
    folder_.AddPlugin("probe.dll", "probe_a.dll", "extensions=PRB\nlength_ms=4000\n");
    std::string m3u;
    for (const char* f : {"a.prb", "b.prb", "c.prb"})
      m3u += folder_.MakeMediaFile(std::string("media\\") + f) + "\r\n";
    folder_.WriteFile("pl.m3u", m3u);
    HWND main = StartReady(player_, folder_);
    EXPECT_TRUE(main);
    chooser_ = player_.FindWindowOfClassWait("TForm6");
    const std::string wanted = name;
    EXPECT_TRUE(WaitUntil([this, wanted] { return Listed(chooser_, wanted); }))
        << name << " is not listed";
    return main;
  }

  void Apply(const std::string& name) {
    SetWindowTextA(GetDlgItem(chooser_, ids::designList), name.c_str());
    Click(chooser_, ids::dcToolbarButton972);
  }

  // Tells the library to call a service (see glass_win.cpp), synchronously.
  void Call(const std::string& command) {
    HWND glass = player_.FindWindowOfClass("VelmoraGlassDesign");
    ASSERT_TRUE(glass) << "the library's window is not there";
    COPYDATASTRUCT data{0, static_cast<DWORD>(command.size()), const_cast<char*>(command.data())};
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(glass, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                    SMTO_NORMAL, 10000, &result));
  }

  ProbeLog Log() const { return ProbeLog(folder_, "design.log"); }

  TestFolder folder_;
  PlayerProcess player_;
  HWND chooser_ = nullptr;
};

TEST_F(DesignLibrary, ProbeListsItAndApplyHandsOverTheStateInOrder) {
  HWND main = Start();
  ASSERT_TRUE(main);
  // Listed with its full path in the hidden list; the probe left nothing loaded.
  std::vector<std::string> markers = ListItems(chooser_, ids::designdlls);
  for (std::string& m : markers) m = LowerText(m);
  EXPECT_NE(
      std::find(markers.begin(), markers.end(), LowerText(folder_.File("Library\\glass.dll"))),
      markers.end());
  EXPECT_EQ(Log().Calls(), (std::vector<std::string>{"init", "GetDesignHeader", "deinit"}));
  Log().Clear();

  Apply("Glass");
  EXPECT_FALSE(IsWindowVisible(main));
  // The main window's controls keep what they showed: that is what was handed over.
  const std::string status = ControlText(main, ids::banner2);
  const std::string expected_state[] = {"OnPositionMax " + std::to_string(SliderMax(main, ids::tb)),
                                        "OnPosition " + std::to_string(SliderPos(main, ids::tb)),
                                        "OnStatus " + status,
                                        "OnSongTitle " + ControlText(main, ids::Banner1),
                                        "OnTotalTime " + ControlText(main, ids::lengthlab),
                                        "OnPositionTime " + ControlText(main, ids::poslab),
                                        "OnLayer " + ControlText(main, ids::lay),
                                        "OnBitrate " + ControlText(main, ids::bitr),
                                        "OnFrequency " + ControlText(main, ids::Freq),
                                        "OnVolume " + std::to_string(SliderPos(main, ids::volbar)),
                                        "OnShow TForm1"};
  std::vector<std::string> expected = {"init", "GetDesignHeader",
                                       "update own version=" + ControlText(main, ids::Versiontext) +
                                           " hints=Layer,Bitrate,Frequency menus=4"};
  expected.insert(expected.end(), std::begin(expected_state), std::end(expected_state));
  EXPECT_EQ(Log().Calls(), expected);

  // From now on the status line goes to the library only.
  ASSERT_TRUE(SendCopyData(main, "$hello").has_value());
  EXPECT_TRUE(Log().WaitFor("OnStatus hello"));
  EXPECT_EQ(ControlText(main, ids::banner2), status);
}

TEST_F(DesignLibrary, PlayerOutputAndServicesReachTheirTargets) {
  HWND main = Start();
  ASSERT_TRUE(main);
  Apply("Glass");
  ProbeLog log = Log();
  ProbeLog probe(folder_);

  // HostPlayIndex plays entry 2; title, times and status follow; no index echo.
  log.Clear();
  Call("HostPlayIndex 2");
  EXPECT_TRUE(probe.WaitFor("load " + folder_.File("media\\c.prb")));
  EXPECT_EQ(CurrentIndexText(player_), "2");
  EXPECT_TRUE(log.WaitFor("OnTotalTime 00:04"));
  EXPECT_TRUE(
      WaitUntil([&] { return log.Count("OnPositionTime") >= 2 && log.Count("OnSongTitle") >= 1; }));
  EXPECT_EQ(log.Count("OnCurrentIndex"), 0);
  Call("HostGetCurrentIndex");
  EXPECT_TRUE(log.Contains("result HostGetCurrentIndex 2"));

  // The pause menu it was handed follows the player: paused, only "Fadein" is offered.
  Call("HostPause");
  EXPECT_TRUE(log.WaitFor("OnStatus Paused"));
  Call("MenuState Pause 102");
  Call("MenuState Pause 103");
  EXPECT_TRUE(log.Contains("result MenuState Pause 102 unchecked grayed"));
  EXPECT_TRUE(log.Contains("result MenuState Pause 103 unchecked enabled"));
  Call("HostPause");

  // An index set elsewhere is told: another program adds a file and plays it.
  ASSERT_TRUE(SendCopyData(main, folder_.MakeMediaFile("media\\d.prb")).has_value());
  EXPECT_TRUE(log.WaitFor("OnCurrentIndex 3"));

  Call("HostSetVolume 250");
  EXPECT_TRUE(log.Contains("OnStatus Volume : 100%"));
  EXPECT_EQ(SliderPos(main, ids::volbar), 250);
  Call("HostSetVolume 1");
  EXPECT_TRUE(log.Contains("OnStatus Volume : 0%"));

  Call("HostSetBalance 101");
  Call("HostGetBalance");
  EXPECT_EQ(log.Count("OnBalance"), 0);
  EXPECT_TRUE(log.Contains("result HostGetBalance 50"));
  // The slider moves to 40 on the open Sound Options page; the library is told the
  // balance, 60.
  SendMessageA(main, WM_COMMAND, 218 /* Sound */, 0);
  HWND options = player_.FindWindowOfClassWait("TForm2");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(options) != FALSE; }));
  Call("HostSetBalance 40");
  EXPECT_EQ(SliderPos(options, ids::balance), 40);
  EXPECT_EQ(ControlText(options, ids::baledit), "20 Left");
  Call("HostGetBalance");
  EXPECT_TRUE(log.Contains("OnBalance 60"));
  EXPECT_TRUE(log.Contains("result HostGetBalance 40"));

  // Get, reverse in place, set: the playlist window shows the reversed list.
  HWND playlist = PlaylistWindow(player_);
  const std::vector<std::string> before = ListItems(playlist, ids::pl);
  ASSERT_EQ(before, (std::vector<std::string>{"a.prb", "b.prb", "c.prb", "d.prb"}));
  Call("ReversePlaylist");
  EXPECT_TRUE(WaitUntil([&] {
    return ListItems(playlist, ids::pl) ==
           std::vector<std::string>{"d.prb", "c.prb", "b.prb", "a.prb"};
  }));
  Call("HostGetPlaylist");
  EXPECT_TRUE(log.Contains("result HostGetPlaylist d.prb|c.prb|b.prb|a.prb / " +
                           folder_.File("media\\d.prb") + "|" + folder_.File("media\\c.prb") + "|" +
                           folder_.File("media\\b.prb") + "|" + folder_.File("media\\a.prb")));

  // Loop and random play from the main window's menu reach it.
  SendMessageA(main, WM_COMMAND, 216 /* Loop */, 0);
  EXPECT_TRUE(log.WaitFor("OnLoop 1"));
  SendMessageA(main, WM_COMMAND, 215 /* Random */, 0);
  EXPECT_TRUE(log.WaitFor("OnRandom 1"));
  // The general menu it was handed shows the new marks.
  Call("MenuState Setup 216");
  Call("MenuState Setup 215");
  EXPECT_TRUE(log.Contains("result MenuState Setup 216 checked enabled"));
  EXPECT_TRUE(log.Contains("result MenuState Setup 215 checked enabled"));
}

TEST_F(DesignLibrary, AServiceCalledInsideANotificationWorks) {
  HWND main = Start("on_OnCurrentIndex=HostSetVolume 100\n");
  ASSERT_TRUE(main);
  Apply("Glass");
  ASSERT_TRUE(SendCopyData(main, folder_.MakeMediaFile("media\\d.prb")).has_value());
  ProbeLog log = Log();
  EXPECT_TRUE(log.WaitFor("OnStatus Volume : 40%"));
  const auto calls = log.Calls();
  const auto at = std::find(calls.begin(), calls.end(), "call HostSetVolume 100");
  ASSERT_NE(at, calls.end());
  EXPECT_EQ(at[-1].rfind("OnCurrentIndex", 0), 0u);
  EXPECT_EQ(at[1], "OnStatus Volume : 40%");
}

TEST_F(DesignLibrary, AFolderDesignAfterwardsClosesItAndShowsTheMainWindow) {
  HWND main = Start();
  ASSERT_TRUE(main);
  Apply("Glass");
  ASSERT_FALSE(IsWindowVisible(main));
  Log().Clear();
  Apply("Default");
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(Log().Calls(), (std::vector<std::string>{"OnClose TForm1", "deinit"}));
  ASSERT_TRUE(SendCopyData(main, "$hello").has_value());
  EXPECT_EQ(Status(main), "hello");
}

TEST_F(DesignLibrary, ExitWithALibraryActiveClosesItOnce) {
  HWND main = Start();
  ASSERT_TRUE(main);
  Apply("Glass");
  Log().Clear();
  EXPECT_TRUE(player_.Close());
  EXPECT_EQ(player_.WaitForExit(2000).value_or(0xFFFFFFFF), 0u);
  EXPECT_EQ(Log().Count("OnClose"), 1);
  EXPECT_EQ(Log().Count("deinit"), 1);
  const auto calls = Log().Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "OnClose TForm1");
  EXPECT_EQ(calls.back(), "deinit");
}

TEST_F(DesignLibrary, AFaultInOnStatusIsSurvived) {
  HWND main = Start("fault_after_show=OnStatus\n");
  ASSERT_TRUE(main);
  Apply("Glass");
  ASSERT_TRUE(SendCopyData(main, "$hello").has_value());
  EXPECT_TRUE(Log().WaitFor("OnStatus hello"));
  // Still there and still answering; the library keeps receiving.
  EXPECT_TRUE(player_.Running());
  ASSERT_TRUE(SendRegistered(main, "VelmoraNumberFiles").has_value());
  Call("HostSetVolume 250");
  EXPECT_TRUE(Log().Contains("OnStatus Volume : 100%"));
}

TEST_F(DesignLibrary, AFaultWhileLoadingIsReportedAndLeavesTheMainWindow) {
  HWND main = Start("fault=update\n");
  ASSERT_TRUE(main);
  // The start-up's one-shot status (the makers' address, four seconds in) must not land on
  // the text this test sends at the end.
  ASSERT_TRUE(WaitUntil([&] { return Status(main).rfind("http", 0) == 0; }));
  SetWindowTextA(GetDlgItem(chooser_, ids::designList), "Glass");
  PostMessageA(GetDlgItem(chooser_, ids::dcToolbarButton972), BM_CLICK, 0, 0);
  HWND box = nullptr;
  std::string text;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND w : TopLevelWindowsOf(player_.Pid()))
      if (ClassNameOf(w) == "#32770" && IsWindowVisible(w)) {
        box = w;
        text = WindowText(GetDlgItem(w, 0xFFFF));
        return !text.empty();
      }
    return false;
  }));
  EXPECT_NE(text.find("The design library failed"), std::string::npos) << text;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(Log().Count("deinit"), 2);  // the probe's and the failed load's
  ASSERT_TRUE(SendCopyData(main, "$hello").has_value());
  EXPECT_EQ(Status(main), "hello");
}

TEST_F(DesignLibrary, ALibraryFailingAfterAnActiveOneBringsTheMainWindowBack) {
  folder_.AddPlugin("glass.dll", "broken.dll", "name=Broken\nomit=update\n");
  HWND main = Start();
  ASSERT_TRUE(main);
  ASSERT_TRUE(WaitUntil([this] { return Listed(chooser_, "Broken"); }));
  Apply("Glass");
  ASSERT_FALSE(IsWindowVisible(main));
  Apply("Broken");
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(Status(main),
            "The design Broken could not be loaded: it is not a complete design library");
  EXPECT_EQ(Log().Count("OnClose", "glass.dll"), 1);
  // The player answers on its own window again.
  ASSERT_TRUE(SendCopyData(main, "$hello").has_value());
  EXPECT_EQ(Status(main), "hello");
}

TEST_F(DesignLibrary, ClosingTheVuMeterWhileTheProgramShutsDownDoesNothing) {
  // The library closes the VU meter from inside the shutdown (its OnClose).
  HWND main = Start("on_OnClose=CloseWindow TForm12\n");
  ASSERT_TRUE(main);
  Apply("Glass");
  SendMessageA(main, WM_COMMAND, 227 /* Vu Meter */, 0);
  HWND vu = player_.FindWindowOfClassWait("TForm12");
  ASSERT_TRUE(vu);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(vu) != FALSE; }));
  EXPECT_TRUE(player_.Close());
  EXPECT_EQ(player_.WaitForExit(5000).value_or(0xFFFFFFFF), 0u);
  EXPECT_TRUE(Log().Contains("result CloseWindow TForm12 visible"));
}

TEST_F(DesignLibrary, ShippedPocketPlaysAFile) {
  ASSERT_TRUE(AudioSink::Available()) << "VELMORA_AUDIO_SINK is not set (run by scripts/test.sh)";
  const std::string song = CopyMedia(folder_, "steps_10s.mp3");
  ASSERT_FALSE(song.empty());
  folder_.WriteFile("pl.m3u", song + "\r\n");
  HWND main = StartReady(player_, folder_);
  ASSERT_TRUE(main);
  chooser_ = player_.FindWindowOfClassWait("TForm6");
  ASSERT_TRUE(WaitUntil([this] { return Listed(chooser_, "Pocket"); }));
  Apply("Pocket");
  HWND pocket = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    return (pocket = VisibleWindowOf(player_, "VelmoraPocketDesign", nullptr)) != nullptr;
  }));
  EXPECT_FALSE(IsWindowVisible(main));
  // Its play button, as a user clicks it.
  AudioSink sink;
  PostMessageA(pocket, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(56, 86));
  ASSERT_TRUE(sink.WaitForBytes(kBytesPerSecond)) << "nothing played";
  EXPECT_TRUE(WaitUntil([&] {
    return SliderPos(main, ids::tb) > 0 || ControlText(main, ids::lengthlab) == "00:10";
  }));
  // A picture for a person to look at (scripts/screenshots.sh asks for it).
  if (const char* dir = getenv("VELMORA_SCREENSHOT_DIR")) {
    Sleep(1500);
    RECT r;
    GetWindowRect(pocket, &r);
    SaveScreenBmp(std::string(dir) + "\\Pocket.bmp", r);
  }
  EXPECT_TRUE(player_.Close());
}

}  // namespace
}  // namespace velmora::e2e
