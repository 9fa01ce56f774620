// TForm6, the design chooser, as the rest of the program sees it: the window, and the
// design steps of the start-up and the shutdown it carries.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "design/design_folder.h"
#include "design/design_library_win.h"
#include "playlist/random.h"
#include "ui/error_sink.h"
#include "ui/hint_echo.h"

namespace velmora {

// What the chooser works with: the design libraries' parts, the program folder, the
// design in force and the generator of random designs. Its own actions report failures
// to `errors` and with a message box; the start-up's design steps to `errors` only.
struct DesignChooserDeps {
  DesignLibrariesDeps libraries;
  HINSTANCE instance;
  std::string program_folder;  // no trailing backslash
  FolderDesignState& design_state;
  RandomGenerator& random;
  ErrorSink& errors;
  ui::HintEcho& hints;  // where the hints go besides their tooltips
};

class DesignChooserControl {
 public:
  virtual ~DesignChooserControl() = default;
  virtual HWND Handle() const = 0;
  virtual void Show() = 0;
  // "Loading Design ...", the list of designs and the one chosen for this run (the
  // stored one or, with "Random design on startup", a random one).
  virtual void StartupDesign() = 0;
  // Applies the chosen design. One that is not listed (a design library stored as the
  // default whose file is gone) gives way to "Default", with an error that names it.
  virtual void ApplyChosenDesign() = 0;
  // The chosen design has its entry in the list (a design library is listed only once
  // the library scan has probed it).
  virtual bool ChosenDesignListed() const = 0;
  // A skin archive: unpacked into Design, listed and applied.
  virtual void OpenSkinArchive(const std::string& path) = 0;
  // Program end: the design libraries let go of their modules.
  virtual void ReleaseModules() = 0;
  // The design libraries the chooser lists (the library scan probes them there).
  virtual DesignLibraries* Libraries() = 0;
};

std::unique_ptr<DesignChooserControl> CreateDesignChooser(const DesignChooserDeps& deps);

}  // namespace velmora
