// The input plug-in subsystem as the rest of the program sees it: the current plug-in
// (load/unload by name), the library scan and the extension table, the information page's
// library. The Win32 implementation is made by CreatePluginSystem (plugins/plugin_system_win.h).
#pragma once

#include <string>
#include <vector>

#include "plugins/input_plugin.h"

namespace velmora {

class PluginSystem {
 public:
  virtual ~PluginSystem() = default;

  // The current input plug-in (its table changes as libraries are switched).
  virtual InputPlugin& Current() = 0;
  // The extension table: IsSupportedExtension, SelectPluginForFile.
  virtual PluginSelector& Selector() = 0;

  // Sets the library folder and the program folder reference, arms the one-shot scan.
  virtual void StartLibraryScan(const std::string& program_folder) = 0;
  // The scan itself (first tick of the options window's Enjoy timer).
  virtual void ScanLibraryFolder() = 0;
  virtual bool ScanDone() const = 0;

  virtual const std::vector<std::string>& Dlls() const = 0;
  // Filter of the open dialog in "Name|patterns|..." form.
  virtual std::string OpenDialogFilter() const = 0;

  // Shutdown: release the information page's library, then every plug-in.
  virtual void ReleaseInfoLibrary() = 0;
  virtual void UnloadAllPlugins() = 0;
};

}  // namespace velmora
