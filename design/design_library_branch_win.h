// The two kinds of design the chooser hands elsewhere: design libraries (a library file
// that draws the player itself) and classic skin folders (a folder with main.bmp). Their
// loaders live with their own subsystems; the chooser reaches them only through here.
#pragma once

#include <string>

#include "app/app_win.h"

namespace velmora {

// Loads the design library at `path` and makes it the active design; false when it
// cannot be loaded (no library is active then).
bool LoadDesignLibrary(App& app, const std::string& path);
// Releases the active design library, if any, and shows the main window again.
void UnloadDesignLibrary(App& app);
// Copies a design library's preview picture (a bitmap the caller owns); null if none.
void* DesignLibraryPreview(App& app, const std::string& path);
// Imports the classic skin in Design\<name> onto the main window. Throws on failure.
void ImportClassicSkin(App& app, const std::string& name);

}  // namespace velmora
