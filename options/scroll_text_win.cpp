#include "options/scroll_text_win.h"

#include <string>
#include <vector>

#include "ui/gdi_win.h"
#include "ui/widget_base_win.h"

namespace velmora {

namespace {

constexpr UINT_PTR kTimer = 1;

class ScrollText : public ui::WidgetBase {
 public:
  explicit ScrollText(HWND hwnd) : WidgetBase(hwnd) {}

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case kScrollTextSetInterval:
        interval_ = wp ? static_cast<UINT>(wp) : 50;
        Restart();
        return TRUE;
      case kScrollTextSetActive:
        active_ = wp != 0;
        Restart();
        return TRUE;
      case kScrollTextGetActive: return active_;
      case WM_SETTEXT: {
        LRESULT r = DefWindowProcA(hwnd_, msg, wp, lp);
        offset_ = ClientRect().bottom;  // a new text starts at the bottom
        Redraw();
        return r;
      }
      case WM_TIMER:
        if (wp == kTimer) {
          --offset_;
          if (offset_ < -TextHeight()) offset_ = ClientRect().bottom;
          Redraw();
        }
        return 0;
      case WM_SIZE: offset_ = ClientRect().bottom; return 0;
      case WM_DESTROY: KillTimer(hwnd_, kTimer); return 0;
      default: return DefWindowProcA(hwnd_, msg, wp, lp);
    }
  }

 private:
  void Restart() {
    KillTimer(hwnd_, kTimer);
    if (active_) SetTimer(hwnd_, kTimer, interval_, nullptr);
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    const std::string text = Text();
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      start = end + 1;
    }
    return lines;
  }
  int LineHeight() const { return 15; }
  int TextHeight() const { return static_cast<int>(Lines().size()) * LineHeight(); }
  void Paint(HDC dc) override {
    const RECT rc = ClientRect();
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = font_ ? SelectObject(dc, font_) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    int y = offset_;
    for (const std::string& line : Lines()) {
      RECT row{rc.left, y, rc.right, y + LineHeight()};
      if (row.bottom > rc.top && row.top < rc.bottom)
        DrawTextA(dc, line.c_str(), static_cast<int>(line.size()), &row,
                  DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
      y += LineHeight();
    }
    if (old) SelectObject(dc, old);
  }

  UINT interval_ = 50;
  bool active_ = false;
  int offset_ = 0;
};

}  // namespace

bool RegisterScrollTextClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  if (GetClassInfoA(instance, kScrollTextClass, &wc)) return true;
  wc.lpfnWndProc = ui::WidgetProc<ScrollText>;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kScrollTextClass;
  return RegisterClassA(&wc) != 0;
}

}  // namespace velmora
