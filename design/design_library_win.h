// Design libraries in the running program: real modules behind the portable host, the
// header's host services, and the notifications that come from the main window and the
// options. One instance per program, made with the design chooser, which lists what the
// library scan probes.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "design/design_host_services.h"
#include "design/design_host_target.h"
#include "design/design_library.h"
#include "design/design_sink.h"
#include "ui/command.h"
#include "playlist/playlist.h"
#include "playlist/playlist_window_win.h"
#include "plugins/plugin_system.h"
#include "ui/error_sink.h"

namespace velmora {

// The popup menus a design library is handed: the general menu and the menus of the
// Play, Pause and Stop buttons.
enum class LibraryMenu { General, Play, Pause, Stop };

// The main window as the design libraries reach it.
class DesignMainWindow {
 public:
  virtual ~DesignMainWindow() = default;
  virtual HWND Handle() const = 0;
  // The main window's own popup menu (it stays the main window's, in step with the
  // player): its commands go to the main window.
  virtual HMENU LiveMenu(LibraryMenu menu) const = 0;
};

// What the design libraries reach of the program.
struct DesignLibrariesDeps {
  DesignHostTarget& core;
  DesignMainWindow& main_window;
  DesignSinkSlot& display;  // the display operations, routed to the active library
  OutputBalance& output;    // the wave output's balance
  Playlist& playlist;
  PlaylistWindowControl& playlist_window;
  PluginSystem& plugins;
  CommandSink& commands;  // where the buttons a library presses go
  // Runs the options window's show handling (HostGetBalance reads what it refreshed).
  std::function<void()> refresh_options = nullptr;
};

class DesignLibraries : private PlayOrderListener {
 public:
  // `list` receives every probed library: its DesignName and full path. What fails in the
  // program's handling of a library's host service is reported to `errors`.
  DesignLibraries(const DesignLibrariesDeps& deps,
                  std::function<void(const std::string& name, const std::string& path)> list,
                  ErrorSink& errors);
  ~DesignLibraries() override;
  DesignLibraries(const DesignLibraries&) = delete;
  DesignLibraries& operator=(const DesignLibraries&) = delete;

  // The library scan's hand-off.
  void Probe(const std::string& path);
  // The chooser's apply: true when the library is now active. Throws DesignFault when the
  // library faults while it is set up.
  bool Load(const std::string& path);
  void Unload();
  // A bitmap the caller owns, or null.
  HBITMAP Preview(const std::string& path);
  // Program end, with the chooser's hidden list of markers.
  void ReleaseModules(const std::vector<std::string>& markers);

  DesignLibraryHost& Host() { return *host_; }
  SoundBalance& Balance() { return *balance_; }

  // Minimise and restore of the main window (the main window's own hiding goes on).
  void MainWindowMinimized();
  void MainWindowRestored();

 private:
  class Impl;
  DesignLibrariesDeps deps_;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<SoundBalance> balance_;
  std::unique_ptr<DesignLibraryHost> host_;
  std::function<void(const std::string&, const std::string&)> list_;
  // Random play and loop are told as they change, wherever they are changed from.
  void PlayOrderChanged() override;
  bool random_ = false, loop_ = false;
};

}  // namespace velmora
