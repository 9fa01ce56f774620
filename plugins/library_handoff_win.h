// Where the library scan hands every library in the Library folder that is not an input
// plug-in: the visualisation host takes what it recognises and passes the rest on to the
// design host. Declared here, where the scan calls them; the hosts define them
// (vis/visualisation_win.cpp, design/design_library_win.cpp).
#pragma once

#include <string>

namespace velmora {

void AddVisPlugin(const std::string& full_path);
void ProbeDesignLibrary(const std::string& full_path);

}  // namespace velmora
