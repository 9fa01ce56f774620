// Fakes around the player core: a recording input plug-in and extension table, the main
// window's views, a host with controllable timers and message pump, and a volume device.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/host.h"
#include "app/player.h"
#include "playlist/random.h"
#include "app/settings.h"
#include "playlist/playlist.h"
#include "plugins/input_plugin.h"

namespace velmora::fakes {

// Records every entry called, in order. An absent entry throws like the real loader does
// when an absent entry is called; entries in `failing` throw as a fault inside the library.
class FakePlugin : public InputPlugin {
 public:
  std::set<PluginEntry> absent;
  std::set<PluginEntry> failing;
  std::vector<std::string> calls;
  std::function<void(const std::string& entry)> on_call;

  std::string title = "Song";
  int32_t length_ms = 300000;
  int32_t position_ms = 0;
  bool is_playing = false;
  bool is_paused = false;
  bool is_ended = false;
  int load_failures = 0;  // the next N loads fail
  bool load_crashes = false;  // every load faults inside the library
  std::string web_title = "Radio";
  std::vector<std::string> load_args, play_args;
  std::vector<int32_t> jumps;

  std::string name = "fake.dll";

  bool Has(PluginEntry entry) const override { return absent.count(entry) == 0; }
  std::string Name() const override { return name; }

  // As before the first song of a run: no library, no name, every entry absent.
  void Unload();
  // A library loaded under this name with every entry present.
  void LoadAs(const std::string& library);

  std::string load(const std::string& path) override;
  void play(const std::string& path) override;
  void pause() override;
  void stop() override;
  void showoptionspopup(int, int) override {
    Enter(PluginEntry::showoptionspopup, "showoptionspopup");
  }
  bool playing() override {
    Enter(PluginEntry::playing, "playing");
    return is_playing;
  }
  int32_t length() override {
    Enter(PluginEntry::length, "length");
    return length_ms;
  }
  void jumpto(int32_t ms) override;
  int32_t getposition() override {
    Enter(PluginEntry::getposition, "getposition");
    return position_ms;
  }
  bool paused() override {
    Enter(PluginEntry::paused, "paused");
    return is_paused;
  }
  bool ended() override {
    Enter(PluginEntry::ended, "ended");
    return is_ended;
  }
  std::string bitrate() override {
    Enter(PluginEntry::bitrate, "bitrate");
    return "128";
  }
  std::string layer() override {
    Enter(PluginEntry::layer, "layer");
    return "3";
  }
  std::string frequence() override {
    Enter(PluginEntry::frequence, "frequence");
    return "44100";
  }
  void showid3() override { Enter(PluginEntry::showid3, "showid3"); }
  std::string webload(const std::string& url) override;

  size_t Count(const std::string& entry) const;
  // The calls made since index `from`, without the given entries.
  std::vector<std::string> CallsSince(size_t from, const std::set<std::string>& without = {}) const;

 private:
  void Enter(PluginEntry entry, const char* name);
};

class FakeSelector : public PluginSelector {
 public:
  std::set<std::string> unsupported;  // extensions answered with no
  std::vector<std::string> asked, selected;
  std::function<void(const std::string& path)> on_select;  // e.g. loads the plug-in
  bool IsSupportedExtension(const std::string& text) const override;
  bool SelectPluginForFile(const std::string& path) override {
    selected.push_back(path);
    if (on_select) on_select(path);
    return true;
  }
};

// The main window: the display's controls and the player's view together.
class FakeWindow : public MainView, public PlayerView {
 public:
  // MainView
  std::vector<std::string> statuses, position_times, titles;
  std::string status = "Please wait while loading !!!", position_time = "00:00",
              total_time = "00:00";
  std::string frequency, layer, bitrate;
  int32_t position = 0, position_max = 65535;
  std::vector<int32_t> positions;

  void SetStatusText(const std::string& t) override {
    status = t;
    statuses.push_back(t);
  }
  void SetPositionTimeText(const std::string& t) override {
    position_time = t;
    position_times.push_back(t);
  }
  void SetPositionValue(int32_t v) override;  // clamped to 0..max like the slider control
  void SetPositionMax(int32_t m) override { position_max = m; }
  void SetTotalTimeText(const std::string& t) override { total_time = t; }
  void SetSongTitle(const std::string& t) override { titles.push_back(t); }
  void SetFrequencyText(const std::string& t) override { frequency = t; }
  void SetLayerText(const std::string& t) override { layer = t; }
  void SetBitrateText(const std::string& t) override { bitrate = t; }

  // PlayerView
  std::map<TransportButton, bool> buttons;
  int volume_slider = -1, volume_thumb = 0;
  bool volume_slider_enabled = true;
  std::vector<bool> volume_slider_enabled_history;
  bool pause_fadeout = true, pause_fadein = false;
  int scroll_pixels = 1, scroll_interval = 50;
  bool title_enabled = true;
  std::string time_hint = "Time ";
  uint32_t time_colour = 0;

  void SetButtonEnabled(TransportButton b, bool e) override { buttons[b] = e; }
  void SetVolumeSlider(int v) override { volume_slider = v; }
  void SetVolumeSliderEnabled(bool e) override {
    volume_slider_enabled = e;
    volume_slider_enabled_history.push_back(e);
  }
  void SetVolumeThumb(int n) override { volume_thumb = n; }
  void SetPauseFadeMenu(bool out, bool in) override {
    pause_fadeout = out;
    pause_fadein = in;
  }
  void SetTitleScroll(int px, int interval) override {
    scroll_pixels = px;
    scroll_interval = interval;
  }
  void SetTitleEnabled(bool e) override { title_enabled = e; }
  void SetTimeLabelHint(const std::string& h) override { time_hint = h; }
  void SetTimeLabelColour(uint32_t c) override { time_colour = c; }
  uint32_t TimeLabelColour() const override { return time_colour; }

  bool Has(const std::string& status_text) const;
  size_t CountOf(const std::string& status_text) const;
};

// Timers are flags plus start counts; ticks are delivered by the test (Fire) or, queued
// with QueueTick, by the next ProcessMessages, the way window messages run inside a load.
class FakeHost : public Host {
 public:
  Player* player = nullptr;
  int pumps = 0;
  std::vector<int> delays;
  std::deque<TimerId> queued_ticks;
  std::function<void()> on_pump;
  bool left_button = false, shift = false;
  std::string app_title;
  std::vector<std::string> dialog_files;
  std::vector<std::string> skin_archives;
  std::map<TimerId, int> starts, stops;

  void ProcessMessages() override;
  void Delay(int ms) override { delays.push_back(ms); }
  void StartTimer(TimerId id) override {
    running_.insert(id);
    ++starts[id];
  }
  void StopTimer(TimerId id) override {
    running_.erase(id);
    ++stops[id];
  }
  bool TimerRunning(TimerId id) const override { return running_.count(id) != 0; }
  bool LeftButtonDown() const override { return left_button; }
  bool ShiftDown() const override { return shift; }
  void SetApplicationTitle(const std::string& t) override { app_title = t; }
  std::vector<std::string> ShowOpenDialog() override { return dialog_files; }
  void OpenSkinArchive(const std::string& path) override { skin_archives.push_back(path); }
  unsigned MillisecondsSinceMidnight() const override { return 0; }

  void QueueTick(TimerId id) { queued_ticks.push_back(id); }
  // One tick of a running timer (nothing when it is stopped).
  void Fire(TimerId id);
  // Ticks until the timer stops itself; returns the number of ticks.
  int RunUntilStopped(TimerId id, int limit = 1000);

 private:
  std::set<TimerId> running_;
};

// 0-255 on both channels; without a device reads give 0 and writes do nothing.
class FakeVolume : public Volume {
 public:
  int level = 200;
  bool device = true;
  std::vector<int> writes;
  int Get() const override { return device ? level : 0; }
  void Set(int v) override {
    writes.push_back(v);
    if (device) level = v;
  }
  void SetBalance(int) override {}
};

class RecordingSink : public DesignSink {
 public:
  std::vector<int32_t> indexes;
  std::vector<std::string> statuses;
  void OnStatus(const std::string& t) override { statuses.push_back(t); }
  void OnPositionTime(const std::string&) override {}
  void OnPosition(int32_t) override {}
  void OnTotalTime(const std::string&) override {}
  void OnPositionMax(int32_t) override {}
  void OnSongTitle(const std::string&) override {}
  void OnFrequency(const std::string&) override {}
  void OnLayer(const std::string&) override {}
  void OnBitrate(const std::string&) override {}
  void OnCurrentIndex(int32_t i) override { indexes.push_back(i); }
};

// Everything a Player needs, wired together.
struct PlayerRig {
  Playlist playlist;
  FakeSelector selector;
  FakePlugin plugin;
  FakeWindow window;
  Display display{window, playlist};
  FakeHost host;
  FakeVolume volume;
  Settings settings;
  RandomGenerator random;
  std::unique_ptr<Player> player;

  PlayerRig();
  // Appends C:\Music\<name> for each name.
  void AddFiles(const std::vector<std::string>& names);
  // Play entry `index` and let the plug-in report that it plays.
  void StartPlaying(int32_t index = 0);
};

}  // namespace velmora::fakes
