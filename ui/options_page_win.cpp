#include "ui/options_page_win.h"
#include "ui/wide_win.h"

namespace velmora {

void ControlPage::Create(HWND parent, const RECT& area, HFONT font) {
  parent_ = parent;
  area_ = area;
  font_ = font;
  MakeControls();
}

void ControlPage::Show() {
  for (HWND c : controls_) ShowWindow(c, SW_SHOW);
}

void ControlPage::Hide() {
  for (HWND c : controls_) ShowWindow(c, SW_HIDE);
}

HWND ControlPage::Add(const char* cls, const char* text, DWORD style, DWORD ex_style, int id,
                      int x, int y, int width, int height) {
  HWND c = ui::CreateWindowUtf8(ex_style, cls, text, WS_CHILD | (style & ~WS_VISIBLE), area_.left + x,
                           area_.top + y, width, height, parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  if (!c) return nullptr;
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  controls_.push_back(c);
  return c;
}

HWND ControlPage::Label(const char* text, int x, int y, int width, int height) {
  return Add("STATIC", text, 0, 0, -1, x, y, width, height);
}

HWND ControlPage::ReadOnlyEdit(int id, const char* text, int x, int y, int width, int height) {
  return Add("EDIT", text, ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, id, x, y, width,
             height);
}

}  // namespace velmora
