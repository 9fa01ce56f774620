// The operating system's side of plug-in libraries, as the portable loader sees it:
// finding, loading, resolving and freeing modules, listing a folder, and calling an
// entry point in each of the call shapes of the input plug-in contract. The Win32
// layer implements every call under a fault guard; unit tests use a fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plugins/plugin_names.h"

namespace velmora {

using ModuleHandle = void*;  // null: none

// Text results are read within a bound when they are copied in (text without its
// terminator is cut there); names and descriptions are cut further to the second.
inline constexpr size_t kPluginTextLimit = 1024;
inline constexpr size_t kPluginNameLimit = 255;
using EntryAddress = void*;  // null: absent

class ModuleSystem {
 public:
  virtual ~ModuleSystem() = default;

  // The module already in the process that was loaded from full_path (found by its bare
  // file name), or null. Never loads anything.
  virtual ModuleHandle FindLoaded(const std::string& bare_name, const std::string& full_path) = 0;
  // Loads by full path only (never from the working folder or beside a media file);
  // null on any failure, including a library whose start-up fails or faults.
  virtual ModuleHandle Load(const std::string& full_path) = 0;
  virtual EntryAddress Resolve(ModuleHandle module, const char* name) = 0;
  // Failures (and faults while the library shuts down) are swallowed.
  virtual void Free(ModuleHandle module) = 0;

  // File names (no folder) matching folder + "*.dll", in enumeration order.
  virtual std::vector<std::string> ListLibraryFiles(const std::string& folder) = 0;

  // Calls of the entry shapes. Each throws PluginFault when the entry faults; text
  // results are copied before returning. A string reference is the address of a
  // variable that the caller keeps alive for as long as the library may read it.
  virtual void CallVoid(EntryAddress entry) = 0;
  virtual void CallRef(EntryAddress entry, const char* const* ref) = 0;
  virtual std::string CallRefText(EntryAddress entry, const char* const* ref) = 0;
  virtual std::string CallText(EntryAddress entry) = 0;
  virtual bool CallFlag(EntryAddress entry) = 0;  // low byte only
  virtual int32_t CallInt(EntryAddress entry) = 0;
  virtual void CallIntArg(EntryAddress entry, int32_t value) = 0;
  virtual void CallPoint(EntryAddress entry, int32_t x, int32_t y) = 0;

  // How names cross to a library of the 8-bit contract; null: they pass unchanged (as
  // where the code page is UTF-8).
  virtual const LegacyNames* Legacy() const { return nullptr; }
};

// Asks a freshly loaded library whether it takes UTF-8 (`utf8names`); false when it lacks
// the entry, answers 0 or faults.
bool NegotiateUtf8Names(ModuleSystem& modules, ModuleHandle module);

// The form of a name (or folder, or URL) that a library gets, and the UTF-8 of a text it
// handed back, by whether it agreed to UTF-8. A library of the 8-bit contract that hands
// back text that is not UTF-8 where the code page is UTF-8 was written for the system's
// legacy code page (a title from an old tag): its text is read in that code page.
std::string NameForLibrary(const ModuleSystem& modules, bool utf8, const std::string& name);
std::string TextFromLibrary(const ModuleSystem& modules, bool utf8, const std::string& text);

}  // namespace velmora
