// The player's transport and everything driven by its timers: loading and playing
// playlist entries through the current input plug-in, pause, stop, seek, track changes,
// the fades on the wave-output volume, the 500 ms position tick and the error list.
// Portable: it reaches the world only through the interfaces it is given.
//
// Every public operation is an outer boundary: a failure that its own steps do not
// swallow ends up in HandleError (status line and error list) and never escapes to the
// caller, which is usually a window procedure.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/host.h"
#include "playlist/random.h"
#include "app/settings.h"
#include "playlist/playlist.h"
#include "playlist/playlist_transport.h"
#include "plugins/input_plugin.h"
#include "ui/error_list.h"
#include "ui/error_sink.h"

namespace velmora {

enum class TransportButton : int {
  Play,
  Stop,
  Pause,
  FastForward,
  Rewind,
  NextTrack,
  PrevTrack,
  Open,
  Count
};

// Main-window state beyond the nine display operations. The model owns the state; the
// view only shows it.
class PlayerView {
 public:
  virtual ~PlayerView() = default;
  virtual void SetButtonEnabled(TransportButton button, bool enabled) = 0;
  virtual void SetVolumeSlider(int value) = 0;  // volbar position (0-250)
  virtual void SetVolumeSliderEnabled(bool enabled) = 0;
  virtual void SetVolumeThumb(int image_number) = 0;  // 2 .. 11: Image2 .. Image11
  virtual void SetPauseFadeMenu(bool fadeout_enabled, bool fadein_enabled) = 0;
  // Scrolling title: pixels per step and step interval; enabled = scrolling shown.
  virtual void SetTitleScroll(int pixels, int interval_ms) = 0;
  virtual void SetTitleEnabled(bool enabled) = 0;
  // Time label: hint ("Time Elapsed"/"Time Remaining") and font colour ($00BBGGRR).
  virtual void SetTimeLabelHint(const std::string& hint) = 0;
  virtual void SetTimeLabelColour(uint32_t colour) = 0;
  virtual uint32_t TimeLabelColour() const = 0;

};

class Player : public ErrorSink, public PlaylistTransport, public TimerListener {
 public:
  struct Deps {
    Playlist& playlist;
    PluginSelector& selector;
    InputPlugin& plugin;
    Display& display;
    Host& host;
    Volume& volume;
    Settings& settings;
    RandomGenerator& random;
  };
  explicit Player(Deps deps);

  // The main window shows the player's state from when its window exists until it goes
  // (null: nobody shows it). Attaching pushes nothing: Initialise does.
  void AttachView(PlayerView* view);
  // Pushes the model's initial state to the view: transport buttons, volume slider and
  // thumb, the Pause popup, the title scroll. Call once the view is attached.
  void Initialise();

  // Transport (every caller ends here).
  // Takes its own copy: choosing the plug-in runs window messages, and a sort or removal
  // among them may move or free the playlist row the name came from.
  bool LoadFile(std::string path);
  void Play() override;
  void Stop() override;
  void Pause(bool from_fade_timer = false);
  void FastForward();
  void Rewind();
  void NextTrack();
  void PrevTrack();
  void OpenFiles() override;
  void ShowId3();
  // Plays one file outside the playlist (another program asked): the buttons, the index
  // and the position timer stay as they are.
  void PlayOutsidePlaylist(const std::string& path);

  // PlaylistTransport: the Play button becomes usable; the auto-play setting.
  void EnablePlay() override { SetButtonEnabled(TransportButton::Play, true); }
  bool AutoPlay() const override { return d_.settings->autoplay; }

  bool ButtonEnabled(TransportButton button) const;
  void SetButtonEnabled(TransportButton button, bool enabled);

  // Timers: temps, Seektimer and the four fade timers; other ids are ignored.
  void OnTimer(TimerId id) override;

  // Shutdown can begin inside any message pump, in the middle of a load, a track change or
  // a fade. From then on nothing loads, plays, pauses, stops or starts a timer: the
  // interrupted operation ends where it stands and the player's timers are stopped. Returns
  // false when the shutdown had begun already (it happens once).
  bool BeginClosing();
  bool Closing() const { return closing_; }

  // Position slider events.
  void PositionSliderFocus(bool focused);
  void PositionSliderChanged(int32_t value);  // value changed
  // Released at `value` (another program may have set the slider before it says so).
  void PositionSliderReleased(int32_t value);
  void PositionSliderClicked();
  bool SliderTracking() const { return slider_tracking_; }

  // Volume slider and fades.
  // `by_key`: the user moved the focused slider with the keyboard, which counts as a drag.
  void VolumeSliderChanged(int value, bool by_key = false);
  // The volume slider shows `value` (the player keeps what it shows).
  void ShowVolumeSlider(int value);
  // Raises the volume slider's value by one (within its range) and runs its change
  // handling, which shows the built-in thumb picture for the level.
  void RaiseVolumeSliderByOne();
  // A volume key: moves the volume and its slider by `delta` within the slider's range.
  // Mute keeps the level it silenced and a second Mute brings it back.
  void ChangeVolumeBy(int delta);
  void ToggleMute();
  // The loaded file is paused (as its plug-in says).
  bool Paused() const;
  void FadeInPlay();
  void FadeOutStop();
  void FadeOutPause();
  void FadeInPause();
  void ToggleFadePlay();
  void ToggleFadeStop();
  void ToggleFadePause();
  int SavedVolume() const;
  void SetSavedVolume(int volume);
  // Set when the design brings its own volume ruler: the thumb then keeps its picture.
  void SetVolumeRulerImage(bool on) { volume_ruler_image_ = on; }
  bool VolumeRulerImage() const { return volume_ruler_image_; }
  // The Pause popup's entries ("Fadeout", "Fadein").
  bool PauseFadeOutEnabled() const { return pause_fadeout_enabled_; }
  bool PauseFadeInEnabled() const { return pause_fadein_enabled_; }

  // Time display and title scroll.
  void ShowTimeElapsed();
  void ShowTimeRemaining();
  void TimeLabelClicked();
  bool TimeRemainingMode() const { return time_remaining_mode_; }
  const std::string& TimeLabelHint() const { return time_hint_; }
  void ScrollTitle(bool scroll);
  void TitleClicked();
  void SetTimeColours(uint32_t elapsed, uint32_t remaining);
  uint32_t ElapsedTimeColour() const { return elapsed_colour_; }
  uint32_t RemainingTimeColour() const { return remaining_colour_; }
  // Hiding or deactivating the window pauses a scrolling title (interval 499);
  // showing or activating resumes only such a pause, never the user's "Do not Scroll".
  void PauseTitleScroll();
  void ResumeTitleScroll();
  bool TitleScrolling() const { return title_interval_ == kScrollInterval; }
  int TitleScrollInterval() const { return title_interval_; }

  // The hint handler: the long part of a hint (after "|") goes to the status line.
  void ShowHint(const std::string& hint);

  // Application-wide error handler: "Error : " + message, appended to the error list.
  void HandleError(const std::string& message);
  void Report(const std::string& message) override { HandleError(message); }
  const std::vector<std::string>& ErrorList() const;
  // The error list itself, for those who show it as it grows.
  velmora::ErrorList& Errors() { return errors_; }
  // Appends the error list to the log file at file_path (see AppendErrorLog).
  void WriteErrorLog(const std::string& file_path, const std::string& date,
                     const std::string& time) const;

  int32_t PositionScale() const;
  const std::string& SavedTitle() const;
  const std::string& BaseTitle() const;
  void SetBaseTitle(const std::string& title) { base_title_ = title; }
  const std::string& CurrentFilePath() const;
  // The total-time text of the loaded file ("mm:ss").
  const std::string& TotalTimeText() const { return total_time_text_; }

  static constexpr int kScrollInterval = 50;
  static constexpr int kNoScrollInterval = 500;
  static constexpr int kPausedScrollInterval = 499;

 private:
  // Fade state for the two fade-in and the two fade-out timers.
  struct FadeState {
    bool in_tick = false;
    bool resume_pending = false;  // fade-in: Play/Pause not yet called for this fade
    int last_level = -1;          // level read at the previous tick (-1: first tick)
  };

  // Versions of the public operations that let failures propagate, so that a chain
  // (Next -> Play -> load) is cut where its caller's guard says.
  // Play itself, and once more for each Play asked meanwhile (see Play).
  void PlayImpl();
  void PlayOnce();
  void StopImpl(bool from_fade);
  void PauseImpl(bool from_fade_timer);
  void NextTrackImpl();
  void PrevTrackImpl();
  void SliderReleaseImpl();
  void PauseFadeOutImpl();
  void PauseFadeInImpl();
  // Runs body unless the shutdown has begun; a failure it lets through goes to
  // HandleError and stops there.
  template <typename Body>
  void Boundary(Body&& body) {
    if (!closing_) Run(body);
  }
  // After eleven failed loads: the next track, unless every entry has failed in a row.
  bool SkipAfterFailedLoads();

  void PositionTick();
  void SeekTimerTick();
  void FadeOutTick(TimerId id);
  void FadeInTick(TimerId id);
  void BeginFadeIn(TimerId id);
  void BeginFadeOut(TimerId id);
  FadeState& Fade(TimerId id);

  void SetCurrentIndex(int32_t index);
  // Lets window messages run; false when the shutdown began meanwhile, and the caller then
  // stops where it is.
  bool ProcessMessages();
  // Starts a timer of the player unless the shutdown has begun.
  void StartTimer(TimerId id);
  void SetVolumeAndSlider(int level);
  void UpdateVolumeThumb(int value);
  void SetPauseMenu(bool fadeout_enabled, bool fadein_enabled);
  void ApplyTitleScroll(int interval);
  // The position slider's value as the player last showed it or the user moved it.
  int32_t SliderValue() const { return slider_value_; }
  void SetSliderValue(int32_t value);
  // A position shown through the display (the slider, or an active design library).
  void ShowSliderPosition(int32_t value);

  Deps d_;
  PlayerView* view_;
  std::array<bool, static_cast<size_t>(TransportButton::Count)> buttons_{};
  int32_t position_scale_ = 5000;
  int32_t slider_value_ = 0;
  int32_t slider_max_ = INT32_MAX;  // the slider's range, once a file has set it
  int saved_volume_ = 0;
  int volume_slider_ = 0;  // the value the volume slider shows
  int muted_level_ = 0;    // the level Mute silenced, 0 when not muted
  bool volume_ruler_image_ = false;
  bool slider_tracking_ = false;
  std::string saved_title_;
  std::string base_title_ = "ORVANE Velmora";
  std::string current_file_path_;
  std::string total_time_text_ = "00:00";
  bool pause_fadeout_enabled_ = true;
  bool pause_fadein_enabled_ = false;
  bool time_remaining_mode_ = false;
  std::string time_hint_ = "Time ";
  uint32_t elapsed_colour_ = 0;
  uint32_t remaining_colour_ = 0;
  int title_interval_ = kScrollInterval;
  velmora::ErrorList errors_;

  // Re-entry control: window messages run inside loads, ticks and fades.
  bool closing_ = false;
  int loading_depth_ = 0;
  bool position_tick_running_ = false;
  unsigned stop_count_ = 0;  // Stop calls so far: a tick must not revive a stopped timer
  bool in_skip_chain_ = false;
  int play_depth_ = 0;             // PlayImpl calls under way
  bool play_asked_again_ = false;  // a Play came in meanwhile: made after them
  // The last LoadFile failed because the plug-in faulted in it: trying again cannot help.
  bool load_faulted_ = false;
  bool skip_again_ = false;
  FadeState play_fade_, stop_fade_, fadein_fade_, fadeout_fade_;
};

// "Errors on <date> at <time>" followed by the lines, each ending in CR LF; empty when
// there are no lines.
std::string FormatErrorLog(const std::vector<std::string>& lines, const std::string& date,
                           const std::string& time);

// Appends FormatErrorLog(...) to the file, creating it when missing (an empty list then
// leaves a new, empty file; an existing file is left unchanged). Throws
// std::runtime_error when the file cannot be opened or written.
void AppendErrorLog(const std::string& file_path, const std::vector<std::string>& lines,
                    const std::string& date, const std::string& time);

// The long part of a hint: the text after the first "|", or the whole hint.
std::string LongHint(const std::string& hint);

// The minutes and seconds text of the position display: the first two characters of
// TwoDigits of each ("10:00" for 6,000,000 ms).
std::string PositionTimeText(int64_t milliseconds);

}  // namespace velmora
