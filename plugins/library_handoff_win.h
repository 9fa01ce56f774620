// Where the library scan hands every library in the Library folder that is not an input
// plug-in: the visualisation host takes what it recognises and passes the rest on to the
// design host. One place, so each host plugs in here when it arrives.
#pragma once

#include <string>

namespace velmora {

void AddVisPlugin(const std::string& full_path);
void ProbeDesignLibrary(const std::string& full_path);

}  // namespace velmora
