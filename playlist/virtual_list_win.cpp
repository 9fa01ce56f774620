#include "playlist/virtual_list_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstring>

#include "ui/window_util_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr UINT_PTR kSubclassId = 0x564C;  // "VL"
const PlaylistLook kSystemLook{};

HFONT ListFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

}  // namespace

VirtualList::~VirtualList() {
  if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
}

HWND VirtualList::Create(HWND parent, int id, const std::vector<std::string>* texts,
                         DWORD extra_style, int x, int y, int width, int height) {
  texts_ = texts;
  const DWORD style = WS_CHILD | WS_VSCROLL | WS_TABSTOP | WS_BORDER | LBS_NODATA |
                      LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | extra_style;
  hwnd_ = ui::CreateWindowUtf8(WS_EX_CLIENTEDGE, "LISTBOX", "", style, x, y, width, height, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) return nullptr;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont()), FALSE);
  SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, ItemHeight(parent));
  // The list box keeps the styles it was created with; the window style is what other
  // processes (and the ANSI/Unicode translation) look at to decide that LB_GETTEXT
  // carries text, which this control does answer.
  SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | LBS_HASSTRINGS);
  SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  return hwnd_;
}

void VirtualList::SetCount(size_t count) {
  if (!hwnd_) return;
  const WPARAM n = static_cast<WPARAM>(count);
  if (static_cast<size_t>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)) != count) {
    writing_marks_ = true;
    if (count == 0) {
      SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    } else {
      SendMessageW(hwnd_, LB_SETCOUNT, n, 0);
    }
    writing_marks_ = false;
  }
  Redraw();
}

void VirtualList::Redraw() const {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void VirtualList::ReadMarks(std::vector<uint8_t>& marks) const {
  std::fill(marks.begin(), marks.end(), 0);
  if (!hwnd_) return;
  LRESULT count = SendMessageW(hwnd_, LB_GETSELCOUNT, 0, 0);
  if (count <= 0) return;
  std::vector<int> rows(static_cast<size_t>(count));
  count = SendMessageW(hwnd_, LB_GETSELITEMS, static_cast<WPARAM>(count),
                       reinterpret_cast<LPARAM>(rows.data()));
  for (LRESULT i = 0; i < count; ++i) {
    size_t row = static_cast<size_t>(rows[static_cast<size_t>(i)]);
    if (row < marks.size()) marks[row] = 1;
  }
}

void VirtualList::WriteMarks(const std::vector<uint8_t>& marks) {
  if (!hwnd_) return;
  writing_marks_ = true;
  const int caret = Caret();
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LB_SETSEL, FALSE, -1);
  const size_t n =
      std::min(marks.size(), static_cast<size_t>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)));
  for (size_t row = 0; row < n;) {
    if (!marks[row]) {
      ++row;
      continue;
    }
    size_t last = row;
    while (last + 1 < n && marks[last + 1]) ++last;
    SendMessageW(hwnd_, LB_SELITEMRANGEEX, static_cast<WPARAM>(row), static_cast<LPARAM>(last));
    row = last + 1;
  }
  // Selecting moves the caret; the caret row stays where it was.
  if (caret >= 0) SendMessageW(hwnd_, LB_SETCARETINDEX, static_cast<WPARAM>(caret), FALSE);
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  writing_marks_ = false;
  Redraw();
}

int VirtualList::Caret() const {
  if (!hwnd_ || SendMessageW(hwnd_, LB_GETCOUNT, 0, 0) <= 0) return -1;
  return static_cast<int>(SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0));
}

void VirtualList::SetCaret(int row) {
  if (!hwnd_) return;
  writing_marks_ = true;
  SendMessageW(hwnd_, LB_SETCARETINDEX, static_cast<WPARAM>(row), FALSE);
  writing_marks_ = false;
}

void VirtualList::SetLook(const PlaylistLook& look) {
  if (look == look_) return;
  look_ = look;
  look_font_.reset();
  if (!look_.font.empty()) {
    // The skin's face at the height of the usual font, so the rows keep their height.
    LOGFONTW lf{};
    GetObjectW(ListFont(), sizeof lf, &lf);
    ui::SetFaceName(lf, look_.font);
    look_font_.reset(CreateFontIndirectW(&lf));
  }
  Redraw();
}

void VirtualList::SetCurrentRow(int row) {
  if (row == current_row_) return;
  current_row_ = row;
  Redraw();
}

int VirtualList::ItemHeight(HWND parent) {
  HDC dc = GetDC(parent);
  if (!dc) return 16;
  HGDIOBJ old = SelectObject(dc, ListFont());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(parent, dc);
  return tm.tmHeight > 0 ? tm.tmHeight + 2 : 16;
}

void VirtualList::DrawItem(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
    return;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  // Under high contrast the rows keep the system's colours whatever the design says.
  const PlaylistLook& look = ui::HighContrastOn() ? kSystemLook : look_;
  const std::optional<uint32_t>& background =
      selected ? look.selected_background : look.normal_background;
  if (background) {
    ui::UniqueBrush brush(CreateSolidBrush(*background));
    FillRect(dc, &r, brush.get());
  } else {
    FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  }
  if (texts_ && item.itemID < texts_->size()) {
    const std::string& text = (*texts_)[item.itemID];
    HGDIOBJ old_font = SelectObject(
        dc, ui::FontWithGlyphs(dc, look_font_ ? look_font_.get() : ListFont(),
                               ui::Widen(std::string_view(text).substr(0, 1024))));
    SetBkMode(dc, TRANSPARENT);
    const bool current = static_cast<int>(item.itemID) == current_row_;
    COLORREF colour = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    if (current && look.current_text)
      colour = *look.current_text;
    else if (look.normal_text)
      colour = *look.normal_text;
    SetTextColor(dc, colour);
    RECT text_rect = r;
    text_rect.left += 2;
    // Long names are cut at what fits a row anyway; a 5 MB line must not stall painting.
    ui::DrawTextUtf8(dc, std::string_view(text).substr(0, 1024), &text_rect,
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old_font);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

LRESULT CALLBACK VirtualList::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                           DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<VirtualList*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    if (self) self->hwnd_ = nullptr;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  try {
    return self->Handle(msg, wp, lp);
  } catch (...) {
    // Nothing may escape into the window system. The list only draws and answers what
    // the playlist window's model holds; a message it fails to handle gets the control's
    // own handling, and the model's failures are reported where the model is changed.
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
}

long VirtualList::ItemCount() {
  const LRESULT n = hwnd_ ? SendMessageW(hwnd_, LB_GETCOUNT, 0, 0) : 0;
  return n > 0 ? static_cast<long>(n) : 0;
}

long VirtualList::FocusedItem() {
  const int caret = Caret();
  return caret >= 0 && caret < ItemCount() ? caret + 1 : 0;
}

bool VirtualList::Describe(long item, ui::AccessibleInfo& info) {
  if (item == 0) {
    info.role = ROLE_SYSTEM_LIST;
    info.name = ui::GetText(GetParent(hwnd_));
    return true;
  }
  if (item < 1 || item > ItemCount()) return false;
  const int row = static_cast<int>(item - 1);
  info.role = ROLE_SYSTEM_LISTITEM;
  if (texts_ && static_cast<size_t>(row) < texts_->size()) info.name = (*texts_)[row];
  info.state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (SendMessageW(hwnd_, LB_GETSEL, static_cast<WPARAM>(row), 0) > 0)
    info.state |= STATE_SYSTEM_SELECTED;
  if (row == Caret() && GetFocus() == hwnd_) info.state |= STATE_SYSTEM_FOCUSED;
  RECT rc{};
  SendMessageW(hwnd_, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc));
  RECT client{};
  GetClientRect(hwnd_, &client);
  RECT shown{};
  if (!IntersectRect(&shown, &rc, &client))
    info.state |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&rc), 2);
  info.screen = rc;
  return true;
}

LRESULT VirtualList::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case ui::kGetAccessibleMessage:
      return reinterpret_cast<LRESULT>(static_cast<ui::AccessibleSource*>(this));
    case WM_GETOBJECT:
      if (const LRESULT object = ui::AnswerGetObject(hwnd_, wp, lp)) return object;
      break;
    // A Unicode list: lengths and texts in UTF-16 (the window system converts for
    // callers that ask in the 8-bit form).
    case LB_GETTEXTLEN:
      if (!texts_ || wp >= texts_->size()) return LB_ERR;
      return static_cast<LRESULT>(ui::Widen((*texts_)[wp]).size());
    case LB_GETTEXT: {
      if (!texts_ || wp >= texts_->size() || !lp) return LB_ERR;
      const std::wstring text = ui::Widen((*texts_)[wp]);
      wchar_t* out = reinterpret_cast<wchar_t*>(lp);
      std::memcpy(out, text.data(), text.size() * sizeof(wchar_t));
      out[text.size()] = L'\0';
      return static_cast<LRESULT>(text.size());
    }
    case WM_ERASEBKGND:
      // The rows paint themselves; the rest of the list takes the look's background.
      if (look_.normal_background && wp && !ui::HighContrastOn()) {
        RECT r;
        GetClientRect(hwnd_, &r);
        ui::UniqueBrush brush(CreateSolidBrush(*look_.normal_background));
        FillRect(reinterpret_cast<HDC>(wp), &r, brush.get());
        return 1;
      }
      break;
    case LB_SETSEL:
    case LB_SELITEMRANGE:
    case LB_SELITEMRANGEEX:
    case LB_SETCURSEL:
    case LB_SETCARETINDEX: {
      LRESULT result = DefSubclassProc(hwnd_, msg, wp, lp);
      if (!writing_marks_ && marks_changed) marks_changed();
      return result;
    }
    default: break;
  }
  if (before && before(msg, wp, lp)) return 0;
  if (msg != WM_KEYDOWN && msg != WM_LBUTTONDOWN && msg != WM_SETFOCUS)
    return DefSubclassProc(hwnd_, msg, wp, lp);
  // Readers follow the row with the focus.
  const int caret = Caret();
  const LRESULT result = DefSubclassProc(hwnd_, msg, wp, lp);
  const int now = Caret();
  if ((now != caret || msg == WM_SETFOCUS) && now >= 0 && GetFocus() == hwnd_)
    ui::AnnounceChange(hwnd_, EVENT_OBJECT_FOCUS, now + 1);
  return result;
}

}  // namespace velmora
