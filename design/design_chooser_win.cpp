// TForm6, the design chooser: a drop-down list of the designs with a preview, apply,
// set as default, cancel and the "Random design on startup" check box. It also carries
// the design part of the start-up (StartupDesign) and the apply used there.
#include "design/design_chooser_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "design/classic_skin.h"
#include "design/classic_skin_win.h"
#include "design/design_apply_win.h"
#include "design/design_folder.h"
#include "design/design_library_win.h"
#include "design/picture_win.h"
#include "design/skin_archive.h"
#include "design/skin_archive_win.h"
#include "ui/control_ids.h"
#include "ui/wide_win.h"
#include "ui/top_level_window_win.h"
#include "ui/gdi_win.h"
#include "ui/widget_base_win.h"
#include "ui/widgets.h"
#include "ui/window_util_win.h"
#include "ui/utf8.h"

namespace velmora {

namespace {

constexpr char kClassName[] = "TForm6";
constexpr char kCaption[] = "Velmora Design";
constexpr int kImageLeft = 260, kImageTop = 4;

bool IsDirectory(const std::string& path) {
  const DWORD a = ui::FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
  const DWORD a = ui::FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Its own messages report failures with a message box too (the user asked for the action);
// the start-up's design steps report through the program's sink only.
class DesignChooser : public DesignChooserControl, private ErrorSink, public ui::TopLevelWindow {
 public:
  explicit DesignChooser(const DesignChooserDeps& deps)
      : ui::TopLevelWindow(static_cast<ErrorSink&>(*this)),
        deps_(deps),
        core_(deps.libraries.core),
        main_(deps.libraries.main_window) {
    EchoHintsTo(deps.hints);
    ui::RegisterWidgetClasses(deps.instance);
    ui::TopLevelClass cls;
    cls.unicode = true;
    cls.name = kClassName;
    RECT r{0, 0, 642, 225};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_TOOLWINDOW);
    CreateTopLevel(cls, WS_EX_TOOLWINDOW, kCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                   r.right - r.left, r.bottom - r.top);
    // The library scan lists every design library it finds here.
    libraries_ = std::make_unique<DesignLibraries>(
        deps.libraries,
        [this](const std::string& name, const std::string& path) { Append({name, path}); },
        deps.errors);
  }

  ~DesignChooser() override {
    libraries_.reset();
    DestroyTopLevel();
  }

  HWND Handle() const override { return hwnd(); }
  DesignLibraries* Libraries() override { return libraries_.get(); }

  // DesignChooserControl. The start-up's steps report through the program's sink only.
  void Show() override {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
  }
  void StartupDesign() override { deps_.errors.Run([this] { ChooseStartupDesign(); }); }
  void ApplyChosenDesign() override {
    deps_.errors.Run([this] {
      if (!chosen_name_.empty() && chosen_name_ != "Default" &&
          FindDesignEntry(entries_, chosen_name_) < 0) {
        const std::string gone = chosen_name_;
        ShowChosen("Default");
        deps_.errors.Report("The design " + gone + " was not found: Default applied");
      }
      ApplyDesign();
    });
  }
  bool ChosenDesignListed() const override { return FindDesignEntry(entries_, chosen_name_) >= 0; }
  void OpenSkinArchive(const std::string& path) override {
    // Applying a design lets window messages through, and another archive may come in
    // among them (a drop, the shell's hand-off): it is opened when this one is done, so
    // that the last word and the design applied are its own, not the first one's.
    pending_archives_.push_back(path);
    if (opening_archives_) return;
    opening_archives_ = true;
    while (!pending_archives_.empty()) {
      const std::string next = pending_archives_.front();
      pending_archives_.erase(pending_archives_.begin());
      deps_.errors.Run([&] { ApplySkinArchive(next); });
    }
    opening_archives_ = false;
  }
  void ReleaseModules() override {
    std::vector<std::string> markers;
    for (const DesignEntry& e : entries_) markers.push_back(e.marker);
    libraries_->ReleaseModules(markers);
  }

 private:
  void Report(const std::string& message) override {
    deps_.errors.Report(message);
    // One box at a time: what fails while it is open (its loop runs this window's
    // messages) goes to the error list only.
    if (box_open_) return;
    box_open_ = true;
    ui::ShowMessageBox(hwnd_, message, "ORVANE Velmora", MB_OK | MB_ICONERROR);
    box_open_ = false;
  }

  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_CREATE: CreateControls(); return 0;
      case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
      case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
      case WM_CLOSE: ShowWindow(hwnd_, SW_HIDE); return 0;
      case WM_DESTROY: return 0;
      default: return DefWindowProcW(hwnd_, msg, wp, lp);
    }
  }

  HWND Ctl(int id) const { return GetDlgItem(hwnd_, id); }

  void CreateControls() {
    UseDialogKeys({ids::dcToolbarButton972, true});  // Enter applies, Escape cancels
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(8, 96, 72);
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    ui::SetFaceName(lf, "Arial");
    font_.reset(CreateFontIndirectW(&lf));
    HINSTANCE inst = deps_.instance;
    auto make = [&](DWORD ex, const char* cls, const char* text, DWORD style, int x, int y, int w,
                    int h, int id) {
      HWND c = ui::CreateWindowUtf8(ex, cls, text, WS_CHILD | style, x, y, w, h, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
      SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
      return c;
    };
    make(0, "STATIC", "Choose a design", WS_VISIBLE, 12, 12, 236, 16, ids::dcLabel2);
    HWND box = make(WS_EX_CLIENTEDGE, "COMBOBOX", "",
                    WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 12, 32,
                    236, 200, ids::designList);
    SetWindowSubclass(box, &DesignChooser::ComboProc, 1, reinterpret_cast<DWORD_PTR>(this));
    ui::SetText(box, "Default");
    make(0, "LISTBOX", "", LBS_NOINTEGRALHEIGHT, 0, 0, 10, 10, ids::designdlls);
    make(0, "BUTTON", "Random design on startup", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 12, 64,
         236, 20, ids::randomDesignCheck);
    auto button = [&](const char* caption, const char* hint, int x, int y, int w, int id) {
      HWND b = make(0, ui::kImageButtonClass, caption, WS_VISIBLE | WS_TABSTOP, x, y, w, 28, id);
      SendMessageW(b, ui::VWM_SETHINT, 0, reinterpret_cast<LPARAM>(hint));
    };
    button("Set as default", "Set this design as default", 12, 100, 116, ids::dcAddbut);
    button("Apply", "Apply to the player", 132, 100, 116, ids::dcToolbarButton972);
    button("Cancel", "Cancel ", 12, 136, 236, ids::dcToolbarButton971);
    HWND image = make(WS_EX_STATICEDGE, "STATIC", "", WS_VISIBLE | SS_BITMAP, kImageLeft, kImageTop,
                      372, 200, ids::dcImage1);
    SendMessageW(image, ui::VWM_SETHINT, 0, 0);
    ui::SetToolTip(image, "Preview of the player");
    DragAcceptFiles(hwnd_, TRUE);
  }

  // Skin archives dropped here are opened as from the main window; other files are not
  // designs and are left alone.
  void OnDropFiles(HDROP drop) {
    const std::vector<std::string> names = ui::DroppedFiles(drop);
    DragFinish(drop);
    for (const std::string& name : names)
      if (IsSkinArchiveName(name)) OpenSkinArchive(name);
  }

  void OnCommand(int id, int code) {
    switch (id) {
      case ids::designList:
        // The user typed or picked a name: it is the chosen one from now on.
        if (code == CBN_EDITCHANGE) {
          chosen_name_ = ui::WindowText(Ctl(ids::designList));
          Preview(chosen_name_);
        }
        if (code == CBN_SELCHANGE) {
          const LRESULT sel = SendMessageW(Ctl(ids::designList), CB_GETCURSEL, 0, 0);
          if (sel >= 0) {
            chosen_name_ = EntryName(sel);
            Preview(chosen_name_);
          }
        }
        break;
      case ids::dcToolbarButton972:
        if (code == BN_CLICKED) ApplyDesign();
        break;
      case ids::dcAddbut:
        if (code == BN_CLICKED) SetAsDefault();
        break;
      case ids::dcToolbarButton971:
        if (code == BN_CLICKED) ShowWindow(hwnd_, SW_HIDE);
        break;
      case ids::randomDesignCheck:
        if (code == BN_CLICKED)  // the user's click: the box's new state is the setting
          core_.SetRandomDesign(SendMessageW(Ctl(ids::randomDesignCheck), BM_GETCHECK, 0, 0) ==
                                BST_CHECKED);
        break;
      default: break;
    }
  }

  // The name of the list's entry `index` (the list holds the entries in order).
  std::string EntryName(LRESULT index) const {
    return index >= 0 && static_cast<size_t>(index) < entries_.size()
               ? entries_[static_cast<size_t>(index)].name
               : std::string();
  }

  // The combo box shows `name` and it is the chosen one.
  void ShowChosen(const std::string& name) {
    ui::SetText(Ctl(ids::designList), name);
    chosen_name_ = name;
  }

  // --- the lists ------------------------------------------------------------------------

  void Append(const DesignEntry& e) {
    entries_.push_back(e);
    ui::SendTextMessage(Ctl(ids::designList), CB_ADDSTRING, 0, e.name);
    ui::SendTextMessage(Ctl(ids::designdlls), LB_ADDSTRING, 0, e.marker);
  }

  void ListDesigns() {
    std::vector<DirEntry> found;
    const std::string root = deps_.program_folder + "\\Design";
    // Skin archives placed in the folder are unpacked first, so they list like folders.
    for (const std::string& failure : UnpackPlacedSkinArchives(root)) deps_.errors.Report(failure);
    ui::ForEachFile(root + "\\*.", [&](const ui::FoundFile& fd) {
      const std::string name = fd.name;
      found.push_back({name, name != "." && name != ".." && IsDirectory(root + "\\" + name)});
    });
    for (const auto& e : ListDesignEntries(found)) Append(e);
  }

  // --- preview, apply, set as default --------------------------------------------------

  void Preview(const std::string& text) {
    const int i = FindDesignEntry(entries_, text);
    HWND image = Ctl(ids::dcImage1);
    if (i >= 0) {
      const DesignEntry& e = entries_[static_cast<size_t>(i)];
      if (e.marker == kMarkerClassic) {
        std::string path = DesignFile(deps_.program_folder, e.name, "back.bmp");
        if (!IsFile(path)) path = DesignFile(deps_.program_folder, e.name, "main.bmp");
        try {
          SetPreview(image, BitmapFromImage(LoadBitmapPicture(path)));
        } catch (...) {
          FitToPreview();
          throw;
        }
      } else if (e.marker != kMarkerNone) {
        if (HBITMAP picture = libraries_->Preview(e.marker)) SetPreview(image, picture);
      }
    }
    FitToPreview();
  }

  void SetPreview(HWND image, HBITMAP bmp) {
    ui::SetStaticBitmap(image, bmp);
    // The picture control sizes itself to its picture.
    const SIZE s = ui::BitmapSize(bmp);
    SetWindowPos(image, nullptr, kImageLeft, kImageTop, s.cx, s.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void FitToPreview() {
    HWND image = Ctl(ids::dcImage1);
    const SIZE s = ui::BitmapSize(
        reinterpret_cast<HBITMAP>(SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    const Size fit = PreviewFit(kImageLeft, kImageTop, s.cx, s.cy);
    RECT r{0, 0, fit.width, fit.height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void ApplyDesign() {
    const int i = FindDesignEntry(entries_, chosen_name_);
    if (i < 0 || entries_[static_cast<size_t>(i)].marker == kMarkerNone) {
      MessageBeep(MB_OK);
      return;
    }
    const DesignEntry e = entries_[static_cast<size_t>(i)];
    // Until it has applied, the design is no candidate for "Set as default".
    failed_apply_ = e.name;
    const bool had_library = libraries_->Host().Active();
    if (had_library) libraries_->Unload();
    if (e.marker != kMarkerClassic) {
      // A design library entry.
      bool loaded = false;
      try {
        loaded = libraries_->Load(e.marker);
      } catch (const std::exception& fault) {
        // The library that drew the player is gone: the player comes back before the
        // error is reported.
        if (had_library) FallBackAfterFailedLibrary(e.name, fault.what());
        throw;
      } catch (...) {
        if (had_library) FallBackAfterFailedLibrary(e.name, "it faulted");
        throw;
      }
      if (loaded) {
        failed_apply_.clear();
        deps_.libraries.playlist_window.SetLook({});
        active_library_path_ = e.marker;
        SendMessageW(GetDlgItem(main_.Handle(), ids::Banner1), ui::VBM_SETACTIVE, FALSE, 0);
      } else if (had_library) {
        FallBackAfterFailedLibrary(e.name, "it is not a complete design library");
      }
      return;
    }
    ApplyFolderEntry(e);
  }

  // A design library failed to load after another one was active, which drew the player
  // and is unloaded now: the main window comes back with the Default face, and the status
  // line says what failed.
  void FallBackAfterFailedLibrary(const std::string& name, const std::string& reason) {
    const int i = FindDesignEntry(entries_, "Default");
    if (i >= 0 && entries_[static_cast<size_t>(i)].marker == kMarkerClassic) {
      try {
        ApplyFolderEntry(entries_[static_cast<size_t>(i)]);
      } catch (const std::exception& error) {
        deps_.errors.Report(error.what());
      }
    }
    ShowWindow(main_.Handle(), SW_SHOW);
    core_.ShowStatus("The design " + name + " could not be loaded: " + reason);
    // Default stands in, but the library that failed is still no candidate for a default.
    failed_apply_ = name;
  }

  // Applies a design folder (a main.ini design or a classic skin) to the main window.
  void ApplyFolderEntry(const DesignEntry& e) {
    HWND main = main_.Handle();
    ShowWindow(main, SW_SHOW);
    HWND title = GetDlgItem(main, ids::Banner1);
    if (LOWORD(SendMessageW(title, ui::VBM_GETSCROLL, 0, 0)) == 1)
      SendMessageW(title, ui::VBM_SETACTIVE, TRUE, 0);
    // Errors go to the caller: from the button the window procedure reports them with a
    // message box, at start-up the hook reports them quietly.
    const DesignStage stage{main, deps_.program_folder, &core_};
    deps_.design_state.name = e.name;
    if (IsClassicSkinFolder(FilesOf(e.name))) {
      // A classic skin has no inactive face; an earlier design's would cover it whenever
      // the player loses the focus.
      deps_.design_state.deact_image_available = false;
      deps_.libraries.playlist_window.SetLook(PlaylistLookOfSkin(e.name));
      ImportClassicSkin(stage, e.name);
    } else {
      deps_.libraries.playlist_window.SetLook({});
      ApplyFolderDesign(stage, deps_.design_state, e.name);
    }
    failed_apply_.clear();
  }

  std::vector<std::string> FilesOf(const std::string& name) const {
    std::vector<std::string> files;
    ui::ForEachFile(DesignFile(deps_.program_folder, name, "") + "\\*",
                    [&](const ui::FoundFile& fd) {
                      if (!(fd.attributes & FILE_ATTRIBUTE_DIRECTORY))
                        files.push_back(fd.name);
                    });
    return files;
  }

  // The skin's pledit.txt, when it has one; a text file of a few lines, so a larger one
  // is read no further than its first 64 KB.
  PlaylistLook PlaylistLookOfSkin(const std::string& name) const {
    std::ifstream in(ui::PathFromUtf8(DesignFile(deps_.program_folder, name, kPlaylistLookFile)),
                     std::ios::binary);
    if (!in) return {};
    std::string text(64 * 1024, '\0');
    in.read(&text[0], static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return PlaylistLookOf(text);
  }

  // A skin archive dropped on the main window or opened: unpacked into Design, listed
  // (this once, though folders are listed only at start-up otherwise) and applied.
  void ApplySkinArchive(const std::string& path) {
    const SkinUnpackResult r = UnpackSkinArchive(deps_.program_folder + "\\Design", path);
    core_.ShowStatus(r.status);
    if (!r.ok) return;
    if (FindDesignEntry(entries_, r.name) < 0) Append({r.name, kMarkerClassic});
    ShowChosen(r.name);
    Preview(r.name);
    ApplyDesign();
    // The last word of the action names the archive (a folder design says "Loaded ok").
    core_.ShowStatus(r.status);
  }

  void SetAsDefault() {
    const int i = FindDesignEntry(entries_, chosen_name_);
    // A design whose apply just failed would fail again at every start.
    if (i < 0 || entries_[static_cast<size_t>(i)].marker == kMarkerNone ||
        (!failed_apply_.empty() && entries_[static_cast<size_t>(i)].name == failed_apply_)) {
      MessageBeep(MB_OK);
      return;
    }
    core_.SetDefaultDesign(chosen_name_);
    ShowWindow(hwnd_, SW_HIDE);
  }

  void ChooseStartupDesign() {
    core_.ShowStatus("Loading Design ...");
    ui::PumpWaitingMessages(1000);  // bounded, so a flood of messages cannot hold it up
    if (core_.Closing()) return;    // the shutdown ran inside
    ListDesigns();
    SendMessageW(Ctl(ids::randomDesignCheck), BM_SETCHECK,
                 core_.RandomDesign() ? BST_CHECKED : BST_UNCHECKED, 0);
    if (core_.RandomDesign()) {
      SYSTEMTIME t;
      GetLocalTime(&t);
      deps_.random.Seed(((t.wHour * 60u + t.wMinute) * 60u + t.wSecond) * 1000u +
                        t.wMilliseconds);
      const int index = deps_.random.Next(static_cast<int>(entries_.size()));
      if (index >= 0 && static_cast<size_t>(index) < entries_.size()) {
        SendMessageW(Ctl(ids::designList), CB_SETCURSEL, index, 0);
        const DesignEntry& e = entries_[static_cast<size_t>(index)];
        if (e.marker == kMarkerNone)
          ShowChosen("Default");
        else
          chosen_name_ = e.name;
      }
    } else {
      ShowChosen(core_.DefaultDesign());
    }
    Preview(chosen_name_);
  }

  // Other programs set the name as text or pick an entry by number; the chosen name
  // follows them as it follows the user.
  static LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<DesignChooser*>(data);
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &DesignChooser::ComboProc, 1);
    const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
    self->deps_.errors.Run([&] {
      if (msg == WM_SETTEXT && result >= 0)  // TRUE or CB_OKAY
        self->chosen_name_ = ui::MessageText(lp);
      if (msg == CB_SETCURSEL && result >= 0) self->chosen_name_ = self->EntryName(result);
    });
    return result;
  }

  DesignChooserDeps deps_;
  DesignHostTarget& core_;
  DesignMainWindow& main_;
  ui::UniqueFont font_;
  std::vector<DesignEntry> entries_;  // Designbox and designdlls, entry by entry
  std::string chosen_name_;  // the name the combo box shows: typed, picked or set
  std::string active_library_path_;
  std::string failed_apply_;  // the design whose last apply failed, until one succeeds
  bool box_open_ = false;     // Report's message box is open
  bool opening_archives_ = false;               // OpenSkinArchive is under way
  std::vector<std::string> pending_archives_;  // archives it opens next
  std::unique_ptr<DesignLibraries> libraries_;
};

}  // namespace

std::unique_ptr<DesignChooserControl> CreateDesignChooser(const DesignChooserDeps& deps) {
  return std::make_unique<DesignChooser>(deps);
}

}  // namespace velmora
