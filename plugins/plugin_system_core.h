// The plug-in subsystem on top of a module system: the scan of the library folder, the
// extension table, the current plug-in and the information page's library. Portable;
// the Win32 factory gives it the real module system and the non-input hand-off.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plugins/extension_table.h"
#include "plugins/info_library.h"
#include "plugins/plugin_lists_view.h"
#include "plugins/plugin_loader.h"
#include "plugins/plugin_system.h"

namespace velmora {

class PluginSystemCore : public PluginSystem {
 public:
  struct Deps {
    ModuleSystem& modules;
    std::function<void()> process_messages;
    // Receives the full path of every scanned library that is not an input plug-in.
    std::function<void(const std::string& full_path)> non_input_handoff;
  };
  PluginSystemCore(Deps deps, const std::string& program_folder);

  InputPlugin& Current() override { return loader_; }
  // Asked before the armed scan's timer came (a Play, a drop or a folder scan right after
  // the start), the selector runs the scan first: the types are known before they are used.
  PluginSelector& Selector() override { return selector_; }
  void StartLibraryScan(const std::string& program_folder) override;
  void ScanLibraryFolder() override;
  bool ScanDone() const override { return scan_done_; }
  void SkipInScan(const std::string& full_path) override { skipped_.push_back(full_path); }
  const std::vector<std::string>& Dlls() const override { return dlls_; }
  std::string OpenDialogFilter() const override { return filter_; }
  void ReleaseInfoLibrary() override { info_.Release(); }
  void UnloadAllPlugins() override { loader_.UnloadAllPlugins(dlls_); }
  void AttachListsView(PluginListsView* view) override;
  void ShowPluginInfo(const std::string& name) override;
  bool ShowPluginOptions(int x, int y) override { return info_.ShowOptions(x, y); }
  std::string CurrentName() const override { return loader_.CurrentName(); }

  PluginLoader& Loader() { return loader_; }
  InfoLibrary& Info() { return info_; }
  const ExtensionTable& Table() const { return table_; }

 private:
  class ScanFirstSelector : public PluginSelector {
   public:
    explicit ScanFirstSelector(PluginSystemCore& core) : core_(core) {}
    bool IsSupportedExtension(const std::string& text) const override {
      core_.RunArmedScan();
      return core_.table_.IsSupportedExtension(text);
    }
    bool SelectPluginForFile(const std::string& path) override {
      core_.RunArmedScan();
      return core_.table_.SelectPluginForFile(path);
    }

   private:
    PluginSystemCore& core_;
  };

  void RunArmedScan() {
    if (scan_armed_ && !scan_done_) ScanLibraryFolder();
  }
  void ShowLists();

  ModuleSystem& modules_;
  std::function<void(const std::string&)> handoff_;
  SharedModules shared_;
  PluginLoader loader_;
  InfoLibrary info_;
  ExtensionTable table_;
  ScanFirstSelector selector_{*this};
  std::vector<std::string> dlls_;
  std::string filter_ = kInitialOpenFilter;
  PluginListsView* view_ = nullptr;
  bool scan_armed_ = false;
  bool scan_done_ = false;
  std::vector<std::string> skipped_;  // full paths the scan leaves out
};

}  // namespace velmora
