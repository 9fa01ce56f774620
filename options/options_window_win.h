// TForm2, the options window, as the rest of the program sees it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "design/design_host_services.h"
#include "options/design_info.h"
#include "options/option_settings.h"
#include "ui/options_page_win.h"
#include "options/options_tree.h"
#include "plugins/plugin_system.h"
#include "ui/error_list.h"
#include "ui/command.h"
#include "ui/error_sink.h"
#include "ui/hint_echo.h"

namespace velmora {

// What the options window asks of the rest of the program.
class OptionsHost : public DesignInfoSource {
 public:
  virtual HWND MainWindow() const = 0;
  virtual HWND DesignChooserWindow() const = 0;
  virtual void ShowDesignChooser() = 0;
  // Writes the settings now (the window's close).
  virtual void SaveSettings() = 0;
  // The program's balance once the design libraries have made it (null before).
  virtual SoundBalance* Balance() = 0;
};

struct OptionsWindowDeps {
  OptionSettings& settings;
  OptionsHost& host;
  PluginSystem& plugins;
  ErrorList& error_list;
  ErrorSink& errors;
  std::string program_folder;
  ui::HintEcho& hints;  // where the hints go besides their tooltips
  CommandSink& commands;  // what the help tours press
};

class OptionsWindowControl {
 public:
  virtual ~OptionsWindowControl() = default;
  virtual HWND Handle() const = 0;
  // Makes the page that `node_text` selects active (any other text keeps the page shown),
  // refreshes it and shows the window in front.
  virtual void ShowPage(const std::string& node_text) = 0;
  // The window's show handling without showing it: the active page is refreshed.
  virtual void RefreshShownPage() = 0;
  // Puts a subsystem's page under its node, in place of the page that only has its title.
  virtual void SetPage(OptionsPageId id, std::unique_ptr<OptionsPage> page) = 0;
  // The start-up fills the About page's version history and the file types' icon list.
  virtual void FillVersionHistory() = 0;
  virtual void FillIconList() = 0;
};

// Made once the main window and the player exist; it also runs the plug-in scan's timer.
std::unique_ptr<OptionsWindowControl> CreateOptionsWindow(const OptionsWindowDeps& deps);

}  // namespace velmora
