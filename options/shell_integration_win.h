// Ties file types to the player in the shell and makes shortcuts to it. Each operation
// says what it did, or that it failed, through the status callback.
#pragma once

#include <functional>
#include <string>

#include "options/file_type_plan.h"

namespace velmora {

using StatusOut = std::function<void(const std::string& text)>;

// Writes the plan below HKEY_CLASSES_ROOT; where that is refused (a normal user on current
// Windows) below HKEY_CURRENT_USER\Software\Classes, which HKEY_CLASSES_ROOT merges in.
// "Registered Filetype : E" for each extension written, a failure text naming it otherwise;
// the shell is told when anything changed. Returns true when everything was written.
bool RegisterFileTypes(const FileTypePlan& plan, const StatusOut& status);

// The two shortcut files, "Velmora MP3 Player.lnk", pointing at `program_path`. The folders
// come from the current user's Shell Folders key ("Programs", "Desktop"; the shell's own
// answer when a value is missing). A shortcut that could not be saved is reported by name.
bool CreateProgramsShortcut(const std::string& program_path, const StatusOut& status);
bool CreateDesktopShortcut(const std::string& program_path, const StatusOut& status);

}  // namespace velmora
