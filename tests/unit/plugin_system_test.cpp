// The plug-in loader, the information page's library and the scan, on a fake module
// system that counts references the way the operating system does and logs every call.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "plugins/plugin_lists_view.h"
#include "plugins/plugin_system_core.h"

namespace velmora {
namespace {

const std::string kFolder = "C:\\Prog";
const std::string kLib = "C:\\Prog\\Library\\";

class FakeModules : public ModuleSystem {
 public:
  struct Entry {
    std::string library;
    std::string name;
  };
  struct Library {
    bool loads = true;
    std::map<std::string, std::unique_ptr<Entry>> entries;
    std::set<std::string> faults;
    std::string extension_text = "MP3";
    int refs = 0;
  };

  // A library at Library\<name> exporting `entries`.
  Library& Add(const std::string& name, std::vector<std::string> entries) {
    Library& lib = libs_[name];
    for (const auto& e : entries) lib.entries[e] = std::make_unique<Entry>(Entry{name, e});
    return lib;
  }
  static std::vector<std::string> AllEntries() {
    std::vector<std::string> all;
    for (int i = 0; i < static_cast<int>(PluginEntry::Count); ++i)
      all.push_back(PluginEntryName(static_cast<PluginEntry>(i)));
    all.push_back("extension");
    return all;
  }
  int Refs(const std::string& name) { return libs_[name].refs; }
  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& line : log) n += line == call;
    return n;
  }

  ModuleHandle FindLoaded(const std::string& bare, const std::string& full) override {
    auto it = libs_.find(bare);
    if (it == libs_.end() || it->second.refs == 0 || full != kLib + bare) return nullptr;
    return &it->second;
  }
  ModuleHandle Load(const std::string& full) override {
    if (full.rfind(kLib, 0) != 0) return nullptr;
    auto it = libs_.find(full.substr(kLib.size()));
    if (it == libs_.end() || !it->second.loads) return nullptr;
    ++it->second.refs;
    return &it->second;
  }
  EntryAddress Resolve(ModuleHandle module, const char* name) override {
    auto& entries = static_cast<Library*>(module)->entries;
    auto it = entries.find(name);
    return it == entries.end() ? nullptr : it->second.get();
  }
  void Free(ModuleHandle module) override {
    auto* lib = static_cast<Library*>(module);
    if (lib->refs > 0) --lib->refs;
    ++frees;
  }
  std::vector<std::string> ListLibraryFiles(const std::string& folder) override {
    EXPECT_EQ(folder, kLib);
    return listing;
  }

  void CallVoid(EntryAddress e) override { Call(e, ""); }
  void CallRef(EntryAddress e, const char* const* ref) override { Call(e, *ref); }
  std::string CallRefText(EntryAddress e, const char* const* ref) override {
    Call(e, *ref);
    return load_title;
  }
  std::string CallText(EntryAddress e) override {
    Call(e, "");
    auto* entry = static_cast<Entry*>(e);
    if (entry->name == "extension") return libs_[entry->library].extension_text;
    return entry->name + " of " + entry->library;
  }
  bool CallFlag(EntryAddress e) override {
    Call(e, "");
    return true;
  }
  int32_t CallInt(EntryAddress e) override {
    Call(e, "");
    return 42;
  }
  void CallIntArg(EntryAddress e, int32_t v) override { Call(e, std::to_string(v)); }
  void CallPoint(EntryAddress e, int32_t x, int32_t y) override {
    Call(e, std::to_string(x) + " " + std::to_string(y));
  }

  const LegacyNames* Legacy() const override { return legacy; }

  std::vector<std::string> log;
  std::vector<std::string> listing;
  int frees = 0;
  std::string load_title = "title";
  const LegacyNames* legacy = nullptr;

 private:
  void Call(EntryAddress e, const std::string& arg) {
    auto* entry = static_cast<Entry*>(e);
    Library& lib = libs_[entry->library];
    EXPECT_GT(lib.refs, 0) << "call into an unloaded library: " << entry->library << " "
                           << entry->name;
    log.push_back(entry->library + ": " + entry->name + (arg.empty() ? "" : " " + arg));
    if (lib.faults.count(entry->name)) throw PluginFault("fault in " + entry->name);
  }
  std::map<std::string, Library> libs_;
};

class RecordingView : public PluginListsView {
 public:
  void StartScanTimer() override { ++timer_starts; }
  void StopScanTimer() override {}
  void SetScanning(bool scanning) override {
    captions.push_back(scanning ? "Scanning for dll's... Please wait !" : "Velmora Options");
  }
  void SetDlls(const std::vector<std::string>& names) override { dlls = names; }
  void SetExtensionRows(const std::vector<ExtensionRow>& rows) override { row_count = rows.size(); }
  void SetExtensionList(const std::vector<std::string>& e) override { list_box1 = e; }
  void SetInfoField(InfoField field, const std::string& text) override { fields[field] = text; }
  int timer_starts = 0;
  std::vector<std::string> captions, dlls, list_box1;
  size_t row_count = 0;
  std::map<InfoField, std::string> fields;
};

struct Fixture : ::testing::Test {
  FakeModules modules;
  int pumps = 0;
  std::function<void()> on_pump;  // window messages that run inside the loader's pump
  std::vector<std::string> handed;
  std::unique_ptr<PluginSystemCore> core;
  void Make() {
    const auto pump = [this] {
      ++pumps;
      if (on_pump) on_pump();
    };
    core = std::make_unique<PluginSystemCore>(
        PluginSystemCore::Deps{modules, pump,
                               [this](const std::string& p) { handed.push_back(p); }},
        kFolder);
  }
};

using PluginLoaderTest = Fixture;

TEST_F(PluginLoaderTest, SwitchingDeinitsTheOldAndInitsTheNewOnce) {
  modules.Add("a.dll", FakeModules::AllEntries());
  modules.Add("b.dll", FakeModules::AllEntries());
  Make();
  PluginLoader& loader = core->Loader();
  loader.SwitchTo("a.dll");
  EXPECT_EQ(loader.load("C:\\x.mp3"), "title");
  loader.SwitchTo("b.dll");
  EXPECT_EQ(modules.log,
            (std::vector<std::string>{"a.dll: init C:\\Prog\\", "a.dll: load C:\\x.mp3",
                                      "a.dll: deinit", "b.dll: init C:\\Prog\\"}));
  EXPECT_EQ(modules.Refs("a.dll"), 0);
  EXPECT_EQ(modules.Refs("b.dll"), 1);
  EXPECT_EQ(loader.Name(), "b.dll");
  EXPECT_GE(pumps, 2);  // before and after the unload
}

// Marks what crossed through the code page instead of converting it.
struct MarkingLegacyNames : LegacyNames {
  bool utf8 = false;
  bool CodePageIsUtf8() const override { return utf8; }
  std::optional<std::string> ToCodePage(const std::string& t) const override {
    return "acp(" + t + ")";
  }
  std::string ToCodePageLossy(const std::string& t) const override { return "lossy(" + t + ")"; }
  std::string ShortAlias(const std::string&) const override { return {}; }
  std::string FromCodePage(const std::string& t) const override { return "utf8(" + t + ")"; }
  std::string FromSystemCodePage(const std::string& t) const override {
    return "system(" + t + ")";
  }
};

TEST_F(PluginLoaderTest, ALibraryThatAgreesToUtf8GetsAndGivesUtf8AndOthersTheCodePage) {
  MarkingLegacyNames legacy;
  modules.legacy = &legacy;
  modules.load_title = "t\xC3\xAFtle";
  const std::string name = "C:\\caf\xC3\xA9.mp3";
  std::vector<std::string> wide = FakeModules::AllEntries();
  wide.push_back("utf8names");
  modules.Add("legacy.dll", FakeModules::AllEntries());
  modules.Add("wide.dll", wide);
  Make();
  PluginLoader& loader = core->Loader();
  loader.SwitchTo("legacy.dll");
  EXPECT_FALSE(loader.TakesUtf8());
  EXPECT_EQ(loader.load(name), "utf8(" + modules.load_title + ")");
  EXPECT_EQ(modules.log.back(), "legacy.dll: load acp(" + name + ")");
  loader.SwitchTo("wide.dll");
  EXPECT_TRUE(loader.TakesUtf8());
  EXPECT_EQ(loader.load(name), modules.load_title);
  EXPECT_EQ(std::vector<std::string>(modules.log.end() - 3, modules.log.end()),
            (std::vector<std::string>{"wide.dll: utf8names", "wide.dll: init C:\\Prog\\",
                                      "wide.dll: load " + name}));

  // Where the code page is UTF-8, an 8-bit library's names pass as they are; a text of
  // it that is not UTF-8 came from the system's legacy code page.
  legacy.utf8 = true;
  loader.SwitchTo("legacy.dll");
  EXPECT_EQ(loader.load(name), "utf8(" + modules.load_title + ")");
  EXPECT_EQ(modules.log.back(), "legacy.dll: load " + name);
  modules.load_title = "t\xEFtle";
  EXPECT_EQ(loader.load(name), "system(t\xEFtle)");
}

TEST_F(PluginLoaderTest, AbsentEntriesThrowAndALibraryThatDoesNotLoadIsNotRetried) {
  modules.Add("min.dll", {"load", "play"});
  modules.Add("broken.dll", {"init"}).loads = false;
  Make();
  PluginLoader& loader = core->Loader();
  loader.SwitchTo("min.dll");  // no init: harmless
  EXPECT_TRUE(loader.Has(PluginEntry::load));
  EXPECT_FALSE(loader.Has(PluginEntry::playing));
  EXPECT_FALSE(loader.PlayingReportsTrue());
  EXPECT_THROW(loader.stop(), PluginFault);
  loader.SwitchTo("broken.dll");
  EXPECT_EQ(loader.Name(), "broken.dll");
  EXPECT_FALSE(loader.Has(PluginEntry::load));
  EXPECT_THROW(loader.load("x"), PluginFault);
}

TEST_F(PluginLoaderTest, ALibraryAlreadyInTheProcessIsReusedWithoutASecondInit) {
  modules.Add("a.dll", FakeModules::AllEntries());
  Make();
  core->ShowPluginInfo("a.dll");  // the information page loads and initialises it
  core->Loader().SwitchTo("a.dll");
  EXPECT_EQ(modules.Count("a.dll: init C:\\Prog"), 1);  // the page's init, no trailing separator
  EXPECT_EQ(modules.Count("a.dll: init C:\\Prog\\"), 0);
  EXPECT_EQ(modules.Refs("a.dll"), 2);  // each holder its own reference
}

TEST_F(PluginLoaderTest, AFaultingDeinitKeepsTheLibraryAndEntriesBecomeAbsent) {
  modules.Add("a.dll", FakeModules::AllEntries()).faults = {"deinit"};
  modules.Add("b.dll", FakeModules::AllEntries());
  Make();
  PluginLoader& loader = core->Loader();
  loader.SwitchTo("a.dll");
  loader.UnloadPlugin();
  EXPECT_EQ(modules.Refs("a.dll"), 1);  // not freed under itself
  EXPECT_EQ(loader.Name(), "");
  EXPECT_FALSE(loader.Has(PluginEntry::playing));  // nothing points into it any more
}

TEST_F(PluginLoaderTest, AnExitInsideASwitchsPumpLoadsNothingAgain) {
  modules.Add("a.dll", FakeModules::AllEntries());
  modules.Add("b.dll", FakeModules::AllEntries());
  modules.listing = {"a.dll", "b.dll"};
  Make();
  core->ScanLibraryFolder();
  core->Loader().SwitchTo("a.dll");
  on_pump = [this] {
    on_pump = nullptr;
    core->UnloadAllPlugins();
  };
  const size_t before = modules.log.size();
  core->Loader().SwitchTo("b.dll");
  EXPECT_EQ(std::vector<std::string>(modules.log.begin() + before, modules.log.end()),
            std::vector<std::string>{"a.dll: deinit"});
  EXPECT_EQ(modules.Refs("a.dll"), 0);
  EXPECT_EQ(modules.Refs("b.dll"), 0);
  core->Loader().LoadPlugin("b.dll");
  EXPECT_EQ(modules.Refs("b.dll"), 0);
  EXPECT_FALSE(core->Current().Has(PluginEntry::load));
}

TEST_F(PluginLoaderTest, UnloadAllPluginsFreesTheCurrentAndEveryListedLibraryLeft) {
  modules.Add("a.dll", FakeModules::AllEntries()).faults = {"deinit"};
  modules.Add("b.dll", FakeModules::AllEntries()).faults = {"deinit"};
  modules.listing = {"a.dll", "b.dll"};
  Make();
  core->ScanLibraryFolder();
  core->Loader().SwitchTo("a.dll");
  core->Loader().SwitchTo("b.dll");  // a.dll's deinit faults: kept
  EXPECT_EQ(modules.Refs("a.dll"), 1);
  core->UnloadAllPlugins();  // b.dll freed despite its faulting deinit, a.dll freed as listed
  EXPECT_EQ(modules.Refs("a.dll"), 0);
  EXPECT_EQ(modules.Refs("b.dll"), 0);
  EXPECT_EQ(modules.Count("b.dll: deinit"), 1);
  EXPECT_FALSE(core->Current().Has(PluginEntry::deinit));
}

using InfoLibraryTest = Fixture;

TEST_F(InfoLibraryTest, ShowsFieldsInOrderAndReleasesItsOwnLibrary) {
  modules.Add("a.dll", FakeModules::AllEntries());
  Make();
  RecordingView view;
  core->AttachListsView(&view);
  core->ShowPluginInfo("a.dll");
  EXPECT_EQ(modules.log, (std::vector<std::string>{"a.dll: init C:\\Prog", "a.dll: author",
                                                   "a.dll: dllname", "a.dll: date", "a.dll: info",
                                                   "a.dll: support", "a.dll: version"}));
  EXPECT_EQ(view.fields[InfoField::files], "support of a.dll");
  EXPECT_TRUE(core->ShowPluginOptions(5, 6));
  EXPECT_EQ(modules.log.back(), "a.dll: showoptionspopup 5 6");
  core->ReleaseInfoLibrary();
  EXPECT_EQ(modules.log.back(), "a.dll: deinit");
  EXPECT_EQ(modules.Refs("a.dll"), 0);
  EXPECT_FALSE(core->ShowPluginOptions(5, 6));  // "(No File Playing)"
}

TEST_F(InfoLibraryTest, AFailureKeepsTheFieldsFilledSoFarAndHoldsNothing) {
  modules.Add("a.dll", FakeModules::AllEntries()).faults = {"date"};
  Make();
  RecordingView view;
  view.fields[InfoField::date] = "old date";
  view.fields[InfoField::version] = "old version";
  core->AttachListsView(&view);
  core->ShowPluginInfo("a.dll");
  EXPECT_EQ(view.fields[InfoField::author], "author of a.dll");
  EXPECT_EQ(view.fields[InfoField::dllname], "dllname of a.dll");
  EXPECT_EQ(view.fields[InfoField::date], "old date");
  EXPECT_EQ(view.fields[InfoField::version], "old version");
  EXPECT_FALSE(core->ShowPluginOptions(0, 0));
  EXPECT_EQ(modules.Refs("a.dll"), 0);
  EXPECT_EQ(modules.Count("a.dll: deinit"), 1);  // it was initialised for the page
}

TEST_F(InfoLibraryTest, TheCurrentPluginIsSharedAndNeverPulledFromUnderEitherHolder) {
  modules.Add("a.dll", FakeModules::AllEntries());
  modules.Add("b.dll", FakeModules::AllEntries());
  Make();
  core->Loader().SwitchTo("a.dll");
  core->ShowPluginInfo("a.dll");
  core->ReleaseInfoLibrary();  // hiding the options window
  EXPECT_EQ(modules.Count("a.dll: deinit"), 0);
  EXPECT_EQ(modules.Refs("a.dll"), 1);
  EXPECT_NO_THROW(core->Current().playing());

  // The page holds it while the player switches away: the page's library stays loaded
  // and initialised until the page lets go, and only then gets its one deinit.
  core->ShowPluginInfo("a.dll");
  core->Loader().SwitchTo("b.dll");
  EXPECT_EQ(modules.Count("a.dll: deinit"), 0);
  EXPECT_TRUE(
      core->ShowPluginOptions(1, 1));  // the fake fails the test on a call into a freed library
  core->ReleaseInfoLibrary();
  EXPECT_EQ(modules.Count("a.dll: deinit"), 1);
  EXPECT_EQ(modules.Refs("a.dll"), 0);
  EXPECT_EQ(modules.Count("a.dll: init C:\\Prog\\"), 1);
  EXPECT_EQ(modules.Count("a.dll: init C:\\Prog"), 0);
}

using ScanTest = Fixture;

TEST_F(ScanTest, SortsLibrariesBuildsTheTableAndRunsOnce) {
  modules.Add("a.dll", FakeModules::AllEntries()).extension_text = "MP3, MP2";
  modules.Add("vis.dll", {"winampVisGetHeader"});
  modules.Add("b.dll", FakeModules::AllEntries()).extension_text = "OGG,";
  modules.Add("c.dll", FakeModules::AllEntries()).faults = {"extension"};
  modules.listing = {"a.dll", "vis.dll", "junk.dll", "b.dll", "c.dll"};
  Make();
  RecordingView view;
  core->AttachListsView(&view);
  EXPECT_FALSE(core->Selector().IsSupportedExtension("MP3"));  // nothing before the scan
  core->StartLibraryScan(kFolder);
  EXPECT_EQ(view.timer_starts, 1);
  core->ScanLibraryFolder();
  EXPECT_EQ(view.captions,
            (std::vector<std::string>{"Scanning for dll's... Please wait !", "Velmora Options"}));
  EXPECT_EQ(view.dlls, (std::vector<std::string>{"a.dll", "b.dll", "c.dll"}));
  EXPECT_EQ(view.list_box1, (std::vector<std::string>{"MP3", " MP2", "OGG", "", ""}));
  EXPECT_EQ(view.row_count, 5u);
  EXPECT_EQ(handed, (std::vector<std::string>{kLib + "vis.dll", kLib + "junk.dll"}));
  EXPECT_EQ(core->OpenDialogFilter().rfind("All supported files (*.mp3;*. mp2;*.ogg;*.;*.)|", 0),
            0u);
  // Each library was loaded only long enough to read its list.
  EXPECT_EQ(modules.Refs("a.dll") + modules.Refs("b.dll") + modules.Refs("c.dll") +
                modules.Refs("vis.dll"),
            0);
  EXPECT_EQ(modules.Count("a.dll: init C:\\Prog\\"), 0);

  core->ScanLibraryFolder();  // no rescan
  EXPECT_EQ(core->Dlls().size(), 3u);
  EXPECT_EQ(core->Table().Rows().size(), 5u);
  EXPECT_TRUE(core->Selector().SelectPluginForFile("C:\\m\\x.ogg"));
  EXPECT_EQ(core->CurrentName(), "b.dll");
}

TEST_F(ScanTest, AskedBeforeItsTimerTheSelectorRunsTheArmedScanFirst) {
  modules.Add("a.dll", FakeModules::AllEntries()).extension_text = "MP3";
  modules.listing = {"a.dll"};
  Make();
  RecordingView view;
  core->AttachListsView(&view);
  core->StartLibraryScan(kFolder);
  EXPECT_TRUE(core->Selector().IsSupportedExtension("mp3"));
  EXPECT_TRUE(core->ScanDone());
  EXPECT_EQ(view.dlls, (std::vector<std::string>{"a.dll"}));
  core->ScanLibraryFolder();  // the timer's late tick: no rescan
  EXPECT_EQ(core->Dlls().size(), 1u);
}

TEST_F(ScanTest, ALibraryToSkipIsNeitherLoadedListedNorHandedOn) {
  modules.Add("a.dll", FakeModules::AllEntries()).extension_text = "MP3";
  modules.Add("b.dll", FakeModules::AllEntries()).extension_text = "OGG";
  modules.listing = {"a.dll", "B.DLL", "hung.dll"};
  Make();
  core->SkipInScan("D:/elsewhere/b.dll");
  core->SkipInScan(kLib + "hung.dll");
  core->ScanLibraryFolder();
  EXPECT_EQ(core->Dlls(), (std::vector<std::string>{"a.dll"}));
  EXPECT_TRUE(handed.empty());
  EXPECT_EQ(modules.frees, 1) << "only a.dll was loaded";
}

TEST_F(ScanTest, AnEmptyFolderGivesAnEmptyTableAndTheBareFilter) {
  Make();
  core->ScanLibraryFolder();
  EXPECT_TRUE(core->Dlls().empty());
  EXPECT_FALSE(core->Selector().IsSupportedExtension("mp3"));
  EXPECT_EQ(core->OpenDialogFilter().rfind("All supported files ()||", 0), 0u);
}

TEST_F(ScanTest, AViewAttachedAfterTheScanWasArmedStartsTheTimer) {
  Make();
  core->StartLibraryScan(kFolder);
  RecordingView view;
  core->AttachListsView(&view);
  EXPECT_EQ(view.timer_starts, 1);
}

}  // namespace
}  // namespace velmora
