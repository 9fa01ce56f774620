// The transport: loading a playlist entry into the current input plug-in, play, stop,
// pause, seeking with the position slider, track changes and the open dialog.
#include "app/player.h"

#include <algorithm>
#include <limits>

#include "design/skin_archive.h"
#include "playlist/playlist_ops.h"

namespace velmora {

namespace {

constexpr char kInitialSongTitle[] =
    "No file loaded  (Click here to disable me and to win a lot of CPU time !)        ";

// Attempts at loading one entry before Play gives up on it and moves on.
constexpr int kLoadRetries = 10;

// A slider position times the scale, kept inside what the plug-in's 32-bit entry takes.
int32_t SliderToMilliseconds(int32_t value, int32_t scale) {
  const int64_t ms = static_cast<int64_t>(value) * scale;
  return static_cast<int32_t>(std::clamp<int64_t>(ms, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

std::string MinutesSeconds(int64_t ms) {
  return TwoDigits(ms / 60000) + ":" + TwoDigits((ms / 1000) % 60);
}

// Counts an operation that lets messages run, so timer ticks arriving inside know.
class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

// Stands in for the main window before it exists and after it is gone.
class NoPlayerView : public PlayerView {
 public:
  void SetButtonEnabled(TransportButton, bool) override {}
  void SetVolumeSlider(int) override {}
  void SetVolumeSliderEnabled(bool) override {}
  void SetVolumeThumb(int) override {}
  void SetPauseFadeMenu(bool, bool) override {}
  void SetTitleScroll(int, int) override {}
  void SetTitleEnabled(bool) override {}
  void SetTimeLabelHint(const std::string&) override {}
  void SetTimeLabelColour(uint32_t) override {}
  uint32_t TimeLabelColour() const override { return 0x00FFFFFF; }
};

NoPlayerView g_no_view;

}  // namespace

Player::Player(Deps deps) : d_(deps), view_(&g_no_view), saved_title_(kInitialSongTitle) {
  buttons_[static_cast<size_t>(TransportButton::Open)] = true;
  // The volume slider runs from 0 to 250; the level to return to is the slider's value.
  saved_volume_ = std::clamp(d_.volume.Get(), 0, 250);
}

void Player::AttachView(PlayerView* view) { view_ = view ? view : &g_no_view; }

void Player::Initialise() {
  for (size_t i = 0; i < buttons_.size(); ++i)
    view_->SetButtonEnabled(static_cast<TransportButton>(i), buttons_[i]);
  ShowVolumeSlider(saved_volume_);
  if (!volume_ruler_image_) UpdateVolumeThumb(saved_volume_);
  view_->SetPauseFadeMenu(pause_fadeout_enabled_, pause_fadein_enabled_);
  view_->SetTimeLabelHint(time_hint_);
}

// ---------------------------------------------------------------------------------------
// Buttons and small state

bool Player::ButtonEnabled(TransportButton button) const {
  const auto i = static_cast<size_t>(button);
  return i < buttons_.size() && buttons_[i];
}

void Player::SetButtonEnabled(TransportButton button, bool enabled) {
  const auto i = static_cast<size_t>(button);
  if (i >= buttons_.size() || buttons_[i] == enabled) return;
  buttons_[i] = enabled;
  view_->SetButtonEnabled(button, enabled);
}

int32_t Player::PositionScale() const { return position_scale_; }
const std::string& Player::SavedTitle() const { return saved_title_; }
const std::string& Player::BaseTitle() const { return base_title_; }
const std::string& Player::CurrentFilePath() const { return current_file_path_; }

void Player::SetCurrentIndex(int32_t index) { d_.playlist.SetCurrentIndex(index); }

bool Player::ProcessMessages() {
  d_.host.ProcessMessages();
  return !closing_;
}

void Player::StartTimer(TimerId id) {
  if (!closing_) d_.host.StartTimer(id);
}

bool Player::BeginClosing() {
  if (closing_) return false;
  closing_ = true;
  for (TimerId id : {TimerId::Position, TimerId::SeekStatus, TimerId::PlayFadeIn,
                     TimerId::StopFadeOut, TimerId::PauseFadeIn, TimerId::PauseFadeOut})
    d_.host.StopTimer(id);
  return true;
}

void Player::SetSliderValue(int32_t value) {
  slider_value_ = std::clamp(value, 0, std::max(slider_max_, 0));
  d_.display.View().SetPositionValue(slider_value_);
}

void Player::ShowSliderPosition(int32_t value) {
  slider_value_ = std::clamp(value, 0, std::max(slider_max_, 0));
  d_.display.ShowPosition(value);
}

// ---------------------------------------------------------------------------------------
// LoadFile

// Returns false when the attempt failed and may be retried; a file that cannot be played
// at all, and a load cut short by the shutdown, return true.
bool Player::LoadFile(std::string path) {
  load_faulted_ = false;
  if (closing_) return true;
  DepthGuard loading(loading_depth_);
  Display& display = d_.display;
  InputPlugin& plugin = d_.plugin;

  // A name without a "." has no extension and so no plug-in to play it.
  bool supported = false;
  try {
    const size_t dot = path.rfind('.');
    supported = dot != std::string::npos && d_.selector.IsSupportedExtension(path.substr(dot + 1));
  } catch (...) {
    supported = false;  // told below as any file without a plug-in to play it
  }
  if (!supported) {
    display.ShowStatus("Non-supported file");
    return true;
  }

  try {
    display.ShowStatus("Loading file...");
    d_.selector.SelectPluginForFile(path);
    current_file_path_ = path;

    const std::string index_text = std::to_string(d_.playlist.CurrentIndex());
    std::string title;
    bool loaded = false;
    if (!path.empty() && path[0] == '*') {
      if (plugin.Has(PluginEntry::webload)) {
        current_file_path_ = path.substr(1);
        title = index_text + plugin.webload(current_file_path_);
        loaded = true;
      }
    } else {
      // Called without a presence test: a plug-in that cannot load fails the attempt.
      title = index_text + plugin.load(current_file_path_);
      loaded = true;
    }
    d_.playlist.SetPlayingLabel(title);

    if (!loaded) {
      display.ShowStatus("WebFetch not supported with this file!");
      return true;
    }

    d_.host.SetApplicationTitle(base_title_ + " - " + title);
    if (plugin.Has(PluginEntry::frequence)) display.ShowFrequency(plugin.frequence());
    if (plugin.Has(PluginEntry::bitrate)) display.ShowBitrate(plugin.bitrate());
    if (plugin.Has(PluginEntry::layer)) display.ShowLayer(plugin.layer());
    SetButtonEnabled(TransportButton::Play, true);
    SetButtonEnabled(TransportButton::NextTrack, true);
    SetButtonEnabled(TransportButton::PrevTrack, true);

    if (!ProcessMessages()) return true;
    const int32_t length = plugin.length();
    if (!ProcessMessages()) return true;

    // The slider holds at most 65,535 units. Lengths just above that would give a scale
    // of 0, so the scale never drops below one millisecond per unit.
    position_scale_ = length >= 65535 ? std::max<int32_t>(1, length / 65535 - 1) : 10;

    if (!ProcessMessages()) return true;
    slider_max_ = length / position_scale_;
    display.SetPositionMax(slider_max_);
    ShowSliderPosition(0);

    // A length past a hundred hours (the largest number, what some plug-ins answer for "not
    // known") or below zero is no length at all.
    constexpr int32_t kLongestLength = 100 * 3600 * 1000;
    const std::string total =
        length < 0 || length > kLongestLength ? "00:00" : MinutesSeconds(length);
    total_time_text_ = total;
    display.ShowTotalTime(total);

    if (!ProcessMessages()) return true;
    display.ShowSongTitle(title);
    const std::string scroll_text = title + "    <" + total + ">          ";
    display.ShowSongTitle(scroll_text);
    saved_title_ = scroll_text;
    display.ShowStatus("Loaded ...");
    return true;
  } catch (const PluginCrashed&) {
    load_faulted_ = true;
    try {
      display.ShowStatus("File not loaded correctly... Retrying");
    } catch (...) {
      // The load has failed either way and says so by its result; a status line that
      // fails as well adds nothing the caller could act on.
    }
    return false;
  } catch (...) {
    // A file that cannot be loaded is told on the status line; the caller goes on
    // with the next one or tries again.
    try {
      display.ShowStatus("File not loaded correctly... Retrying");
    } catch (...) {
      // As above: the failed load is told by the result.
    }
    return false;
  }
}

// ---------------------------------------------------------------------------------------
// Play, Stop, Pause

void Player::Play() {
  // A press, another program's request or a drop's auto-play may come in among the window
  // messages a Play lets through while it loads or skips a file: it is made when that Play
  // has ended, against the state it leaves. (Made at once it would load the entry the
  // running Play is about to skip.)
  if (play_depth_ > 0) {
    play_asked_again_ = true;
    return;
  }
  Boundary([this] { PlayImpl(); });
}

void Player::PlayImpl() {
  const bool outermost = play_depth_ == 0;
  if (outermost) play_asked_again_ = false;
  {
    DepthGuard playing(play_depth_);
    PlayOnce();
  }
  while (outermost && play_asked_again_ && !closing_) {
    play_asked_again_ = false;
    DepthGuard playing(play_depth_);
    PlayOnce();
  }
}

void Player::PlayOnce() {
  if (closing_) return;
  Playlist& playlist = d_.playlist;
  Display& display = d_.display;

  if (playlist.Empty()) {
    display.ShowStatus("No files in playlist !");
    SetButtonEnabled(TransportButton::Play, false);
  } else if (d_.settings->Fadeplay && !d_.host.TimerRunning(TimerId::PlayFadeIn)) {
    // The fade's first tick comes back here with PlayTimer running.
    BeginFadeIn(TimerId::PlayFadeIn);
  } else {
    if (d_.plugin.PlayingReportsTrue()) StopImpl(false);

    int retries = 0;
    while (!LoadFile(playlist.Path(playlist.CurrentIndex()))) {
      // A plug-in that faulted on the file faults again: the file is skipped at once.
      if (retries == kLoadRetries || load_faulted_) {
        display.ShowStatus("Failed loading the file ... Skipping");
        if (!ProcessMessages() || !SkipAfterFailedLoads()) return;
        StartTimer(TimerId::Position);
        return;
      }
      ++retries;
      for (int i = 0; i < 3; ++i)
        if (!ProcessMessages()) return;
    }
    if (closing_) return;

    const int32_t index = playlist.CurrentIndex();
    if (playlist.SelectedCount() <= 1 && index >= 0 &&
        static_cast<size_t>(index) < playlist.Count())
      playlist.SelectOnly(static_cast<size_t>(index));

    // The plug-in has the file loaded already; play receives the entry's display name.
    current_file_path_ = playlist.DisplayName(playlist.CurrentIndex());
    d_.plugin.play(current_file_path_);  // no presence test: a failure reaches HandleError

    // A fade-out still running belonged to the file played before; left alone it would
    // end by stopping or pausing this one.
    bool fade_cancelled = false;
    for (TimerId fade : {TimerId::StopFadeOut, TimerId::PauseFadeOut}) {
      if (!d_.host.TimerRunning(fade)) continue;
      d_.host.StopTimer(fade);
      fade_cancelled = true;
    }
    if (fade_cancelled) {
      view_->SetVolumeSliderEnabled(true);
      SetPauseMenu(true, false);
    }

    SetButtonEnabled(TransportButton::Stop, true);
    SetButtonEnabled(TransportButton::Pause, true);
    SetButtonEnabled(TransportButton::FastForward, true);
    SetButtonEnabled(TransportButton::Rewind, true);

    if (d_.volume.Get() != saved_volume_ && !d_.host.TimerRunning(TimerId::PlayFadeIn))
      SetVolumeAndSlider(saved_volume_);
  }
  StartTimer(TimerId::Position);
}

// Skipping is Next, whose Play may fail and skip again. Done as nested calls, a playlist
// in which nothing loads (a drive gone, a plug-in removed) would recurse without end,
// so nested skips hand back to the outermost one, which moves on in a loop and stops
// once as many entries as the playlist holds have failed in a row.
bool Player::SkipAfterFailedLoads() {
  if (in_skip_chain_) {
    skip_again_ = true;
    return true;
  }
  struct ChainGuard {
    bool& flag;
    ~ChainGuard() { flag = false; }
  } guard{in_skip_chain_};
  in_skip_chain_ = true;

  size_t failed_entries = 0;
  do {
    skip_again_ = false;
    if (++failed_entries >= d_.playlist.Count()) {
      d_.display.ShowStatus("No playable file in playlist !");
      return false;
    }
    NextTrackImpl();
  } while (skip_again_ && !closing_);
  return true;
}

void Player::Stop() {
  Boundary([this] { StopImpl(false); });
}

void Player::StopImpl(bool from_fade) {
  if (closing_) return;
  Display& display = d_.display;
  ++stop_count_;
  if (!from_fade && d_.settings->Fadestop && !d_.host.TimerRunning(TimerId::StopFadeOut) &&
      d_.volume.Get() > 5) {
    display.ShowStatus("Fade out started");
    saved_volume_ = d_.volume.Get();
    BeginFadeOut(TimerId::StopFadeOut);
    d_.host.StopTimer(TimerId::Position);
    return;
  }

  d_.host.StopTimer(TimerId::Position);
  display.ShowStatus("Stopped");
  d_.playlist.SetPlayingLabel("none");
  try {
    if (d_.plugin.PlayingReportsTrue() && d_.plugin.Has(PluginEntry::stop)) d_.plugin.stop();
  } catch (...) {
    display.ShowStatus("Failed to stop");  // the user is told where the state is shown
  }
  SetButtonEnabled(TransportButton::Stop, false);
  SetButtonEnabled(TransportButton::Play, true);
  SetButtonEnabled(TransportButton::FastForward, false);
  SetButtonEnabled(TransportButton::Pause, false);
  SetButtonEnabled(TransportButton::Rewind, false);
  SetButtonEnabled(TransportButton::Open, true);
  display.ShowPositionTime("00:00");
  d_.host.StopTimer(TimerId::Position);
}

void Player::Pause(bool from_fade_timer) {
  Boundary([this, from_fade_timer] { PauseImpl(from_fade_timer); });
}

void Player::PauseImpl(bool from_fade_timer) {
  if (closing_) return;
  InputPlugin& plugin = d_.plugin;
  if (d_.settings->Fadepause && !from_fade_timer) {
    if (plugin.PausedReportsTrue())
      PauseFadeInImpl();
    else
      PauseFadeOutImpl();
    return;
  }

  try {
    if (plugin.Has(PluginEntry::pause)) plugin.pause();
  } catch (...) {
    // A plug-in that cannot pause keeps playing; the state below says so.
  }

  if (!plugin.Has(PluginEntry::paused) || plugin.paused()) {
    d_.display.ShowStatus("Paused");
    if (d_.host.LeftButtonDown()) saved_volume_ = d_.volume.Get();
    SetPauseMenu(false, true);
  } else {
    d_.display.ShowStatus("Playing");
    SetPauseMenu(true, false);
    if (!d_.host.TimerRunning(TimerId::PauseFadeIn)) SetVolumeAndSlider(saved_volume_);
  }
}

// ---------------------------------------------------------------------------------------
// Seeking

void Player::FastForward() {
  Boundary([this] {
    SetSliderValue(SliderValue() + 4);
    SliderReleaseImpl();
    d_.display.ShowStatus("Fast Forward");
  });
}

void Player::Rewind() {
  Boundary([this] {
    const int32_t value = SliderValue();
    SetSliderValue(value < 4 ? 0 : value - 3);
    d_.display.ShowStatus("Fast Rewind");
    SliderReleaseImpl();
  });
}

void Player::PositionSliderFocus(bool focused) { slider_tracking_ = focused; }

void Player::PositionSliderChanged(int32_t value) {
  Boundary([this, value] {
    slider_value_ = value;
    if (!d_.host.LeftButtonDown() || !slider_tracking_) return;
    const int32_t t = SliderToMilliseconds(value, position_scale_);
    if (d_.plugin.PlayingReportsTrue())
      d_.display.ShowStatus("Seeking to : " + MinutesSeconds(t) + "/" + total_time_text_);
    // Shift held: follow the slider while it moves.
    if (d_.host.ShiftDown() && d_.plugin.Has(PluginEntry::jumpto)) d_.plugin.jumpto(t);
  });
}

void Player::PositionSliderReleased(int32_t value) {
  Boundary([this, value] {
    slider_value_ = value;
    SliderReleaseImpl();
  });
}

void Player::SliderReleaseImpl() {
  // Where to go is taken now: a position tick run while the status is shown moves the
  // slider back to where the song is.
  const int32_t target_ms = SliderToMilliseconds(SliderValue(), position_scale_);
  if (d_.plugin.PlayingReportsTrue()) {
    d_.display.ShowStatus("Playing");
    d_.display.ShowSongTitle(saved_title_);
    view_->SetTitleEnabled(true);
    if (!ProcessMessages()) return;
    try {
      if (d_.plugin.Has(PluginEntry::jumpto))
        d_.plugin.jumpto(target_ms);
    } catch (...) {
      d_.display.ShowStatus("Failed skipping");  // told where the position is shown
    }
    if (!ProcessMessages()) return;
  } else {
    SetSliderValue(0);
  }
  StartTimer(TimerId::SeekStatus);
}

void Player::PositionSliderClicked() {
  Boundary([this] {
    if (!d_.plugin.PlayingReportsTrue()) {
      SetSliderValue(0);
      return;
    }
    if (d_.plugin.Has(PluginEntry::jumpto))
      d_.plugin.jumpto(SliderToMilliseconds(SliderValue(), position_scale_));
    StartTimer(TimerId::SeekStatus);
    slider_tracking_ = true;
  });
}

// ---------------------------------------------------------------------------------------
// Track changes

void Player::NextTrack() {
  Boundary([this] { NextTrackImpl(); });
}

void Player::NextTrackImpl() {
  d_.display.ShowStatus("Going to next track");
  if (d_.plugin.PlayingReportsTrue()) StopImpl(false);
  if (!ProcessMessages()) return;

  const auto count = static_cast<int32_t>(d_.playlist.Count());
  int32_t index = d_.settings->Randomplay ? d_.random.Next(count) : d_.playlist.CurrentIndex() + 1;
  if (index > count - 1) index = 0;
  SetCurrentIndex(index);
  if (d_.settings->autoplay) PlayImpl();
}

void Player::PrevTrack() {
  Boundary([this] { PrevTrackImpl(); });
}

void Player::PrevTrackImpl() {
  d_.display.ShowStatus("Going to previous track");
  if (d_.plugin.PlayingReportsTrue()) StopImpl(false);

  const auto count = static_cast<int32_t>(d_.playlist.Count());
  int32_t index = d_.settings->Randomplay ? d_.random.Next(count) : d_.playlist.CurrentIndex() - 1;
  // The index is not corrected when rows are removed, so it may lie beyond the end;
  // an empty list keeps index 0 rather than -1.
  if (index < 0 || index > count - 1) index = std::max(count - 1, 0);
  SetCurrentIndex(index);
  if (d_.settings->autoplay) PlayImpl();
}

// ---------------------------------------------------------------------------------------
// Open dialog, ID3, guarded commands

void Player::OpenFiles() {
  Boundary([this] {
    Playlist& playlist = d_.playlist;
    // The track count is brought up to date however this ends.
    struct TrackCountUpdate {
      Playlist& playlist;
      ~TrackCountUpdate() {
        try {
          playlist.UpdateTrackCount();
        } catch (...) {
          // Discarded: a destructor may not throw; the count is brought up to date by the
          // next change of the list.
        }
      }
    } update{playlist};

    d_.display.ShowStatus("Opening");
    SetCurrentIndex(0);
    for (const std::string& file : d_.host.ShowOpenDialog()) {
      if (IsSkinArchiveName(file))
        d_.host.OpenSkinArchive(file);
      else if (file.find(".m3u") != std::string::npos)
        playlist.LoadPlaylistFile(file);
      else
        playlist.AddToPlaylist(file);
    }
    if (d_.settings->autoplay && IdleForAutoPlay(d_.plugin))
      PlayImpl();
    else
      SetButtonEnabled(TransportButton::Play, true);
  });
}

void Player::PlayOutsidePlaylist(const std::string& path) {
  Boundary([this, &path] {
    InputPlugin& plugin = d_.plugin;
    try {
      if (plugin.PlayingReportsTrue() && plugin.Has(PluginEntry::stop)) plugin.stop();
    } catch (const PluginFault&) {
      // A plug-in that cannot stop is replaced by the load below all the same.
    }
    LoadFile(path);
    if (closing_ || !plugin.Has(PluginEntry::play)) return;
    try {
      plugin.play(current_file_path_);
    } catch (const PluginFault&) {
      // Nothing plays; the status line says what the load said.
    }
  });
}

void Player::ShowId3() {
  Boundary([this] {
    if (d_.plugin.Has(PluginEntry::showid3)) d_.plugin.showid3();
  });
}

// ---------------------------------------------------------------------------------------
// Timers

void Player::OnTimer(TimerId id) {
  Boundary([this, id] {
    switch (id) {
      case TimerId::Position: PositionTick(); break;
      case TimerId::SeekStatus: SeekTimerTick(); break;
      case TimerId::PlayFadeIn:
      case TimerId::PauseFadeIn: FadeInTick(id); break;
      case TimerId::StopFadeOut:
      case TimerId::PauseFadeOut: FadeOutTick(id); break;
      default: break;  // timers of other windows
    }
  });
}

}  // namespace velmora

namespace velmora {

bool Player::Paused() const {
  try {
    return d_.plugin.PausedReportsTrue();
  } catch (...) {
    return false;  // a plug-in that cannot say is taken as not paused
  }
}

}  // namespace velmora
