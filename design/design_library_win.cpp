// Design libraries on Win32: modules loaded through the plug-in module system, every
// call into them guarded, and the header's host services as plain functions of the
// library calling convention that forward to the program's DesignHostServices.
#include "design/design_library_win.h"

#include <commctrl.h>

#include <utility>

#include "design/velmora_design.h"
#include "plugins/guarded_call_win.h"
#include "plugins/plugin_system_win.h"
#include "ui/control_ids.h"
#include "ui/window_util_win.h"

namespace velmora {

namespace {

// What the header's service slots call; set while the program's libraries exist.
DesignHostServices* g_services = nullptr;

// A library declaring an entry with the wrong convention leaves the stack pointer off on
// i686; a frame pointer in each thunk puts it back.
#define VELMORA_DESIGN_THUNK \
  __attribute__((noinline, optimize("no-omit-frame-pointer", "no-optimize-sibling-calls")))

VELMORA_DESIGN_THUNK void ThunkVoid(void* e) { reinterpret_cast<VelmoraDesignInitFn>(e)(); }
VELMORA_DESIGN_THUNK VelmoraDesignHeader* ThunkHeader(void* e) {
  return reinterpret_cast<VelmoraGetDesignHeaderFn>(e)();
}
VELMORA_DESIGN_THUNK void ThunkUpdate(void* e, VelmoraDesignHeader* h) {
  reinterpret_cast<VelmoraDesignUpdateFn>(e)(h);
}
VELMORA_DESIGN_THUNK void ThunkInt(void* e, int32_t v) {
  reinterpret_cast<VelmoraIntNotification>(e)(v);
}
VELMORA_DESIGN_THUNK void ThunkText(void* e, const char* t) {
  reinterpret_cast<VelmoraTextNotification>(e)(t);
}
VELMORA_DESIGN_THUNK void ThunkFlag(void* e, VelmoraBool b) {
  reinterpret_cast<VelmoraBoolNotification>(e)(b);
}
VELMORA_DESIGN_THUNK void ThunkSender(void* e, void* s) {
  reinterpret_cast<VelmoraSenderNotification>(e)(s);
}

[[noreturn]] void Fail() {
  throw DesignFault("The design library failed: " + guard::DescribeFault(guard::LastFaultCode()));
}

// Whether [p, p + size) is committed memory the player may read (and write).
bool Accessible(const void* p, size_t size, bool write) {
  const auto* at = static_cast<const char*>(p);
  const char* end = at + size;
  while (at && at < end) {
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(at, &info, sizeof info) || info.State != MEM_COMMIT) return false;
    const DWORD p_ = info.Protect & 0xFF;
    const bool readable =
        p_ & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY);
    const bool writable =
        p_ & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY);
    if (!readable || (write && !writable) || (info.Protect & PAGE_GUARD)) return false;
    at = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
  }
  return p != nullptr;
}

// ---- the string lists handed to a library ------------------------------------------

struct HostList : VelmoraStringList {
  std::vector<std::string> items;
};

const HostList* AsHost(const VelmoraStringList* l) { return static_cast<const HostList*>(l); }
HostList* AsHost(VelmoraStringList* l) { return static_cast<HostList*>(l); }
bool InRange(const VelmoraStringList* l, int32_t i, bool end_ok = false) {
  if (!l) return false;
  const auto n = static_cast<int32_t>(AsHost(l)->items.size());
  return i >= 0 && (i < n || (end_ok && i == n));
}

int32_t VELMORA_DESIGN_CALL ListCount(const VelmoraStringList* l) {
  return l ? static_cast<int32_t>(AsHost(l)->items.size()) : 0;
}
const char* VELMORA_DESIGN_CALL ListGet(const VelmoraStringList* l, int32_t i) {
  return InRange(l, i) ? AsHost(l)->items[static_cast<size_t>(i)].c_str() : nullptr;
}
VelmoraBool VELMORA_DESIGN_CALL ListSet(VelmoraStringList* l, int32_t i, const char* text) {
  if (!InRange(l, i)) return 0;
  try {
    AsHost(l)->items[static_cast<size_t>(i)] = text ? text : "";
  } catch (...) {
    return 0;
  }
  return 1;
}
VelmoraBool VELMORA_DESIGN_CALL ListInsert(VelmoraStringList* l, int32_t i, const char* text) {
  if (!InRange(l, i, true)) return 0;
  try {
    auto& v = AsHost(l)->items;
    v.insert(v.begin() + i, text ? text : "");
  } catch (...) {
    return 0;
  }
  return 1;
}
VelmoraBool VELMORA_DESIGN_CALL ListDelete(VelmoraStringList* l, int32_t i) {
  if (!InRange(l, i)) return 0;
  auto& v = AsHost(l)->items;
  v.erase(v.begin() + i);
  return 1;
}
void VELMORA_DESIGN_CALL ListClear(VelmoraStringList* l) {
  if (l) AsHost(l)->items.clear();
}
const VelmoraStringListFunctions kHostListFunctions = {ListCount,  ListGet,    ListSet,
                                                       ListInsert, ListDelete, ListClear};

// The two lists last handed out (valid until the next hand-out or the library's close).
HostList g_names, g_paths;

// Reads a list through its own functions (it may be the library's own implementation).
bool ReadList(const VelmoraStringList* list, std::vector<std::string>& out) {
  if (!list) return false;
  if (list->fn == &kHostListFunctions) {
    out = AsHost(list)->items;
    return true;
  }
  // A list of the library's own: its record and functions are checked before use.
  if (!Accessible(list, sizeof *list, false) || !Accessible(list->fn, sizeof *list->fn, false))
    return false;
  const VelmoraStringListFunctions fn = *list->fn;
  if (!fn.Count || !fn.Get) return false;
  return guard::Guarded(guard::Owner{reinterpret_cast<const void*>(fn.Count)}, [&] {
    const int32_t n = fn.Count(list);
    for (int32_t i = 0; i < n; ++i) {
      const char* text = fn.Get(list, i);
      const size_t length = text ? guard::ForeignTextLength(text) : 0;
      out.emplace_back(text ? text : "", length);
    }
  });
}

// ---- host services: each runs the program's handling; nothing escapes into the library

template <typename F>
void Serve(F&& f) {
  if (!g_services) return;
  try {
    f(*g_services);
  } catch (...) {}
}

void ClickService(DesignButton b, VelmoraSender s) {
  Serve([&](DesignHostServices& h) { h.Click(b, s); });
}
void VELMORA_DESIGN_CALL HostPlay(VelmoraSender s) { ClickService(DesignButton::Play, s); }
void VELMORA_DESIGN_CALL HostStop(VelmoraSender s) { ClickService(DesignButton::Stop, s); }
void VELMORA_DESIGN_CALL HostPause(VelmoraSender s) { ClickService(DesignButton::Pause, s); }
void VELMORA_DESIGN_CALL HostNextTrack(VelmoraSender s) {
  ClickService(DesignButton::NextTrack, s);
}
void VELMORA_DESIGN_CALL HostPrevTrack(VelmoraSender s) {
  ClickService(DesignButton::PrevTrack, s);
}
void VELMORA_DESIGN_CALL HostFastForward(VelmoraSender s) {
  ClickService(DesignButton::FastForward, s);
}
void VELMORA_DESIGN_CALL HostRewind(VelmoraSender s) { ClickService(DesignButton::Rewind, s); }
void VELMORA_DESIGN_CALL HostExit(VelmoraSender s) { ClickService(DesignButton::Exit, s); }
void VELMORA_DESIGN_CALL HostMinimize(VelmoraSender s) { ClickService(DesignButton::Minimize, s); }
void VELMORA_DESIGN_CALL HostSeek(int32_t p) {
  Serve([&](DesignHostServices& h) { h.Seek(p); });
}
void VELMORA_DESIGN_CALL HostSetVolume(int32_t v) {
  Serve([&](DesignHostServices& h) { h.SetVolume(v); });
}
void VELMORA_DESIGN_CALL HostShowPopup() {
  Serve([&](DesignHostServices& h) { h.ShowPopup(); });
}
void VELMORA_DESIGN_CALL HostId3(VelmoraSender s) { ClickService(DesignButton::Id3, s); }
void VELMORA_DESIGN_CALL HostOpen(VelmoraSender s) { ClickService(DesignButton::Open, s); }
void VELMORA_DESIGN_CALL HostShowPlaylist(VelmoraSender s) {
  ClickService(DesignButton::ShowPlaylist, s);
}
void VELMORA_DESIGN_CALL HostSetBalance(int32_t b) {
  Serve([&](DesignHostServices& h) { h.SetBalance(b); });
}
int32_t VELMORA_DESIGN_CALL HostGetBalance() {
  int32_t b = 50;
  Serve([&](DesignHostServices& h) { b = h.GetBalance(); });
  return b;
}
void HandOut(VelmoraStringList** names, VelmoraStringList** paths) {
  if (names) *names = &g_names;
  if (paths) *paths = &g_paths;
}
void VELMORA_DESIGN_CALL HostGetPlaylist(VelmoraStringList** names, VelmoraStringList** paths) {
  Serve([&](DesignHostServices& h) { h.GetPlaylist(g_names.items, g_paths.items); });
  HandOut(names, paths);
}
void VELMORA_DESIGN_CALL HostSetPlaylist(const VelmoraStringList* names,
                                         const VelmoraStringList* paths) {
  std::vector<std::string> n, p;
  if (!ReadList(names, n) || !ReadList(paths, p)) return;
  Serve([&](DesignHostServices& h) { h.SetPlaylist(std::move(n), std::move(p)); });
}
void VELMORA_DESIGN_CALL HostSortPlaylist(VelmoraStringList** names, VelmoraStringList** paths) {
  Serve([&](DesignHostServices& h) { h.SortPlaylist(g_names.items, g_paths.items); });
  HandOut(names, paths);
}
void VELMORA_DESIGN_CALL HostSavePlaylist() {
  Serve([&](DesignHostServices& h) { h.SavePlaylist(); });
}
int32_t VELMORA_DESIGN_CALL HostGetCurrentIndex() {
  int32_t i = 0;
  Serve([&](DesignHostServices& h) { i = h.GetCurrentIndex(); });
  return i;
}
void VELMORA_DESIGN_CALL HostPlayIndex(int32_t i) {
  Serve([&](DesignHostServices& h) { h.PlayIndex(i); });
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
    {
      h->HostPlay = HostPlay;
      h->HostStop = HostStop;
      h->HostPause = HostPause;
      h->HostNextTrack = HostNextTrack;
      h->HostPrevTrack = HostPrevTrack;
      h->HostFastForward = HostFastForward;
      h->HostRewind = HostRewind;
      h->HostExit = HostExit;
      h->HostMinimize = HostMinimize;
      h->HostSeek = HostSeek;
      h->HostSetVolume = HostSetVolume;
      h->HostShowPopup = HostShowPopup;
      h->HostId3 = HostId3;
      h->HostOpen = HostOpen;
      h->HostShowPlaylist = HostShowPlaylist;
      h->HostSetBalance = HostSetBalance;
      h->HostGetBalance = HostGetBalance;
      h->SetupMenu = menus_[0];
      h->PlayMenu = menus_[1];
      h->PauseMenu = menus_[2];
      h->StopMenu = menus_[3];
      h->HostGetPlaylist = HostGetPlaylist;
      h->HostSetPlaylist = HostSetPlaylist;
      h->HostSortPlaylist = HostSortPlaylist;
      h->HostSavePlaylist = HostSavePlaylist;
      h->HostGetCurrentIndex = HostGetCurrentIndex;
      h->HostPlayIndex = HostPlayIndex;
      h->VersionText = version_.c_str();
      h->LayerHint = "Layer";
      h->BitrateHint = "Bitrate";
      h->FrequencyHint = "Frequency";
    }
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
  std::vector<HMENU> menus_;
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
    static const int kIds[] = {ids::playbut,      ids::stopbut, ids::pausebut, ids::nexttrackbut,
                               ids::prevtrackbut, ids::fwdbut,  ids::revbut,   ids::Bitbtn1,
                               ids::minibut,      ids::id3but,  ids::openbut,  ids::plbut};
    const int id = kIds[static_cast<int>(button)];
    HWND main = Main();
    const WPARAM wp = MAKEWPARAM(id, BN_CLICKED);
    const LPARAM lp = reinterpret_cast<LPARAM>(GetDlgItem(main, id));
    // Exit closes the program, which releases the library: never inside its own call.
    if (button == DesignButton::Exit)
      PostMessageA(main, WM_COMMAND, wp, lp);
    else
      SendMessageA(main, WM_COMMAND, wp, lp);
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
    if (HMENU menu = CreatePopupMenu()) {  // NoPopup
      AppendMenuA(menu, MF_STRING | MF_GRAYED, 1, "(No File Playing)");
      ui::TrackPopupMenuFor(Main(), menu, TPM_RETURNCMD, at.x, at.y);
      DestroyMenu(menu);
    }
  }
  void RefreshOptions() override {
    if (deps_.refresh_options) deps_.refresh_options();
  }
  void SortPlaylistByName() override {
    SendMessageA(deps_.playlist_window.Handle(), WM_COMMAND, ids::plSort1, 0);
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
                                 std::function<void(const std::string&, const std::string&)> list)
    : deps_(deps), impl_(std::make_unique<Impl>(deps)), list_(std::move(list)) {
  balance_ = std::make_unique<SoundBalance>(deps.output);
  host_ = std::make_unique<DesignLibraryHost>(*impl_, *impl_, deps.display);
  // The library is told the balance itself, 100 minus the slider's value.
  balance_->SetListener([this](int b) { host_->NotifyBalance(b); });
  impl_->services_ = std::make_unique<DesignHostServices>(DesignHostServices::Deps{
      deps.core, deps.playlist, deps.plugins.Current(), *balance_, *impl_, *host_});
  g_services = impl_->services_.get();
  g_names.fn = &kHostListFunctions;
  g_paths.fn = &kHostListFunctions;
  // Random play and loop are told as they change, wherever they are changed from.
  random_ = deps.core.RandomPlay();
  loop_ = deps.core.Loop();
  deps.core.SetPlayOrderListener(this);
}

DesignLibraries::~DesignLibraries() {
  deps_.core.SetPlayOrderListener(nullptr);
  host_.reset();
  g_services = nullptr;
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
  g_names.items.clear();
  g_paths.items.clear();
}

HBITMAP DesignLibraries::Preview(const std::string& path) {
  return static_cast<HBITMAP>(host_->Preview(path));
}

void DesignLibraries::ReleaseModules(const std::vector<std::string>& markers) {
  host_->ReleaseModules(markers);
  g_names.items.clear();
  g_paths.items.clear();
}

void DesignLibraries::MainWindowMinimized() { host_->NotifyHide(deps_.main_window.Handle()); }
void DesignLibraries::MainWindowRestored() { host_->NotifyShow(deps_.main_window.Handle()); }

}  // namespace velmora
