// The Win32 module system: libraries loaded by full path with a restricted search path,
// held in RAII wrappers while in use, and every call into them guarded.
#include <windows.h>

#include <cstring>
#include <memory>

#include "plugins/guarded_call_win.h"
#include "plugins/input_plugin.h"
#include "plugins/input_plugin_abi.h"
#include "plugins/plugin_system_win.h"
#include "ui/handles_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

// On i686 a library that declares an entry with the wrong calling convention leaves the
// stack pointer off after the call. Each thunk has a frame pointer and no tail call, so
// its epilogue restores the stack pointer from the frame whatever the callee did.
#define VELMORA_THUNK \
  __attribute__((noinline, optimize("no-omit-frame-pointer", "no-optimize-sibling-calls")))

VELMORA_THUNK void ThunkVoid(EntryAddress e) { reinterpret_cast<PluginVoidFn>(e)(); }
VELMORA_THUNK void ThunkRef(EntryAddress e, const char* const* ref) {
  reinterpret_cast<PluginPlayFn>(e)(const_cast<VelmoraStringRef*>(ref));
}
VELMORA_THUNK const char* ThunkRefText(EntryAddress e, const char* const* ref) {
  return reinterpret_cast<PluginLoadFn>(e)(const_cast<VelmoraStringRef*>(ref));
}
VELMORA_THUNK const char* ThunkText(EntryAddress e) { return reinterpret_cast<PluginTextFn>(e)(); }
VELMORA_THUNK VelmoraFlag ThunkFlag(EntryAddress e) { return reinterpret_cast<PluginFlagFn>(e)(); }
VELMORA_THUNK int32_t ThunkInt(EntryAddress e) { return reinterpret_cast<PluginIntFn>(e)(); }
VELMORA_THUNK void ThunkIntArg(EntryAddress e, int32_t v) { reinterpret_cast<PluginJumpFn>(e)(v); }
VELMORA_THUNK void ThunkPoint(EntryAddress e, int32_t x, int32_t y) {
  reinterpret_cast<PluginPopupFn>(e)(x, y);
}

[[noreturn]] void Fail() {
  throw PluginCrashed("The plug-in failed: " + guard::DescribeFault(guard::LastFaultCode()));
}

// Text handed back by a library is measured and copied while still under the guard, so a
// bad pointer is the library's fault here and not a crash later in the player.
// Each is read within a bound: text without its terminator (or of megabytes) is cut there
// instead of being read on until a fault.
struct TextResult {
  const char* text = nullptr;
  size_t length = 0;
  std::string* out = nullptr;
};
void CopyText(TextResult& r) {
  if (!r.text) {
    r.out->clear();
    return;
  }
  r.length = guard::ForeignTextLength(r.text, kPluginTextLimit);
  r.out->assign(r.text, r.length);
}

// File names compare without regard to case, as the file system does.
std::string Lower(std::string s) {
  if (s.empty()) return s;
  std::wstring wide = ui::Widen(s);
  CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
  return ui::Narrow(wide);
}

std::string FullPathOf(const std::string& path) {
  return ui::FullPathName(path);
}

// Functions that older Windows versions lack are looked up at run time, so that the
// program still starts there (the test command checks the import tables for them).
template <typename Fn>
Fn KernelFunction(const char* name) {
  static HMODULE const kernel = GetModuleHandleA("kernel32.dll");
  return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                : nullptr;
}

// Set when the process search path is restricted with SetDefaultDllDirectories, which
// makes the LOAD_LIBRARY_SEARCH_* flags of LoadLibraryEx available (Windows 8, and 7 or
// Vista with update KB2533623).
bool g_search_flags = false;

// Modes that keep the loader from asking the user about a library it cannot map: for
// this thread where the system can (Windows 7 on), else for the process while loading.
class QuietErrors {
 public:
  QuietErrors() {
    if (set_thread_mode_) {
      set_thread_mode_(kQuiet, &old_);
    } else {
      old_ = SetErrorMode(kQuiet);
    }
  }
  ~QuietErrors() {
    if (set_thread_mode_) {
      set_thread_mode_(old_, nullptr);
    } else {
      SetErrorMode(old_);
    }
  }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  using SetThreadErrorModeFn = BOOL(WINAPI*)(DWORD, LPDWORD);
  static constexpr DWORD kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  SetThreadErrorModeFn set_thread_mode_ =
      KernelFunction<SetThreadErrorModeFn>("SetThreadErrorMode");
  DWORD old_ = 0;
};

class Win32ModuleSystem : public ModuleSystem {
 public:
  ModuleHandle FindLoaded(const std::string& bare_name, const std::string& full_path) override {
    HMODULE module = GetModuleHandleW(ui::Widen(bare_name).c_str());
    if (!module) return nullptr;
    // The same bare name may belong to another file (a system library, a library of the
    // same name elsewhere); only the file in our library folder counts.
    const std::string loaded = ui::ModuleFileName(module);
    if (loaded.empty()) return nullptr;
    if (Lower(FullPathOf(loaded)) != Lower(FullPathOf(full_path))) return nullptr;
    return module;
  }

  ModuleHandle Load(const std::string& full_path) override {
    RestrictDllSearchPath();
    const std::string path = FullPathOf(full_path);
    HMODULE module = nullptr;
    QuietErrors quiet;
    // Dependencies come from the library's own folder and the system folder only; where
    // the system lacks the search flags, from the library's folder first and never from
    // the working folder (SetDllDirectoryA("")).
    const DWORD flags = g_search_flags
                            ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                            : LOAD_WITH_ALTERED_SEARCH_PATH;
    // A fault in the start-up of the library (or of a library it needs) fails the load.
    guard::Guarded(guard::Owner{nullptr},
                   [&] { module = ui::LoadLibraryUtf8(path, flags); });
    return module;
  }

  EntryAddress Resolve(ModuleHandle module, const char* name) override {
    if (!module) return nullptr;
    return reinterpret_cast<EntryAddress>(GetProcAddress(static_cast<HMODULE>(module), name));
  }

  void Free(ModuleHandle module) override {
    if (!module) return;
    guard::Guarded(guard::Owner{module}, [&] { FreeLibrary(static_cast<HMODULE>(module)); });
  }

  std::vector<std::string> ListLibraryFiles(const std::string& folder) override {
    std::vector<std::string> names;
    ui::ForEachFile(folder + "*.dll", [&](const ui::FoundFile& data) {
      if (data.name != "." && data.name != "..")
        names.push_back(data.name);
    });
    return names;
  }

  void CallVoid(EntryAddress e) override {
    if (!guard::Guarded(guard::Owner{e}, ThunkVoid, e)) Fail();
  }
  void CallRef(EntryAddress e, const char* const* ref) override {
    if (!guard::Guarded(guard::Owner{e}, ThunkRef, e, ref)) Fail();
  }
  std::string CallRefText(EntryAddress e, const char* const* ref) override {
    std::string out;
    TextResult r;
    r.out = &out;
    if (!guard::Guarded(guard::Owner{e}, [&] {
          r.text = ThunkRefText(e, ref);
          CopyText(r);
        })) {
      Fail();
    }
    return out;
  }
  std::string CallText(EntryAddress e) override {
    std::string out;
    TextResult r;
    r.out = &out;
    if (!guard::Guarded(guard::Owner{e}, [&] {
          r.text = ThunkText(e);
          CopyText(r);
        })) {
      Fail();
    }
    return out;
  }
  bool CallFlag(EntryAddress e) override {
    VelmoraFlag flag = 0;
    if (!guard::Guarded(guard::Owner{e}, [&] { flag = ThunkFlag(e); })) Fail();
    return (flag & 0xFFu) != 0;
  }
  int32_t CallInt(EntryAddress e) override {
    int32_t value = 0;
    if (!guard::Guarded(guard::Owner{e}, [&] { value = ThunkInt(e); })) Fail();
    return value;
  }
  void CallIntArg(EntryAddress e, int32_t v) override {
    if (!guard::Guarded(guard::Owner{e}, ThunkIntArg, e, v)) Fail();
  }
  void CallPoint(EntryAddress e, int32_t x, int32_t y) override {
    if (!guard::Guarded(guard::Owner{e}, ThunkPoint, e, x, y)) Fail();
  }

  const LegacyNames* Legacy() const override { return &SystemLegacyNames(); }
};

}  // namespace

void RestrictDllSearchPath() {
  static const bool done = [] {
    // Neither the working folder nor the folder of an opened file is ever searched.
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (auto set_dll_directory = KernelFunction<SetDllDirectoryFn>("SetDllDirectoryA"))
      set_dll_directory("");
    auto set_default = KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    g_search_flags =
        set_default && set_default(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
    return true;
  }();
  (void)done;
}

std::unique_ptr<ModuleSystem> CreateWin32ModuleSystem() {
  RestrictDllSearchPath();
  return std::make_unique<Win32ModuleSystem>();
}

}  // namespace velmora
