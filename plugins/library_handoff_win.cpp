#include "plugins/library_handoff_win.h"

namespace velmora {

// The visualisation host is not there yet: everything goes on to the design host.
void AddVisPlugin(const std::string& full_path) { ProbeDesignLibrary(full_path); }

}  // namespace velmora
