// The Win32 plug-in subsystem: the module system that loads libraries by full path from
// a restricted search path and calls them under a fault guard, and the factory of the
// PluginSystem the application owns.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "plugins/module_system.h"
#include "plugins/plugin_system.h"

namespace velmora {

// Restricts the DLL search path of the process (system folder and added folders only,
// never the working folder); the first call does it, later calls do nothing.
void RestrictDllSearchPath();

// LoadLibraryEx by full path with the library's own folder and the system folder as the
// only places its dependencies come from; every call into a library is guarded.
std::unique_ptr<ModuleSystem> CreateWin32ModuleSystem();

// The process's active code page and the file system's short names, for the libraries of
// the 8-bit contract (plugins/plugin_names.h).
const LegacyNames& SystemLegacyNames();

// program_folder: the folder of the executable, no trailing backslash. process_messages
// lets pending window messages run. The library scan hands every library of the Library
// folder that is no input plug-in to non_input_handoff. Create it before the options
// window (TForm2), which attaches its lists at its creation.
std::unique_ptr<PluginSystem> CreatePluginSystem(
    const std::string& program_folder, std::function<void()> process_messages,
    std::function<void(const std::string& full_path)> non_input_handoff);

}  // namespace velmora
