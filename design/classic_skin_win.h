// Classic skin folders (a folder under Design with main.bmp): their bitmaps become the
// main window's face and its controls move to the classic places.
#pragma once

#include <string>

#include "design/design_apply_win.h"

namespace velmora {

// Imports the classic skin in Design\<name> onto the main window. Throws
// std::runtime_error with the picture loader's text at the first file that cannot be
// used; what was done before stays done. A shutdown that begins while it lets messages
// run ends it there.
void ImportClassicSkin(const DesignStage& stage, const std::string& name);

}  // namespace velmora
