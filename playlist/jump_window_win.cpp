// TForm14, "Jump to file". The typed words go into a JumpFilter over the playlist's
// display names (folded again only after the playlist changed); the list shows the
// matching names and the window keeps which of them is chosen.
#include "playlist/jump_window_win.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "playlist/jump_filter.h"
#include "playlist/virtual_list_win.h"
#include "ui/control_ids.h"
#include "ui/top_level_window_win.h"
#include "ui/window_util_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr char kClassName[] = "TForm14";
constexpr char kCaption[] = "Jump to file";
constexpr int kClientWidth = 360;
constexpr int kClientHeight = 300;
constexpr int kMargin = 6;
constexpr int kEditHeight = 22;
constexpr UINT_PTR kEditSubclassId = 0x4A45;  // "JE"

class JumpWindow : public JumpToFile, public ui::TopLevelWindow, private PlaylistObserver {
 public:
  JumpWindow(Playlist& playlist, PlaylistTransport& transport, ErrorSink& errors)
      : ui::TopLevelWindow(errors), playlist_(playlist), transport_(transport) {
    Create();
    playlist_.AddObserver(this);
  }
  ~JumpWindow() override {
    playlist_.RemoveObserver(this);
    if (edit_) RemoveWindowSubclass(edit_, EditProc, kEditSubclassId);
    DestroyTopLevel();
  }
  JumpWindow(const JumpWindow&) = delete;
  JumpWindow& operator=(const JumpWindow&) = delete;

  void Show() override;

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR data) noexcept;
  bool OnEditKey(UINT msg, WPARAM wp);

  void Create();
  void CreateControls();
  void Layout();
  // The words changed, or the playlist did: the list follows.
  void Refilter();
  void Choose(int index);
  void Move(int delta);
  void PlayChosen();
  void Close() { ShowWindow(hwnd_, SW_HIDE); }

  // PlaylistObserver: rows added, removed or reordered make the folded names stale.
  void OnRowsAppended(size_t, size_t) override { NamesChanged(); }
  void OnRowsReset() override { NamesChanged(); }
  void NamesChanged();

  Playlist& playlist_;
  PlaylistTransport& transport_;
  JumpFilter filter_;
  bool names_stale_ = true;
  std::string words_;               // what the user typed
  std::vector<std::string> shown_;  // the display names of the matching rows
  int chosen_ = -1;                 // index into filter_.Rows(), -1 for none
  HWND edit_ = nullptr;
  VirtualList list_;
};

void JumpWindow::Create() {
  ui::TopLevelClass cls;
  cls.unicode = true;
  cls.name = kClassName;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
  const DWORD ex_style = WS_EX_TOOLWINDOW;
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, ex_style);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 3;
  CreateTopLevel(cls, ex_style, kCaption, style, x, y, width, height);
}

void JumpWindow::CreateControls() {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  edit_ = ui::CreateWindowUtf8(WS_EX_CLIENTEDGE, "EDIT", "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kMargin, kMargin,
                          kClientWidth - 2 * kMargin, kEditHeight, hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::jumpEdit)),
                          GetModuleHandleW(nullptr), nullptr);
  if (edit_) {
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowSubclass(edit_, EditProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
  const int list_top = kMargin * 2 + kEditHeight;
  list_.Create(hwnd_, ids::jumpList, &shown_, WS_VISIBLE, kMargin, list_top,
               kClientWidth - 2 * kMargin, kClientHeight - list_top - kMargin);
  // With the focus in the list, Enter, Escape and Tab act as in the word box, and typing
  // goes on in the word box.
  list_.before = [this](UINT msg, WPARAM wp, LPARAM) {
    bool handled = false;
    errors_.Run([&] {
      if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_ESCAPE)) {
        handled = OnEditKey(msg, wp);
      } else if (msg == WM_KEYDOWN && wp == VK_TAB) {
        if (edit_) SetFocus(edit_);
        handled = true;
      } else if (msg == WM_CHAR) {
        handled = true;
        if (wp >= ' ' && edit_) {
          SetFocus(edit_);
          SendMessageW(edit_, WM_CHAR, wp, 1);
        } else if (wp != '\r' && wp != 27 && wp != '\t') {
          handled = false;
        }
      }
    });
    return handled;
  };
}

void JumpWindow::Layout() {
  RECT r{};
  GetClientRect(hwnd_, &r);
  const int width = std::max<int>(r.right - 2 * kMargin, 0);
  const int list_top = kMargin * 2 + kEditHeight;
  if (edit_) SetWindowPos(edit_, nullptr, kMargin, kMargin, width, kEditHeight, SWP_NOZORDER);
  if (list_.Handle())
    SetWindowPos(list_.Handle(), nullptr, kMargin, list_top, width,
                 std::max<int>(r.bottom - list_top - kMargin, 0), SWP_NOZORDER);
}

void JumpWindow::Show() {
  if (!hwnd_) return;
  if (names_stale_) Refilter();
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd_);
  if (edit_) {
    SetFocus(edit_);
    SendMessageW(edit_, EM_SETSEL, 0, -1);
  }
}

void JumpWindow::NamesChanged() {
  names_stale_ = true;
  // While hidden the names are folded when the window is next shown.
  if (hwnd_ && IsWindowVisible(hwnd_)) Refilter();
}

void JumpWindow::Refilter() {
  if (names_stale_) {
    filter_.SetNames(playlist_.Names());
    names_stale_ = false;
  }
  const std::vector<size_t>& rows = filter_.Filter(words_);
  shown_.clear();
  shown_.reserve(rows.size());
  for (size_t row : rows) shown_.push_back(playlist_.Names()[row]);
  list_.SetCount(shown_.size());
  Choose(shown_.empty() ? -1 : 0);
}

void JumpWindow::Choose(int index) {
  chosen_ = index;
  if (!list_.Handle()) return;
  SendMessageW(list_.Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void JumpWindow::Move(int delta) {
  const int count = static_cast<int>(shown_.size());
  if (count == 0) return;
  int index = chosen_ < 0 ? 0 : chosen_ + delta;
  if (index < 0) index = 0;
  if (index >= count) index = count - 1;
  Choose(index);
}

void JumpWindow::PlayChosen() {
  const std::vector<size_t>& rows = filter_.Rows();
  if (chosen_ < 0 || static_cast<size_t>(chosen_) >= rows.size()) return;
  const size_t row = rows[static_cast<size_t>(chosen_)];
  if (row >= playlist_.Count()) return;
  Close();
  // As a double click on that row of the playlist.
  playlist_.SetCurrentIndex(static_cast<int32_t>(row));
  transport_.Play();
}

// Keys typed in the word box that act on the list or the window.
bool JumpWindow::OnEditKey(UINT msg, WPARAM wp) {
  if (msg == WM_CHAR) return wp == '\r' || wp == 27 || wp == '\t';  // no beep for these
  if (msg != WM_KEYDOWN) return false;
  int page = 1;
  if (list_.Handle()) {
    RECT r{};
    GetClientRect(list_.Handle(), &r);
    const int item = static_cast<int>(SendMessageW(list_.Handle(), LB_GETITEMHEIGHT, 0, 0));
    if (item > 0 && r.bottom / item > 1) page = r.bottom / item - 1;
  }
  switch (wp) {
    case VK_UP: Move(-1); return true;
    case VK_DOWN: Move(1); return true;
    case VK_PRIOR: Move(-page); return true;
    case VK_NEXT: Move(page); return true;
    case VK_RETURN: PlayChosen(); return true;
    case VK_ESCAPE: Close(); return true;
    case VK_TAB:
      if (list_.Handle()) SetFocus(list_.Handle());
      return true;
    default: return false;
  }
}

LRESULT CALLBACK JumpWindow::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<JumpWindow*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, EditProc, kEditSubclassId);
    if (self) self->edit_ = nullptr;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  bool handled = false;
  if (self) self->errors_.Run([&] { handled = self->OnEditKey(msg, wp); });
  if (handled) return 0;
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT JumpWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: CreateControls(); return 0;
    case WM_SIZE: Layout(); return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && edit_) SetFocus(edit_);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      if (id == ids::jumpEdit && code == EN_CHANGE) {
        // The user's words go into the filter at once.
        words_ = ui::WindowText(edit_);
        Refilter();
      } else if (id == ids::jumpList && code == LBN_SELCHANGE) {
        chosen_ = static_cast<int>(SendMessageW(list_.Handle(), LB_GETCURSEL, 0, 0));
      } else if (id == ids::jumpList && code == LBN_DBLCLK) {
        PlayChosen();
      } else if (id == IDCANCEL) {
        Close();
      }
      return 0;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      item->itemHeight = static_cast<UINT>(VirtualList::ItemHeight(hwnd_));
      return TRUE;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item->hwndItem == list_.Handle()) list_.DrawItem(*item);
      return TRUE;
    }
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize.x = 200;
      info->ptMinTrackSize.y = 120;
      return 0;
    }
    case WM_CLOSE: Close(); return 0;
    default: break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace

std::unique_ptr<JumpToFile> CreateJumpWindow(Playlist& playlist, PlaylistTransport& transport,
                                             ErrorSink& errors) {
  return std::make_unique<JumpWindow>(playlist, transport, errors);
}

}  // namespace velmora
