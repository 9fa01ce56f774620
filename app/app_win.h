// The application object: owns the model (settings, playlist, generator, plug-in system,
// display, player, error sink) and the windows, which it makes in their order and hands
// what they need. It implements what the main window asks of the other windows
// (WindowCommands, ShellSteps) by calling them; windows that are not in the program yet
// are hidden placeholders, and the subsystems behind them null objects.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/host.h"
#include "app/player.h"
#include "app/settings.h"
#include "app/window_commands.h"
#include "design/design_folder.h"
#include "playlist/playlist.h"
#include "playlist/random.h"
#include "plugins/plugin_system.h"
#include "ui/error_sink.h"
#include "vis/visualisation_win.h"

namespace velmora {

struct App;
class MainWindow;
class OptionsWindowControl;
class NewsWindowControl;
class OptionsForApp;
class PlaylistWindowControl;
class DesignChooserControl;
class VuMeterControl;
class PlaceholderWindow;
class PlayerDesignTarget;
class MainWindowForDesigns;
class AutoUpdateWindow;
class FileTypeIconsPage;
class GlobalKeyRegistration;

// The program's reporting boundary: the player's error handler (status line and error
// list) once the main window has made the player.
class AppErrorSink : public ErrorSink {
 public:
  explicit AppErrorSink(App& app) : app_(app) {}
  void Report(const std::string& message) override;

 private:
  App& app_;
};

struct App : public WindowCommands, public ShellSteps, public VisSoundSetting {
  App();
  ~App() override;
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  HINSTANCE instance = nullptr;
  std::string program_folder;  // no trailing backslash
  std::vector<std::string> arguments;

  Settings settings;
  Playlist playlist;
  RandomGenerator random;
  std::unique_ptr<PluginSystem> plugins;
  FolderDesignState design_state;  // the design in force
  // Made by the main window at its creation (they need its views).
  std::unique_ptr<Display> display;
  std::unique_ptr<Player> player;

  AppErrorSink errors{*this};

  // The windows, in their creation order.
  std::unique_ptr<MainWindow> main_form;  // TForm1
  HWND main_window = nullptr;
  std::unique_ptr<GlobalKeyRegistration> global_keys;  // before the options: they show it
  std::unique_ptr<OptionsForApp> options_adapter;  // what the options window reaches
  std::unique_ptr<OptionsWindowControl> options_window;    // TForm2
  std::unique_ptr<PlaylistWindowControl> playlist_window;  // TForm3 (with its dialog TForm8)
  // The player and the main window as the designs reach them.
  std::unique_ptr<PlayerDesignTarget> design_target;
  std::unique_ptr<MainWindowForDesigns> design_main_window;
  std::unique_ptr<DesignChooserControl> design_chooser;  // TForm6
  std::unique_ptr<VuMeterControl> vu_meter;                // TForm12
  std::unique_ptr<NewsWindowControl> news_window;          // TForm13
  // The visualisation host (its hidden parent window and the options page's model); made
  // before the options window, whose page renders it, and destroyed after it.
  std::unique_ptr<Visualisation> visualisation;
  // Shadow mode (TForm4) until it arrives.
  std::vector<std::unique_ptr<PlaceholderWindow>> placeholders;
  std::unique_ptr<AutoUpdateWindow> update_window;  // TForm7
  FileTypeIconsPage* file_type_page = nullptr;  // owned by the options window

  // Program folder + "\" + relative.
  std::string ProgramFile(const std::string& relative) const;
  // Writes the settings now, with the main window's place and the playlist window's size
  // as they are (the options window's close).
  void SaveSettingsNow();
  // The application title ("ORVANE Velmora" + " - " + title while a file is loaded).
  std::string title = "ORVANE Velmora";

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
  void CancelUpdateRequest() override;
  void StopVisualisation() override;
  void ReleaseDesignModules() override;

  // VisSoundSetting.
  bool UsePlayingSound() const override { return settings.UsePlayingSound; }
  void SetUsePlayingSound(bool use) override;
};

// Makes the plug-in system, the main window (which makes the display and the player)
// and then the other windows in their order: TForm2, TForm3 (with TForm8), TForm6,
// TForm12, TForm13, TForm4, TForm7. False when the main window could not be made.
bool CreateWindows(App& app);
// Destroys the windows in the reverse order of their creation, the main window (and the
// player it owns the views of) last.
void DestroyWindows(App& app);

// The WM_TIMER event id of a timer of the player (on the main window, Enjoy on the options
// window).
UINT_PTR TimerEventId(TimerId id);

}  // namespace velmora
