// The input plug-in subsystem as the rest of the program sees it: the current plug-in
// (load/unload by name), the library scan and the extension table, the information page's
// library. The Win32 implementation is made by CreatePluginSystem (plugins/plugin_system_win.h).
#pragma once

#include <string>
#include <vector>

#include "plugins/input_plugin.h"

namespace velmora {

class PluginListsView;

class PluginSystem {
 public:
  virtual ~PluginSystem() = default;

  // The current input plug-in (its table changes as libraries are switched).
  virtual InputPlugin& Current() = 0;
  // The extension table: IsSupportedExtension, SelectPluginForFile.
  virtual PluginSelector& Selector() = 0;

  // Sets the library folder and the program folder reference, arms the one-shot scan.
  virtual void StartLibraryScan(const std::string& program_folder) = 0;
  // The scan itself (first tick of the options window's Enjoy timer). Runs once.
  virtual void ScanLibraryFolder() = 0;
  virtual bool ScanDone() const = 0;
  // The scan leaves the library at `full_path` out (not loaded, not listed, not handed
  // on): one that did not answer when the program was last ended.
  virtual void SkipInScan(const std::string& full_path) = 0;

  virtual const std::vector<std::string>& Dlls() const = 0;
  // Filter of the open dialog in "Name|patterns|..." form.
  virtual std::string OpenDialogFilter() const = 0;

  // Shutdown: release the information page's library, then every plug-in.
  virtual void ReleaseInfoLibrary() = 0;
  virtual void UnloadAllPlugins() = 0;

  // The options window: it attaches its lists when it is created (null detaches), then
  // forwards a click on Dlls and the "Options" button.
  virtual void AttachListsView(PluginListsView* view) = 0;
  virtual void ShowPluginInfo(const std::string& name) = 0;
  // False when the page holds no library: the caller shows "(No File Playing)".
  virtual bool ShowPluginOptions(int x, int y) = 0;
  // File name of the current input plug-in library; empty when none.
  virtual std::string CurrentName() const = 0;
};

}  // namespace velmora
