// The library shown on the options window's plug-in information page: loaded on a click
// on Dlls (or shared with the current plug-in when it is the same file), asked for its
// self-description, asked to show its options menu, and released when the page lets go.
#pragma once

#include <functional>
#include <string>

#include "plugins/plugin_lists_view.h"
#include "plugins/plugin_loader.h"

namespace velmora {

class InfoLibrary {
 public:
  explicit InfoLibrary(SharedModules& shared) : shared_(shared) {}

  void SetProgramFolder(const std::string& program_folder);
  void ClearName() { name_.clear(); }

  // ShowPluginInfo for the selected Dlls row: releases the held library, takes the named
  // one and fills the page's fields in order through `fill`. Stops at the first failure:
  // fields filled so far keep their text, and nothing is held afterwards.
  void Show(const std::string& name,
            const std::function<void(InfoField, const std::string&)>& fill);
  // ShowPluginOptions: false when no library is held (the caller shows "(No File Playing)").
  bool ShowOptions(int x, int y);
  // Release when the options window hides and at exit. Safe to call at any time.
  void Release();

  bool Held() const { return module_ != nullptr; }
  const std::string& Name() const { return name_; }

 private:
  enum Slot {
    init,
    deinit,
    dllname,
    author,
    version,
    date,
    support,
    info,
    showoptionspopup,
    SlotCount
  };

  SharedModules& shared_;
  std::string library_folder_;
  // Handed to init: the program folder without a trailing separator, as a library of the
  // 8-bit contract [0] and one that agreed to UTF-8 [1] gets it.
  std::string program_folder_[2];
  const char* program_folder_ref_[2] = {"", ""};

  std::string name_;
  ModuleHandle module_ = nullptr;
  EntryAddress entries_[SlotCount] = {};
};

}  // namespace velmora
