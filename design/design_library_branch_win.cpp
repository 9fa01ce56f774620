// Until design libraries and classic skins are supported, their entries fail cleanly:
// a library never becomes active, and a classic skin is reported as not applicable.
#include "design/design_library_branch_win.h"

#include <stdexcept>

namespace velmora {

bool LoadDesignLibrary(App&, const std::string&) { return false; }

void UnloadDesignLibrary(App&) {}

void* DesignLibraryPreview(App&, const std::string&) { return nullptr; }

void ImportClassicSkin(App&, const std::string& name) {
  throw std::runtime_error("Classic skins are not supported yet: " + name);
}

}  // namespace velmora
