// Design libraries on Win32: modules loaded through the plug-in module system, every
// call into them guarded (the calls themselves and the header's host services are in
// design_library_abi_win.cpp).
#include "design/design_library_win.h"

#include <commctrl.h>

#include <utility>

#include "design/design_library_abi_win.h"
#include "design/velmora_design.h"
#include "plugins/guarded_call_win.h"
#include "plugins/plugin_system_win.h"
#include "ui/control_ids.h"
#include "ui/handles_win.h"
#include "ui/window_util_win.h"

namespace velmora {

namespace {

using design_abi::Accessible;
using design_abi::ThunkFlag;
using design_abi::ThunkHeader;
using design_abi::ThunkInt;
using design_abi::ThunkSender;
using design_abi::ThunkText;
using design_abi::ThunkUpdate;
using design_abi::ThunkVoid;

[[noreturn]] void Fail() {
  throw DesignFault("The design library failed: " + guard::DescribeFault(guard::LastFaultCode()));
}

// ---- menus handed to a library -------------------------------------------------------

// A popup whose commands go to `owner` (see VelmoraDesignPopupMenu).
HMENU OwnedMenu(HMENU menu, HWND owner) {
  if (!menu) return nullptr;
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  info.dwMenuData = reinterpret_cast<ULONG_PTR>(owner);
  SetMenuInfo(menu, &info);
  return menu;
}

// ---- one loaded library ---------------------------------------------------------------

class Win32DesignModule : public DesignModule {
 public:
  Win32DesignModule(const DesignMainWindow& main_window, ModuleSystem& modules,
                    ModuleHandle handle)
      : main_window_(main_window), modules_(modules), handle_(handle) {
    init_ = modules.Resolve(handle, "init");
    get_header_ = modules.Resolve(handle, "GetDesignHeader");
    update_ = modules.Resolve(handle, "update");
    deinit_ = modules.Resolve(handle, "deinit");
  }
  ~Win32DesignModule() override { modules_.Free(handle_); }

  bool Has(DesignExport e) const override { return Entry(e) != nullptr; }

  void Init() override { CallVoid(init_); }
  void Deinit() override { CallVoid(deinit_); }

  void TakeHeader() override {
    if (!get_header_) Fail();
    VelmoraDesignHeader* h = nullptr;
    if (!guard::Guarded(Owner(), [&] { h = ThunkHeader(get_header_); })) Fail();
    // The record is the library's; the player reads and writes it, so it must be there.
    if (!Accessible(h, sizeof *h, true)) throw DesignFault("The design library has no header");
    header_ = h;
  }

  std::string DesignName() override {
    if (!header_) Fail();
    const char* text = header_->DesignName;
    size_t length = 0;
    // Read within a bound: a name of megabytes (or without its terminator) is cut.
    if (text && !guard::Guarded(Owner(),
                                [&] { length = guard::ForeignTextLength(text, kDesignNameLimit); }))
      Fail();
    std::string name = text ? std::string(text, length) : std::string();
    guard::KeepLibraryName(handle_, name);  // a message about the library can name it so
    return name;
  }

  void* CopyPreview() override {
    if (!header_) Fail();
    HBITMAP source = header_->PreviewPicture;
    if (!source || GetObjectType(source) != OBJ_BITMAP) return nullptr;
    return CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  }

  void WriteHostSlots() override {
    HWND main = main_window_.Handle();
    menus_.clear();
    for (LibraryMenu m : {LibraryMenu::General, LibraryMenu::Play, LibraryMenu::Pause,
                          LibraryMenu::Stop})
      menus_.push_back(OwnedMenu(main_window_.LiveMenu(m), main));
    version_ = ui::WindowText(GetDlgItem(main, ids::Versiontext));
    VelmoraDesignHeader* h = header_;
    design_abi::WriteHostServices(*h);
    h->SetupMenu = menus_[0];
    h->PlayMenu = menus_[1];
    h->PauseMenu = menus_[2];
    h->StopMenu = menus_[3];
    h->VersionText = version_.c_str();
    h->LayerHint = "Layer";
    h->BitrateHint = "Bitrate";
    h->FrequencyHint = "Frequency";
  }

  void Update() override {
    if (!update_) Fail();
    if (!guard::Guarded(Owner(), ThunkUpdate, update_, header_)) Fail();
  }

  void Notify(DesignNotification n, int32_t value) override {
    if (void* slot = Slot(n))
      if (!guard::Guarded(Owner(), ThunkInt, slot, value)) Fail();
  }
  void Notify(DesignNotification n, const std::string& text) override {
    if (void* slot = Slot(n))
      if (!guard::Guarded(Owner(), ThunkText, slot, text.c_str())) Fail();
  }
  void NotifyFlag(DesignNotification n, bool on) override {
    if (void* slot = Slot(n))
      if (!guard::Guarded(Owner(), ThunkFlag, slot, static_cast<VelmoraBool>(on ? 1 : 0))) Fail();
  }
  void NotifySender(DesignNotification n, void* sender) override {
    if (void* slot = Slot(n))
      if (!guard::Guarded(Owner(), ThunkSender, slot, sender)) Fail();
  }

 private:
  EntryAddress Entry(DesignExport e) const {
    switch (e) {
      case DesignExport::init: return init_;
      case DesignExport::GetDesignHeader: return get_header_;
      case DesignExport::update: return update_;
      case DesignExport::deinit: return deinit_;
    }
    return nullptr;
  }

  void CallVoid(EntryAddress e) {
    if (!e || !guard::Guarded(Owner(), ThunkVoid, e)) Fail();
  }

  // Faults of this library's code are recovered (and jumps through bad pointers).
  guard::Owner Owner() const { return guard::Owner{handle_}; }

  // The notification slot's current value (the record was checked when it was taken).
  void* Slot(DesignNotification n) {
    if (!header_) return nullptr;
    void* const* first = reinterpret_cast<void* const*>(&header_->OnPosition);
    return first[static_cast<int>(n)];
  }

  const DesignMainWindow& main_window_;
  ModuleSystem& modules_;
  ModuleHandle handle_;
  EntryAddress init_ = nullptr, get_header_ = nullptr, update_ = nullptr, deinit_ = nullptr;
  VelmoraDesignHeader* header_ = nullptr;
  std::vector<HMENU> menus_;  // the main window's own menus, lent to the library
  std::string version_;
};

std::string BareName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// ---- the program's parts the host and the services reach --------------------------

class DesignLibraries::Impl : public DesignModuleLoader, public DesignShell, public DesignCommands {
 public:
  explicit Impl(const DesignLibrariesDeps& deps)
      : deps_(deps), modules_(CreateWin32ModuleSystem()) {}

  // DesignModuleLoader
  std::unique_ptr<DesignModule> Open(const std::string& path) override {
    ModuleHandle h = modules_->Load(path);
    if (!h) return nullptr;
    return std::make_unique<Win32DesignModule>(deps_.main_window, *modules_, h);
  }
  void ReleaseIfLoaded(const std::string& path) override {
    if (ModuleHandle h = modules_->FindLoaded(BareName(path), path)) modules_->Free(h);
  }

  // DesignShell
  bool MainWindowVisible() const override { return IsWindowVisible(Main()) != FALSE; }
  void SetMainWindowVisible(bool visible) override {
    ShowWindow(Main(), visible ? SW_SHOW : SW_HIDE);
  }
  void* MainWindowSender() const override { return Main(); }

  // DesignCommands
  void Click(DesignButton button, void*) override {
    // As a press of the main window's button; Exit closes the program, which releases the
    // library, so never inside its own call.
    static const CommandKind kCommands[] = {
        CommandKind::Play,      CommandKind::Stop,        CommandKind::Pause,
        CommandKind::NextTrack, CommandKind::PrevTrack,   CommandKind::FastForward,
        CommandKind::Rewind,    CommandKind::Exit,        CommandKind::Minimize,
        CommandKind::ShowId3,   CommandKind::OpenFiles,   CommandKind::ShowPlaylist};
    deps_.commands.Execute(
        Command{kCommands[static_cast<int>(button)], CommandSource::Library, {}});
  }
  void ShowPopup() override {
    POINT at{};
    GetCursorPos(&at);
    if (!deps_.plugins.Current().Name().empty()) {
      InputPlugin& plugin = deps_.plugins.Current();
      if (plugin.Has(PluginEntry::showoptionspopup)) {
        try {
          plugin.showoptionspopup(at.x, at.y);
        } catch (const PluginFault&) {}
      }
      return;
    }
    if (ui::UniqueMenu menu{CreatePopupMenu()}) {  // NoPopup
      AppendMenuA(menu.get(), MF_STRING | MF_GRAYED, 1, "(No File Playing)");
      ui::TrackPopupMenuFor(Main(), menu.get(), TPM_RETURNCMD, at.x, at.y);
    }
  }
  void RefreshOptions() override {
    if (deps_.refresh_options) deps_.refresh_options();
  }
  void SortPlaylistByName() override {
    deps_.playlist_window.SortByName();
  }
  void SavePlaylistDialog() override { deps_.playlist_window.SaveDialog(); }

  DesignDisplayState DisplayState() const {
    HWND main = Main();
    auto text = [&](int id) { return ui::WindowText(GetDlgItem(main, id)); };
    auto slider = [&](int id, UINT msg) {
      return static_cast<int32_t>(SendMessageA(GetDlgItem(main, id), msg, 0, 0));
    };
    DesignDisplayState s;
    s.position_max = slider(ids::tb, TBM_GETRANGEMAX);
    s.position = slider(ids::tb, TBM_GETPOS);
    s.status = text(ids::banner2);
    s.song_title = text(ids::Banner1);
    s.total_time = text(ids::lengthlab);
    s.position_time = text(ids::poslab);
    s.layer = text(ids::lay);
    s.bitrate = text(ids::bitr);
    s.frequency = text(ids::Freq);
    s.volume = slider(ids::volbar, TBM_GETPOS);
    return s;
  }

  HWND Main() const { return deps_.main_window.Handle(); }

  DesignLibrariesDeps deps_;
  std::unique_ptr<ModuleSystem> modules_;
  std::unique_ptr<DesignHostServices> services_;
};

DesignLibraries::DesignLibraries(const DesignLibrariesDeps& deps,
                                 std::function<void(const std::string&, const std::string&)> list,
                                 ErrorSink& errors)
    : deps_(deps), impl_(std::make_unique<Impl>(deps)), list_(std::move(list)) {
  balance_ = std::make_unique<SoundBalance>(deps.output);
  host_ = std::make_unique<DesignLibraryHost>(*impl_, *impl_, deps.display);
  // The library is told the balance itself, 100 minus the slider's value.
  balance_->SetListener([this](int b) { host_->NotifyBalance(b); });
  impl_->services_ = std::make_unique<DesignHostServices>(DesignHostServices::Deps{
      deps.core, deps.playlist, deps.plugins.Current(), *balance_, *impl_, *host_});
  design_abi::SetHostServices(impl_->services_.get(), &errors);
  // Random play and loop are told as they change, wherever they are changed from.
  random_ = deps.core.RandomPlay();
  loop_ = deps.core.Loop();
  deps.core.SetPlayOrderListener(this);
}

DesignLibraries::~DesignLibraries() {
  deps_.core.SetPlayOrderListener(nullptr);
  host_.reset();
  design_abi::SetHostServices(nullptr, nullptr);
}

void DesignLibraries::PlayOrderChanged() {
  if (deps_.core.RandomPlay() != random_) host_->NotifyRandom(random_ = deps_.core.RandomPlay());
  if (deps_.core.Loop() != loop_) host_->NotifyLoop(loop_ = deps_.core.Loop());
}

void DesignLibraries::Probe(const std::string& path) {
  if (std::optional<std::string> name = host_->Probe(path))
    if (list_) list_(*name, path);
}

bool DesignLibraries::Load(const std::string& path) {
  const bool ok = host_->Load(path, [this] { return impl_->DisplayState(); });
  if (ok) {
    random_ = deps_.core.RandomPlay();
    loop_ = deps_.core.Loop();
  }
  return ok;
}

void DesignLibraries::Unload() {
  host_->Unload(deps_.main_window.Handle());
  design_abi::ClearHandedLists();
}

HBITMAP DesignLibraries::Preview(const std::string& path) {
  return static_cast<HBITMAP>(host_->Preview(path));
}

void DesignLibraries::ReleaseModules(const std::vector<std::string>& markers) {
  host_->ReleaseModules(markers);
  design_abi::ClearHandedLists();
}

void DesignLibraries::MainWindowMinimized() { host_->NotifyHide(deps_.main_window.Handle()); }
void DesignLibraries::MainWindowRestored() { host_->NotifyShow(deps_.main_window.Handle()); }

}  // namespace velmora
