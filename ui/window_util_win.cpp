#include "ui/window_util_win.h"

#include <algorithm>
#include <vector>

#include "ui/wide_win.h"

#include "ui/handles_win.h"
#include "ui/top_level_window_win.h"

namespace velmora::ui {

HWND ChildWithId(HWND parent, int id) {
  struct Entry {
    HWND parent;
    int id;
    HWND child;
  };
  static std::vector<Entry> remembered;
  for (Entry& e : remembered) {
    if (e.parent != parent || e.id != id) continue;
    if (e.child && IsWindow(e.child) && GetParent(e.child) == parent && GetDlgCtrlID(e.child) == id)
      return e.child;
    e.child = GetDlgItem(parent, id);
    return e.child;
  }
  // Entries of windows gone are dropped when a new one comes: the list stays as short as
  // the controls reached this way.
  remembered.erase(std::remove_if(remembered.begin(), remembered.end(),
                                  [](const Entry& e) { return !IsWindow(e.parent); }),
                   remembered.end());
  HWND child = GetDlgItem(parent, id);
  remembered.push_back({parent, id, child});
  return child;
}

int TrackPopupMenuFor(HWND owner, HMENU menu, UINT flags, int x, int y) {
  if (!menu) return 0;
  SetForegroundWindow(owner);
  const int result = TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
  return result;
}

void PumpWaitingMessages(int limit) {
  MSG msg;
  for (int i = 0; i < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      // The application is ending: leave the request for the main loop to see.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (PreTranslateDialogKey(msg)) continue;  // Tab, Enter, Escape as in the main loop
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void SetStaticBitmap(HWND control, HBITMAP bitmap, LONG_PTR extra_style) {
  if (!control) {
    if (bitmap) DeleteObject(bitmap);
    return;
  }
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  const LONG_PTR wanted =
      (style & ~static_cast<LONG_PTR>(SS_TYPEMASK | SS_CENTERIMAGE)) | SS_BITMAP | extra_style;
  if (wanted != style) SetWindowLongPtrW(control, GWL_STYLE, wanted);
  const auto old = reinterpret_cast<HGDIOBJ>(
      SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  if (old && old != bitmap) DeleteObject(old);
  InvalidateRect(control, nullptr, TRUE);
}

std::string WindowText(HWND hwnd) {
  return GetText(hwnd);
}

HBITMAP CreateTopDownDib(int width, int height, WORD bit_count, void** bits) {
  *bits = nullptr;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = bit_count;
  bi.bmiHeader.biCompression = BI_RGB;
  UniqueBitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0));
  if (!bmp || !*bits) {
    *bits = nullptr;
    return nullptr;
  }
  return bmp.release();
}

bool HighContrastOn() {
  HIGHCONTRASTA contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace velmora::ui
