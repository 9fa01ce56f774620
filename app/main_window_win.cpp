// TForm1: the window, its controls and what the player shows through them; the buttons,
// sliders, labels and keys of the main window, each turned into a command.
#include "app/main_window_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <exception>
#include <optional>
#include <vector>

#include "app/main_menus_win.h"
#include "app/main_window_ids_win.h"
#include "app/media_keys.h"
#include "design/design_apply_win.h"
#include "design/design_library_win.h"
#include "design/picture_win.h"
#include "plugins/guarded_call_win.h"
#include "ui/control_ids.h"
#include "ui/form_shaper_win.h"
#include "ui/widget_base_win.h"
#include "ui/widgets.h"
#include "ui/window_util_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr char kClassName[] = "TForm1";
constexpr char kTitle[] = "ORVANE Velmora";
constexpr char kInitialTitleText[] =
    "No file loaded  (Click here to disable me and to win a lot of CPU time !)        ";

enum class Widget { ImageButton, Slider, Banner, Label, Picture };
// A control that waits for the start-up is made hidden: one made visible and hidden after
// would be seen, for an instant, by anyone who reads its state meanwhile.
enum class Shown { Now, Later };

// The one place that knows which window class builds each kind of control. Until the
// widget set is registered the standard controls stand in: they answer the same messages.
HWND CreateWidget(HWND parent, Widget kind, int id, const char* text, int x, int y, int w, int h,
                  DWORD extra_style = 0, Shown shown = Shown::Now) {
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
  WNDCLASSEXA probe{};
  probe.cbSize = sizeof(probe);
  const char* cls = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | extra_style;
  if (shown == Shown::Now) style |= WS_VISIBLE;
  switch (kind) {
    case Widget::ImageButton:
      cls = ui::kImageButtonClass;
      if (!GetClassInfoExA(inst, cls, &probe)) cls = "BUTTON", style |= BS_PUSHBUTTON;
      break;
    case Widget::Slider:
      cls = ui::kSliderClass;
      if (!GetClassInfoExA(inst, cls, &probe))
        cls = TRACKBAR_CLASSA, style |= TBS_NOTICKS | TBS_BOTH;
      break;
    case Widget::Banner:
      cls = ui::kBannerClass;
      if (!GetClassInfoExA(inst, cls, &probe))
        cls = "STATIC", style |= SS_NOTIFY | SS_LEFTNOWORDWRAP;
      break;
    case Widget::Label:
      cls = ui::kEffectLabelClass;
      if (!GetClassInfoExA(inst, cls, &probe))
        cls = "STATIC", style |= SS_NOTIFY | SS_LEFTNOWORDWRAP;
      break;
    case Widget::Picture:
      cls = "STATIC";
      style |= SS_CENTER | SS_CENTERIMAGE;
      break;
  }
  return ui::CreateWindowUtf8(0, cls, text, style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
}

void SetHint(HWND control, const char* hint) {
  if (control) SendMessageW(control, ui::VWM_SETHINT, 0, reinterpret_cast<LPARAM>(hint));
}

using namespace main_menu;

struct ButtonInfo {
  TransportButton button;
  int id;
};
constexpr ButtonInfo kTransportButtons[] = {
    {TransportButton::Play, ids::playbut},
    {TransportButton::Stop, ids::stopbut},
    {TransportButton::Pause, ids::pausebut},
    {TransportButton::FastForward, ids::fwdbut},
    {TransportButton::Rewind, ids::revbut},
    {TransportButton::NextTrack, ids::nexttrackbut},
    {TransportButton::PrevTrack, ids::prevtrackbut},
    {TransportButton::Open, ids::openbut},
};

// What a press of each button of the window asks.
constexpr struct {
  int id;
  CommandKind command;
} kButtonCommands[] = {
    {ids::playbut, CommandKind::Play},
    {ids::stopbut, CommandKind::Stop},
    {ids::pausebut, CommandKind::Pause},
    {ids::fwdbut, CommandKind::FastForward},
    {ids::revbut, CommandKind::Rewind},
    {ids::nexttrackbut, CommandKind::NextTrack},
    {ids::prevtrackbut, CommandKind::PrevTrack},
    {ids::openbut, CommandKind::OpenFiles},
    {ids::plbut, CommandKind::ShowPlaylist},
    {ids::id3but, CommandKind::ShowId3},
    {ids::optionbut, CommandKind::ShowGeneralMenu},
    {ids::Bitbtn1, CommandKind::Exit},
    {ids::minibut, CommandKind::Minimize},
};

// The window's own keys and Alt+letters.
std::optional<CommandKind> CommandForKey(MainKey key) {
  switch (key) {
    case MainKey::Play: return CommandKind::Play;
    case MainKey::Stop: return CommandKind::Stop;
    case MainKey::NextTrack: return CommandKind::NextTrack;
    case MainKey::PrevTrack: return CommandKind::PrevTrack;
    case MainKey::Pause: return CommandKind::Pause;
    case MainKey::Help: return CommandKind::ShowHelp;
    case MainKey::JumpToFile: return CommandKind::JumpToFile;
    case MainKey::None: break;
  }
  return std::nullopt;
}
std::optional<CommandKind> CommandForMenuKey(MenuKey key) {
  switch (key) {
    case MenuKey::Design: return CommandKind::ShowDesignChooser;
    case MenuKey::Playlist: return CommandKind::ShowPlaylist;
    case MenuKey::MemoryInfo: return CommandKind::ShowMemoryInfo;
    case MenuKey::About: return CommandKind::ShowAbout;
    case MenuKey::EasyMove: return CommandKind::ToggleEasyMove;
    case MenuKey::General: return CommandKind::ShowGeneralOptions;
    case MenuKey::Sound: return CommandKind::ShowSoundOptions;
    case MenuKey::OpenFiles: return CommandKind::OpenFiles;
    case MenuKey::VuMeter: return CommandKind::ShowVuMeter;
    case MenuKey::None: break;  // every other menu key is consumed
  }
  return std::nullopt;
}

// Built-in thumb pictures of the volume slider, Image2 .. Image11: a small meter whose
// lit bar grows with the level (green, then yellow, then red at the top). Two states side
// by side, the second (mouse over) a little brighter.
HBITMAP MakeVolumeThumb(int image_number) {
  constexpr int kW = 10, kH = 16;
  void* bits = nullptr;
  HBITMAP bmp = ui::CreateTopDownDib(2 * kW, kH, 32, &bits);
  if (!bmp) return nullptr;
  auto* px = static_cast<uint32_t*>(bits);
  const int level = std::clamp(image_number - 1, 1, 10);  // 1 .. 10 segments of 10
  const int inner = kH - 4;
  const int lit = (inner * level + 9) / 10;  // rows lit from the bottom
  auto bgr = [](int r, int g, int b) { return static_cast<uint32_t>((r << 16) | (g << 8) | b); };
  for (int state = 0; state < 2; ++state) {
    const int boost = state ? 60 : 0;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        uint32_t c = bgr(0, 0, 0);
        const bool frame = x == 0 || y == 0 || x == kW - 1 || y == kH - 1;
        if (frame) {
          c = bgr(120 + boost, 120 + boost, 120 + boost);
        } else if (x >= 2 && x <= kW - 3 && y >= 2 && y <= kH - 3) {
          const int row_from_bottom = (kH - 3) - y;  // 0 .. inner-1
          if (row_from_bottom < lit) {
            const int r = row_from_bottom * 255 / std::max(1, inner - 1);
            c = bgr(std::min(255, r + boost), std::min(255, 255 - r / 2 + boost / 2), boost / 2);
          } else {
            c = bgr(32 + boost / 2, 32 + boost / 2, 32 + boost / 2);
          }
        }
        px[y * 2 * kW + state * kW + x] = c;
      }
    }
  }
  return bmp;
}

}  // namespace

namespace {
HICON ProgramIcon(HINSTANCE instance) {
  HICON icon = LoadIcon(instance, MAKEINTRESOURCE(1));
  return icon ? icon : LoadIcon(nullptr, IDI_APPLICATION);
}
}  // namespace

MainWindow::MainWindow(const MainWindowDeps& deps)
    : ui::TopLevelWindow(deps.errors),
      instance_(deps.instance),
      program_folder_(deps.program_folder),
      arguments_(deps.arguments),
      settings_(deps.settings),
      playlist_(deps.playlist),
      plugins_(deps.plugins),
      design_state_(deps.design_state),
      display_(deps.display),
      player_(deps.player),
      host_(deps.host),
      volume_(deps.volume),
      windows_(deps.windows),
      steps_(deps.steps),
      playlist_window_(deps.playlist_window),
      dispatcher_(CommandDispatcher::Deps{player_, display_, settings_, playlist_, windows_,
                                          playlist_window_, *this}),
      // Untitled until the main window exists: a search by title finds the main window.
      taskbar_(deps.errors, ProgramIcon(deps.instance), "") {
  black_brush_ = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  // Known before the window can be found: a command posted at once is not lost.
  for (int i = 0; i < static_cast<int>(ExternalCommand::Count); ++i)
    messages_[static_cast<size_t>(i)] = RegisterWindowMessageA(kExternalMessageNames[i]);
  ui::TopLevelClass cls;
  cls.unicode = true;
  cls.name = kClassName;
  cls.style = CS_DBLCLKS;
  cls.background = black_brush_;
  cls.icon = ProgramIcon(instance_);
  // Borderless; the application's window owns it and carries the task-bar button.
  CreateTopLevel(cls, WS_EX_ACCEPTFILES, kTitle,
                 WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU,
                 (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2, kWidth, kHeight, taskbar_.hwnd());
  taskbar_.SetCommands(this);
  taskbar_.SetTitle(host_.ApplicationTitle());
  taskbar_.SetButtonShown(true);
  host_.OnApplicationTitle([this](const std::string& title) { ApplicationTitleChanged(title); });
  settings_.AddObserver(this);
}

MainWindow::~MainWindow() {
  settings_.RemoveObserver(this);
  host_.RemoveTimerListener(this);
  host_.OnApplicationTitle(nullptr);
  host_.SetDialogOwner(nullptr);
  player_.AttachView(nullptr);
  display_.AttachView(nullptr);
  taskbar_.SetCommands(nullptr);
  drop_registration_.Revoke();
  shadow_.reset();
  tray_.reset();
  DestroyTopLevel();
  if (ole_initialised_) OleUninitialize();
}

std::string MainWindow::ProgramFile(const std::string& relative) const {
  return program_folder_ + "\\" + relative;
}

void MainWindow::OnTimer(TimerId id) {
  switch (id) {
    case TimerId::DeferredStartup: DeferredStartup(); break;
    case TimerId::Position: RefreshStreamTitle(); break;  // after the player's tick
    default: break;
  }
}

void MainWindow::CreateShadowWindow() {
  ShadowWindowOwner& owner = *this;
  if (!shadow_) shadow_ = std::make_unique<ShadowWindow>(errors_, player_, owner, *this);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      general_menu_.reset(CreateGeneralMenu(*settings_));
      CreateButtonMenus();
      tray_ = std::make_unique<ui::TrayIcon>(hwnd_, 1, main_menu::kTrayNotify,
                                             ProgramIcon(instance_));
      tray_->SetHint("Velmora");  // until a file's title comes
      taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
      FormCreate();
      return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: OnScroll(reinterpret_cast<HWND>(lp), LOWORD(wp)); return 0;
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wp), static_cast<short>(LOWORD(lp)),
                    static_cast<short>(HIWORD(lp)));
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      SetBkColor(dc, RGB(0, 0, 0));
      COLORREF text = RGB(0, 255, 0);
      if (id == ids::Banner1) text = RGB(255, 255, 0);
      if (id == ids::poslab) text = time_colour_;
      if (id == ids::loading) text = RGB(255, 255, 255);
      SetTextColor(dc, text);
      return reinterpret_cast<LRESULT>(black_brush_);
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: OnBackgroundMouse(msg, wp, lp); return 0;
    case WM_XBUTTONUP: OnBackgroundMouse(msg, wp, lp); return TRUE;
    case WM_SYSCOMMAND: OnSystemCommand(wp, lp); return 0;
    case WM_APPCOMMAND: {
      // Every window of the player hands its app commands on to this one.
      const MediaCommand command =
          MediaCommandForAppCommand(GET_APPCOMMAND_LPARAM(static_cast<DWORD>(lp)));
      if (command == MediaCommand::None) break;
      Execute(MediaKeyCommand(command));
      return TRUE;
    }
    case main_menu::kTrayNotify: OnTrayNotify(static_cast<UINT>(lp)); return 0;
    case WM_COPYDATA: return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lp));
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
    case kRunPendingDrops: {
      // Files dropped through OLE: handled once the other program's drag has ended.
      auto drops = std::move(pending_drops_);
      pending_drops_.clear();
      for (const auto& names : drops) AddDropped(names);
      return 0;
    }
    case ui::VWN_HOVER: OnHover(reinterpret_cast<HWND>(lp)); return 0;
    case ui::VWN_MOVED:
      if (!tab_order_pending_) {
        tab_order_pending_ = true;
        PostMessageW(hwnd_, kOrderTabStops, 0, 0);
      }
      return 0;
    case kOrderTabStops:
      tab_order_pending_ = false;
      OrderTabStops();
      return 0;
    case WM_ACTIVATEAPP:
      if (activation_routed_) OnActivateApp(wp != 0);
      break;
    case WM_SHOWWINDOW:
      // Hiding the window pauses a scrolling title; showing it resumes only that pause.
      if (wp)
        player_.ResumeTitleScroll();
      else
        player_.PauseTitleScroll();
      break;
    case main_menu::kQueryVolumeThumb: {
      const HBITMAP shown = ShownVolumeThumb();
      return shown && shown == volume_thumb_bitmap_ ? volume_thumb_ : 0;
    }
    case main_menu::kQueryDeactivatedFace: return deact_shown_ ? 1 : 0;
    case main_menu::kQueryHintHandler: return HintHandlerInstalled() ? 1 : 0;
    case main_menu::kQueryTrayIcon: return tray_ && tray_->Shown() ? 1 : 0;
    case main_menu::kQueryTrayHint: {
      HWND asker = reinterpret_cast<HWND>(wp);
      if (!tray_ || !IsWindow(asker)) return 0;
      const std::string& hint = tray_->Hint();
      COPYDATASTRUCT data{0, static_cast<DWORD>(hint.size()), const_cast<char*>(hint.data())};
      SendMessageTimeoutA(asker, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_),
                          reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000, nullptr);
      return 1;
    }
    case main_menu::kQueryMenuMark:
      return (GetMenuState(general_menu_.get(), static_cast<UINT>(wp), MF_BYCOMMAND) & MF_CHECKED)
                 ? 1
                 : 0;
    case WM_CLOSE: FormClose(); return 0;
    case WM_ENDSESSION:
      // Windows is ending the session: save as Exit would.
      if (wp) FormClose();
      return 0;
    case WM_DESTROY: drop_registration_.Revoke(); return 0;
    default: break;
  }
  if (taskbar_created_ && msg == taskbar_created_ && tray_) tray_->TaskbarRecreated();
  LRESULT result = DefWindowProcW(hwnd_, msg, wp, lp);
  // The window's own handling first, then the external commands.
  if (msg >= 0xC000) OnRegisteredMessage(msg, result);
  return result;
}

void MainWindow::CreateControls() {
  HWND h = hwnd_;
  // The background picture first: everything else is drawn over it.
  HWND bg = CreateWidget(h, Widget::Picture, ids::background, "", 0, 0, kWidth, kHeight);
  EnableWindow(bg, FALSE);  // clicks on the background reach the window itself
  HWND deact = CreateWidget(h, Widget::Picture, ids::imdeactivated, "", 0, 0, kWidth, kHeight, 0,
                            Shown::Later);
  EnableWindow(deact, FALSE);

  HWND title = CreateWidget(h, Widget::Banner, ids::Banner1, kInitialTitleText, 8, 6, 290, 16);
  SendMessageW(title, ui::VBM_SETCOLORS, RGB(255, 255, 0), RGB(0, 0, 0));
  SendMessageW(title, ui::VBM_SETSCROLL, 1, 50);
  EnableWindow(title, FALSE);  // scrolling starts when the start-up ends
  SetHint(
      title,
      "Song Name or ID3 Tag\r\nClick on it to disable/enable it\r\n(it takes a lot of CPU !!!)");

  struct LabelSpec {
    int id;
    const char* text;
    int x, y, w;
    const char* hint;
  };
  const LabelSpec labels[] = {
      {ids::banner2, "Please wait while loading !!!", 8, 26, 290,
       "Status text ... many infos here !"},
      {ids::Statictext1, "Time", 8, 46, 30, "Time info"},
      {ids::poslab, "00:00", 40, 46, 40, "Time "},
      {ids::lengthlab, "00:00", 84, 46, 40, "Total time of the song"},
      {ids::Freq, ".........", 128, 46, 56, "Frequency"},
      {ids::bitr, ".........", 186, 46, 56, "Bitrate"},
      {ids::lay, ".........", 244, 46, 54, "Layer"},
      {ids::Versiontext, "Beta 0.91", 8, 140, 70, "Application Version"},
  };
  for (const auto& l : labels) {
    HWND c = CreateWidget(h, Widget::Label, l.id, l.text, l.x, l.y, l.w, 14);
    SetHint(c, l.hint);
    SendMessageW(c, ui::VLM_SETCOLOR, 0, l.id == ids::poslab ? time_colour_ : RGB(0, 255, 0));
  }

  HWND tb =
      CreateWidget(h, Widget::Slider, ids::tb, "", 6, 64, 294, 20, WS_TABSTOP, Shown::Later);
  SendMessageW(tb, TBM_SETRANGEMIN, FALSE, 0);
  SendMessageW(tb, TBM_SETRANGEMAX, TRUE, 65535);
  SendMessageW(tb, TBM_SETLINESIZE, 0, 10);
  SendMessageW(tb, TBM_SETPAGESIZE, 0, 10);
  SendMessageW(tb, ui::VSM_SETBKCOLOR, 0, RGB(0, 0, 0));
  SetHint(tb, "Current Position");
  SendMessageW(tb, ui::VWM_SETACCNAME, 0, reinterpret_cast<LPARAM>("Position"));

  struct ButtonSpec {
    int id;
    const char* caption;
    int x, y, w;
    const char* hint;
    const char* name;  // what screen readers announce: what the button does
  };
  const ButtonSpec buttons[] = {
      {ids::prevtrackbut, "|<", 8, 88, 28, "Previous Track", "Previous track"},
      {ids::revbut, "<<", 38, 88, 28, "Rewind", "Rewind"},
      {ids::playbut, ">", 68, 88, 28, "Play", "Play"},
      {ids::pausebut, "||", 98, 88, 28, "Pause", "Pause"},
      {ids::stopbut, "[]", 128, 88, 28, "Stop", "Stop"},
      {ids::fwdbut, ">>", 158, 88, 28, "Fast Forward", "Fast forward"},
      {ids::nexttrackbut, ">|", 188, 88, 28, "Next Track", "Next track"},
      {ids::openbut, "Open", 222, 88, 36, "Add Song/Playlist to the current playlist",
       "Open files"},
      {ids::plbut, "PL", 262, 88, 36, "Playlist", "Playlist"},
      {ids::id3but, "ID3", 170, 114, 36, "ID3 Tag 1.0/2.0 (Autodetected)", "Song information"},
      {ids::optionbut, "Menu", 210, 114, 40, "General Popup Menu", "Menu"},
      {ids::Button1, "Move", 222, 138, 36, "Move Window", "Move window"},
      {ids::minibut, "_", 260, 138, 18, "Minimize", "Minimize"},
      {ids::Bitbtn1, "X", 280, 138, 18, "Exit", "Exit"},
  };
  for (const auto& b : buttons) {
    HWND c = CreateWidget(h, Widget::ImageButton, b.id, b.caption, b.x, b.y, b.w, 20, WS_TABSTOP);
    SetHint(c, b.hint);
    SendMessageW(c, ui::VWM_SETACCNAME, 0, reinterpret_cast<LPARAM>(b.name));
  }
  // All transport buttons but Open start disabled.
  for (const auto& b : kTransportButtons)
    if (b.button != TransportButton::Open) EnableWindow(Control(b.id), FALSE);
  SetWindowSubclass(Control(ids::Button1), &MainWindow::MoveButtonProc, 1,
                    reinterpret_cast<DWORD_PTR>(this));

  HWND vol =
      CreateWidget(h, Widget::Slider, ids::volbar, "", 6, 114, 160, 20, WS_TABSTOP, Shown::Later);
  SendMessageW(vol, TBM_SETRANGEMIN, FALSE, 0);
  SendMessageW(vol, TBM_SETRANGEMAX, TRUE, 250);
  SendMessageW(vol, TBM_SETLINESIZE, 0, 10);
  SendMessageW(vol, TBM_SETPAGESIZE, 0, 10);
  SendMessageW(vol, ui::VSM_SETBKCOLOR, 0, RGB(0, 0, 0));
  SetHint(vol, "Volume");
  SendMessageW(vol, ui::VWM_SETACCNAME, 0, reinterpret_cast<LPARAM>("Volume"));
  SendMessageW(vol, ui::VSM_SETVALUEFORMAT, ui::VSV_PERCENT, 0);

  // The start-up picture covers everything until the design is applied.
  HWND loading = CreateWidget(h, Widget::Picture, ids::loading, "ORVANE Velmora\r\nLoading ...", 0,
                              0, kWidth, kHeight);
  SetHint(loading, "Loading");
  SetWindowPos(loading, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  // The two faces lie under every other control, the inactive one over the normal one.
  for (int id : {ids::imdeactivated, ids::background})
    SetWindowPos(Control(id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  OrderTabStops();
}

void MainWindow::OrderTabStops() {
  struct Stop {
    HWND hwnd;
    RECT rc;
  };
  std::vector<Stop> stops;
  HWND anchor = nullptr;  // the sibling above the topmost tab stop
  RECT window{};
  GetWindowRect(hwnd_, &window);
  for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[32] = {};
    GetClassNameA(c, cls, sizeof cls);
    if (lstrcmpA(cls, ui::kImageButtonClass) != 0 && lstrcmpA(cls, ui::kSliderClass) != 0) continue;
    // A design hides a control by placing it outside the window: Tab passes it by.
    RECT rc{}, seen{};
    GetWindowRect(c, &rc);
    const bool inside = IntersectRect(&seen, &rc, &window) != 0;
    const LONG_PTR style = GetWindowLongPtrA(c, GWL_STYLE);
    SetWindowLongPtrA(c, GWL_STYLE, inside ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    if (!inside) continue;
    if (stops.empty()) anchor = GetWindow(c, GW_HWNDPREV);
    stops.push_back({c, rc});
  }
  if (stops.size() < 2) return;
  // Rows: by their middles, a control whose middle lies within half the row's first
  // control's height joins that row; each row then runs left to right.
  const auto middle = [](const RECT& r) { return (r.top + r.bottom) / 2; };
  std::stable_sort(stops.begin(), stops.end(),
                   [&](const Stop& a, const Stop& b) { return middle(a.rc) < middle(b.rc); });
  for (size_t row = 0; row < stops.size();) {
    const RECT& first = stops[row].rc;
    const int reach = middle(first) + std::max<int>(1, (first.bottom - first.top) / 2);
    size_t end = row + 1;
    while (end < stops.size() && middle(stops[end].rc) < reach) ++end;
    std::stable_sort(stops.begin() + static_cast<std::ptrdiff_t>(row),
                     stops.begin() + static_cast<std::ptrdiff_t>(end),
                     [](const Stop& a, const Stop& b) { return a.rc.left < b.rc.left; });
    row = end;
  }
  // Only the tab stops move in the z-order, as one block where the first of them was.
  for (const Stop& s : stops) {
    SetWindowPos(s.hwnd, anchor ? anchor : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    anchor = s.hwnd;
  }
}

bool MainWindow::MoveFocusByTab(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  HWND focus = GetFocus();
  const bool back = GetKeyState(VK_SHIFT) < 0;
  HWND from = focus && IsChild(hwnd_, focus) ? focus : nullptr;
  HWND next = GetNextDlgTabItem(hwnd_, from, back ? TRUE : FALSE);
  if (next && next != focus) {
    ui::NoteKeyboardFocus(true);
    SetFocus(next);
    ui::NoteKeyboardFocus(false);
  }
  return true;
}

// --- MainView -------------------------------------------------------------------------

void MainWindow::SetStatusText(const std::string& text) {
  ui::SetText(Control(ids::banner2), text);
}
void MainWindow::SetPositionTimeText(const std::string& text) {
  ui::SetText(Control(ids::poslab), text);
}
void MainWindow::SetPositionValue(int32_t value) {
  HWND tb = Control(ids::tb);
  // Readers say the position as time: each unit of the slider is PositionScale ms.
  SendMessageW(tb, ui::VSM_SETVALUEFORMAT, ui::VSV_TIME, player_.PositionScale());
  SendMessageW(tb, TBM_SETPOS, TRUE, value);
}
void MainWindow::SetPositionMax(int32_t max) {
  HWND tb = Control(ids::tb);
  SendMessageW(tb, ui::VSM_SETVALUEFORMAT, ui::VSV_TIME, player_.PositionScale());
  SendMessageW(tb, TBM_SETRANGEMAX, TRUE, max);
}
void MainWindow::SetTotalTimeText(const std::string& text) {
  ui::SetText(Control(ids::lengthlab), text);
}
void MainWindow::SetSongTitle(const std::string& text) {
  ui::SetText(Control(ids::Banner1), text);
}
void MainWindow::SetFrequencyText(const std::string& text) {
  ui::SetText(Control(ids::Freq), text);
}
void MainWindow::SetLayerText(const std::string& text) {
  ui::SetText(Control(ids::lay), text);
}
void MainWindow::SetBitrateText(const std::string& text) {
  ui::SetText(Control(ids::bitr), text);
}

// --- PlayerView -----------------------------------------------------------------------

void MainWindow::SetButtonEnabled(TransportButton button, bool enabled) {
  for (const auto& b : kTransportButtons)
    if (b.button == button) EnableWindow(Control(b.id), enabled ? TRUE : FALSE);
}
void MainWindow::SetVolumeSlider(int value) {
  SendMessageW(Control(ids::volbar), TBM_SETPOS, TRUE, value);
}
void MainWindow::SetVolumeSliderEnabled(bool enabled) {
  EnableWindow(Control(ids::volbar), enabled ? TRUE : FALSE);
}
void MainWindow::SetVolumeThumb(int image_number) { ApplyVolumeThumb(image_number); }

HBITMAP MainWindow::ShownVolumeThumb() const {
  HWND vol = Control(ids::volbar);
  if (!vol) return nullptr;
  const bool vertical = SendMessageW(vol, ui::VSM_GETVERTICAL, 0, 0) != 0;
  return reinterpret_cast<HBITMAP>(SendMessageW(
      vol, ui::VSM_GETPICTURE, vertical ? ui::kVerticalThumb : ui::kHorizontalThumb, 0));
}

void MainWindow::ApplyVolumeThumb(int image_number) {
  if (image_number < 2 || image_number > 11) return;
  HWND vol = Control(ids::volbar);
  if (!vol) return;
  // Fades move the level every 30 ms: a new picture only when the range changes or
  // something (a design) has put another picture in its place.
  const HBITMAP shown = ShownVolumeThumb();
  if (image_number == volume_thumb_ && shown && shown == volume_thumb_bitmap_) return;
  HBITMAP bmp = MakeVolumeThumb(image_number);
  if (!bmp) return;
  SendMessageW(vol, ui::VSM_SETTHUMB, reinterpret_cast<WPARAM>(bmp), 0);  // the slider owns it now
  volume_thumb_ = image_number;
  volume_thumb_bitmap_ = bmp;
}
void MainWindow::SetPauseFadeMenu(bool fadeout_enabled, bool fadein_enabled) {
  pause_fadeout_enabled_ = fadeout_enabled;
  pause_fadein_enabled_ = fadein_enabled;
  SetPauseMenuEnabled(pause_menu_.get(), fadeout_enabled, fadein_enabled);
}

void MainWindow::CreateButtonMenus() {
  play_menu_.reset(CreateButtonMenu(ButtonMenu::Play));
  pause_menu_.reset(CreateButtonMenu(ButtonMenu::Pause));
  stop_menu_.reset(CreateButtonMenu(ButtonMenu::Stop));
  SetPauseFadeMenu(pause_fadeout_enabled_, pause_fadein_enabled_);
}
void MainWindow::SetTitleScroll(int pixels, int interval_ms) {
  SendMessageW(Control(ids::Banner1), ui::VBM_SETSCROLL, static_cast<WPARAM>(pixels), interval_ms);
}
void MainWindow::SetTitleEnabled(bool enabled) {
  EnableWindow(Control(ids::Banner1), enabled ? TRUE : FALSE);
}
void MainWindow::SetTimeLabelHint(const std::string& hint) {
  SendMessageW(Control(ids::poslab), ui::VWM_SETHINT, 0, reinterpret_cast<LPARAM>(hint.c_str()));
}
void MainWindow::SetTimeLabelColour(uint32_t colour) {
  time_colour_ = colour;
  SendMessageW(Control(ids::poslab), ui::VLM_SETCOLOR, 0, colour);
  InvalidateRect(Control(ids::poslab), nullptr, TRUE);
}
uint32_t MainWindow::TimeLabelColour() const { return time_colour_; }

// --- Controls -------------------------------------------------------------------------

void MainWindow::Dispatch(CommandKind kind, CommandSource source) {
  errors_.Run([&] { Execute(Command{kind, source, {}}); });
}

void MainWindow::OnMenuCommand(int id) {
  if (const std::optional<CommandKind> command = CommandForMenuId(id))
    Dispatch(*command, CommandSource::Shortcut);
}

void MainWindow::OnCommand(int id, int code, HWND control) {
  if (!control) {  // menu entries, ours or another program's
    OnMenuCommand(id);
    return;
  }
  Player* p = &player_;
  if (id == ids::tb) {
    if (code == ui::VSN_SETFOCUS)
      p->PositionSliderFocus(true);
    else if (code == ui::VSN_KILLFOCUS)
      p->PositionSliderFocus(false);
    else if (code == ui::VSN_CLICKED)
      p->PositionSliderClicked();
    return;
  }
  if (id == ids::poslab && code == STN_CLICKED) {
    p->TimeLabelClicked();
    return;
  }
  if (id == ids::Banner1 && code == STN_CLICKED) {
    p->TitleClicked();
    return;
  }
  if (code != BN_CLICKED) return;
  for (const auto& button : kButtonCommands)
    if (button.id == id) Dispatch(button.command, CommandSource::Control);
}

void MainWindow::OnScroll(HWND control, int code) {
  Player* p = &player_;
  if (!p || !control) return;
  const int pos = static_cast<int>(SendMessageW(control, TBM_GETPOS, 0, 0));
  if (control == Control(ids::tb)) {
    if (code == TB_ENDTRACK)
      p->PositionSliderReleased(pos);
    else
      p->PositionSliderChanged(pos);
  } else if (control == Control(ids::volbar)) {
    // Line, page and end steps come from the keyboard only.
    const bool by_key = code == TB_LINEUP || code == TB_LINEDOWN || code == TB_PAGEUP ||
                        code == TB_PAGEDOWN || code == TB_TOP || code == TB_BOTTOM;
    if (code != TB_ENDTRACK) p->VolumeSliderChanged(pos, by_key);
  }
}

void MainWindow::ShowButtonPopup(HWND button, const char* status, ButtonMenu which) {
  ui::UniqueMenu menu(CreateButtonMenu(which));
  if (!menu) return;
  if (which == ButtonMenu::Pause)
    SetPauseMenuEnabled(menu.get(), pause_fadeout_enabled_, pause_fadein_enabled_);
  RECT r;
  GetWindowRect(button, &r);  // the button's lower left corner
  display_.ShowStatus(status);
  const int cmd = ui::TrackPopupMenuFor(
      hwnd_, menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, r.left, r.bottom);
  if (cmd) OnMenuCommand(cmd);
}

void MainWindow::OnContextMenu(HWND control, int x, int y) {
  if (control == Control(ids::playbut)) {
    ShowButtonPopup(control, "Showig Play Popup", ButtonMenu::Play);
  } else if (control == Control(ids::stopbut)) {
    ShowButtonPopup(control, "Showig Stop Popup", ButtonMenu::Stop);
  } else if (control == Control(ids::pausebut)) {
    ShowButtonPopup(control, "Showig Pause Popup", ButtonMenu::Pause);
  } else if (control == Control(ids::Banner1)) {
    ui::UniqueMenu menu(CreateButtonMenu(ButtonMenu::Title));
    if (!menu) return;
    display_.ShowStatus("Showig Scroll Popup");
    const int cmd = ui::TrackPopupMenuFor(hwnd_, menu.get(), TPM_RETURNCMD, x, y);
    if (cmd) OnMenuCommand(cmd);
  }
}

void MainWindow::ShowGeneralMenu() {
  RECT r;
  GetWindowRect(Control(ids::optionbut), &r);
  TrackGeneralMenu(r.left, r.bottom, hwnd_);
}

void MainWindow::TrackGeneralMenu(int x, int y, HWND owner) {
  if (!general_menu_) return;
  display_.ShowStatus("Showig Setup Popup");
  const int cmd = ui::TrackPopupMenuFor(owner, general_menu_.get(), TPM_RETURNCMD, x, y);
  if (cmd) OnMenuCommand(cmd);
}

void MainWindow::PopUpGeneralMenu(HWND window) {
  POINT cursor{};
  GetCursorPos(&cursor);
  TrackGeneralMenu(cursor.x, cursor.y, window);
}

void MainWindow::OnSysKey(char letter) {
  if (const std::optional<CommandKind> command = CommandForMenuKey(MenuKeyFor(letter)))
    Dispatch(*command, CommandSource::Shortcut);
}

void MainWindow::OnSystemCommand(WPARAM command, LPARAM lp) {
  switch (SystemCommandFor(static_cast<uint32_t>(command))) {
    case SystemCommand::MenuKey:
      if (lp) OnSysKey(static_cast<char>(lp));
      break;
    // Alt+F4 ends the player as its Exit button does.
    case SystemCommand::Close: SendMessageW(hwnd_, WM_CLOSE, 0, 0); break;
    case SystemCommand::Minimize: Minimize(); break;
    case SystemCommand::Restore: Restore(); break;
    case SystemCommand::Consume: break;
  }
}

bool MainWindow::PreTranslate(const MSG& msg) {
  if (MoveFocusByTab(msg)) return true;
  if (msg.message != WM_KEYDOWN || !hwnd_) return false;
  // The media keys, in whichever of the player's windows has the focus.
  if (const MediaCommand media = MediaCommandForKey(static_cast<uint32_t>(msg.wParam));
      media != MediaCommand::None) {
    errors_.Run([&] { Execute(MediaKeyCommand(media)); });
    return true;
  }
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  const std::optional<CommandKind> command =
      CommandForKey(MainKeyFor(static_cast<uint32_t>(msg.wParam)));
  if (!command) return false;
  Dispatch(*command, CommandSource::Shortcut);
  return true;
}

// --- MainWindowActions ----------------------------------------------------------------

void MainWindow::Close(bool later) {
  if (later)
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  else
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void MainWindow::OpenSkinArchive(const std::string& path) { steps_.OpenSkinArchive(path); }

void MainWindow::OnHover(HWND control) {
  if (!HintHandlerInstalled() || !control || !IsChild(hwnd_, control)) return;
  char hint[1024] = {};
  SendMessageW(control, ui::VWM_GETHINT, sizeof(hint), reinterpret_cast<LPARAM>(hint));
  if (hint[0]) EchoHint(hint);
}

void MainWindow::EchoHint(const std::string& hint) {
  if (HintHandlerInstalled()) player_.ShowHint(hint);
}

void MainWindow::OnActivateApp(bool active) {
  Player* p = &player_;
  HWND deact = Control(ids::imdeactivated), face = Control(ids::background);
  if (!active) {
    deact_shown_ = false;
    if (display_.DesignLibraryActive() || !design_state_.deact_image_available) return;
    p->PauseTitleScroll();
    ShowWindow(deact, SW_SHOW);
    ShowWindow(face, SW_HIDE);
    deact_shown_ = true;
    display_.ShowStatus("Deactivated");
    return;
  }
  p->ResumeTitleScroll();
  if (display_.DesignLibraryActive() || !deact_shown_) return;
  deact_shown_ = false;
  ShowWindow(deact, SW_HIDE);
  ShowWindow(face, SW_SHOW);
  display_.ShowStatus("Welcome Back");
}

void MainWindow::RefreshStreamTitle() {
  // Only for URL entries, and only with a plug-in that exports the optional
  // streamtitle(): a plain stdcall function returning the title of the stream now playing.
  const Playlist& pl = playlist_;
  const int32_t index = pl.CurrentIndex();
  if (index < 0 || static_cast<size_t>(index) >= pl.Count() || pl.Path(index).rfind('*', 0) != 0) {
    stream_title_.clear();
    return;
  }
  const std::string name = plugins_.CurrentName();
  if (name.empty()) return;
  HMODULE module = GetModuleHandleW(ui::Widen(ProgramFile("Library\\" + name)).c_str());
  if (!module) return;
  using StreamTitleFn = const char*(WINAPI*)();
  auto fn = reinterpret_cast<StreamTitleFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "streamtitle")));
  if (!fn) return;
  char title[512] = {};
  const bool ok = guard::Guarded(guard::Owner{module}, [&] {
    const char* text = fn();
    if (text) lstrcpynA(title, text, sizeof(title));
  });
  if (!ok || !title[0] || stream_title_ == title) return;
  stream_title_ = title;
  display_.ShowSongTitle(stream_title_ + "          ");
}

void MainWindow::LoadStartupPicture() {
  HWND loading = Control(ids::loading);
  const std::string path = ProgramFile("loading.jpg");
  if (!loading || ui::FileAttributes(path) == INVALID_FILE_ATTRIBUTES) return;
  std::string error;
  HBITMAP bmp = LoadPictureFile(path, &error);
  if (!bmp) {
    // A broken picture leaves the text face; the run goes on.
    player_.HandleError(error.empty() ? "Cannot load " + path : error);
    return;
  }
  ui::SetStaticBitmap(loading, bmp, SS_REALSIZECONTROL);
  // A bitmap static sizes itself to its picture: it has to cover the window again.
  RECT r;
  GetClientRect(hwnd_, &r);
  SetWindowPos(loading, HWND_TOP, 0, 0, r.right, r.bottom, SWP_NOACTIVATE);
}

void MainWindow::OnBackgroundMouse(UINT msg, WPARAM wp, LPARAM lp) {
  const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (settings_->EasyMove) display_.ShowStatus("EasyMove Started");
      press_point_ = pt;
      moving_ = true;
      SetCapture(hwnd_);
      break;
    case WM_MOUSEMOVE:
      if (moving_ && (wp & MK_LBUTTON) && settings_->EasyMove) {
        display_.ShowStatus("Easy-Moving");
        RECT r;
        GetWindowRect(hwnd_, &r);
        SetWindowPos(hwnd_, nullptr, r.left + pt.x - press_point_.x, r.top + pt.y - press_point_.y,
                     0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    case WM_LBUTTONUP:
      moving_ = false;
      if (GetCapture() == hwnd_) ReleaseCapture();
      break;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP: {  // any button but the left one
      POINT screen;
      GetCursorPos(&screen);
      InputPlugin& plugin = plugins_.Current();
      if (!plugin.Name().empty()) {
        if (plugin.Has(PluginEntry::showoptionspopup)) {
          try {
            plugin.showoptionspopup(screen.x, screen.y);
          } catch (const PluginFault&) {}
        }
      } else if (ui::UniqueMenu menu{CreatePopupMenu()}) {
        AppendMenuA(menu.get(), MF_STRING | MF_GRAYED, 1, "(No File Playing)");
        ui::TrackPopupMenuFor(hwnd_, menu.get(), TPM_RETURNCMD, screen.x, screen.y);
      }
      break;
    }
    default: break;
  }
}

LRESULT CALLBACK MainWindow::MoveButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<MainWindow*>(data);
  const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  LRESULT result = 0;
  bool handled = false;
  self->errors_.Run([&] {
    switch (msg) {
      case WM_LBUTTONDOWN:
        self->press_point_ = pt;
        self->moving_ = true;
        SetCapture(hwnd);
        handled = true;
        break;
      case WM_MOUSEMOVE:
        if (self->moving_ && (wp & MK_LBUTTON)) {
          self->display_.ShowStatus("Moving");
          RECT r;
          GetWindowRect(self->hwnd_, &r);
          SetWindowPos(self->hwnd_, nullptr, r.left + pt.x - self->press_point_.x,
                       r.top + pt.y - self->press_point_.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
          handled = true;
        }
        break;
      case WM_LBUTTONUP:
        self->moving_ = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        handled = true;
        break;
      case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &MainWindow::MoveButtonProc, 1); break;
      default: break;
    }
  });
  return handled ? result : DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace velmora
