// Design libraries (a library file that draws the player itself), as the chooser reaches
// them; the loader lives with its own subsystem.
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

}  // namespace velmora
