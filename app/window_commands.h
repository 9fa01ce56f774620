// What the main window asks of the other windows: the ones its menus and keys open, and
// the steps of its start-up and shutdown that other subsystems do. The application
// implements both with the windows it made; what a window not in the program would do
// is left out (a null object stands in for it).
#pragma once

#include <string>
#include <vector>

namespace velmora {

class WindowCommands {
 public:
  virtual ~WindowCommands() = default;
  // The options window on the page of that name ("": on the page it was left on).
  virtual void ShowOptionsPage(const std::string& page) = 0;
  virtual void ShowNews() = 0;
  virtual void ShowVuMeter() = 0;
  virtual void ShowDesignChooser() = 0;
  virtual void ShowVisualisation() = 0;
  // "Execute" > "Visualisation Plugin": starts the chosen visualisation module, or stops it.
  virtual void StartOrStopVisualisation() = 0;
};

// What the main window asks of the playlist window, which is made after it (nothing while
// there is none).
class PlaylistWindowRequests {
 public:
  virtual ~PlaylistWindowRequests() = default;
  virtual void ShowPlaylist() = 0;
  virtual void ShowJumpToFile() = 0;
  // Its rows all removed, the playlist with them (without the window: the playlist).
  virtual void ClearPlaylist() = 0;
  // Files dropped on the main window, added as if dropped on the playlist window.
  virtual void AddDroppedFiles(const std::vector<std::string>& files) = 0;
  // Its size, from the settings and for them (0, 0 when there is none).
  virtual void SetPlaylistWindowSize(int width, int height) = 0;
  virtual void GetPlaylistWindowSize(int* width, int* height) = 0;
};

class ShellSteps {
 public:
  virtual ~ShellSteps() = default;
  // Start-up.
  virtual void FillVersionHistory() = 0;
  virtual void FillIconList() = 0;
  // "Loading Design ...", the list of designs and the one chosen for this run.
  virtual void StartupDesign() = 0;
  // Applies the design chosen by StartupDesign.
  virtual void ApplyStartupDesign() = 0;
  // A skin archive dropped or opened: unpacked, listed and applied.
  virtual void OpenSkinArchive(const std::string& path) = 0;
  // The keys for the whole desktop follow their settings from now on.
  virtual void StartGlobalKeys() = 0;
  // The main window is minimised or restored: an active design library hides or shows.
  virtual void MainWindowMinimized() = 0;
  virtual void MainWindowRestored() = 0;
  // Shutdown.
  virtual void CancelUpdateRequest() = 0;
  virtual void StopVisualisation() = 0;
  virtual void ReleaseDesignModules() = 0;
};

}  // namespace velmora
