#include "plugins/info_library.h"

namespace velmora {

void InfoLibrary::SetProgramFolder(const std::string& program_folder) {
  library_folder_ = program_folder + "\\Library\\";
  program_folder_[1] = program_folder;
  program_folder_[0] = NameForLibrary(shared_.Modules(), false, program_folder);
  for (int utf8 = 0; utf8 < 2; ++utf8) program_folder_ref_[utf8] = program_folder_[utf8].c_str();
}

void InfoLibrary::Show(const std::string& name,
                       const std::function<void(InfoField, const std::string&)>& fill) {
  Release();
  ModuleSystem& modules = shared_.Modules();
  name_ = name;
  for (auto& e : entries_) e = nullptr;

  bool initialised = false;
  try {
    // The current plug-in's library is found in the process and shared, not initialised
    // a second time; any other library is loaded and initialised for the page.
    const auto acquired = shared_.Acquire(name, library_folder_ + name);
    module_ = acquired.module;
    if (!module_) throw PluginFault("The library does not load");
    static const char* const kNames[SlotCount] = {"init",    "deinit",  "dllname",
                                                  "author",  "version", "date",
                                                  "support", "info",    "showoptionspopup"};
    for (int i = 0; i < SlotCount; ++i) entries_[i] = modules.Resolve(module_, kNames[i]);
    const bool utf8 = NegotiateUtf8Names(modules, module_);
    if (acquired.fresh && entries_[init]) {
      modules.CallRef(entries_[init], &program_folder_ref_[utf8 ? 1 : 0]);
      initialised = true;
    }
    const struct {
      InfoField field;
      Slot slot;
    } kOrder[] = {{InfoField::author, author}, {InfoField::dllname, dllname},
                  {InfoField::date, date},     {InfoField::info, info},
                  {InfoField::files, support}, {InfoField::version, version}};
    for (const auto& step : kOrder) {
      if (!entries_[step.slot]) throw PluginFault("missing entry");
      std::string text = TextFromLibrary(modules, utf8, modules.CallText(entries_[step.slot]));
      if (text.size() > kPluginNameLimit) text.resize(kPluginNameLimit);
      if (fill) fill(step.field, text);
    }
  } catch (...) {
    // Nothing stays held after a failure; a library this page initialised is shut down.
    if (module_) {
      if (initialised && entries_[deinit] && shared_.Holders(module_) <= 1) {
        try {
          modules.CallVoid(entries_[deinit]);
        } catch (...) {
          // Already failing: the library is let go whether its shutdown works or not.
        }
      }
      shared_.Release(module_);
    }
    name_.clear();
    module_ = nullptr;
    for (auto& e : entries_) e = nullptr;
  }
}

bool InfoLibrary::ShowOptions(int x, int y) {
  if (!module_) return false;
  if (entries_[showoptionspopup]) {
    try {
      shared_.Modules().CallPoint(entries_[showoptionspopup], x, y);
    } catch (...) {
      // The plug-in's own menu: a plug-in that faults in it shows none, as the
      // plug-in contract lets a plug-in discard the request.
    }
  }
  return true;
}

void InfoLibrary::Release() {
  if (module_) {
    // While the player holds the same library it stays initialised and loaded.
    if (entries_[deinit] && shared_.Holders(module_) <= 1) {
      try {
        shared_.Modules().CallVoid(entries_[deinit]);
      } catch (...) {
        // Let go all the same: a library that cannot shut down is not kept for that.
      }
    }
    shared_.Release(module_);
  }
  name_.clear();
  module_ = nullptr;
  for (auto& e : entries_) e = nullptr;
}

}  // namespace velmora
