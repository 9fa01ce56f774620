// Until design libraries are supported, their entries fail cleanly: a library never
// becomes active.
#include "design/design_library_branch_win.h"

namespace velmora {

bool LoadDesignLibrary(App&, const std::string&) { return false; }

void UnloadDesignLibrary(App&) {}

void* DesignLibraryPreview(App&, const std::string&) { return nullptr; }

}  // namespace velmora
