// TForm6, the design chooser, as the rest of the program sees it: the window, and the
// design steps of the start-up and the shutdown it carries.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace velmora {

struct App;

class DesignChooserControl {
 public:
  virtual ~DesignChooserControl() = default;
  virtual HWND Handle() const = 0;
  virtual void Show() = 0;
  // "Loading Design ...", the list of designs and the one chosen for this run (the
  // stored one or, with "Random design on startup", a random one).
  virtual void StartupDesign() = 0;
  // Applies the chosen design.
  virtual void ApplyChosenDesign() = 0;
  // A skin archive: unpacked into Design, listed and applied.
  virtual void OpenSkinArchive(const std::string& path) = 0;
  // Program end: the design libraries let go of their modules.
  virtual void ReleaseModules() = 0;
};

std::unique_ptr<DesignChooserControl> CreateDesignChooser(App& app);

}  // namespace velmora
