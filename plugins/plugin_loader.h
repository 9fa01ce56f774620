// The current input plug-in: loading a library by name from the library folder,
// resolving its entries, init/deinit, and the calls of the 24 entries through the
// module system's guarded call shapes. Portable; the Win32 module system makes it real.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "plugins/extension_table.h"
#include "plugins/input_plugin.h"
#include "plugins/module_system.h"

namespace velmora {

// The references this program holds on plug-in libraries. The current plug-in and the
// information page may hold the same library; each holder takes its own reference, and
// only the last holder to let go de-initialises it, so neither can pull the library
// out from under the other.
class SharedModules {
 public:
  explicit SharedModules(ModuleSystem& modules) : modules_(modules) {}

  struct Acquired {
    ModuleHandle module = nullptr;
    bool fresh = false;  // not in the process before: the holder calls init
  };
  Acquired Acquire(const std::string& name, const std::string& full_path);
  // Our holders of the module (0 when we hold none).
  int Holders(ModuleHandle module) const;
  // Drops one holder without freeing the library (a deinit that faulted keeps it).
  void Abandon(ModuleHandle module);
  // Drops one holder and frees that reference.
  void Release(ModuleHandle module);

  ModuleSystem& Modules() { return modules_; }

 private:
  ModuleSystem& modules_;
  std::map<ModuleHandle, int> holders_;
};

class PluginLoader : public InputPlugin, public PluginSwitch {
 public:
  PluginLoader(SharedModules& shared, std::function<void()> process_messages);

  // Library folder := program folder + "\Library\"; program folder reference :=
  // program folder + "\".
  void SetProgramFolder(const std::string& program_folder);
  void SetLibraryFolder(const std::string& library_folder) { library_folder_ = library_folder; }
  const std::string& LibraryFolder() const { return library_folder_; }
  // Empties the current name without unloading (the options window does this once).
  void ClearName() { name_.clear(); }

  // Never throws; a library that does not load leaves every entry absent and the name set.
  void LoadPlugin(const std::string& name);
  void UnloadPlugin();
  // Exit: deinit and free the current one, then free every listed library still loaded.
  // From then on nothing is loaded again, also not by a load or switch that the exit
  // interrupted (it ran inside one of their message pumps).
  void UnloadAllPlugins(const std::vector<std::string>& dlls);

  ModuleHandle Module() const { return module_; }
  EntryAddress Entry(PluginEntry entry) const { return entries_[static_cast<int>(entry)]; }

  // The current library agreed to take and give UTF-8 (`utf8names`).
  bool TakesUtf8() const { return utf8_; }

  // PluginSwitch
  const std::string& CurrentName() const override { return name_; }
  void SwitchTo(const std::string& library) override;

  // InputPlugin
  bool Has(PluginEntry entry) const override { return Entry(entry) != nullptr; }
  std::string Name() const override { return name_; }
  std::string load(const std::string& path) override;
  void play(const std::string& path) override;
  void pause() override;
  void stop() override;
  void showoptionspopup(int x, int y) override;
  bool playing() override;
  int32_t length() override;
  void jumpto(int32_t ms) override;
  int32_t getposition() override;
  bool paused() override;
  bool ended() override;
  std::string bitrate() override;
  std::string layer() override;
  std::string frequence() override;
  void showid3() override;
  std::string webload(const std::string& url) override;

 private:
  EntryAddress Need(PluginEntry entry) const;
  // The variable holding the name the library gets for `path` (see NameForLibrary).
  const char* const* FileRef(const std::string& path);
  std::string FromLibrary(const std::string& text) const {
    return TextFromLibrary(modules_, utf8_, text);
  }
  void ClearEntries() { entries_.fill(nullptr); }
  void Pump() {
    if (process_messages_) process_messages_();
  }

  SharedModules& shared_;
  ModuleSystem& modules_;
  std::function<void()> process_messages_;
  std::string library_folder_;
  // The program folder with its trailing "\\" as a library of the 8-bit contract [0] and
  // one that agreed to UTF-8 [1] gets it, and the variables whose address init receives.
  std::string program_folder_text_[2];
  const char* program_folder_ref_[2] = {"", ""};
  // CurrentFilePath: the variable whose address load, webload and play receive. It keeps
  // its text until the next of those calls, as a library may read it later.
  std::string current_file_path_;
  const char* current_file_ref_ = "";

  std::string name_;
  ModuleHandle module_ = nullptr;
  bool closed_ = false;  // UnloadAllPlugins has run
  bool utf8_ = false;    // the current library agreed to UTF-8 names
  std::array<EntryAddress, static_cast<int>(PluginEntry::Count)> entries_{};
};

}  // namespace velmora
