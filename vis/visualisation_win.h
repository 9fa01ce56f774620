// The visualisation host on Windows: the plug-in list of the options page, the run of the
// chosen module ("Execute" > "Visualisation Plugin") and the hidden window handed to the
// modules as their parent, which answers the questions plug-ins ask their player with
// WM_USER messages (see the README).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "vis/vis_choices.h"

namespace velmora {

class ErrorSink;
class PeakMeter;
class Playlist;
class PluginSystem;

// The stored choice "Use the playing sound": modules get the waveform and spectrum of the
// samples the input plug-in sounds (where it offers them) instead of the meter levels.
class VisSoundSetting {
 public:
  virtual ~VisSoundSetting() = default;
  virtual bool UsePlayingSound() const = 0;
  virtual void SetUsePlayingSound(bool use) = 0;
};

// What the main window's menu and the shutdown ask of the host.
class VisualisationCommands {
 public:
  virtual ~VisualisationCommands() = default;
  // "Execute" > "Visualisation Plugin": a message box, then a stop when a run is on,
  // else a start of the chosen module.
  virtual void StartOrStop() = 0;
  // The shutdown: stops a run (without the message box).
  virtual void StopRunning() = 0;
};

class Visualisation : public VisualisationCommands {
 public:
  struct Deps {
    HWND main_window;  // the parent of Config
    PluginSystem& plugins;
    Playlist& playlist;
    PeakMeter& meter;
    ErrorSink& errors;
    VisSoundSetting& sound_setting;
    // Full path of the current input plug-in library, "" when none (window thread).
    std::function<std::string()> current_plugin_path;
  };
  static std::unique_ptr<Visualisation> Create(const Deps& deps);

  // A library of the library scan that is no input plug-in: listed when it is a
  // visualisation plug-in (true); otherwise the caller hands it on.
  virtual bool AddLibrary(const std::string& full_path) = 0;

  // The options page's model.
  virtual VisChoices& Choices() = 0;
  // "Configure" on the page: the module of the clicked library named `module`.
  virtual void Configure(const std::string& module) = 0;
  virtual bool Running() const = 0;
  virtual VisSoundSetting& SoundSetting() = 0;
  // The window the modules get as hwndParent at Init.
  virtual HWND ParentWindow() const = 0;
};

}  // namespace velmora
