// TForm2, the options window, as the rest of the program sees it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "options/options_page_win.h"
#include "options/options_tree.h"

namespace velmora {

struct App;

class OptionsWindowControl {
 public:
  virtual ~OptionsWindowControl() = default;
  virtual HWND Handle() const = 0;
  // Makes the page that `node_text` selects active (any other text keeps the page shown),
  // refreshes it and shows the window in front.
  virtual void ShowPage(const std::string& node_text) = 0;
  // Puts a subsystem's page under its node, in place of the page that only has its title.
  virtual void SetPage(OptionsPageId id, std::unique_ptr<OptionsPage> page) = 0;
  // The start-up fills the About page's version history and the file types' icon list.
  virtual void FillVersionHistory() = 0;
  virtual void FillIconList() = 0;
};

// Made once the main window and the player exist; it also runs the plug-in scan's timer.
std::unique_ptr<OptionsWindowControl> CreateOptionsWindow(App& app);

}  // namespace velmora
