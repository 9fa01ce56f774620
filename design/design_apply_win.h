// Folder designs on the main window: ApplyFolderDesign turns Design\<name>\ into the
// main window's look (pictures, outline, main.ini places and styles, button pictures).
#pragma once

#include <windows.h>

#include <string>

#include "design/design_folder.h"
#include "design/design_host_target.h"

namespace velmora {

// What applying a design works on: the main window, the program folder its Design
// folder is in, and the player core.
struct DesignStage {
  HWND main_window = nullptr;
  std::string program_folder;  // no trailing backslash
  DesignHostTarget* core = nullptr;
};

// Applies the folder design `name`. Throws std::runtime_error with the picture loader's
// text when back.bmp or mask.bmp is missing or broken; steps done before stay done. A
// shutdown that begins while it lets messages run ends it there.
void ApplyFolderDesign(const DesignStage& stage, FolderDesignState& state,
                       const std::string& name);

// Reads <program folder>\design\<name>\main.ini and applies it; false when there is none.
bool LoadMainIni(const DesignStage& stage, const std::string& name);

// `folder` ends with a separator: builds every button's two-image picture from its
// back.bmp and backbut.bmp. Throws like ApplyFolderDesign.
void BuildButtonImages(const DesignStage& stage, const std::string& folder);

// Every one of the fourteen buttons is left without a picture.
void ClearButtonImages(HWND main_window);

// The design folder's path of a file, letter case resolved against what is on disk.
std::string DesignFile(const std::string& program_folder, const std::string& name,
                       const std::string& file);

}  // namespace velmora
