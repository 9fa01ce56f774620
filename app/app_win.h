// The application object: owns the model (settings, playlist, generator, display,
// player, plug-in system) and the nine windows. Windows of other subsystems register a
// factory (RegisterForm) and hook the operations other parts call through AppHooks;
// an unfilled hook is a no-op, so a subsystem that is not there yet costs nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/host.h"
#include "app/player.h"
#include "playlist/random.h"
#include "app/settings.h"
#include "design/design_folder.h"
#include "playlist/playlist.h"
#include "playlist/playlist_window_win.h"
#include "plugins/plugin_system.h"
#include "ui/error_sink.h"

namespace velmora {

struct App;
class MainWindow;

// A top-level window of the program (TForm1 ... TForm13).
class Form {
 public:
  virtual ~Form() = default;
  virtual HWND Handle() const = 0;
};

// Creation order of the windows after the main window (TForm1, which the entry point
// makes first): TForm2, TForm3 (with its dialog TForm8), TForm6, TForm12, TForm13, TForm4,
// TForm7. A window
// class with no registered factory gets a hidden placeholder window registered under its
// name.
struct FormFactory {
  const char* class_name;
  std::unique_ptr<Form> (*create)(App& app);
};
// Called from a static registrar object in the window's own file.
bool RegisterForm(const FormFactory& factory);
#define VELMORA_REGISTER_FORM(class_name, create_fn)      \
  static const bool velmora_form_registered_##create_fn = \
      ::velmora::RegisterForm({class_name, create_fn})

// Operations one subsystem offers to the others. Each is filled by the window that owns it.
struct AppHooks {
  // Design chooser / designs.
  std::function<void()>
      startup_design;                  // "Loading Design ...", ListDesigns, random pick, selection
  std::function<void()> apply_design;  // ApplyDesign of the chosen entry
  std::function<void()> show_design_chooser;
  std::function<void()> release_design_modules;
  std::function<void(const std::string& path)> open_skin_archive;  // unpack, list, apply
  // Options window.
  std::function<void(const std::string& page)> show_options_page;
  std::function<void()> fill_version_history;
  std::function<void()> fill_icon_list;
  std::function<void(const std::string& line)> error_list_append;
  // News window.
  std::function<void()> show_news;
  // Main window: installs or removes the hint handler that echoes control hints on the
  // status line ("Enable Tooltips").
  std::function<void(bool installed)> set_hint_handler;
  // Auto update: cancel a running HTTP request (shutdown).
  std::function<void()> cancel_update_request;
  // Visualisation: stop a running visualisation plug-in (shutdown); show the VU meter.
  std::function<void()> stop_visualisation;
  std::function<void()> show_vu_meter;
};

// The program's reporting boundary: the player's error handler (status line and error
// list) once the main window has made the player.
class AppErrorSink : public ErrorSink {
 public:
  explicit AppErrorSink(App& app) : app_(app) {}
  void Report(const std::string& message) override;

 private:
  App& app_;
};

struct App {
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

  MainWindow* main_form = nullptr;  // TForm1, made first by the entry point
  std::vector<std::unique_ptr<Form>> forms;
  std::unique_ptr<PlaylistWindowControl> playlist_window;  // TForm3, made among the forms
  HWND main_window = nullptr;
  AppHooks hooks;

  // Program folder + "\" + relative.
  std::string ProgramFile(const std::string& relative) const;
  // The application title ("ORVANE Velmora" + " - " + title while a file is loaded).
  std::string title = "ORVANE Velmora";
};

// Creates the windows after the main window in their order (the entry point calls it once).
void CreateForms(App& app);

// The WM_TIMER event id of a timer of the player (on the main window, Enjoy on the options
// window).
UINT_PTR TimerEventId(TimerId id);

// The input plug-in system of the program (the real one once its library is linked in).
std::unique_ptr<PluginSystem> MakePluginSystem(App& app);

}  // namespace velmora
