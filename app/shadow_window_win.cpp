#include "app/shadow_window_win.h"

#include <optional>

#include "app/window_rules.h"
#include "ui/control_ids.h"
#include "ui/widgets.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {
constexpr char kClassName[] = "TForm4";
constexpr UINT_PTR kFollowTimer = 1;
constexpr int kFollowMs = 100;
}  // namespace

ShadowWindow::ShadowWindow(ErrorSink& errors, Player& player, ShadowWindowOwner& owner,
                           ui::HintEcho& hints)
    : ui::TopLevelWindow(errors), player_(player), owner_(owner) {
  EchoHintsTo(hints);
  white_ = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  ui::TopLevelClass cls;
  cls.unicode = true;
  cls.name = kClassName;
  cls.background = white_;
  // Borderless, no task-bar button, hidden until shadow mode.
  CreateTopLevel(cls, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                 kWidth, kHeight);
  // Made by the program's loop when due: under wine a step of a window timer costs
  // three more round trips to the server than the wait that ends at the due time.
  follow_ = std::make_unique<ui::PacedStep>(hwnd_, kFollowTimer, [this] { FollowPointer(); });
}

ShadowWindow::~ShadowWindow() { DestroyTopLevel(); }

void ShadowWindow::CreateControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  auto make = [&](const char* cls, const char* text, DWORD style, int id, int x, int w) {
    return ui::CreateWindowUtf8(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, 0, w, kHeight, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  // The picture behind the buttons, as wide as the window.
  HWND picture = make("STATIC", "", SS_WHITERECT, ids::shImage1, 0, kWidth);
  EnableWindow(picture, FALSE);
  WNDCLASSEXA probe{};
  probe.cbSize = sizeof(probe);
  const bool widgets = GetClassInfoExA(instance, ui::kImageButtonClass, &probe) != FALSE;
  const char* button_class = widgets ? ui::kImageButtonClass : "BUTTON";
  static const struct {
    int id;
    const char* caption;
    const char* hint;
  } kButtons[] = {
      {ids::shToNormal, "^", "Back to normal mode"},
      {ids::shToolbarButton971, "=", "General Popup Menu"},
      {ids::shToolbarButton973, "|<", "Previous Track"},
      {ids::shToolbarButton976, ">", "Play"},
      {ids::shToolbarButton974, "||", "Pause"},
      {ids::shToolbarButton975, "[]", "Stop"},
      {ids::shToolbarButton972, ">|", "Next Track"},
  };
  int x = 2;
  for (const auto& b : kButtons) {
    HWND button = make(button_class, b.caption, widgets ? 0 : BS_PUSHBUTTON, b.id, x, 15);
    SendMessageW(button, ui::VWM_SETHINT, 0, reinterpret_cast<LPARAM>(b.hint));
    SetWindowPos(button, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    x += 17;
  }
}

void ShadowWindow::Show() {
  if (!hwnd_) return;
  pointer_known_ = false;
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  if (follow_) follow_->Start(kFollowMs);
}

void ShadowWindow::Hide() {
  if (follow_) follow_->Stop();
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void ShadowWindow::FollowPointer() {
  // The pointer moves only with input: without any since the last look it is where it
  // was. (Asking for the input's time is one cheap question; under wine the pointer's
  // position is a round trip to the display and four to the server.) The window under it
  // is looked up every time, since windows move and open without input.
  LASTINPUTINFO input{};
  input.cbSize = sizeof input;
  const bool input_known = GetLastInputInfo(&input) != FALSE;
  if (!pointer_known_ || !input_known || input.dwTime != pointer_input_time_) {
    if (!GetCursorPos(&pointer_)) return;
    pointer_known_ = input_known;
    pointer_input_time_ = input.dwTime;
  }
  const POINT cursor = pointer_;
  HWND pointed = WindowFromPoint(cursor);
  HWND top = pointed ? GetAncestor(pointed, GA_ROOT) : nullptr;
  std::optional<ScreenRect> rect;
  RECT r{};
  if (top && GetWindowRect(top, &r)) rect = ScreenRect{r.left, r.top, r.right, r.bottom};
  const auto spot = ShadowPlacement(rect, top == hwnd_, kWidth, kHeight);
  if (spot) PlaceAt(spot->x, spot->y);
}

void ShadowWindow::PlaceAt(int x, int y) {
  if (!hwnd_) return;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  // Most ticks find it where it is: nothing is moved or drawn then.
  if (IsWindowVisible(hwnd_) && r.left == x && r.top == y && r.right - r.left == kWidth &&
      r.bottom - r.top == kHeight)
    return;
  SetWindowPos(hwnd_, HWND_TOPMOST, x, y, kWidth, kHeight, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

LRESULT ShadowWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: CreateControls(); return 0;
    case WM_TIMER:
      if (wp == kFollowTimer && follow_) follow_->OnTimer();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) return 0;
      // The transport buttons call the operations themselves, not the guarded commands.
      switch (LOWORD(wp)) {
        case ids::shToNormal: owner_.LeaveShadowMode(); break;
        case ids::shToolbarButton971: owner_.PopUpGeneralMenu(hwnd_); break;
        case ids::shToolbarButton972: player_.NextTrack(); break;
        case ids::shToolbarButton973: player_.PrevTrack(); break;
        case ids::shToolbarButton974: player_.Pause(); break;
        case ids::shToolbarButton975: player_.Stop(); break;
        case ids::shToolbarButton976: player_.Play(); break;
        default: break;
      }
      return 0;
    case WM_CLOSE: return 0;  // it goes with shadow mode, never on its own
    default: break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace velmora
