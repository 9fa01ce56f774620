// The plug-in loader and its guards on real libraries, in this process: every way the
// faulty plug-in can fail is swallowed and reported as a failure of that one call, the
// loader keeps working afterwards, and the scan survives libraries that are not plug-ins.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "plugins/guarded_call_win.h"
#include "plugins/plugin_system_core.h"
#include "plugins/plugin_system_win.h"

namespace velmora::e2e {
namespace {

// A program folder of our own with a Library sub-folder, removed at the end.
class PluginFolder {
 public:
  PluginFolder() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "velmora-guard-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter_++);
    CreateDirectoryA(path_.c_str(), nullptr);
    CreateDirectoryA((path_ + "\\Library").c_str(), nullptr);
  }
  ~PluginFolder() {
    if (const char* keep = getenv("VELMORA_E2E_KEEP"); keep && std::string(keep) == "1") return;
    for (const auto& f : files_) DeleteFileA(f.c_str());
    RemoveDirectoryA((path_ + "\\Library").c_str());
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& Path() const { return path_; }
  std::string Library(const std::string& name) const { return path_ + "\\Library\\" + name; }

  // Copies a test library into Library\ as `as_name`, with an ini named after it.
  void Add(const std::string& source, const std::string& as_name, const std::string& ini = "") {
    const std::string target = Library(as_name);
    ASSERT_TRUE(CopyFileA((TestPluginsFolder() + "\\" + source).c_str(), target.c_str(), FALSE))
        << "cannot copy " << source;
    files_.push_back(target);
    const std::string base = as_name.substr(0, as_name.rfind('.'));
    files_.push_back(Library(base + ".log"));
    if (!ini.empty()) {
      WriteWholeFile(Library(base + ".ini"), ini);
      files_.push_back(Library(base + ".ini"));
    }
  }
  std::vector<std::string> Log(const std::string& as_name) const {
    return ReadLines(Library(as_name.substr(0, as_name.rfind('.')) + ".log"));
  }

 private:
  static inline int counter_ = 0;
  std::string path_;
  std::vector<std::string> files_;
};

struct System {
  explicit System(const std::string& program_folder,
                  std::function<void(const std::string&)> handoff = nullptr)
      : modules(CreateWin32ModuleSystem()),
        core(PluginSystemCore::Deps{*modules, [] {}, std::move(handoff)}, program_folder) {}
  std::unique_ptr<ModuleSystem> modules;
  PluginSystemCore core;
};

int Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// Reads *p under an exception handler of its own (as system libraries probe memory): a
// fault makes the result -1 and execution goes on.
extern "C" int velmora_probe_read(const volatile int* p);
extern "C" EXCEPTION_DISPOSITION velmora_probe_handler(EXCEPTION_RECORD* record, void*,
                                                       CONTEXT* context, void*);
extern "C" char velmora_probe_resume[];
#if defined(__x86_64__)
__asm__(R"(
	.text
	.globl	velmora_probe_read
	.globl	velmora_probe_resume
	.def	velmora_probe_read;	.scl	2;	.type	32;	.endef
	.seh_proc	velmora_probe_read
velmora_probe_read:
	.seh_handler	velmora_probe_handler, @except
	.seh_endprologue
	movl	(%rcx), %eax
velmora_probe_resume:
	nop
	ret
	.seh_endproc
)");
#else
__asm__(R"(
	.text
	.globl	_velmora_probe_read
	.globl	_velmora_probe_resume
_velmora_probe_read:
	pushl	$_velmora_probe_handler
	pushl	%fs:0
	movl	%esp, %fs:0
	movl	12(%esp), %ecx
	movl	(%ecx), %eax
_velmora_probe_resume:
	popl	%fs:0
	addl	$4, %esp
	ret
)");
#endif
extern "C" EXCEPTION_DISPOSITION velmora_probe_handler(EXCEPTION_RECORD* record, void*,
                                                       CONTEXT* context, void*) {
  constexpr DWORD kUnwinding = 0x2 | 0x4;
  if ((record->ExceptionFlags & kUnwinding) ||
      record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION) {
    return ExceptionContinueSearch;
  }
#if defined(__x86_64__)
  context->Rax = 0xFFFFFFFFu;
  context->Rip = reinterpret_cast<DWORD64>(velmora_probe_resume);
#else
  context->Eax = 0xFFFFFFFFu;
  context->Eip = reinterpret_cast<DWORD>(velmora_probe_resume);
#endif
  return ExceptionContinueExecution;
}

// Opaque to the optimiser, as a call into a library is.
__attribute__((noinline)) void WriteThrough(volatile int* p) { *p = 1; }
__attribute__((noinline)) void Undefined(int really) {
  if (really) __asm__ volatile("ud2");
}
__attribute__((noinline)) int Divide(int a, volatile int b) { return a / b; }
__attribute__((noinline)) void Throw() { throw std::runtime_error("thrown through"); }

TEST(Guard, RecoversTheFaultsOfTheOwnersCode) {
  // This program stands in for the library here.
  const guard::Owner self{GetModuleHandleA(nullptr)};
  EXPECT_FALSE(guard::Guarded(self, WriteThrough, nullptr));
  EXPECT_EQ(guard::LastFaultCode(), 0xC0000005u);
  EXPECT_FALSE(guard::Guarded(self, Throw));
  EXPECT_FALSE(guard::Guarded(self, Divide, 100, 0));
  EXPECT_EQ(guard::LastFaultCode(), 0xC0000094u);
  EXPECT_FALSE(guard::Guarded(self, Undefined, 1));
  EXPECT_EQ(guard::LastFaultCode(), 0xC000001Du);
  int value = 0;
  EXPECT_TRUE(guard::Guarded(
      self, [&](int v) { value = v; }, 7));
  EXPECT_EQ(value, 7);
  // Nested guards: the inner fault is the inner call's failure only.
  bool inner = true;
  EXPECT_TRUE(guard::Guarded(self, [&] { inner = guard::Guarded(self, Undefined, 1); }));
  EXPECT_FALSE(inner);
  // Many in a row: nothing is left behind by a fault.
  for (int i = 0; i < 200; ++i) ASSERT_FALSE(guard::Guarded(self, WriteThrough, nullptr));
}

// Records and texts a library hands over are read (and filled in) by the player's own code:
// a bad pointer there is the library's fault, for a call owned by any other library.
TEST(Guard, ReadsOfWhatALibraryHandedOverAreItsFaults) {
  const guard::Owner other{reinterpret_cast<const void*>(&GetTickCount)};
  char copy[16] = "";
  for (uintptr_t bad : {uintptr_t{0x40}, static_cast<uintptr_t>(0xdead0000beefULL)}) {
    void* pointer = reinterpret_cast<void*>(bad);
    EXPECT_FALSE(guard::Guarded(other, [&] { guard::ForeignRead(copy, pointer, 8); }));
    EXPECT_FALSE(guard::Guarded(other, [&] { guard::ForeignWrite(pointer, copy, 8); }));
  }
  // Unterminated text is read up to the bound only.
  const char unterminated[4] = {'a', 'b', 'c', 'd'};
  size_t length = 0;
  EXPECT_TRUE(guard::Guarded(other, [&] { length = guard::ForeignTextLength(unterminated, 3); }));
  EXPECT_EQ(length, 3u);
  EXPECT_TRUE(guard::Guarded(other, [&] { guard::ForeignRead(copy, unterminated, 4); }));
  EXPECT_EQ(std::string(copy, 4), "abcd");
}

// A window of the player that receives its messages while a library's modal loop runs.
class PlayerWindow {
 public:
  PlayerWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmoraGuardTestWindow";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                          nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~PlayerWindow() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }
  int probed = 0;
  bool finished = false;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<PlayerWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_APP && self) {
      self->probed = velmora_probe_read(nullptr);
      self->finished = true;
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  HWND hwnd_ = nullptr;
};

TEST(Guard, OtherFaultsOnTheThreadTakeTheirNormalCourse) {
  PluginFolder folder;
  folder.Add("faulty.dll", "faulty_m.dll", "fault_showoptionspopup=pump\n");
  System sys(folder.Path());
  PluginLoader& plugin = sys.core.Loader();
  plugin.SwitchTo("faulty_m.dll");
  ASSERT_NE(plugin.Module(), nullptr);

  // Our own code, handling its own fault, inside a call guarded for the library.
  int probed = 0;
  EXPECT_TRUE(
      guard::Guarded(guard::Owner{plugin.Module()}, [&] { probed = velmora_probe_read(nullptr); }));
  EXPECT_EQ(probed, -1);

  // The player's window procedure, run by the library's modal loop, does the same.
  PlayerWindow window;
  ASSERT_NE(window.Handle(), nullptr);
  PostMessageA(window.Handle(), WM_APP, 0, 0);
  EXPECT_NO_THROW(plugin.showoptionspopup(1, 2));
  EXPECT_TRUE(window.finished);
  EXPECT_EQ(window.probed, -1);
  plugin.UnloadPlugin();
}

// Every fault kind on every call shape: the call throws PluginFault, the loader goes on.
TEST(Guard, EveryFaultOfThePluginIsSwallowed) {
  const std::vector<std::string> modes = {"null",    "illegal", "divide", "throw",
                                          "badtext", "abort",   "crt"};
  for (const auto& mode : modes) {
    SCOPED_TRACE(mode);
    PluginFolder folder;
    const std::string name = "faulty_" + mode + ".dll";
    std::string ini = "extensions=MP3\n";
    for (const char* entry : {"load", "play", "pause", "stop", "showoptionspopup", "playing",
                              "length", "jumpto", "getposition", "paused", "ended", "bitrate",
                              "layer", "frequence", "showid3", "webload"}) {
      ini += std::string("fault_") + entry + "=" + mode + "\n";
    }
    folder.Add("faulty.dll", name, ini);
    System sys(folder.Path());
    PluginLoader& plugin = sys.core.Loader();
    plugin.SwitchTo(name);
    ASSERT_NE(plugin.Module(), nullptr);
    ASSERT_TRUE(plugin.Has(PluginEntry::load));

    const bool text_only = mode == "badtext";
    EXPECT_THROW(plugin.load("C:\\a.mp3"), PluginFault);
    EXPECT_THROW(plugin.webload("http://x/y"), PluginFault);
    EXPECT_THROW(plugin.bitrate(), PluginFault);
    EXPECT_THROW(plugin.layer(), PluginFault);
    EXPECT_THROW(plugin.frequence(), PluginFault);
    if (!text_only) {
      EXPECT_THROW(plugin.play("C:\\a.mp3"), PluginFault);
      EXPECT_THROW(plugin.pause(), PluginFault);
      EXPECT_THROW(plugin.stop(), PluginFault);
      EXPECT_THROW(plugin.showoptionspopup(1, 2), PluginFault);
      EXPECT_THROW(plugin.playing(), PluginFault);
      EXPECT_THROW(plugin.length(), PluginFault);
      EXPECT_THROW(plugin.jumpto(5), PluginFault);
      EXPECT_THROW(plugin.getposition(), PluginFault);
      EXPECT_THROW(plugin.paused(), PluginFault);
      EXPECT_THROW(plugin.ended(), PluginFault);
      EXPECT_THROW(plugin.showid3(), PluginFault);
    } else {
      EXPECT_NO_THROW(plugin.play("C:\\a.mp3"));
    }
    // The entries that do not fault still answer, flags from the low byte only.
    plugin.UnloadPlugin();
    EXPECT_EQ(plugin.Module(), nullptr);
    EXPECT_FALSE(plugin.Has(PluginEntry::load));
  }
}

TEST(Guard, FlagsTextsAndTheProgramFolderReference) {
  PluginFolder folder;
  folder.Add("faulty.dll", "faulty_ok.dll", "extensions=MP3\n");
  System sys(folder.Path());
  PluginLoader& plugin = sys.core.Loader();
  plugin.SwitchTo("faulty_ok.dll");
  EXPECT_EQ(plugin.load("C:\\music\\a.mp3"), "Faulty title");
  EXPECT_FALSE(plugin.playing());  // 0xFF00: low byte zero
  EXPECT_TRUE(plugin.paused());    // 0x101: low byte one
  EXPECT_EQ(plugin.length(), 1000);
  EXPECT_EQ(plugin.frequence(), "44100");
  plugin.UnloadPlugin();
  const auto log = folder.Log("faulty_ok.dll");
  EXPECT_EQ(Count(log, "init " + folder.Path() + "\\"), 1);
  EXPECT_EQ(Count(log, "load C:\\music\\a.mp3"), 1);
  EXPECT_EQ(Count(log, "deinit"), 1);
}

TEST(Guard, FaultingInitAndDeinit) {
  PluginFolder folder;
  folder.Add("faulty.dll", "faulty_d.dll", "fault_init=throw\nfault_deinit=null\n");
  System sys(folder.Path());
  PluginLoader& plugin = sys.core.Loader();
  plugin.SwitchTo("faulty_d.dll");
  // init failed, but the entries resolved before it stay.
  EXPECT_EQ(plugin.layer(), "3");
  plugin.UnloadPlugin();
  // A library that faulted in deinit is kept, not freed under itself ...
  EXPECT_NE(GetModuleHandleA("faulty_d.dll"), nullptr);
  // ... and freed at exit with every listed library still loaded.
  sys.core.ScanLibraryFolder();
  sys.core.UnloadAllPlugins();
  EXPECT_EQ(GetModuleHandleA("faulty_d.dll"), nullptr);
}

TEST(Guard, ScanSurvivesLibrariesThatAreNotPlugins) {
  PluginFolder folder;
  folder.Add("not_a_library.dll", "not_a_library.dll");
  folder.Add("dllmain_fails.dll", "dllmain_fails.dll");
  if (FileExists(TestPluginsFolder() + "\\wrong_bitness.dll"))
    folder.Add("wrong_bitness.dll", "wrong_bitness.dll");
  folder.Add("faulty.dll", "faulty_ext.dll", "fault_extension=null\n");
  folder.Add("faulty.dll", "faulty_bad.dll", "fault_extension=badtext\n");
  folder.Add("faulty.dll", "faulty_ok.dll", "extensions=OGG,WAV\n");
  std::vector<std::string> handed;
  System sys(folder.Path(), [&](const std::string& path) { handed.push_back(path); });
  sys.core.ScanLibraryFolder();

  auto dlls = sys.core.Dlls();
  std::sort(dlls.begin(), dlls.end());
  EXPECT_EQ(dlls, (std::vector<std::string>{"faulty_bad.dll", "faulty_ext.dll", "faulty_ok.dll"}));
  int empty_rows = 0;
  for (const auto& row : sys.core.Table().Rows()) {
    if (row.library == "faulty_ext.dll" || row.library == "faulty_bad.dll") {
      EXPECT_EQ(row.extension, "");
      ++empty_rows;
    }
  }
  EXPECT_EQ(empty_rows, 2);
  EXPECT_EQ(sys.core.Table().Rows().size(), 4u);
  EXPECT_TRUE(sys.core.Selector().IsSupportedExtension("ogg"));
  // Everything else goes on to the visualisation/design hand-off, with its full path.
  for (const auto& path : handed)
    EXPECT_EQ(path.rfind(folder.Path() + "\\Library\\", 0), 0u) << path;
  EXPECT_GE(handed.size(), 2u);
  // Nothing stays loaded after the scan.
  EXPECT_EQ(GetModuleHandleA("faulty_ok.dll"), nullptr);
}

TEST(Guard, InfoPageSharesTheCurrentPluginSafely) {
  PluginFolder folder;
  folder.Add("faulty.dll", "faulty_s.dll", "extensions=MP3\n");
  System sys(folder.Path());
  sys.core.ScanLibraryFolder();
  ASSERT_TRUE(sys.core.Selector().SelectPluginForFile("C:\\a.mp3"));
  sys.core.ShowPluginInfo("faulty_s.dll");
  // Shown without a second init; hiding the page neither de-initialises nor unloads it.
  sys.core.ReleaseInfoLibrary();
  EXPECT_EQ(sys.core.Current().layer(), "3");
  auto log = folder.Log("faulty_s.dll");
  EXPECT_EQ(Count(log, "init " + folder.Path() + "\\"), 1);
  EXPECT_EQ(Count(log, "deinit"), 0);
  EXPECT_EQ(Count(log, "author"), 1);

  // The other order: the page holds it, the player switches away, the page still works.
  sys.core.ShowPluginInfo("faulty_s.dll");
  sys.core.Loader().UnloadPlugin();
  EXPECT_TRUE(sys.core.ShowPluginOptions(3, 4));
  sys.core.ReleaseInfoLibrary();
  log = folder.Log("faulty_s.dll");
  EXPECT_EQ(Count(log, "showoptionspopup 3 4"), 1);
  EXPECT_EQ(Count(log, "deinit"), 1);
  EXPECT_EQ(GetModuleHandleA("faulty_s.dll"), nullptr);
}

TEST(Guard, ALibraryPlantedInTheWorkingFolderIsNeverLoaded) {
  PluginFolder folder;
  folder.Add("faulty.dll", "planted.dll");
  char old_dir[MAX_PATH];
  GetCurrentDirectoryA(sizeof old_dir, old_dir);
  SetCurrentDirectoryA((folder.Path() + "\\Library").c_str());
  RestrictDllSearchPath();
  HMODULE planted = LoadLibraryA("planted.dll");
  SetCurrentDirectoryA(old_dir);
  EXPECT_EQ(planted, nullptr);
  if (planted) FreeLibrary(planted);
}

}  // namespace
}  // namespace velmora::e2e
