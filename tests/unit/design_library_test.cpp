// The design library host on fakes: the order of calls when a library is loaded, probed
// and unloaded, refusal of incomplete libraries, faults, the display routing while one is
// active, the index echo, and the rules of the volume, balance and seek services.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/player_design_target.h"
#include "design/design_host_services.h"
#include "design/design_library.h"
#include "fakes/player_fakes.h"

namespace velmora {
namespace {

using Calls = std::vector<std::string>;

// A library file: its exports, the entries that fault, its name. Calls go to one log
// shared by every module, prefixed with the file's path.
struct FakeLibrary {
  std::set<std::string> missing;
  std::set<std::string> faulting;
  std::string name = "Glass";
};

class FakeModule : public DesignModule {
 public:
  FakeModule(const std::string& path, const FakeLibrary& lib, Calls& log, Calls& released)
      : path_(path), lib_(lib), log_(log), released_(released) {}
  ~FakeModule() override { released_.push_back(path_); }

  bool Has(DesignExport e) const override {
    static const char* const kNames[] = {"init", "GetDesignHeader", "update", "deinit"};
    return !lib_.missing.count(kNames[static_cast<int>(e)]);
  }
  void Init() override { Call("init"); }
  void TakeHeader() override { Call("GetDesignHeader"); }
  std::string DesignName() override { return lib_.name; }
  void* CopyPreview() override { return const_cast<FakeLibrary*>(&lib_); }
  void WriteHostSlots() override { log_.push_back(path_ + " host slots"); }
  void Update() override { Call("update"); }
  void Deinit() override { Call("deinit"); }
  void Notify(DesignNotification n, int32_t v) override {
    Call(DesignNotificationName(n), std::to_string(v));
  }
  void Notify(DesignNotification n, const std::string& t) override {
    Call(DesignNotificationName(n), t);
  }
  void NotifyFlag(DesignNotification n, bool on) override {
    Call(DesignNotificationName(n), on ? "1" : "0");
  }
  void NotifySender(DesignNotification n, void* s) override {
    Call(DesignNotificationName(n), s ? static_cast<const char*>(s) : "null");
  }

 private:
  void Call(const std::string& entry, const std::string& args = "") {
    log_.push_back(path_ + " " + entry + (args.empty() ? "" : " " + args));
    if (lib_.faulting.count(entry)) throw DesignFault("Access violation");
  }
  std::string path_;
  const FakeLibrary& lib_;
  Calls& log_;
  Calls& released_;
};

class FakeLoader : public DesignModuleLoader {
 public:
  std::map<std::string, FakeLibrary> files;
  Calls log, released, released_at_exit;
  std::unique_ptr<DesignModule> Open(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return nullptr;
    return std::make_unique<FakeModule>(path, it->second, log, released);
  }
  void ReleaseIfLoaded(const std::string& path) override { released_at_exit.push_back(path); }
};

class FakeShell : public DesignShell {
 public:
  bool visible = true;
  std::vector<bool> changes;
  bool MainWindowVisible() const override { return visible; }
  void SetMainWindowVisible(bool v) override {
    visible = v;
    changes.push_back(v);
  }
  void* MainWindowSender() const override { return const_cast<char*>("main"); }
};

class DesignLibraryTest : public ::testing::Test {
 protected:
  DesignLibraryTest() {
    window_.status = "Ready";
    window_.total_time = "03:20";
    window_.position_time = "01:05";
    window_.position = 7;
    window_.position_max = 40;
    loader_.files["a.dll"] = {};
  }

  DesignDisplayState State() const {
    DesignDisplayState s;
    s.position_max = window_.position_max;
    s.position = window_.position;
    s.status = window_.status;
    s.song_title = "Song";
    s.total_time = window_.total_time;
    s.position_time = window_.position_time;
    s.layer = "3";
    s.bitrate = "128";
    s.frequency = "44100";
    s.volume = 200;
    return s;
  }
  bool Load(const std::string& path) {
    return host_.Load(path, [this] { return State(); });
  }

  fakes::FakeWindow window_;
  Playlist playlist_;
  Display display_{window_, playlist_};
  FakeLoader loader_;
  FakeShell shell_;
  DesignLibraryHost host_{loader_, shell_, display_};
};

TEST_F(DesignLibraryTest, LoadCallsInOrderHandsOverTheStateAndTakesTheDisplay) {
  ASSERT_TRUE(Load("a.dll"));
  EXPECT_EQ(loader_.log,
            (Calls{"a.dll init", "a.dll GetDesignHeader", "a.dll host slots", "a.dll update",
                   "a.dll OnPositionMax 40", "a.dll OnPosition 7", "a.dll OnStatus Ready",
                   "a.dll OnSongTitle Song", "a.dll OnTotalTime 03:20",
                   "a.dll OnPositionTime 01:05", "a.dll OnLayer 3", "a.dll OnBitrate 128",
                   "a.dll OnFrequency 44100", "a.dll OnVolume 200", "a.dll OnShow main"}));
  EXPECT_FALSE(shell_.visible);
  EXPECT_TRUE(host_.Active());
  EXPECT_EQ(host_.ActivePath(), "a.dll");
  EXPECT_TRUE(display_.DesignLibraryActive());

  loader_.log.clear();
  display_.ShowStatus("x");         // library only
  display_.ShowTotalTime("04:00");  // window, then library
  EXPECT_EQ(window_.status, "Ready");
  EXPECT_EQ(window_.total_time, "04:00");
  EXPECT_EQ(loader_.log, (Calls{"a.dll OnStatus x", "a.dll OnTotalTime 04:00"}));
}

TEST_F(DesignLibraryTest, ALibraryWithoutOneOfItsFourExportsIsRefusedUntouched) {
  for (const char* missing : {"GetDesignHeader", "init", "update", "deinit"}) {
    loader_.files["b.dll"].missing = {missing};
    loader_.log.clear();
    loader_.released.clear();
    EXPECT_FALSE(Load("b.dll")) << missing;
    EXPECT_TRUE(loader_.log.empty()) << missing;
    EXPECT_EQ(loader_.released, Calls{"b.dll"}) << missing;
    EXPECT_TRUE(shell_.visible);
    EXPECT_FALSE(host_.Active());
  }
  EXPECT_FALSE(Load("nowhere.dll"));
}

TEST_F(DesignLibraryTest, AFaultWhileSettingUpReachesTheCallerAndLeavesTheMainWindowAsItWas) {
  for (const char* entry : {"init", "update", "OnShow"}) {
    loader_.files["a.dll"].faulting = {entry};
    loader_.released.clear();
    shell_.visible = true;
    EXPECT_THROW(Load("a.dll"), DesignFault) << entry;
    EXPECT_TRUE(shell_.visible) << entry;
    EXPECT_FALSE(host_.Active());
    EXPECT_EQ(loader_.log.back(), "a.dll deinit") << entry;
    EXPECT_EQ(loader_.released, Calls{"a.dll"}) << entry;
  }
  // A hidden main window stays hidden.
  shell_.visible = false;
  EXPECT_THROW(Load("a.dll"), DesignFault);
  EXPECT_FALSE(shell_.visible);
}

TEST_F(DesignLibraryTest, UnloadClosesThenDeinitsEvenWhenTheLibraryFaults) {
  ASSERT_TRUE(Load("a.dll"));
  loader_.files["a.dll"].faulting = {"OnClose", "OnStatus"};
  display_.ShowStatus("survived");  // the fault is discarded
  loader_.log.clear();
  host_.Unload(const_cast<char*>("chooser"));
  EXPECT_EQ(loader_.log, (Calls{"a.dll OnClose chooser", "a.dll deinit"}));
  EXPECT_EQ(loader_.released, Calls{"a.dll"});
  EXPECT_FALSE(host_.Active());
  EXPECT_FALSE(display_.DesignLibraryActive());
  display_.ShowStatus("back");
  EXPECT_EQ(window_.status, "back");
  host_.Unload(nullptr);  // nothing active: nothing happens
  EXPECT_EQ(loader_.log.size(), 2u);
}

TEST_F(DesignLibraryTest, ProbeReadsTheNameAndLeavesTheActiveLibraryAlone) {
  loader_.files["glass.dll"].name = "Glass";
  ASSERT_TRUE(Load("a.dll"));
  loader_.log.clear();
  EXPECT_EQ(host_.Probe("glass.dll"), std::optional<std::string>("Glass"));
  EXPECT_EQ(loader_.log,
            (Calls{"glass.dll init", "glass.dll GetDesignHeader", "glass.dll deinit"}));
  EXPECT_TRUE(host_.Active());
  EXPECT_EQ(host_.ActivePath(), "a.dll");

  loader_.files["late.dll"].faulting = {"deinit"};  // named before the fault: listed
  EXPECT_TRUE(host_.Probe("late.dll").has_value());
  loader_.files["early.dll"].faulting = {"init"};
  EXPECT_FALSE(host_.Probe("early.dll").has_value());
  loader_.files["plain.dll"].missing = {"GetDesignHeader"};
  EXPECT_FALSE(host_.Probe("plain.dll").has_value());
  EXPECT_FALSE(host_.Probe("missing.dll").has_value());
}

TEST_F(DesignLibraryTest, ReleaseAtExitClosesTheActiveOneOnceAndFreesProbedLeftovers) {
  ASSERT_TRUE(Load("a.dll"));
  loader_.log.clear();
  host_.ReleaseModules({"None", "Classic", "a.dll", "glass.dll", "Classic"});
  EXPECT_EQ(loader_.log, (Calls{"a.dll OnClose main", "a.dll deinit"}));
  EXPECT_EQ(loader_.released_at_exit, (Calls{"a.dll", "glass.dll"}));
  host_.ReleaseModules({});
  EXPECT_EQ(loader_.log.size(), 2u);
}

TEST_F(DesignLibraryTest, OtherNotificationsOnlyWhileActiveAndTheIndexEchoIsSuppressed) {
  host_.NotifyLoop(true);
  host_.CurrentIndexChanged(1);
  EXPECT_TRUE(loader_.log.empty());
  ASSERT_TRUE(Load("a.dll"));
  loader_.log.clear();
  host_.NotifyRandom(true);
  host_.NotifyLoop(false);
  host_.NotifyBalance(60);
  host_.NotifyHide(const_cast<char*>("main"));
  host_.CurrentIndexChanged(3);
  {
    DesignLibraryHost::SuppressIndexEcho quiet(host_);
    host_.CurrentIndexChanged(4);
  }
  EXPECT_EQ(loader_.log, (Calls{"a.dll OnRandom 1", "a.dll OnLoop 0", "a.dll OnBalance 60",
                                "a.dll OnHide main", "a.dll OnCurrentIndex 3"}));
}

// ---- services -------------------------------------------------------------------------

class RecordingVolume : public fakes::FakeVolume {
 public:
  std::vector<int> balances;
  void SetBalance(int b) override { balances.push_back(b); }
};

class FakeCommands : public DesignCommands {
 public:
  std::vector<std::string> calls;
  void Click(DesignButton b, void*) override {
    calls.push_back("click " + std::to_string(static_cast<int>(b)));
  }
  void ShowPopup() override { calls.push_back("popup"); }
  void RefreshOptions() override { calls.push_back("refresh"); }
  void SortPlaylistByName() override { calls.push_back("sort"); }
  void SavePlaylistDialog() override { calls.push_back("save"); }
};

class DesignServicesTest : public DesignLibraryTest {
 protected:
  fakes::PlayerRig rig_;
  RecordingVolume volume_;
  SoundBalance balance_{volume_};
  FakeCommands commands_;
  DesignLibraryHost rig_host_{loader_, shell_, rig_.display};
  PlayerDesignTarget core_{*rig_.player, rig_.display, volume_, rig_.settings, nullptr};
  DesignHostServices services_{{core_, rig_.playlist, rig_.plugin, balance_, commands_, rig_host_}};
};

TEST_F(DesignServicesTest, SetVolumeActsAsTheSliderAndShowsThePercentage) {
  EXPECT_EQ(VolumeStatusText(250), "Volume : 100%");
  EXPECT_EQ(VolumeStatusText(1), "Volume : 0%");
  EXPECT_EQ(VolumeStatusText(100), "Volume : 40%");
  services_.SetVolume(250);
  EXPECT_EQ(rig_.window.volume_slider, 250);
  EXPECT_EQ(volume_.level, 250);
  EXPECT_EQ(rig_.player->SavedVolume(), 250);
  EXPECT_EQ(rig_.window.status, "Volume : 100%");
}

TEST_F(DesignServicesTest, BalanceAbove100IsIgnoredAndTheSliderValueSetsTheOppositeBalance) {
  std::vector<int> told, shown;
  balance_.SetListener([&](int b) { told.push_back(b); });
  balance_.SetSliderView([&](int v) { shown.push_back(v); });
  services_.SetBalance(101);
  EXPECT_TRUE(volume_.balances.empty());
  EXPECT_EQ(services_.GetBalance(), 50);
  services_.SetBalance(40);
  services_.SetBalance(-5);  // the slider keeps it in range
  EXPECT_EQ(volume_.balances, (std::vector<int>{60, 100}));
  // The library is told the balance itself; the page shows the slider.
  EXPECT_EQ(told, (std::vector<int>{60, 100}));
  EXPECT_EQ(shown, (std::vector<int>{40, 0}));
  EXPECT_EQ(services_.GetBalance(), 0);
  EXPECT_EQ(commands_.calls, (std::vector<std::string>{"refresh", "refresh"}));
  EXPECT_EQ(SoundBalance::Text(60), "20 Left");
  EXPECT_EQ(SoundBalance::Text(50), "Centered");
  EXPECT_EQ(SoundBalance::Text(40), "20 Right");
  EXPECT_EQ(SoundBalance::Text(0), "100 Right");
}

TEST_F(DesignServicesTest, SeekScalesByThePositionScaleOnlyWithJumpto) {
  rig_.AddFiles({"a.mp3"});
  rig_.StartPlaying(0);
  services_.Seek(3);
  ASSERT_FALSE(rig_.plugin.jumps.empty());
  EXPECT_EQ(rig_.plugin.jumps.back(), 3 * rig_.player->PositionScale());
  const size_t jumps = rig_.plugin.jumps.size();
  rig_.plugin.absent.insert(PluginEntry::jumpto);
  services_.Seek(4);
  EXPECT_EQ(rig_.plugin.jumps.size(), jumps);
}

TEST_F(DesignServicesTest, PlaylistServicesCopyReplaceAndPlayAnIndexWithoutEcho) {
  rig_.AddFiles({"a.mp3", "b.mp3", "c.mp3"});
  std::vector<std::string> names, paths;
  services_.GetPlaylist(names, paths);
  EXPECT_EQ(names, (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
  std::reverse(names.begin(), names.end());
  std::reverse(paths.begin(), paths.end());
  services_.SetPlaylist(names, paths);
  EXPECT_EQ(rig_.playlist.Names(), names);
  EXPECT_EQ(rig_.playlist.Path(0), "C:\\Music\\c.mp3");
  services_.SetPlaylist({"x", "y"}, {"C:\\x"});  // the shorter list decides
  EXPECT_EQ(rig_.playlist.Count(), 1u);

  // The library hears of index changes through the display, which follows the playlist,
  // except of its own.
  loader_.files["a.dll"] = {};
  ASSERT_TRUE(rig_host_.Load("a.dll", [] { return DesignDisplayState{}; }));
  loader_.log.clear();
  rig_.playlist.SetCurrentIndex(1);
  EXPECT_EQ(loader_.log, Calls{"a.dll OnCurrentIndex 1"});
  loader_.log.clear();
  services_.PlayIndex(2);
  EXPECT_EQ(rig_.playlist.CurrentIndex(), 2);
  EXPECT_EQ(services_.GetCurrentIndex(), 2);
  EXPECT_EQ(commands_.calls.back(), "click 0");  // the play button
  for (const std::string& call : loader_.log)
    EXPECT_EQ(call.find("OnCurrentIndex"), std::string::npos) << call;
  services_.SortPlaylist(names, paths);
  EXPECT_EQ(commands_.calls.back(), "sort");
}

}  // namespace
}  // namespace velmora
