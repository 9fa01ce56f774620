#include "vis/visualisation_win.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "playlist/playlist.h"
#include "plugins/guarded_call_win.h"
#include "plugins/plugin_system.h"
#include "plugins/plugin_system_win.h"
#include "ui/error_sink.h"
#include "ui/paced_steps_win.h"
#include "ui/top_level_window_win.h"
#include "vis/meter_sources_win.h"
#include "vis/vu_meter.h"

namespace velmora {

namespace {

constexpr char kParentClass[] = "VelmoraVisParent";
constexpr char kStartStopMessage[] = "Not already working ... just showing ...";
constexpr char kBoxCaption[] = "ORVANE Velmora";
constexpr UINT_PTR kSampleTimer = 1;
// The levels are sampled at the pace the module renders, within these bounds.
constexpr int kSampleMs = 10;
constexpr int kSlowestSampleMs = 100;
// Posted by the worker when a module faulted in Render (wParam: the fault code, lParam:
// the run).
constexpr UINT kRenderFaulted = WM_APP + 1;

// Questions plug-ins send their player as SendMessage(parent, WM_USER, data, question).
enum PlayerQuestion : LPARAM {
  kAskVersion = 0,
  kAskPlaying = 104,      // 1 playing, 3 paused, 0 otherwise
  kAskOutputTime = 105,   // data 0: position in ms (-1 when idle); 1: length in s (-1 when none)
  kAskListLength = 124,   // entries in the playlist
  kAskListPosition = 125, // index of the current entry
  kAskInfo = 126,         // data 0: sample rate in kHz; 1: bit rate in kbps; 2: channels
  kAskListFile = 211,     // data: index; the entry's path (valid until the next question)
  kAskListTitle = 212,    // data: index; the entry's title (likewise)
};
// The interface level the host offers.
constexpr LRESULT kHostVersion = 0x2000;

class Win32VisLibraries : public VisLibraries {
 public:
  Handle Load(const std::string& path) override { return modules_->Load(path); }
  void Release(Handle library) override { modules_->Free(library); }
  VisGetHeaderFn HeaderEntry(Handle library) override {
    return reinterpret_cast<VisGetHeaderFn>(modules_->Resolve(library, "winampVisGetHeader"));
  }
  bool Guarded(Handle library, const std::function<void()>& call) override {
    return guard::Guarded(guard::Owner{library}, [&] { call(); });
  }
  size_t TextLength(const char* text, size_t limit) override {
    return guard::ForeignTextLength(text, limit);
  }
  void Read(void* to, const void* record, size_t size) override {
    guard::ForeignRead(to, record, size);
  }
  void Write(void* record, const void* from, size_t size) override {
    guard::ForeignWrite(record, from, size);
  }

 private:
  std::unique_ptr<ModuleSystem> modules_ = CreateWin32ModuleSystem();
};

// The levels a run reads: the window thread samples the program's meter (its sources
// may be read only there: the input plug-in's peaks, a COM meter of this thread) into a
// snapshot that the worker reads.
class SampledLevels : public VisLevels {
 public:
  // `sample_steadily(on)` starts or stops the window thread's calls of Sample.
  SampledLevels(PeakMeter& meter, std::function<void(bool on)> sample_steadily,
                const VisSoundSetting& sound_setting, std::function<std::string()> plugin_path)
      : meter_(meter),
        sample_steadily_(std::move(sample_steadily)),
        sound_setting_(sound_setting),
        plugin_path_(std::move(plugin_path)) {}

  void Open() override {
    meter_.OpenMeter();
    Sample();
    if (sample_steadily_) sample_steadily_(true);
  }
  void Close() override {
    if (sample_steadily_) sample_steadily_(false);
    meter_.CloseMeter();
    std::lock_guard<std::mutex> lock(mutex_);
    read_ = false;
  }
  bool Read(int32_t* left, int32_t* right) override {
    std::lock_guard<std::mutex> lock(mutex_);
    *left = left_;
    *right = right_;
    return read_;
  }
  bool ReadSound(int16_t samples[2][576], int* count) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (sound_.sample_count <= 0) return false;
    std::memcpy(samples, sound_.samples, sizeof sound_.samples);
    *count = std::min(sound_.sample_count, 576);
    return true;
  }
  // Window thread, on the sampling steps.
  void Sample() {
    meter_.Refresh();
    const bool read = meter_.ReadPeaks();
    VelmoraAudiblePeaks sound{};
    if (sound_setting_.UsePlayingSound() && plugin_path_) {
      sound.size = sizeof sound;
      const bool offered = ReadAudiblePeaks(plugin_path_(), &sound) && sound.size >= sizeof sound;
      if (!offered) sound.sample_count = 0;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    read_ = read;
    left_ = meter_.LeftPeak();
    right_ = meter_.RightPeak();
    sound_ = sound;
  }

 private:
  PeakMeter& meter_;
  std::function<void(bool on)> sample_steadily_;
  std::mutex mutex_;
  const VisSoundSetting& sound_setting_;
  std::function<std::string()> plugin_path_;
  bool read_ = false;
  int32_t left_ = 0, right_ = 0;
  VelmoraAudiblePeaks sound_{};  // sample_count 0: no sound offered
};

class VisualisationWin : public Visualisation, private ui::TopLevelWindow {
 public:
  explicit VisualisationWin(const Deps& deps)
      : ui::TopLevelWindow(deps.errors),
        deps_(deps),
        levels_(deps.meter, [this](bool on) { SampleSteadily(on); }, deps.sound_setting,
                deps.current_plugin_path),
        host_({libraries_, levels_,
               [this] {
                 // Worker thread: the window thread stops the run.
                 PostMessageW(hwnd(), kRenderFaulted, guard::LastFaultCode(),
                              host_.RunNumber());
               },
               WaitLettingSentMessagesThrough,
               [](int ms) { Sleep(static_cast<DWORD>(ms)); }}),
        choices_(host_) {
    ui::TopLevelClass cls;
    cls.unicode = true;
    cls.name = kParentClass;
    CreateTopLevel(cls, WS_EX_TOOLWINDOW, "", WS_POPUP, 0, 0, 0, 0);
    // Made by the program's loop when due (under wine a timer message costs three more
    // round trips to the server than the loop's wait).
    if (hwnd()) sampling_ = std::make_unique<ui::PacedStep>(hwnd(), kSampleTimer, [this] { SampleStep(); });
  }
  ~VisualisationWin() override { host_.Stop(); }

  VisChoices& Choices() override { return choices_; }
  VisSoundSetting& SoundSetting() override { return deps_.sound_setting; }
  bool Running() const override { return host_.Running(); }
  HWND ParentWindow() const override { return hwnd(); }

  void Configure(const std::string& module) override {
    choices_.Configure(module, deps_.main_window);
  }

  void StartOrStop() override {
    MessageBoxA(deps_.main_window, kStartStopMessage, kBoxCaption, MB_OK);
    if (host_.Running())
      StopAndTell();
    else if (!host_.Start(choices_.ChosenLibrary(), choices_.ChosenModule(), hwnd()))
      deps_.errors.Report("Visualisation not started: the module failed in Init");
  }

  void StopRunning() override {
    if (host_.Running()) StopAndTell();
  }

  void StopAndTell() {
    if (!host_.Stop())
      deps_.errors.Report(
          "Visualisation stopped: the module does not return from Render and was left behind");
  }

  bool AddLibrary(const std::string& path) override { return choices_.AddLibrary(path); }

 private:
  static void WaitLettingSentMessagesThrough(const std::function<bool()>& finished) {
    while (!finished()) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }

  void SampleSteadily(bool on) {
    if (!sampling_) return;
    if (on) {
      sampling_ms_ = kSampleMs;
      sampling_->Start(sampling_ms_);
    } else {
      sampling_->Stop();
    }
  }

  // One sample, and the pace of the next ones following the module's: a module that
  // renders every 20 ms needs no levels every 10.
  void SampleStep() {
    levels_.Sample();
    const int pace = std::clamp<int>(host_.RenderPause(), kSampleMs, kSlowestSampleMs);
    if (pace != sampling_ms_) {
      sampling_ms_ = pace;
      sampling_->Start(pace);
    }
  }

  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_TIMER:
        if (wp == kSampleTimer) {
          if (sampling_) sampling_->OnTimer();
          return 0;
        }
        break;
      case kRenderFaulted:
        if (host_.Running() && lp == host_.RunNumber()) {
          host_.Stop();
          deps_.errors.Report("Visualisation stopped: the module faulted in Render (" +
                              guard::DescribeFault(static_cast<uint32_t>(wp)) + ")");
        }
        return 0;
      case WM_USER: return Answer(lp, wp);
      case WM_CLOSE: return 0;  // hidden for good
      default: break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
  }

  LRESULT Answer(LPARAM question, WPARAM data) {
    InputPlugin& plugin = deps_.plugins.Current();
    switch (question) {
      case kAskVersion: return kHostVersion;
      case kAskPlaying:
        if (plugin.PausedReportsTrue()) return 3;
        return plugin.PlayingReportsTrue() ? 1 : 0;
      case kAskOutputTime:
        if (data == 0) {
          if (!plugin.Has(PluginEntry::getposition) ||
              !(plugin.PlayingReportsTrue() || plugin.PausedReportsTrue()))
            return -1;
          return plugin.getposition();
        }
        if (data == 1) {
          if (!plugin.Has(PluginEntry::length) || deps_.plugins.CurrentName().empty()) return -1;
          return plugin.length() / 1000;
        }
        return -1;
      case kAskListLength: return static_cast<LRESULT>(deps_.playlist.Count());
      case kAskListPosition: return deps_.playlist.CurrentIndex();
      case kAskInfo:
        if (data == 0 && plugin.Has(PluginEntry::frequence))
          return std::atol(plugin.frequence().c_str()) / 1000;
        if (data == 1 && plugin.Has(PluginEntry::bitrate))
          return std::atol(plugin.bitrate().c_str());
        if (data == 2) return 2;
        return 0;
      case kAskListFile:
      case kAskListTitle: {
        const auto index = static_cast<long long>(static_cast<int>(data));
        if (index < 0 || static_cast<size_t>(index) >= deps_.playlist.Count()) return 0;
        // Modules take 8-bit text of the active code page: the path in a form they can
        // open (its short alias where that code page cannot hold it), the title as near
        // as the code page comes. Where the code page is UTF-8 both pass unchanged.
        const LegacyNames& legacy = SystemLegacyNames();
        if (question == kAskListFile) {
          answer_text_ = NameForLegacyLibrary(deps_.playlist.Path(index), legacy);
        } else {
          const std::string& title = deps_.playlist.DisplayName(index);
          answer_text_ = legacy.CodePageIsUtf8() ? title : legacy.ToCodePageLossy(title);
        }
        return reinterpret_cast<LRESULT>(answer_text_.c_str());
      }
      default: return 0;
    }
  }

  Deps deps_;
  Win32VisLibraries libraries_;
  SampledLevels levels_;
  VisHost host_;
  VisChoices choices_;
  std::string answer_text_;
  std::unique_ptr<ui::PacedStep> sampling_;
  int sampling_ms_ = kSampleMs;
};

}  // namespace

std::unique_ptr<Visualisation> Visualisation::Create(const Deps& deps) {
  return std::make_unique<VisualisationWin>(deps);
}

}  // namespace velmora
