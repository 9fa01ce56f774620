// What the plug-in subsystem shows on the options window: the scan's caption, the lists
// Dlls, ExtensionBox/DllBox, ListBox1, and the fields of the plug-in information page.
// The options window implements it; unit tests record it.
#pragma once

#include <string>
#include <vector>

#include "plugins/extension_table.h"

namespace velmora {

enum class InfoField { author, dllname, date, info, files, version };

class PluginListsView {
 public:
  virtual ~PluginListsView() = default;
  // Arms the options window's one-shot Enjoy timer, whose tick runs ScanLibraryFolder.
  virtual void StartScanTimer() = 0;
  virtual void StopScanTimer() = 0;
  // "Scanning for dll's... Please wait !" while true, "Velmora Options" after.
  virtual void SetScanning(bool scanning) = 0;
  virtual void SetDlls(const std::vector<std::string>& names) = 0;
  virtual void SetExtensionRows(const std::vector<ExtensionRow>& rows) = 0;
  virtual void SetExtensionList(const std::vector<std::string>& extensions) = 0;
  virtual void SetInfoField(InfoField field, const std::string& text) = 0;
};

}  // namespace velmora
