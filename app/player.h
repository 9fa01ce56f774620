// The player's transport and everything driven by its timers: loading and playing
// playlist entries through the current input plug-in, pause, stop, seek, track changes,
// the fades on the wave-output volume, the 500 ms position tick and the error list.
// Portable: it reaches the world only through the interfaces it is given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/host.h"
#include "app/random.h"
#include "app/settings.h"
#include "playlist/playlist.h"
#include "plugins/input_plugin.h"

namespace velmora {

enum class TransportButton : int { Play, Stop, Pause, FastForward, Rewind, NextTrack, PrevTrack, Open, Count };

// Main-window state beyond the nine display operations. The model owns the state; the
// view only shows it.
class PlayerView {
 public:
  virtual ~PlayerView() = default;
  virtual void SetButtonEnabled(TransportButton button, bool enabled) = 0;
  virtual void SetVolumeSlider(int value) = 0;          // volbar position (0-250)
  virtual void SetVolumeSliderEnabled(bool enabled) = 0;
  virtual void SetVolumeThumb(int image_number) = 0;    // 2 .. 11: Image2 .. Image11
  virtual void SetPauseFadeMenu(bool fadeout_enabled, bool fadein_enabled) = 0;
  // Scrolling title: pixels per step and step interval; enabled = scrolling shown.
  virtual void SetTitleScroll(int pixels, int interval_ms) = 0;
  virtual void SetTitleEnabled(bool enabled) = 0;
  // Time label: hint ("Time Elapsed"/"Time Remaining") and font colour ($00BBGGRR).
  virtual void SetTimeLabelHint(const std::string& hint) = 0;
  virtual void SetTimeLabelColour(uint32_t colour) = 0;
  virtual uint32_t TimeLabelColour() const = 0;
};

class Player {
 public:
  struct Deps {
    Playlist& playlist;
    PluginSelector& selector;
    InputPlugin& plugin;
    Display& display;
    PlayerView& view;
    Host& host;
    Volume& volume;
    PlayerSettings& settings;
    RandomGenerator& random;
  };
  explicit Player(Deps deps);

  // Transport (Part of the main window's operations; every caller ends here).
  bool LoadFile(const std::string& path);
  void Play();
  void Stop();
  void Pause(bool from_fade_timer = false);
  void FastForward();
  void Rewind();
  void NextTrack();
  void PrevTrack();
  void OpenFiles();
  void ShowId3();

  // Guarded commands (keys, menus, tray): test the button's enabled state.
  void Play1();
  void Stop1();
  void Pause1();
  void NextTrack1();
  void PrevTrack1();

  bool ButtonEnabled(TransportButton button) const;
  void SetButtonEnabled(TransportButton button, bool enabled);

  // Timers.
  void OnTimer(TimerId id);

  // Position slider events.
  void PositionSliderFocus(bool focused);
  void PositionSliderChanged(int32_t value);  // value changed
  void PositionSliderReleased();
  void PositionSliderClicked();

  // Volume slider and fades.
  void VolumeSliderChanged(int value);
  void FadeInPlay();
  void FadeOutStop();
  void FadeOutPause();
  void FadeInPause();
  void ToggleFadePlay();
  void ToggleFadeStop();
  void ToggleFadePause();
  int SavedVolume() const;
  void SetSavedVolume(int volume);

  // Time display and title scroll.
  void ShowTimeElapsed();
  void ShowTimeRemaining();
  void TimeLabelClicked();
  void ScrollTitle(bool scroll);
  void TitleClicked();
  void SetTimeColours(uint32_t elapsed, uint32_t remaining);

  // Application-wide error handler: "Error : " + message, appended to the error list.
  void HandleError(const std::string& message);
  const std::vector<std::string>& ErrorList() const;

  int32_t PositionScale() const;
  const std::string& SavedTitle() const;
  const std::string& BaseTitle() const;
  const std::string& CurrentFilePath() const;

 private:
  Deps d_;
  // (private state: owned by the transport implementation)
};

// "Errors on <date> at <time>" followed by the lines; empty when there are no lines.
std::string FormatErrorLog(const std::vector<std::string>& lines, const std::string& date,
                           const std::string& time);

}  // namespace velmora
