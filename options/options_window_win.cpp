// TForm2, the options window: for now the general settings page (the check boxes that
// mirror the settings and the main window's menu marks) and the parts the plug-in
// subsystem lives in. It holds the scan's lists (Dlls, the hidden ExtensionBox/DllBox pair
// of the extension table, the file-type list ListBox1), the one-shot Enjoy timer that runs
// the scan, the plug-in information page with its "Options" button, and the error list of
// this run. It exists for the whole run, hidden until shown; hiding it lets go of the
// information library.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "options/options_window_win.h"

#include "app/app_win.h"
#include "plugins/plugin_lists_view.h"
#include "ui/control_ids.h"
#include "ui/form_shaper_win.h"
#include "ui/handles_win.h"
#include "ui/top_level_window_win.h"
#include "ui/window_util_win.h"

namespace velmora {

namespace {

constexpr char kClassName[] = "TForm2";
constexpr char kCaption[] = "Velmora Options";
constexpr char kScanningCaption[] = "Scanning for dll's... Please wait !";
constexpr int kClientWidth = 515;
constexpr int kClientHeight = 307;
constexpr UINT kEnjoyInterval = 200;

// The general page's check boxes and the setting each one is (the main window's menu
// entries toggle the same settings, so box and menu mark always agree).
struct CheckBoxSpec {
  int id;
  const char* caption;
  bool PlayerSettings::*setting;
};
constexpr CheckBoxSpec kCheckBoxes[] = {
    {ids::cbAutoplay, "Auto play", &PlayerSettings::autoplay},
    {ids::cbLoop, "Loop", &PlayerSettings::loop},
    {ids::cbRandomPlay, "Random Play", &PlayerSettings::Randomplay},
    {ids::cbFadePlay, "Fade when play", &PlayerSettings::Fadeplay},
    {ids::cbFadeStop, "Fade when stop", &PlayerSettings::Fadestop},
    {ids::cbFadePause, "Fade when pause", &PlayerSettings::Fadepause},
    {ids::cbEasyMove, "Easy Move", &PlayerSettings::EasyMove},
    {ids::cbTransparency, "Transparency", &PlayerSettings::Transparency},
    {ids::cbToTop, "Always on top", &PlayerSettings::ToTop},
    {ids::cbNag, "Show news on startup", &PlayerSettings::Nag},
    {ids::cbEnableTooltips, "Enable Tooltips", &PlayerSettings::EnableTooltips},
    {ids::cbMultiple, "Allow multiple instance", &PlayerSettings::Multiple},
    {ids::cbLogErrors, "Log all errors to errors.log", &PlayerSettings::LogErrors},
};

class OptionsWindow : public OptionsWindowControl,
                      public ui::TopLevelWindow,
                      public PluginListsView,
                      private SettingsObserver {
 public:
  explicit OptionsWindow(App& app) : ui::TopLevelWindow(app.errors), app_(app) { Create(); }
  ~OptionsWindow() override {
    if (app_.plugins) app_.plugins->AttachListsView(nullptr);
    app_.settings.RemoveObserver(this);
    DestroyTopLevel();
    if (font_) DeleteObject(font_);
  }
  OptionsWindow(const OptionsWindow&) = delete;
  OptionsWindow& operator=(const OptionsWindow&) = delete;

  HWND Handle() const override { return hwnd(); }

  // OptionsWindowControl
  void ShowPage(const std::string& page) override;
  void AppendError(const std::string& line) override;
  // Neither the About page's version history nor the icon list is in the window yet.
  void FillVersionHistory() override {}
  void FillIconList() override {}

  // PluginListsView
  void StartScanTimer() override {
    if (hwnd_) SetTimer(hwnd_, TimerEventId(TimerId::PluginScan), kEnjoyInterval, nullptr);
  }
  void StopScanTimer() override {
    if (hwnd_) KillTimer(hwnd_, TimerEventId(TimerId::PluginScan));
  }
  void SetScanning(bool scanning) override {
    SetWindowTextA(hwnd_, scanning ? kScanningCaption : kCaption);
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
    SetDlgItemTextA(hwnd_, id, text.c_str());
  }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Create();
  void CreateControls();
  void FillList(int id, const std::vector<std::string>& items);
  void DllsClick();     // ShowPluginInfo
  void OLabel4Click();  // ShowPluginOptions
  void RefreshOptionsPage();
  void EnjoyTimer();
  // The check boxes show the settings as they are now.
  void SyncCheckBoxes();
  void OnSettingsChanged() override { SyncCheckBoxes(); }
  // A check box was clicked: its setting follows, with the box's immediate effect.
  void CheckBoxClicked(int id);
  // Shows the general page or the page of the plug-in lists.
  void SetGeneralPage(bool general);

  App& app_;
  HFONT font_ = nullptr;
  std::vector<HWND> general_page_, lists_page_;
};

void OptionsWindow::Create() {
  ui::TopLevelClass cls;
  cls.name = kClassName;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const DWORD ex_style = WS_EX_DLGMODALFRAME;
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, ex_style);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  if (!CreateTopLevel(cls, ex_style, kCaption, style, x, y, width, height)) return;

  // The window that holds the lists starts with no current plug-in and no info library;
  // from now on the subsystem shows its lists here (and arms the scan timer here).
  if (app_.plugins) app_.plugins->AttachListsView(this);
  // Errors of the main window's creation came before this window: they belong here too.
  if (app_.player)
    for (const std::string& line : app_.player->ErrorList()) AppendError(line);
  app_.settings.AddObserver(this);
  SyncCheckBoxes();
}

void OptionsWindow::CreateControls() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  LOGFONTA lf{};
  lf.lfHeight = -11;
  lf.lfWeight = FW_BOLD;
  lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
  font_ = CreateFontIndirectA(&lf);
  HFONT font = font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  std::vector<HWND>* page = &general_page_;
  auto make = [&](const char* cls, const char* text, DWORD style, DWORD ex, int id, int x, int y,
                  int w, int h) {
    HWND c = CreateWindowExA(ex, cls, text, WS_CHILD | style, x, y, w, h, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (c && (style & WS_VISIBLE)) page->push_back(c);
    return c;
  };
  const DWORD visible = WS_VISIBLE;
  const DWORD list = WS_VSCROLL | LBS_NOINTEGRALHEIGHT;

  // General page: the settings that are check boxes, in two columns.
  make("STATIC", "General Options", visible, 0, -1, 8, 6, 300, 16);
  {
    int i = 0;
    for (const auto& box : kCheckBoxes) {
      const int column = i % 2, row = i / 2;
      make("BUTTON", box.caption, visible | BS_AUTOCHECKBOX | WS_TABSTOP, 0, box.id,
           16 + column * 250, 32 + row * 24, 240, 20);
      ++i;
    }
  }
  page = &lists_page_;

  // Input Plugins page.
  make("STATIC", "Input Plugins", visible, 0, -1, 8, 6, 300, 16);
  make("STATIC", "Current one", visible, 0, -1, 8, 28, 80, 16);
  make("EDIT", "", visible | ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, ids::CurrentInput, 92,
       26, 160, 20);
  make("STATIC", "Plugins found", visible, 0, -1, 8, 52, 160, 16);
  make("LISTBOX", "", visible | list | LBS_NOTIFY | WS_TABSTOP, WS_EX_CLIENTEDGE, ids::Dlls, 8, 70,
       160, 140);
  static const struct {
    const char* label;
    int id;
  } kFields[] = {{"Author", ids::author}, {"Name", ids::dllname}, {"Date", ids::date},
                 {"Info", ids::info},     {"Files", ids::files},  {"Version", ids::version}};
  int y = 52;
  for (const auto& field : kFields) {
    make("STATIC", field.label, visible, 0, -1, 180, y + 2, 60, 16);
    make("EDIT", "", visible | ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, field.id, 244, y,
         262, 20);
    y += 24;
  }
  make("BUTTON", "Options", visible | BS_PUSHBUTTON | WS_TABSTOP, 0, ids::OLabel4, 244, y + 4, 80,
       22);

  // Storage of the extension table: two hidden parallel lists.
  make("LISTBOX", "", list, 0, ids::ExtensionBox, 0, 0, 10, 10);
  make("LISTBOX", "", list, 0, ids::DllBox, 0, 0, 10, 10);

  // FileType/Icons page's extension list, and the Errors page's list of this run's errors.
  make("STATIC", "File types", visible, 0, -1, 8, 216, 160, 16);
  make("LISTBOX", "", visible | list | LBS_EXTENDEDSEL | WS_TABSTOP, WS_EX_CLIENTEDGE,
       ids::ListBox1, 8, 234, 160, 66);
  make("STATIC", "Errors", visible, 0, -1, 180, 216, 160, 16);
  make("LISTBOX", "", visible | list | WS_HSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
       ids::currenterrors, 180, 234, 326, 66);
  // The window opens on the general page.
  SetGeneralPage(true);
}

void OptionsWindow::SetGeneralPage(bool general) {
  for (HWND c : general_page_) ShowWindow(c, general ? SW_SHOW : SW_HIDE);
  for (HWND c : lists_page_) ShowWindow(c, general ? SW_HIDE : SW_SHOW);
}

void OptionsWindow::SyncCheckBoxes() {
  if (!hwnd_) return;
  for (const auto& box : kCheckBoxes)
    SendDlgItemMessageA(hwnd_, box.id, BM_SETCHECK,
                        app_.settings.*box.setting ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsWindow::CheckBoxClicked(int id) {
  const CheckBoxSpec* box_info = nullptr;
  for (const auto& box : kCheckBoxes)
    if (box.id == id) box_info = &box;
  if (!box_info) return;
  const bool on = SendDlgItemMessageA(hwnd_, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
  app_.settings.*box_info->setting = on;
  app_.settings.Changed();
  HWND main = app_.main_window;
  switch (id) {
    case ids::cbTransparency:
      if (main) ui::FormShaper::Of(main).SetActive(on);
      break;
    case ids::cbToTop:
    case ids::cbNag:  // wired to the same handler: re-applies "Always on top"
      if (main)
        SetWindowPos(main, app_.settings.ToTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
      break;
    default: break;  // the others (hints too) are read where they are used
  }
}

void OptionsWindow::FillList(int id, const std::vector<std::string>& items) {
  HWND box = GetDlgItem(hwnd_, id);
  if (!box) return;
  SendMessageA(box, WM_SETREDRAW, FALSE, 0);
  SendMessageA(box, LB_RESETCONTENT, 0, 0);
  for (const auto& item : items)
    SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageA(box, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(box, nullptr, TRUE);
}

void OptionsWindow::AppendError(const std::string& line) {
  HWND box = GetDlgItem(hwnd_, ids::currenterrors);
  if (box) SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void OptionsWindow::DllsClick() {
  HWND box = GetDlgItem(hwnd_, ids::Dlls);
  const LRESULT row = SendMessageA(box, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR || !app_.plugins) return;
  const LRESULT length = SendMessageA(box, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
  if (length == LB_ERR) return;
  std::string name(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&name[0]));
  name.resize(static_cast<size_t>(length));
  app_.plugins->ShowPluginInfo(name);
}

void OptionsWindow::OLabel4Click() {
  POINT cursor{};
  GetCursorPos(&cursor);
  if (app_.plugins && app_.plugins->ShowPluginOptions(cursor.x, cursor.y)) return;
  // NoPopup: nothing to ask for options.
  ui::UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  AppendMenuA(menu.get(), MF_STRING | MF_GRAYED, 1, "(No File Playing)");
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN, cursor.x, cursor.y, 0, hwnd_, nullptr);
}

void OptionsWindow::RefreshOptionsPage() {
  SetDlgItemTextA(hwnd_, ids::CurrentInput,
                  app_.plugins ? app_.plugins->CurrentName().c_str() : "");
}

void OptionsWindow::ShowPage(const std::string& page) {
  // The general page, or what the plug-in lists need for every other page until the
  // whole window arrives.
  SetGeneralPage(page.empty() || page == "General");
  RefreshOptionsPage();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void OptionsWindow::EnjoyTimer() {
  // Disarmed before anything else, so the scan runs exactly once.
  KillTimer(hwnd_, TimerEventId(TimerId::PluginScan));
  if (app_.plugins) app_.plugins->ScanLibraryFolder();
}

LRESULT OptionsWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: CreateControls(); return 0;
    case WM_TIMER:
      if (wp == TimerEventId(TimerId::PluginScan)) {
        EnjoyTimer();
        return 0;
      }
      break;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      if (id == ids::Dlls && code == LBN_SELCHANGE) DllsClick();
      if (id == ids::OLabel4 && code == BN_CLICKED) OLabel4Click();
      if (id == IDCANCEL) ShowWindow(hwnd_, SW_HIDE);
      if (code == BN_CLICKED) CheckBoxClicked(id);
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wp) {
        RefreshOptionsPage();
      } else if (app_.plugins) {
        // Hidden: the information page lets go of its library; nothing is selected.
        app_.plugins->ReleaseInfoLibrary();
        SendDlgItemMessageA(hwnd_, ids::Dlls, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      }
      break;
    case WM_CLOSE: ShowWindow(hwnd_, SW_HIDE); return 0;
    default: break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace

std::unique_ptr<OptionsWindowControl> CreateOptionsWindow(App& app) {
  return std::make_unique<OptionsWindow>(app);
}

}  // namespace velmora
