// TForm3, the "Files Playlist" window: shows the playlist model and holds every command
// that fills it and puts it in order. It lives for the whole run, hidden or shown.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <memory>
#include <string>
#include <vector>

#include "playlist/playlist_window_win.h"
#include "playlist/add_url_dialog_win.h"
#include "playlist/jump_window_win.h"
#include "playlist/playlist_ops.h"
#include "playlist/virtual_list_win.h"
#include "ui/control_ids.h"
#include "ui/wide_win.h"
#include "ui/handles_win.h"
#include "ui/top_level_window_win.h"
#include "ui/widget_base_win.h"
#include "ui/widgets.h"
#include "ui/window_util_win.h"

namespace velmora {

namespace {

constexpr char kClassName[] = "TForm3";
constexpr char kCaption[] = "Files Playlist";
constexpr int kDesignWidth = 353;  // outer size for a 345 x 293 client area
constexpr int kDesignHeight = 320;
constexpr int kScanGrowth = 75;
// Posted to itself when the hidden folder chooser's text changed.
constexpr UINT kRunFolderScan = WM_APP + 31;

struct LabelPlace {
  int id;
  const char* text;
  int x, y, w;
  DWORD align;
};

// The eight scan-progress labels lie below the visible client area until a scan grows
// the window.
const LabelPlace kProgressLabels[] = {
    {ids::plLabel4, "Directory Processed : ", 6, 300, 165, SS_LEFT},
    {ids::plLabel6, "0", 176, 300, 160, SS_LEFT},
    {ids::plLabel5, "File processed :", 6, 318, 165, SS_LEFT},
    {ids::plLabel7, "0", 176, 316, 160, SS_LEFT},
    {ids::plLabel8, "Current directory : ", 6, 332, 165, SS_LEFT},
    {ids::plLabel10, "None", 176, 332, 160, SS_LEFT},
    {ids::plLabel9, "Current File :", 6, 348, 165, SS_LEFT},
    {ids::plLabel11, "None", 176, 348, 160, SS_LEFT},
};

struct ButtonPlace {
  int id;
  const char* caption;
  const char* hint;
  int y;
};

const ButtonPlace kButtons[] = {
    {ids::pladdbut, "Add", "Add Song to Playlist", 24},
    {ids::plremovebut, "Remove", "Remove Selected Files", 53},
    {ids::plsavebut, "Save", "Save Playlist", 81},
    {ids::plsortbut, "Sort", "Sort Playlist", 110},
    {ids::plrandombut, "Random", "Randomize Playlist", 139},
    {ids::plToolbarButton971, "Up", "Move up selected items", 167},
    {ids::plToolbarButton972, "Down", "Move down selected items", 196},
};

// Directory listing for the folder scan.
class WinFolderSource : public FolderSource {
 public:
  bool List(const std::string& folder, std::vector<std::string>& names) override {
    return ui::ForEachFile(
        folder + "*.*", [&](const ui::FoundFile& data) { names.emplace_back(data.name); });
  }
  bool IsFolder(const std::string& path) override {
    DWORD attributes = ui::FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool IsFile(const std::string& path) override {
    DWORD attributes = ui::FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
};

class PlaylistWindow : public PlaylistWindowControl,
                       public ui::TopLevelWindow,
                       private PlaylistObserver,
                       private ScanProgress {
 public:
  PlaylistWindow(Playlist& playlist, PlaylistTransport& transport, PluginSystem& plugins,
                 RandomGenerator& random, ErrorSink& errors, ui::HintEcho& hints)
      : ui::TopLevelWindow(errors),
        playlist_(playlist),
        transport_(transport),
        plugins_(plugins),
        random_(random) {
    EchoHintsTo(hints);
    Create();
    url_dialog_ = CreateAddUrlDialog(playlist_, errors_, hints);
    jump_window_ = CreateJumpWindow(playlist_, transport_, errors_);
    playlist_.AddObserver(this);
  }
  ~PlaylistWindow() override {
    playlist_.RemoveObserver(this);
    DestroyTopLevel();
  }

  // PlaylistWindowControl.
  void Show() override {
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
  }
  void RemoveAllRows() override;
  void AddDroppedFiles(const std::vector<std::string>& names) override { DropNames(names, true); }
  void SaveDialog() override { Save(); }
  void SortByName() override { Sort(SortKey::Name, SortOrder::Ascending); }
  void ShowJumpToFile() override { jump_window_->Show(); }
  void SetLook(const PlaylistLook& look) override { pl_.SetLook(look); }
  void SetSize(int width, int height) override {
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void GetSize(int* width, int* height) const override {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    if (width) *width = r.right - r.left;
    if (height) *height = r.bottom - r.top;
  }
  PlaylistWindow(const PlaylistWindow&) = delete;
  PlaylistWindow& operator=(const PlaylistWindow&) = delete;

  HWND Handle() const override { return hwnd(); }

 private:
  static LRESULT CALLBACK ChooserProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  void Create();
  void CreateControls();
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  void SetText(int id, const std::string& text) const { ui::SetText(Control(id), text); }

  // Commands.
  void OnCommand(int id, int code, HWND control);
  void ShowMenuBelow(int button_id, HMENU menu);
  void ShowAddMenu();
  void ShowRemoveMenu();
  void ShowSortMenu();
  void ShowListMenu(int x, int y);
  void AddFiles();
  void AddFolderDialog();
  void AddDirectory();
  void ShowUrlDialog();
  void DropNames(const std::vector<std::string>& names, bool enable_play);
  void OnDropFiles(HDROP drop);
  void RemoveSelectedRows();
  void Sort(SortKey key, SortOrder order);
  void Randomize();
  void MoveUp();
  void MoveDown();
  void SelectAllRows();
  void InvertSelection();
  void UnselectAll();
  void PlayCaretRow();
  void Save();
  void AutoPlayCheck();
  bool PluginPlaying();
  void StopIfPlaying();
  void ReportError(const std::string& message);
  PluginSelector& Selector();
  void OnClose();
  void OnResize();
  bool OnListMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnChooserText();

  // The user changed the list's marks or caret: the model takes them at once.
  void PushSelection();

  // PlaylistObserver.
  void OnRowsAppended(size_t first, size_t count) override;
  void OnRowsReset() override;
  void OnSelectionChanged() override;
  void OnCurrentIndexChanged(int32_t index) override;
  void OnTrackCountChanged(const std::string& label3) override;
  void OnPlayingLabelChanged(const std::string& text) override;

  // ScanProgress.
  void FoldersProcessed(size_t count) override;
  void EntriesExamined(size_t count) override;
  void CurrentFolder(const std::string& text) override;
  void CurrentFile(const std::string& name) override;
  void ProcessEvents() override;
  void PlaylistError(const std::string& message) override;
  void ShowPendingProgress(bool force);

  Playlist& playlist_;
  PlaylistTransport& transport_;
  PluginSystem& plugins_;
  RandomGenerator& random_;
  VirtualList pl_;
  VirtualList pathbox_;
  std::unique_ptr<UrlDialog> url_dialog_;  // TForm8
  std::unique_ptr<JumpToFile> jump_window_;  // TForm14
  WNDPROC chooser_proc_ = nullptr;

  int stored_height_ = kDesignHeight;  // StoredHeight
  bool scan_animating_ = false;        // ScanAnimating
  FolderScanQueues queues_;            // directorys, forfile

  // Progress labels are written at most every few milliseconds during a scan: the
  // texts change thousands of times a second and only the latest one can be read.
  std::string pending_folder_, pending_file_;
  size_t pending_folders_ = 0, pending_entries_ = 0;
  bool folder_dirty_ = false, file_dirty_ = false, counts_dirty_ = false;
  DWORD last_progress_paint_ = 0;
  DWORD last_scan_pump_ = 0;
  bool scanning_ = false, rows_dirty_ = false;
};

// ---------------------------------------------------------------------------------------
// Creation

void PlaylistWindow::Create() {
  ui::TopLevelClass cls;
  cls.unicode = true;
  cls.name = kClassName;
  cls.style = CS_DBLCLKS;
  cls.icon = LoadIcon(nullptr, IDI_APPLICATION);
  CreateTopLevel(cls, WS_EX_ACCEPTFILES, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                 CW_USEDEFAULT, CW_USEDEFAULT, kDesignWidth, kDesignHeight);
}

void PlaylistWindow::CreateControls() {
  UseDialogKeys({});  // Tab through the list and the buttons; the list keeps its keys
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  auto label = [&](int id, const char* text, int x, int y, int w, DWORD align) {
    HWND h = ui::CreateWindowUtf8(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_NOPREFIX | align, x, y,
                             w, 15, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             instance, nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
  };

  pl_.Create(hwnd_, ids::pl, &playlist_.Names(), WS_VISIBLE | LBS_EXTENDEDSEL, 4, 24, 229, 265);
  ui::SetToolTip(pl_.Handle(), "Playlist");
  pl_.before = [this](UINT msg, WPARAM wp, LPARAM lp) { return OnListMessage(msg, wp, lp); };
  pl_.marks_changed = [this] { PushSelection(); };
  // The paths, never shown: a list like the names so other programs can read them.
  pathbox_.Create(hwnd_, ids::pathbox, &playlist_.Paths(), LBS_EXTENDEDSEL, 0, 0, 10, 10);

  for (const ButtonPlace& b : kButtons) {
    HWND h = ui::CreateWindowUtf8(0, ui::kImageButtonClass, b.caption,
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP, 256, b.y, 75, 25, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance,
                             nullptr);
    if (!h) {
      // The widget set is missing: plain push buttons keep the window usable.
      h = ui::CreateWindowUtf8(0, "BUTTON", b.caption,
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 256, b.y, 75, 25,
                          hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance,
                          nullptr);
    }
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(h, ui::VWM_SETHINT, 0, reinterpret_cast<LPARAM>(b.hint));
    ui::SetToolTip(h, b.hint);
  }

  label(ids::plLabel1, "Currently Playing :", 240, 230, 100, SS_LEFT);
  ui::SetToolTip(label(ids::plct, "0", 285, 244, 45, SS_RIGHT), "Currently Playing");
  label(ids::plLabel2, "Number of tracks :", 237, 258, 100, SS_LEFT);
  ui::SetToolTip(label(ids::Label3, "0", 285, 272, 45, SS_RIGHT), "Number of tracks");
  label(ids::plLabel12, "Playing : ", 10, 6, 50, SS_LEFT);
  label(ids::playingLabel, "none", 60, 6, 280, SS_LEFT | SS_ENDELLIPSIS);
  for (const LabelPlace& p : kProgressLabels) label(p.id, p.text, p.x, p.y, p.w, p.align);

  // The hidden folder chooser: every change of its text starts a scan of that folder.
  HWND chooser = ui::CreateWindowUtf8(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, 10, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::DirectoryEdit1)),
                                 instance, nullptr);
  SetWindowLongPtrW(chooser, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  chooser_proc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      chooser, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PlaylistWindow::ChooserProc)));

  // Model state shown from the start.
  SetText(ids::plct, std::to_string(playlist_.CurrentIndex()));
  pl_.SetCurrentRow(playlist_.CurrentIndex());
  SetText(ids::Label3, playlist_.TrackCountText());
  SetText(ids::playingLabel, playlist_.PlayingLabel());
  pl_.SetCount(playlist_.Count());
  pathbox_.SetCount(playlist_.Count());
  DragAcceptFiles(hwnd_, TRUE);
}

LRESULT CALLBACK PlaylistWindow::ChooserProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* self = reinterpret_cast<PlaylistWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || !self->chooser_proc_) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = CallWindowProcW(self->chooser_proc_, hwnd, msg, wp, lp);
  if (msg == WM_SETTEXT && result) self->errors_.Run([self] { self->OnChooserText(); });
  return result;
}

LRESULT PlaylistWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: CreateControls(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
    case WM_CONTEXTMENU: {
      HWND from = reinterpret_cast<HWND>(wp);
      int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
      if (from == pl_.Handle()) {
        ShowListMenu(x, y);
        return 0;
      }
      break;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      item->itemHeight = static_cast<UINT>(VirtualList::ItemHeight(hwnd_));
      return TRUE;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item->hwndItem == pl_.Handle()) pl_.DrawItem(*item);
      if (item->hwndItem == pathbox_.Handle()) pathbox_.DrawItem(*item);
      return TRUE;
    }
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
    case WM_SIZE: OnResize(); return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize.x = 200;
      info->ptMinTrackSize.y = 120;
      return 0;
    }
    case WM_CLOSE: OnClose(); return 0;
    case kRunFolderScan: AddDirectory(); return 0;
    case WM_KEYDOWN:
      if (wp == 'J') {
        ShowJumpToFile();
        return 0;
      }
      break;
    default: break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

// ---------------------------------------------------------------------------------------
// Commands

void PlaylistWindow::OnCommand(int id, int code, HWND control) {
  if (control == pl_.Handle() && control) {
    if (code == LBN_SELCHANGE) PushSelection();
    if (code == LBN_DBLCLK) PlayCaretRow();
    return;
  }
  if (control && code != BN_CLICKED && code != 0) return;
  switch (id) {
    case ids::pladdbut: ShowAddMenu(); break;
    case ids::plremovebut: ShowRemoveMenu(); break;
    case ids::plsavebut: Save(); break;
    case ids::plsortbut: ShowSortMenu(); break;
    case ids::plrandombut: Randomize(); break;
    case ids::plToolbarButton971: MoveUp(); break;
    case ids::plToolbarButton972: MoveDown(); break;
    case ids::plFiles1: AddFiles(); break;
    case ids::plDirectory1: AddFolderDialog(); break;
    case ids::plUrl1: ShowUrlDialog(); break;
    case ids::plSelected1: RemoveSelectedRows(); break;
    case ids::plAll1: RemoveAllRows(); break;
    case ids::plSelectAll1: SelectAllRows(); break;
    case ids::plInvertSelection1: InvertSelection(); break;
    case ids::plUnselectAll1: UnselectAll(); break;
    case ids::plSort1:
    case ids::plNameInOrder: Sort(SortKey::Name, SortOrder::Ascending); break;
    case ids::plDescending1: Sort(SortKey::Name, SortOrder::Descending); break;
    case ids::plInOrder1: Sort(SortKey::Path, SortOrder::Ascending); break;
    case ids::plInvertOrder1: Sort(SortKey::Path, SortOrder::Descending); break;
    case ids::plJumpToFile: ShowJumpToFile(); break;
    default: break;
  }
}

void PlaylistWindow::ShowMenuBelow(int button_id, HMENU menu) {
  RECT r{};
  GetWindowRect(Control(button_id), &r);
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, r.left, r.bottom, 0, hwnd_,
                 nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void PlaylistWindow::ShowAddMenu() {  // Addpopup
  ui::UniqueMenu menu(CreatePopupMenu());
  AppendMenuA(menu.get(), MF_STRING, ids::plFiles1, "Files");
  AppendMenuA(menu.get(), MF_STRING, ids::plDirectory1, "Directory");
  AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu.get(), MF_STRING, ids::plUrl1, "Url");
  ShowMenuBelow(ids::pladdbut, menu.get());
}

void PlaylistWindow::ShowRemoveMenu() {  // DelPopup
  ui::UniqueMenu menu(CreatePopupMenu());
  AppendMenuA(menu.get(), MF_STRING, ids::plSelected1, "Selected");
  AppendMenuA(menu.get(), MF_STRING, ids::plAll1, "All");
  ShowMenuBelow(ids::plremovebut, menu.get());
}

void PlaylistWindow::ShowSortMenu() {  // SortPopup
  ui::UniqueMenu menu(CreatePopupMenu());
  ui::UniqueMenu by_name(CreatePopupMenu()), by_path(CreatePopupMenu());
  AppendMenuA(by_name.get(), MF_STRING, ids::plNameInOrder, "In order");
  AppendMenuA(by_name.get(), MF_STRING, ids::plDescending1, "Invert order");
  AppendMenuA(by_path.get(), MF_STRING, ids::plInOrder1, "In Order");
  AppendMenuA(by_path.get(), MF_STRING, ids::plInvertOrder1, "Invert Order");
  AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(by_name.release()), "By SongName");
  AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(by_path.release()), "By Path");
  ShowMenuBelow(ids::plsortbut, menu.get());
}

void PlaylistWindow::ShowListMenu(int x, int y) {  // PlPopup
  if (x == -1 && y == -1) {
    RECT r{};
    GetWindowRect(pl_.Handle(), &r);
    x = r.left;
    y = r.top;
  }
  ui::UniqueMenu menu(CreatePopupMenu());
  AppendMenuA(menu.get(), MF_STRING, ids::plSelectAll1, "Select All");
  AppendMenuA(menu.get(), MF_STRING, ids::plInvertSelection1, "Invert Selection");
  AppendMenuA(menu.get(), MF_STRING, ids::plUnselectAll1, "Unselect All");
  AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu.get(), MF_STRING, ids::plSort1, "Sort");
  AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu.get(), MF_STRING, ids::plJumpToFile, "Jump to file\tJ");
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, hwnd_,
                 nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void PlaylistWindow::AddFiles() { transport_.OpenFiles(); }

void PlaylistWindow::AddFolderDialog() {
  SetText(ids::DirectoryEdit1, "");
  wchar_t display_name[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = hwnd_;
  info.pszDisplayName = display_name;
  info.lpszTitle = L"Add a directory";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
  if (!chosen) return;
  const std::string folder = ui::PathFromIdList(chosen);
  CoTaskMemFree(chosen);
  if (!folder.empty()) SetText(ids::DirectoryEdit1, folder);
}

void PlaylistWindow::OnChooserText() {
  const std::string text = ui::GetText(Control(ids::DirectoryEdit1));
  queues_.directorys.clear();
  if (text.empty()) return;
  queues_.directorys.push_back(text);
  // Run from the message loop so whoever set the text (the folder dialog, another
  // program) is not kept waiting for the whole scan.
  PostMessageW(hwnd_, kRunFolderScan, 0, 0);
}

void PlaylistWindow::AddDirectory() {
  SetText(ids::plLabel6, "0");
  SetText(ids::plLabel7, "0");
  SetText(ids::plLabel10, "None");
  SetText(ids::plLabel11, "None");

  auto animate = [this](int from, int to) {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    scan_animating_ = true;
    const int step = from <= to ? 1 : -1;
    for (int h = from;; h += step) {
      SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, h,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      ui::PumpWaitingMessages();
      if (!hwnd_ || h == to) break;
    }
    scan_animating_ = false;
  };

  animate(stored_height_, stored_height_ + kScanGrowth);
  if (!hwnd_) return;

  WinFolderSource source;
  last_progress_paint_ = 0;
  last_scan_pump_ = 0;
  scanning_ = true;
  ScanFolders(queues_, playlist_, source, Selector(), *this);
  scanning_ = false;
  ShowPendingProgress(true);

  playlist_.SetCurrentIndex(0);
  playlist_.UpdateTrackCount();

  animate(stored_height_ + kScanGrowth, stored_height_);
  AutoPlayCheck();
}

void PlaylistWindow::ShowUrlDialog() { url_dialog_->Show(); }

void PlaylistWindow::OnDropFiles(HDROP drop) {
  const std::vector<std::string> names = ui::DroppedFiles(drop);
  DragFinish(drop);
  DropNames(names, false);
}

void PlaylistWindow::DropNames(const std::vector<std::string>& names, bool enable_play) {
  const std::string error = velmora::AddDroppedFiles(playlist_, names, Selector());
  if (!error.empty()) ReportError(error);
  // Files dropped on the main window make Play usable at once.
  if (enable_play && !playlist_.Empty()) {
    transport_.EnablePlay();
  }
  AutoPlayCheck();
}

void PlaylistWindow::RemoveSelectedRows() {
  if (RemoveSelected(playlist_)) StopIfPlaying();
}

void PlaylistWindow::RemoveAllRows() {
  RemoveAll(playlist_);
  StopIfPlaying();
}

void PlaylistWindow::Sort(SortKey key, SortOrder order) { SortPlaylist(playlist_, key, order); }

void PlaylistWindow::Randomize() { RandomizePlaylist(playlist_, random_); }

void PlaylistWindow::MoveUp() { MoveSelectedUp(playlist_); }

void PlaylistWindow::MoveDown() { MoveSelectedDown(playlist_); }

void PlaylistWindow::SelectAllRows() { playlist_.SelectAll(true); }

void PlaylistWindow::UnselectAll() { playlist_.SelectAll(false); }

void PlaylistWindow::InvertSelection() { playlist_.InvertSelection(); }

void PlaylistWindow::PlayCaretRow() {
  const int caret = pl_.Caret();
  if (caret < 0) return;
  playlist_.SetCurrentIndex(caret);
  transport_.Play();
}

void PlaylistWindow::Save() {
  wchar_t file[MAX_PATH * 4] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = L"Playlist\0*.m3u\0Playlist (UTF-8)\0*.m3u8\0";  // both written as UTF-8
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH * 4;
  ofn.lpstrTitle = L"Save mp3 playlist";
  ofn.lpstrDefExt = L"m3u";
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&ofn)) return;
  try {
    playlist_.SavePlaylistFile(ui::Narrow(file));
  } catch (const std::exception& error) {
    ReportError(error.what());
  }
}

PluginSelector& PlaylistWindow::Selector() { return plugins_.Selector(); }

bool PlaylistWindow::PluginPlaying() {
  try {
    return plugins_.Current().PlayingReportsTrue();
  } catch (...) {
    // A question, not an action: a plug-in that cannot answer is taken as not playing.
    return false;
  }
}

void PlaylistWindow::StopIfPlaying() {
  if (PluginPlaying()) transport_.Stop();
}

void PlaylistWindow::AutoPlayCheck() {
  if (AutoPlayDue(playlist_, transport_.AutoPlay(), plugins_.Current())) transport_.Play();
}

void PlaylistWindow::ReportError(const std::string& message) { errors_.Report(message); }

void PlaylistWindow::OnClose() {
  // Closing only hides; with nothing playing, an idle loaded plug-in and auto-play on,
  // the playlist starts.
  ShowWindow(hwnd_, SW_HIDE);
  if (playlist_.Empty() || !transport_.AutoPlay()) return;
  try {
    InputPlugin& plugin = plugins_.Current();
    if (plugin.Name().empty() || !plugin.Has(PluginEntry::playing) || plugin.playing()) return;
  } catch (...) {
    // A plug-in that cannot say whether it plays is left alone: closing the window only
    // hides it, and starting the list is an extra that is then not done.
    return;
  }
  transport_.Play();
}

void PlaylistWindow::OnResize() {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (!Control(ids::plLabel1)) return;  // still creating

  auto move_to = [this](int id, int x, int y) {
    SetWindowPos(Control(id), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  auto place_of = [this](int id) {
    RECT c{};
    GetWindowRect(Control(id), &c);
    MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&c), 2);
    return c;
  };

  if (!scan_animating_) {
    const int shift = height - stored_height_;
    if (shift != 0) {
      for (const LabelPlace& p : kProgressLabels) {
        RECT c = place_of(p.id);
        move_to(p.id, c.left, c.top + shift);
      }
    }
    stored_height_ = height;
  }

  SetWindowPos(pl_.Handle(), nullptr, 0, 0, std::max(width - 124, 0),
               std::max(stored_height_ - 55, 0), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ButtonPlace& b : kButtons) move_to(b.id, width - 99, place_of(b.id).top);
  move_to(ids::plLabel1, width - 115, place_of(ids::plLabel1).top);
  move_to(ids::plct, width - 70, place_of(ids::plct).top);
  move_to(ids::Label3, width - 70, place_of(ids::Label3).top);
  move_to(ids::plLabel2, width - 118, place_of(ids::plLabel2).top);
}

// Keys and clicks in the list, before the list box handles them (it still does).
bool PlaylistWindow::OnListMessage(UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_KEYDOWN) {
    const int count = static_cast<int>(playlist_.Count());
    switch (wp) {
      case VK_UP: {
        const int caret = pl_.Caret();
        if (caret + 1 < count) pl_.SetCaret(caret + 1);
        MoveUp();
        break;
      }
      case VK_DOWN: {
        const int caret = pl_.Caret();
        if (caret - 1 >= 0) pl_.SetCaret(caret - 1);
        MoveDown();
        break;
      }
      case VK_INSERT: AddFiles(); break;
      case VK_DELETE: RemoveSelectedRows(); break;
      case 'J':
        if (GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
          ShowJumpToFile();
          return true;
        }
        break;
      default: break;
    }
  } else if (msg == WM_CHAR && (wp == 'j' || wp == 'J')) {
    return true;  // the key opened "Jump to file"; the list does not search for it
  } else if (msg == WM_CHAR && wp == 's') {
    Sort(SortKey::Name, SortOrder::Ascending);
  } else if (msg == WM_LBUTTONUP) {
    // plClick: the hint names the caret row.
    const int caret = pl_.Caret();
    if (caret >= 0 && static_cast<size_t>(caret) < playlist_.Count())
      ui::SetToolTip(pl_.Handle(), playlist_.DisplayName(caret));
  }
  return false;
}

void PlaylistWindow::PushSelection() {
  std::vector<uint8_t> marks(playlist_.Count(), 0);
  pl_.ReadMarks(marks);
  playlist_.SetSelection(std::move(marks), pl_.Caret(), this);
}

// ---------------------------------------------------------------------------------------
// Model notifications

void PlaylistWindow::OnRowsAppended(size_t, size_t) {
  // A folder scan appends one row per file; the lists catch up with the progress labels.
  if (scanning_) {
    rows_dirty_ = true;
    return;
  }
  rows_dirty_ = false;
  pl_.SetCount(playlist_.Count());
  pathbox_.SetCount(playlist_.Count());
}

void PlaylistWindow::OnRowsReset() {
  pl_.SetCount(playlist_.Count());
  pathbox_.SetCount(playlist_.Count());
  OnSelectionChanged();
  pathbox_.Redraw();
}

void PlaylistWindow::OnSelectionChanged() { pl_.WriteMarks(playlist_.SelectionMarks()); }

void PlaylistWindow::OnCurrentIndexChanged(int32_t index) {
  SetText(ids::plct, std::to_string(index));
  pl_.SetCurrentRow(index);
}

void PlaylistWindow::OnTrackCountChanged(const std::string& label3) {
  SetText(ids::Label3, label3);
}

void PlaylistWindow::OnPlayingLabelChanged(const std::string& text) {
  SetText(ids::playingLabel, text);
}

// ---------------------------------------------------------------------------------------
// Scan progress

// The counters change for every file; like the names beside them they are shown at most
// every 40 ms (and once more at the end), or setting them would cost more than the scan.
void PlaylistWindow::FoldersProcessed(size_t count) {
  pending_folders_ = count;
  counts_dirty_ = true;
  ShowPendingProgress(false);
}

void PlaylistWindow::EntriesExamined(size_t count) {
  pending_entries_ = count;
  counts_dirty_ = true;
  ShowPendingProgress(false);
}

void PlaylistWindow::CurrentFolder(const std::string& text) {
  pending_folder_ = text;
  folder_dirty_ = true;
  ShowPendingProgress(false);
}

void PlaylistWindow::CurrentFile(const std::string& name) {
  pending_file_ = name;
  file_dirty_ = true;
  ShowPendingProgress(false);
}

void PlaylistWindow::ShowPendingProgress(bool force) {
  const DWORD now = GetTickCount();
  if (!force && now - last_progress_paint_ < 40) return;
  last_progress_paint_ = now;
  if (folder_dirty_) SetText(ids::plLabel10, pending_folder_);
  if (file_dirty_) SetText(ids::plLabel11, pending_file_);
  if (counts_dirty_) {
    SetText(ids::plLabel6, std::to_string(pending_folders_));
    SetText(ids::plLabel7, std::to_string(pending_entries_));
  }
  folder_dirty_ = file_dirty_ = counts_dirty_ = false;
  if (rows_dirty_) {
    rows_dirty_ = false;
    pl_.SetCount(playlist_.Count());
    pathbox_.SetCount(playlist_.Count());
  }
}

// The scan asks for this after every folder and file. Serving the queue costs a round trip
// to the window system, so during a scan of thousands of files it is done every 10 ms at
// most: the window and the other commands stay responsive at a fraction of the cost.
void PlaylistWindow::ProcessEvents() {
  const DWORD now = GetTickCount();
  if (last_scan_pump_ != 0 && now - last_scan_pump_ < 10) return;
  last_scan_pump_ = now;
  ui::PumpWaitingMessages();
}

void PlaylistWindow::PlaylistError(const std::string& message) { ReportError(message); }

}  // namespace

std::unique_ptr<PlaylistWindowControl> CreatePlaylistWindow(
    Playlist& playlist, PlaylistTransport& transport, PluginSystem& plugins,
    RandomGenerator& random, ErrorSink& errors, ui::HintEcho& hints) {
  return std::make_unique<PlaylistWindow>(playlist, transport, plugins, random, errors, hints);
}

}  // namespace velmora
