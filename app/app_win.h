// The application object, known to the entry point only. It builds the portable model
// first (settings, playlist, the error sink, plug-in system, display, player and the
// player's host) and then the windows, handing each a small struct of what it needs. It
// implements what the main window asks of the other windows (WindowCommands, ShellSteps,
// PlaylistWindowRequests) by calling them. Its members are declared each after what it uses, so they are
// destroyed in the reverse order: every window before the model it shows.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/error_relay.h"
#include "app/host_win.h"
#include "app/player.h"
#include "app/settings.h"
#include "app/wave_volume_win.h"
#include "app/window_commands.h"
#include "design/design_folder.h"
#include "playlist/playlist.h"
#include "playlist/random.h"
#include "plugins/plugin_system.h"
#include "vis/meter_sources_win.h"
#include "vis/visualisation_win.h"
#include "vis/vu_meter.h"

namespace velmora {

class MainWindow;
class OptionsWindowControl;
class NewsWindowControl;
class OptionsForApp;
class PlaylistWindowControl;
class DesignChooserControl;
class VuMeterControl;
class PlayerDesignTarget;
class MainWindowForDesigns;
class AutoUpdateWindow;
class DesignLibraries;
class FileTypeIconsPage;
class GlobalKeyRegistration;

class App : private WindowCommands,
            private ShellSteps,
            private PlaylistWindowRequests,
            private VisSoundSetting {
 public:
  // Builds the model. `program_folder` has no trailing backslash.
  App(HINSTANCE instance, std::string program_folder, std::vector<std::string> arguments);
  ~App() override;
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Makes the windows in their order: TForm1, the visualisation host, TForm2, TForm3 (with
  // TForm8), TForm6, TForm12, TForm13, TForm4, TForm7. False when the main window could
  // not be made.
  bool CreateWindows();
  MainWindow& Main() { return *main_window_; }

 private:
  friend class OptionsForApp;
  friend class MainWindowForDesigns;

  // Program folder + "\" + relative.
  std::string ProgramFile(const std::string& relative) const;
  // Full path of the current input plug-in library, "" when none.
  std::string CurrentPluginPath() const;
  // Writes the settings now, with the main window's place and the playlist window's size
  // as they are (the options window's close).
  void SaveSettingsNow();
  // The library scan's hand-off of a library that is no input plug-in: the visualisation
  // host takes what it recognises, the design libraries probe the rest.
  void HandOnLibrary(const std::string& full_path);
  // The design libraries of the design chooser (null before it or after it).
  DesignLibraries* DesignLibrariesOrNull() const;
  void AddFileTypeAndUpdatePages();

  // WindowCommands.
  void ShowOptionsPage(const std::string& page) override;
  void ShowNews() override;
  void ShowVuMeter() override;
  void ShowDesignChooser() override;
  void ShowVisualisation() override;
  void StartOrStopVisualisation() override;

  // ShellSteps.
  void FillVersionHistory() override;
  void FillIconList() override;
  void StartupDesign() override;
  void ApplyStartupDesign() override;
  void OpenSkinArchive(const std::string& path) override;
  void StartGlobalKeys() override;
  void MainWindowMinimized() override;
  void MainWindowRestored() override;
  void CancelUpdateRequest() override;
  void StopVisualisation() override;
  void ReleaseDesignModules() override;

  // PlaylistWindowRequests.
  void ShowPlaylist() override;
  void ShowJumpToFile() override;
  void ClearPlaylist() override;
  void AddDroppedFiles(const std::vector<std::string>& files) override;
  void SetPlaylistWindowSize(int width, int height) override;
  void GetPlaylistWindowSize(int* width, int* height) override;

  // VisSoundSetting.
  bool UsePlayingSound() const override { return settings_->UsePlayingSound; }
  void SetUsePlayingSound(bool use) override;

  // The model.
  const HINSTANCE instance_;
  const std::string program_folder_;
  const std::vector<std::string> arguments_;
  Settings settings_;
  Playlist playlist_;
  RandomGenerator random_;
  FolderDesignState design_state_;  // the design in force
  // Every window reports here; the player keeps the error list once it is attached.
  ErrorRelay errors_;
  WaveOutVolume volume_;
  std::unique_ptr<PluginSystem> plugins_;
  WinHost host_;  // the player's timers, on a hidden window of its own
  Display display_;
  Player player_;
  ErrorRelay::Attachment errors_to_player_{errors_, player_};
  // The one meter connection, shared by the VU window and the visualisation host.
  SystemMeterOpener meter_opener_;
  PeakMeter meter_{meter_opener_};

  // The windows, each after what it uses.
  std::unique_ptr<MainWindow> main_window_;  // TForm1 (TForm4 is its own)
  std::unique_ptr<Visualisation> visualisation_;
  std::unique_ptr<GlobalKeyRegistration> global_keys_;      // before the options: they show it
  std::unique_ptr<OptionsForApp> options_adapter_;          // what the options window reaches
  std::unique_ptr<AutoUpdateWindow> update_window_;         // TForm7, made last; the Update page's
  std::unique_ptr<OptionsWindowControl> options_window_;    // TForm2
  std::unique_ptr<PlaylistWindowControl> playlist_window_;  // TForm3 (with its dialog TForm8)
  // The player and the main window as the designs reach them.
  std::unique_ptr<PlayerDesignTarget> design_target_;
  std::unique_ptr<MainWindowForDesigns> design_main_window_;
  std::unique_ptr<DesignChooserControl> design_chooser_;  // TForm6
  std::unique_ptr<VuMeterControl> vu_meter_;              // TForm12
  std::unique_ptr<NewsWindowControl> news_window_;        // TForm13
  FileTypeIconsPage* file_type_page_ = nullptr;           // owned by the options window
};

}  // namespace velmora
