// TForm2, the options window, as the rest of the program sees it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace velmora {

struct App;

class OptionsWindowControl {
 public:
  virtual ~OptionsWindowControl() = default;
  virtual HWND Handle() const = 0;
  // Shown on the page of that name ("" or "General": the general page).
  virtual void ShowPage(const std::string& page) = 0;
  // A line of the error list of this run.
  virtual void AppendError(const std::string& line) = 0;
  // The start-up fills the About page's version history and the file types' icon list.
  virtual void FillVersionHistory() = 0;
  virtual void FillIconList() = 0;
};

// Made once the main window and the player exist; it also runs the plug-in scan's timer.
std::unique_ptr<OptionsWindowControl> CreateOptionsWindow(App& app);

}  // namespace velmora
