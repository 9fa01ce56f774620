// Fades on the wave-output volume (five units every 30 ms) and the volume slider.
#include "app/player.h"

#include <algorithm>
#include <cstdlib>

namespace velmora {

namespace {

// The slider's percentage of a level (0-250 -> 0-100).
int Percent(int level) { return level * 10 / 25; }

// A fade-in starts here, just below the level at which it resumes playback.
constexpr int kFadeInStart = 4;
constexpr int kVolumeSliderMax = 250;
constexpr int kFadeStep = 5;

class TickGuard {
 public:
  explicit TickGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~TickGuard() { flag_ = false; }
  TickGuard(const TickGuard&) = delete;
  TickGuard& operator=(const TickGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace

Player::FadeState& Player::Fade(TimerId id) {
  switch (id) {
    case TimerId::PlayFadeIn: return play_fade_;
    case TimerId::StopFadeOut: return stop_fade_;
    case TimerId::PauseFadeIn: return fadein_fade_;
    default: return fadeout_fade_;
  }
}

int Player::SavedVolume() const { return saved_volume_; }
void Player::SetSavedVolume(int volume) { saved_volume_ = volume; }

void Player::UpdateVolumeThumb(int value) {
  if (value <= 20) return;  // the quietest range keeps whatever picture it has
  const int image = value > 200 ? 11 : (value - 1) / 20 + 1;
  view_->SetVolumeThumb(image);
}

void Player::SetVolumeAndSlider(int level) {
  d_.volume.Set(level);
  ShowVolumeSlider(level);
  if (!volume_ruler_image_) UpdateVolumeThumb(level);
}

void Player::ShowVolumeSlider(int value) {
  volume_slider_ = std::clamp(value, 0, kVolumeSliderMax);  // the slider keeps its range
  view_->SetVolumeSlider(value);
}

void Player::RaiseVolumeSliderByOne() {
  const int value = std::min(volume_slider_ + 1, kVolumeSliderMax);
  ShowVolumeSlider(value);
  VolumeSliderChanged(value);
}

void Player::ChangeVolumeBy(int delta) {
  Boundary([this, delta] {
    const int level = std::clamp(volume_slider_ + delta, 0, kVolumeSliderMax);
    muted_level_ = 0;
    SetVolumeAndSlider(level);
    saved_volume_ = level;
    d_.display.ShowStatus("Volume : " + std::to_string(Percent(level)) + "%");
  });
}

void Player::ToggleMute() {
  Boundary([this] {
    int level = 0;
    if (muted_level_ > 0 && volume_slider_ == 0) {
      level = muted_level_;
      muted_level_ = 0;
    } else {
      muted_level_ = volume_slider_;
    }
    SetVolumeAndSlider(level);
    saved_volume_ = level;
    d_.display.ShowStatus("Volume : " + std::to_string(Percent(level)) + "%");
  });
}

void Player::SetPauseMenu(bool fadeout_enabled, bool fadein_enabled) {
  pause_fadeout_enabled_ = fadeout_enabled;
  pause_fadein_enabled_ = fadein_enabled;
  view_->SetPauseFadeMenu(fadeout_enabled, fadein_enabled);
}

void Player::VolumeSliderChanged(int value, bool by_key) {
  volume_slider_ = std::clamp(value, 0, kVolumeSliderMax);
  Boundary([this, value, by_key] {
    if (by_key || d_.host.LeftButtonDown()) {
      d_.volume.Set(value);
      saved_volume_ = value;
      d_.display.ShowStatus("Volume : " + std::to_string(Percent(value)) + "%");
    }
    if (!volume_ruler_image_) UpdateVolumeThumb(value);
  });
}

void Player::BeginFadeIn(TimerId id) {
  d_.volume.Set(kFadeInStart);
  FadeState& fade = Fade(id);
  fade.resume_pending = true;
  fade.last_level = -1;
  StartTimer(id);
}

void Player::BeginFadeOut(TimerId id) {
  Fade(id).last_level = -1;
  StartTimer(id);
}

void Player::FadeInPlay() {
  Boundary([this] { BeginFadeIn(TimerId::PlayFadeIn); });
}

void Player::FadeOutStop() {
  Boundary([this] {
    d_.display.ShowStatus("Fade out started");
    saved_volume_ = d_.volume.Get();
    BeginFadeOut(TimerId::StopFadeOut);
  });
}

void Player::FadeOutPause() {
  Boundary([this] { PauseFadeOutImpl(); });
}
void Player::FadeInPause() {
  Boundary([this] { PauseFadeInImpl(); });
}

void Player::PauseFadeOutImpl() {
  d_.display.ShowStatus("Fade out started");
  SetPauseMenu(false, true);
  saved_volume_ = d_.volume.Get();
  BeginFadeOut(TimerId::PauseFadeOut);
}

void Player::PauseFadeInImpl() {
  d_.volume.Set(kFadeInStart);
  SetPauseMenu(true, false);
  FadeState& fade = Fade(TimerId::PauseFadeIn);
  fade.resume_pending = true;
  fade.last_level = -1;
  StartTimer(TimerId::PauseFadeIn);
}

// A device that does not follow the writes (none present, or another program holding
// the level) would keep a fade running for ever; a fade that makes no progress from one
// tick to the next therefore ends as if it had reached its goal.

void Player::FadeOutTick(TimerId id) {
  FadeState& fade = Fade(id);
  if (fade.in_tick || !d_.host.TimerRunning(id)) return;
  TickGuard in_tick(fade.in_tick);

  int level = d_.volume.Get();
  const bool stuck = fade.last_level >= 0 && level >= fade.last_level;
  fade.last_level = level;
  if (level > 4 && !stuck) {
    d_.display.ShowStatus("Fade out : volume at " + std::to_string(Percent(level)) + "%");
    view_->SetVolumeSliderEnabled(false);
    level -= kFadeStep;
    SetVolumeAndSlider(level);
  } else {
    d_.display.ShowStatus("Fade out done");
    view_->SetVolumeSliderEnabled(true);
    d_.host.StopTimer(id);
    if (id == TimerId::StopFadeOut)
      StopImpl(true);
    else
      PauseImpl(true);
  }
  d_.host.ProcessMessages();
}

void Player::FadeInTick(TimerId id) {
  FadeState& fade = Fade(id);
  if (fade.in_tick || !d_.host.TimerRunning(id)) return;
  TickGuard in_tick(fade.in_tick);

  int level = d_.volume.Get();
  if (level < kFadeStep && fade.resume_pending) {
    // Once per fade: the volume is low enough to start (or resume) unheard.
    fade.resume_pending = false;
    if (id == TimerId::PlayFadeIn)
      PlayImpl();
    else
      PauseImpl(true);
    view_->SetVolumeSliderEnabled(false);
    d_.display.ShowStatus("Fade in started");
  }
  const bool stuck = fade.last_level >= 0 && level <= fade.last_level;
  fade.last_level = level;
  if (std::abs(level - saved_volume_) > 4 && !stuck) {
    level += kFadeStep;
    SetVolumeAndSlider(level);
    d_.display.ShowStatus("Fade in : volume at " + std::to_string(Percent(level)) + "%");
  } else {
    d_.host.StopTimer(id);
    view_->SetVolumeSliderEnabled(true);
    d_.display.ShowStatus("Fade in done");
  }
  d_.host.ProcessMessages();
}

void Player::ToggleFadePlay() {
  Boundary([this] { d_.settings.Set(&PlayerSettings::Fadeplay, !d_.settings->Fadeplay); });
}

void Player::ToggleFadeStop() {
  Boundary([this] { d_.settings.Set(&PlayerSettings::Fadestop, !d_.settings->Fadestop); });
}

void Player::ToggleFadePause() {
  Boundary([this] { d_.settings.Set(&PlayerSettings::Fadepause, !d_.settings->Fadepause); });
}

}  // namespace velmora
