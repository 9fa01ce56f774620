#include "plugins/plugin_names.h"

#include "plugins/module_system.h"
#include "ui/utf8.h"

namespace velmora {

std::string NameForLegacyLibrary(const std::string& utf8_name, const LegacyNames& system) {
  if (!ui::HasNonAscii(utf8_name) || system.CodePageIsUtf8()) return utf8_name;
  if (auto exact = system.ToCodePage(utf8_name)) return *exact;
  const std::string alias = system.ShortAlias(utf8_name);
  if (!alias.empty()) {
    if (auto exact = system.ToCodePage(alias)) return *exact;
  }
  return system.ToCodePageLossy(utf8_name);
}

bool NegotiateUtf8Names(ModuleSystem& modules, ModuleHandle module) {
  const EntryAddress entry = modules.Resolve(module, "utf8names");
  if (!entry) return false;
  try {
    return modules.CallFlag(entry);
  } catch (...) {
    // A library that faults while asked is taken as not knowing UTF-8 names: it gets
    // names in the code page, which every library takes.
    return false;
  }
}

std::string NameForLibrary(const ModuleSystem& modules, bool utf8, const std::string& name) {
  const LegacyNames* legacy = modules.Legacy();
  return utf8 || !legacy ? name : NameForLegacyLibrary(name, *legacy);
}

std::string TextFromLibrary(const ModuleSystem& modules, bool utf8, const std::string& text) {
  const LegacyNames* legacy = modules.Legacy();
  if (utf8 || !legacy || !ui::HasNonAscii(text)) return text;
  if (legacy->CodePageIsUtf8() && !ui::IsValidUtf8(text)) return legacy->FromSystemCodePage(text);
  return legacy->FromCodePage(text);
}

}  // namespace velmora
