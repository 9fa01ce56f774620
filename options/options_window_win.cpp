// TForm2, the options window: the navigation tree on the left, the fifteen pages on the
// right under a title line. It also holds the plug-in scan's lists (Dlls, the hidden
// ExtensionBox/DllBox pair of the extension table, the file-type list ListBox1) and the
// one-shot Enjoy timer that runs the scan. It exists for the whole run, hidden until
// shown; hiding it lets go of the information library.
#include "options/options_window_win.h"

#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "options/options_window_win.h"

#include "options/help_tours.h"
#include "options/machine_info_pages_win.h"
#include "options/sound_design_pages_win.h"
#include "options/text_pages_win.h"
#include "ui/options_page_win.h"
#include "options/options_tree.h"
#include "options/setting_pages_win.h"
#include "plugins/plugin_lists_view.h"
#include "ui/control_ids.h"
#include "ui/error_list.h"
#include "ui/handles_win.h"
#include "ui/top_level_window_win.h"
#include "ui/widget_base_win.h"
#include "ui/window_util_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr char kClassName[] = "TForm2";
constexpr char kCaption[] = "Velmora Options";
constexpr char kScanningCaption[] = "Scanning for dll's... Please wait !";
constexpr int kClientWidth = 515;
constexpr int kClientHeight = 307;
constexpr UINT kEnjoyInterval = 200;
constexpr UINT_PTR kEnjoyTimer = 1;  // the one-shot timer of the plug-in scan
// The tree on the left; the title line and the pages on the right.
constexpr RECT kTreeArea{4, 4, 154, 303};
constexpr RECT kTitleArea{162, 6, 511, 24};
constexpr RECT kPageArea{162, 30, 511, 303};

// A page that shows only its title line until its subsystem puts its own page in.
class TitleOnlyPage : public ControlPage {
 protected:
  void MakeControls() override {}
};

// Errors: the log switch and this run's errors, which it shows as they come.
class ErrorsPage : public ControlPage, private ErrorListObserver {
 public:
  explicit ErrorsPage(ErrorList& errors) : errors_(errors) {}
  ~ErrorsPage() override { errors_.RemoveObserver(this); }

 protected:
  void MakeControls() override {
    Add("BUTTON", "Log all errors to errors.log", BS_AUTOCHECKBOX | WS_TABSTOP, 0,
        ids::cbLogErrors, 4, 2, 300, 18);
    // A read-only text, one error a line: other programs and screen readers read it whole.
    HWND text =
        Add("EDIT", "",
            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
            WS_EX_CLIENTEDGE, ids::currenterrors, 4, 26, 340, 240);
    SendMessageA(text, EM_SETLIMITTEXT, 0, 0);
    // Errors of the start-up came before this window: they belong here too.
    for (const std::string& line : errors_.Lines()) ErrorAdded(line);
    errors_.AddObserver(this);
  }

 private:
  void ErrorAdded(const std::string& line) override {
    HWND text = GetDlgItem(parent_, ids::currenterrors);
    const int end = GetWindowTextLengthW(text);
    const std::string added = (end > 0 ? "\r\n" : "") + line;
    SendMessageW(text, EM_SETSEL, static_cast<WPARAM>(end), end);
    ui::SendTextMessage(text, EM_REPLACESEL, FALSE, added);
  }

  ErrorList& errors_;
};

// Input Plugins: the current plug-in, the plug-ins found and the information of the one
// clicked.
class InputPluginsPage : public ControlPage {
 protected:
  void MakeControls() override {
    Label("Current one", 4, 4, 80);
    ReadOnlyEdit(ids::CurrentInput, "", 88, 2, 160);
    Label("Plugins found", 4, 28, 140);
    Add("LISTBOX", "", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_TABSTOP,
        WS_EX_CLIENTEDGE, ids::Dlls, 4, 46, 120, 200);
    static const struct {
      const char* label;
      int id;
    } kFields[] = {{"Author", ids::author}, {"Name", ids::dllname}, {"Date", ids::date},
                   {"Info", ids::info},     {"Files", ids::files},  {"Version", ids::version}};
    int y = 46;
    for (const auto& field : kFields) {
      Label(field.label, 132, y + 2, 50);
      ReadOnlyEdit(field.id, "", 184, y, 160);
      y += 24;
    }
    Add("BUTTON", "Options", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::OLabel4, 184, y + 4, 80, 22);
  }
};

// FileType/Icons until the file-type subsystem puts its page in: the extensions the scan
// found (ListBox1 itself stays the window's, see OptionsWindow).
class FileTypePage : public ControlPage {
 protected:
  void MakeControls() override { Label("What type do you want to register ?", 4, 4, 300); }
};

// The guided tours' reach: the cursor, the main window's buttons and the design chooser.
class WindowTourHost : public TourHost {
 public:
  WindowTourHost(OptionsHost& host, CommandSink& commands, HWND& options)
      : host_(host), commands_(commands), options_(options) {}

  void Position(int* x, int* y) override {
    POINT p{};
    GetCursorPos(&p);
    *x = p.x, *y = p.y;
  }
  void MoveTo(int x, int y) override { SetCursorPos(x, y); }
  void Pause(int milliseconds) override {
    ui::PumpWaitingMessages();
    Sleep(static_cast<DWORD>(milliseconds));
  }
  void Wait(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }
  void SetStepText(const std::string& text) override {
    ui::SetItemText(options_, ids::infor, text);
    UpdateWindow(GetDlgItem(options_, ids::infor));
  }
  std::optional<std::pair<int, int>> TargetPoint(TourTarget target) override {
    switch (target) {
      case TourTarget::OptionsButton: return ControlPoint(host_.MainWindow(), ids::optionbut);
      case TourTarget::PlaylistButton: return ControlPoint(host_.MainWindow(), ids::plbut);
      case TourTarget::OpenButton: return ControlPoint(host_.MainWindow(), ids::openbut);
      case TourTarget::DesignListArrow: {
        HWND list = GetDlgItem(host_.DesignChooserWindow(), ids::designList);
        RECT r{};
        if (!list || !GetWindowRect(list, &r)) return std::nullopt;
        return std::make_pair(static_cast<int>(r.right - 5), static_cast<int>(r.bottom));
      }
    }
    return std::nullopt;
  }
  void ShowSetupMenu(int, int) override {
    // The options button pressed: its drop-down menu opens there and waits for the user.
    if (GetDlgItem(host_.MainWindow(), ids::optionbut))
      commands_.Execute(Command{CommandKind::ShowGeneralMenu, CommandSource::Control, {}});
  }
  void ShowDesignChooser() override { host_.ShowDesignChooser(); }

 private:
  // A control's left and top added to its window's left and top, 2 pixels further down.
  static std::optional<std::pair<int, int>> ControlPoint(HWND window, int id) {
    HWND control = window ? GetDlgItem(window, id) : nullptr;
    RECT frame{}, place{};
    if (!control || !GetWindowRect(window, &frame) || !GetWindowRect(control, &place))
      return std::nullopt;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return std::make_pair(static_cast<int>(frame.left + place.left - origin.x),
                          static_cast<int>(frame.top + place.top - origin.y + 2));
  }

  OptionsHost& host_;
  CommandSink& commands_;
  HWND& options_;
};

class OptionsWindow : public OptionsWindowControl,
                      public ui::TopLevelWindow,
                      public PluginListsView {
 public:
  explicit OptionsWindow(const OptionsWindowDeps& deps)
      : ui::TopLevelWindow(deps.errors), d_(deps) {
    EchoHintsTo(deps.hints);
    Create();
  }
  ~OptionsWindow() override {
    d_.plugins.AttachListsView(nullptr);
    d_.settings.SetListener(nullptr);
    DestroyTopLevel();
  }
  OptionsWindow(const OptionsWindow&) = delete;
  OptionsWindow& operator=(const OptionsWindow&) = delete;

  HWND Handle() const override { return hwnd(); }

  // OptionsWindowControl
  void ShowPage(const std::string& node_text) override;
  void RefreshShownPage() override { RefreshOptionsPage(); }
  void SetPage(OptionsPageId id, std::unique_ptr<OptionsPage> page) override;
  // The History page is filled when it is made, at start-up; the icon list belongs to the
  // FileType/Icons page its subsystem puts in.
  void FillVersionHistory() override {}
  void FillIconList() override {}

  // PluginListsView
  void StartScanTimer() override {
    if (hwnd_) SetTimer(hwnd_, kEnjoyTimer, kEnjoyInterval, nullptr);
  }
  void StopScanTimer() override {
    if (hwnd_) KillTimer(hwnd_, kEnjoyTimer);
  }
  void SetScanning(bool scanning) override {
    ui::SetText(hwnd_, scanning ? kScanningCaption : kCaption);
  }
  void SetDlls(const std::vector<std::string>& names) override { FillList(ids::Dlls, names); }
  void SetExtensionRows(const std::vector<ExtensionRow>& rows) override {
    std::vector<std::string> extensions, libraries;
    for (const auto& row : rows) {
      extensions.push_back(row.extension);
      libraries.push_back(row.library);
    }
    FillList(ids::ExtensionBox, extensions);
    FillList(ids::DllBox, libraries);
  }
  void SetExtensionList(const std::vector<std::string>& extensions) override {
    FillList(ids::ListBox1, extensions);
  }
  void SetInfoField(InfoField field, const std::string& text) override {
    int id = ids::author;
    switch (field) {
      case InfoField::author: id = ids::author; break;
      case InfoField::dllname: id = ids::dllname; break;
      case InfoField::date: id = ids::date; break;
      case InfoField::info: id = ids::info; break;
      case InfoField::files: id = ids::files; break;
      case InfoField::version: id = ids::version; break;
    }
    ui::SetItemText(hwnd_, id, text);
  }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Create();
  void CreateControls();
  void CreateTree();
  void FillList(int id, const std::vector<std::string>& items);
  void DllsClick();     // ShowPluginInfo
  void OLabel4Click();  // ShowPluginOptions
  // The tree's selection changed to `item`.
  void TreeSelectionChanged(HTREEITEM item);
  // Makes a page active: the old one hides, the new one shows with its title.
  void ActivatePage(OptionsPageId id);
  void RefreshOptionsPage();
  void EnjoyTimer();
  // The controls show the settings as they are now.
  void SyncSettingsControls();
  // A check box or radio button was clicked: its setting follows, with its immediate
  // effect. False when `id` is none of them.
  bool SettingControlClicked(int id);
  // A proxy field was edited: its setting follows.
  void ProxyFieldChanged(int id);
  OptionsPage& Page(OptionsPageId id) { return *pages_[static_cast<int>(id)]; }

  OptionsWindowDeps d_;
  WindowTourHost tours_{d_.host, d_.commands, hwnd_};
  ui::UniqueFont font_;
  std::array<std::unique_ptr<OptionsPage>, kOptionsPageCount> pages_;
  OptionsPageId active_ = OptionsPageId::General;
  bool syncing_ = false;
};

void OptionsWindow::Create() {
  ui::TopLevelClass cls;
  cls.name = kClassName;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const DWORD ex_style = WS_EX_DLGMODALFRAME;
  if (!CreateCentredTopLevel(cls, ex_style, kCaption, style, kClientWidth, kClientHeight)) return;

  // The window that holds the lists starts with no current plug-in and no info library;
  // from now on the subsystem shows its lists here (and arms the scan timer here).
  d_.plugins.AttachListsView(this);
  d_.settings.SetListener([this] { SyncSettingsControls(); });
  SyncSettingsControls();
}

void OptionsWindow::CreateControls() {
  UseDialogKeys({0, true});  // Escape closes as the close box does
  LOGFONTA lf{};
  lf.lfHeight = -11;  // 8 points
  lf.lfWeight = FW_BOLD;
  lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
  font_.reset(CreateFontIndirectA(&lf));
  HFONT font = font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto make = [&](const char* cls, DWORD style, DWORD ex_style, int id, const RECT& at) {
    HWND c = ui::CreateWindowUtf8(ex_style, cls, "", WS_CHILD | style,
                             at.left, at.top, at.right - at.left, at.bottom - at.top, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
  };
  make(WC_TREEVIEWA,
       WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
           TVS_SHOWSELALWAYS,
       WS_EX_CLIENTEDGE, ids::TreeView1, kTreeArea);
  make("STATIC", WS_VISIBLE, 0, ids::pageTitle, kTitleArea);

  pages_[static_cast<int>(OptionsPageId::General)] = MakeGeneralPage();
  pages_[static_cast<int>(OptionsPageId::Web)] = MakeWebPage();
  pages_[static_cast<int>(OptionsPageId::Errors)] =
      std::make_unique<ErrorsPage>(d_.error_list);
  pages_[static_cast<int>(OptionsPageId::InputPlugins)] = std::make_unique<InputPluginsPage>();
  pages_[static_cast<int>(OptionsPageId::FileTypeIcons)] = std::make_unique<FileTypePage>();
  pages_[static_cast<int>(OptionsPageId::MemoryInfos)] = MakeMemoryPage();
  pages_[static_cast<int>(OptionsPageId::SystemInfo)] = MakeSystemPage();
  pages_[static_cast<int>(OptionsPageId::Help)] = MakeHelpPage(tours_);
  pages_[static_cast<int>(OptionsPageId::History)] = MakeHistoryPage();
  pages_[static_cast<int>(OptionsPageId::About)] = MakeAboutPage(d_.program_folder);
  pages_[static_cast<int>(OptionsPageId::Greetings)] = MakeGreetingsPage();
  pages_[static_cast<int>(OptionsPageId::SoundOptions)] = MakeSoundPage([this] { return d_.host.Balance(); });
  pages_[static_cast<int>(OptionsPageId::DesignInfo)] = MakeDesignInfoPage(d_.host);
  for (auto& page : pages_)
    if (!page) page = std::make_unique<TitleOnlyPage>();
  for (auto& page : pages_) page->Create(hwnd_, kPageArea, font);

  // The extension table's storage (two hidden parallel lists) and the extensions that can
  // be registered, which the scan fills: they stay the window's whichever FileType/Icons
  // page is in.
  const DWORD list = WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
  make("LISTBOX", list, 0, ids::ExtensionBox, RECT{0, 0, 10, 10});
  make("LISTBOX", list, 0, ids::DllBox, RECT{0, 0, 10, 10});
  make("LISTBOX", list | LBS_EXTENDEDSEL | WS_TABSTOP, WS_EX_CLIENTEDGE, ids::ListBox1,
       RECT{kPageArea.left + 4, kPageArea.top + 24, kPageArea.left + 124, kPageArea.top + 200});

  CreateTree();
  // The window opens on the general page, with no node selected.
  ActivatePage(OptionsPageId::General);
}

void OptionsWindow::CreateTree() {
  HWND tree = GetDlgItem(hwnd_, ids::TreeView1);
  HTREEITEM group = TVI_ROOT;
  std::vector<HTREEITEM> groups;
  for (int i = 0; i < kOptionsNodeCount; ++i) {
    const OptionsNode& node = kOptionsNodes[i];
    TVINSERTSTRUCTA insert{};
    insert.hParent = node.depth == 0 ? TVI_ROOT : group;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>(node.text);
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (node.depth == 0) {
      group = item;
      groups.push_back(item);
    }
  }
  for (HTREEITEM g : groups) SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(g));
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
}

void OptionsWindow::SetPage(OptionsPageId id, std::unique_ptr<OptionsPage> page) {
  if (!page) return;
  auto& slot = pages_[static_cast<int>(id)];
  if (slot) slot->Hide();
  page->Create(hwnd_, kPageArea, font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  slot = std::move(page);
  if (active_ == id) ActivatePage(id);
}

void OptionsWindow::ActivatePage(OptionsPageId id) {
  for (int i = 0; i < kOptionsPageCount; ++i)
    if (static_cast<OptionsPageId>(i) != id && pages_[i]) pages_[i]->Hide();
  active_ = id;
  ui::SetItemText(hwnd_, ids::pageTitle, PageInfo(id).title);
  ShowWindow(GetDlgItem(hwnd_, ids::ListBox1),
             id == OptionsPageId::FileTypeIcons ? SW_SHOW : SW_HIDE);
  Page(id).Show();
}

void OptionsWindow::TreeSelectionChanged(HTREEITEM item) {
  char text[128] = {};
  TVITEMA tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = sizeof text;
  if (item) SendDlgItemMessageA(hwnd_, ids::TreeView1, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
  if (auto page = PageForNode(text)) ActivatePage(*page);
  // Matched or not (a group node), the page shown is refreshed.
  RefreshOptionsPage();
}

void OptionsWindow::SyncSettingsControls() {
  if (!hwnd_) return;
  syncing_ = true;
  const OptionSettings& s = d_.settings;
  for (const auto& box : kCheckBoxes)
    SendDlgItemMessageA(hwnd_, box.id, BM_SETCHECK, s.Flag(box.setting) ? BST_CHECKED : BST_UNCHECKED,
                        0);
  for (const auto& group : kRadioGroups)
    for (int item = 0; item < 3; ++item)
      SendDlgItemMessageA(hwnd_, group.first_item_id + item, BM_SETCHECK,
                          s.Choice(group.setting) == item ? BST_CHECKED : BST_UNCHECKED, 0);
  // The proxy fields: their texts, and usable only with "Use a proxy ".
  for (const auto& field : kProxyFields) {
    HWND edit = GetDlgItem(hwnd_, field.id);
    const std::string text = s.Text(field.setting);
    if (ui::WindowText(edit) != text) ui::SetText(edit, text);
    EnableWindow(edit, s.Flag(OptionFlag::UseProxy));
  }
  EnableWindow(GetDlgItem(hwnd_, ids::GroupBox1), s.Flag(OptionFlag::UseProxy));
  if (HWND media_keys = GetDlgItem(hwnd_, ids::cbMediaKeys))
    ui::SetToolTip(media_keys, s.MediaKeysTaken() ? std::string(kMediaKeysHint) +
                                                        ". Media keys are used by another program"
                                                  : std::string(kMediaKeysHint));
  syncing_ = false;
}

bool OptionsWindow::SettingControlClicked(int id) {
  OptionSettings& s = d_.settings;
  for (const auto& group : kRadioGroups) {
    if (id < group.first_item_id || id >= group.first_item_id + 3) continue;
    s.SetChoice(group.setting, id - group.first_item_id);
    return true;
  }
  const CheckBoxSpec* box_info = nullptr;
  for (const auto& box : kCheckBoxes)
    if (box.id == id) box_info = &box;
  if (!box_info) return false;
  const bool on = SendDlgItemMessageA(hwnd_, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
  // Shadow mode is a sketch so far: the user is told so before the small window comes.
  if (id == ids::cbShadowMode && on)
    MessageBoxA(hwnd_, "Not finished yet ... next time ..", "ORVANE Velmora", MB_OK);
  s.SetFlag(box_info->setting, on);
  HWND main = d_.host.MainWindow();
  switch (id) {
    case ids::cbToTop:
    case ids::cbNag:  // wired to the same handler: re-applies "Always on top"
      if (main)
        SetWindowPos(main, s.Flag(OptionFlag::ToTop) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
      break;
    // The others take effect where they are used; the main window follows the
    // transparency itself when the setting changes.
    default: break;
  }
  return true;
}

void OptionsWindow::ProxyFieldChanged(int id) {
  for (const auto& field : kProxyFields) {
    if (field.id != id) continue;
    d_.settings.SetText(field.setting, ui::WindowText(GetDlgItem(hwnd_, id)));
  }
}

void OptionsWindow::FillList(int id, const std::vector<std::string>& items) {
  HWND box = GetDlgItem(hwnd_, id);
  if (!box) return;
  SendMessageA(box, WM_SETREDRAW, FALSE, 0);
  SendMessageA(box, LB_RESETCONTENT, 0, 0);
  for (const auto& item : items)
    ui::SendTextMessage(box, LB_ADDSTRING, 0, item);
  SendMessageA(box, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(box, nullptr, TRUE);
}

void OptionsWindow::DllsClick() {
  HWND box = GetDlgItem(hwnd_, ids::Dlls);
  const LRESULT row = SendMessageA(box, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) return;
  if (SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0) == LB_ERR) return;
  const std::string name = ui::ListRowText(box, static_cast<int>(row));
  d_.plugins.ShowPluginInfo(name);
}

void OptionsWindow::OLabel4Click() {
  POINT cursor{};
  GetCursorPos(&cursor);
  if (d_.plugins.ShowPluginOptions(cursor.x, cursor.y)) return;
  // NoPopup: nothing to ask for options.
  ui::UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  AppendMenuA(menu.get(), MF_STRING | MF_GRAYED, 1, "(No File Playing)");
  ui::TrackPopupMenuFor(hwnd_, menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN, cursor.x, cursor.y);
}

void OptionsWindow::RefreshOptionsPage() {
  if (active_ == OptionsPageId::InputPlugins)
    ui::SetItemText(hwnd_, ids::CurrentInput, d_.plugins.CurrentName());
  Page(active_).Refresh();
}

void OptionsWindow::ShowPage(const std::string& node_text) {
  if (auto page = PageForNode(node_text)) ActivatePage(*page);
  RefreshOptionsPage();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void OptionsWindow::EnjoyTimer() {
  // Disarmed before anything else, so the scan runs exactly once.
  KillTimer(hwnd_, kEnjoyTimer);
  d_.plugins.ScanLibraryFolder();
}

LRESULT OptionsWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_CREATE) {
    LRESULT result = 0;
    for (auto& page : pages_)
      if (page && page->HandleMessage(msg, wp, lp, &result)) return result;
  }
  switch (msg) {
    case WM_CREATE: CreateControls(); return 0;
    case WM_TIMER:
      if (wp == kEnjoyTimer) {
        EnjoyTimer();
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      if (header->idFrom == ids::TreeView1 &&
          (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW)) {
        TreeSelectionChanged(reinterpret_cast<const NMTREEVIEWA*>(lp)->itemNew.hItem);
        return 0;
      }
      break;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      if (id == ids::Dlls && code == LBN_SELCHANGE) DllsClick();
      if (id == ids::OLabel4 && code == BN_CLICKED) OLabel4Click();
      if (id == IDCANCEL) ShowWindow(hwnd_, SW_HIDE);
      if (code == BN_CLICKED && !syncing_) SettingControlClicked(id);
      if (code == EN_CHANGE && !syncing_) ProxyFieldChanged(id);
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wp) {
        RefreshOptionsPage();
      } else {
        // Hidden: the information page lets go of its library; nothing is selected.
        d_.plugins.ReleaseInfoLibrary();
        SendDlgItemMessageA(hwnd_, ids::Dlls, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      }
      break;
    case WM_CLOSE:
      // The user closed the window: the settings are written now; then it hides.
      d_.host.SaveSettings();
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    default: break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace

std::unique_ptr<OptionsWindowControl> CreateOptionsWindow(const OptionsWindowDeps& deps) {
  return std::make_unique<OptionsWindow>(deps);
}

}  // namespace velmora
