#include "plugins/plugin_loader.h"

#include <utility>

namespace velmora {

SharedModules::Acquired SharedModules::Acquire(const std::string& name,
                                               const std::string& full_path) {
  Acquired result;
  const ModuleHandle existing = modules_.FindLoaded(name, full_path);
  // Every holder takes a reference of its own, even on a library already in the process,
  // so that the other holder's release cannot unload it.
  const ModuleHandle module = modules_.Load(full_path);
  if (!module) return result;
  result.module = module;
  result.fresh = existing == nullptr;
  ++holders_[module];
  return result;
}

int SharedModules::Holders(ModuleHandle module) const {
  const auto it = holders_.find(module);
  return it == holders_.end() ? 0 : it->second;
}

void SharedModules::Abandon(ModuleHandle module) {
  const auto it = holders_.find(module);
  if (it == holders_.end()) return;
  if (--it->second <= 0) holders_.erase(it);
}

void SharedModules::Release(ModuleHandle module) {
  if (!module) return;
  Abandon(module);
  modules_.Free(module);
}

PluginLoader::PluginLoader(SharedModules& shared, std::function<void()> process_messages)
    : shared_(shared), modules_(shared.Modules()), process_messages_(std::move(process_messages)) {}

void PluginLoader::SetProgramFolder(const std::string& program_folder) {
  library_folder_ = program_folder + "\\Library\\";
  // Both forms stay put for as long as the loader lives: a library may keep the pointer.
  program_folder_text_[1] = program_folder + "\\";
  program_folder_text_[0] = NameForLibrary(modules_, false, program_folder_text_[1]);
  for (int utf8 = 0; utf8 < 2; ++utf8)
    program_folder_ref_[utf8] = program_folder_text_[utf8].c_str();
}

void PluginLoader::LoadPlugin(const std::string& name) {
  if (closed_) return;
  name_ = name;
  try {
    ClearEntries();
    module_ = nullptr;
    const auto acquired = shared_.Acquire(name, library_folder_ + name);
    module_ = acquired.module;
    if (!module_) return;
    for (int i = 0; i < static_cast<int>(PluginEntry::Count); ++i) {
      entries_[i] = modules_.Resolve(module_, PluginEntryName(static_cast<PluginEntry>(i)));
    }
    utf8_ = NegotiateUtf8Names(modules_, module_);
    if (acquired.fresh && Has(PluginEntry::init)) {
      modules_.CallRef(Entry(PluginEntry::init), &program_folder_ref_[utf8_ ? 1 : 0]);
    }
  } catch (...) {
    // A library that faults in init keeps the entries it has.
  }
}

void PluginLoader::UnloadPlugin() {
  Pump();
  if (closed_) return;  // the exit ran inside the pump and released everything
  if (!name_.empty() && module_) {
    // Only the last holder de-initialises: the information page may hold it too.
    bool keep = false;
    if (shared_.Holders(module_) <= 1 && Has(PluginEntry::deinit)) {
      try {
        modules_.CallVoid(Entry(PluginEntry::deinit));
      } catch (...) {
        keep = true;  // a library that failed to shut down is not freed under itself
      }
    }
    if (keep) {
      shared_.Abandon(module_);
    } else {
      shared_.Release(module_);
    }
  }
  // The entries pointed into the library just freed; a timer that runs before the next
  // load must find them absent rather than call into unmapped code.
  ClearEntries();
  module_ = nullptr;
  Pump();
  name_.clear();
}

void PluginLoader::UnloadAllPlugins(const std::vector<std::string>& dlls) {
  closed_ = true;
  const EntryAddress deinit = Entry(PluginEntry::deinit);
  ClearEntries();
  if (!name_.empty() && module_) {
    if (deinit && shared_.Holders(module_) <= 1) {
      try {
        modules_.CallVoid(deinit);
      } catch (...) {
        // Let go all the same: a library that cannot shut down is not kept for that.
      }
    }
    shared_.Release(module_);
  }
  module_ = nullptr;
  name_.clear();
  for (const auto& dll : dlls) {
    if (const ModuleHandle left = modules_.FindLoaded(dll, library_folder_ + dll))
      modules_.Free(left);
  }
}

void PluginLoader::SwitchTo(const std::string& library) {
  UnloadPlugin();
  if (closed_) return;
  name_ = library;
  LoadPlugin(library);
}

EntryAddress PluginLoader::Need(PluginEntry entry) const {
  const EntryAddress address = Entry(entry);
  if (!address)
    throw PluginFault(std::string("The plug-in has no entry '") + PluginEntryName(entry) + "'");
  return address;
}

const char* const* PluginLoader::FileRef(const std::string& path) {
  const std::string name = NameForLibrary(modules_, utf8_, path);
  if (current_file_path_ != name || current_file_ref_ != current_file_path_.c_str()) {
    current_file_path_ = name;
    current_file_ref_ = current_file_path_.c_str();
  }
  return &current_file_ref_;
}

std::string PluginLoader::load(const std::string& path) {
  const EntryAddress e = Need(PluginEntry::load);
  return FromLibrary(modules_.CallRefText(e, FileRef(path)));
}
void PluginLoader::play(const std::string& path) {
  const EntryAddress e = Need(PluginEntry::play);
  modules_.CallRef(e, FileRef(path));
}
std::string PluginLoader::webload(const std::string& url) {
  const EntryAddress e = Need(PluginEntry::webload);
  return FromLibrary(modules_.CallRefText(e, FileRef(url)));
}
void PluginLoader::pause() { modules_.CallVoid(Need(PluginEntry::pause)); }
void PluginLoader::stop() { modules_.CallVoid(Need(PluginEntry::stop)); }
void PluginLoader::showoptionspopup(int x, int y) {
  modules_.CallPoint(Need(PluginEntry::showoptionspopup), x, y);
}
bool PluginLoader::playing() { return modules_.CallFlag(Need(PluginEntry::playing)); }
int32_t PluginLoader::length() { return modules_.CallInt(Need(PluginEntry::length)); }
void PluginLoader::jumpto(int32_t ms) { modules_.CallIntArg(Need(PluginEntry::jumpto), ms); }
int32_t PluginLoader::getposition() { return modules_.CallInt(Need(PluginEntry::getposition)); }
bool PluginLoader::paused() { return modules_.CallFlag(Need(PluginEntry::paused)); }
bool PluginLoader::ended() { return modules_.CallFlag(Need(PluginEntry::ended)); }
std::string PluginLoader::bitrate() { return FromLibrary(modules_.CallText(Need(PluginEntry::bitrate))); }
std::string PluginLoader::layer() { return FromLibrary(modules_.CallText(Need(PluginEntry::layer))); }
std::string PluginLoader::frequence() { return FromLibrary(modules_.CallText(Need(PluginEntry::frequence))); }
void PluginLoader::showid3() { modules_.CallVoid(Need(PluginEntry::showid3)); }

}  // namespace velmora
