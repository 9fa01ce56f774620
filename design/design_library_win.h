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

#include "app/app_win.h"
#include "design/design_host_services.h"
#include "design/design_library.h"

namespace velmora {

class DesignLibraries : private SettingsObserver {
 public:
  // `list` receives every probed library: its DesignName and full path.
  DesignLibraries(App& app,
                  std::function<void(const std::string& name, const std::string& path)> list);
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
  App& app_;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<SoundBalance> balance_;
  std::unique_ptr<DesignLibraryHost> host_;
  std::function<void(const std::string&, const std::string&)> list_;
  // Random play and loop are told as they change, wherever they are changed from.
  void OnSettingsChanged() override;
  bool random_ = false, loop_ = false;
};

// The program's design libraries (null before the chooser made them or after it is gone).
DesignLibraries* ProgramDesignLibraries();

}  // namespace velmora
