// Folder designs on the main window: ApplyFolderDesign turns Design\<name>\ into the
// main window's look (pictures, outline, main.ini places and styles, button pictures).
#pragma once

#include <windows.h>

#include <string>

#include "app/app_win.h"

namespace velmora {

// Applies the folder design `name`. Throws std::runtime_error with the picture loader's
// text when back.bmp or mask.bmp is missing or broken; steps done before stay done.
void ApplyFolderDesign(App& app, FolderDesignState& state, const std::string& name);

// Reads <program folder>\design\<name>\main.ini and applies it; false when there is none.
bool LoadMainIni(App& app, const std::string& name);

// `folder` ends with a separator: builds every button's two-image picture from its
// back.bmp and backbut.bmp. Throws like ApplyFolderDesign.
void BuildButtonImages(App& app, const std::string& folder);

// Every one of the fourteen buttons is left without a picture.
void ClearButtonImages(App& app);

// The design folder's path of a file, letter case resolved against what is on disk.
std::string DesignFile(const App& app, const std::string& name, const std::string& file);

}  // namespace velmora
