// The options window's "FileType/Icons" page: the icon chooser, the registration of the
// extensions selected in the window's ListBox1, and the two shortcut buttons.
#pragma once

#include <memory>
#include <string>

#include "ui/options_page_win.h"
#include "options/shell_integration_win.h"

namespace velmora {

class FileTypeIconsPage : public ControlPage {
 public:
  // Re-reads the icons folder into the icon list (start-up; every change of the chooser
  // does it too).
  virtual void RefreshIconList() = 0;
};

// `program_folder` without a trailing backslash; `program_path` the running executable;
// `status` the player's status line.
std::unique_ptr<FileTypeIconsPage> CreateFileTypePage(const std::string& program_folder,
                                                const std::string& program_path,
                                                StatusOut status);

}  // namespace velmora
