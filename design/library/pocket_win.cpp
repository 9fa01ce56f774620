// "Pocket": the design library shipped with the player, and an example for authors. It
// draws a small player of its own with plain GDI, using nothing but velmora_design.h:
//
//   - the notifications keep a copy of what to show and repaint (texts are copied: they
//     are valid only during the call);
//   - clicks call the host services (play, pause, seek, volume, ...);
//   - the menu button pops up the player's own menu; a right click shows the input
//     plug-in's popup; dragging anywhere else moves the window.
#include <windows.h>
#include <windowsx.h>

#include <string>

#include "design/velmora_design.h"

namespace {

constexpr int kWidth = 300, kHeight = 104;
constexpr COLORREF kFace = RGB(24, 28, 36), kText = RGB(120, 220, 255), kDim = RGB(110, 120, 140),
                   kTrack = RGB(50, 56, 70), kFill = RGB(80, 170, 255), kButton = RGB(44, 50, 64);

VelmoraDesignHeader g_header;  // ours; the player writes its slots before update
HINSTANCE g_instance = nullptr;
HWND g_window = nullptr;
HBITMAP g_preview = nullptr;

// What the player told us last.
std::string g_title = "Velmora", g_status, g_time = "00:00", g_total = "00:00";
int g_position = 0, g_position_max = 1, g_volume = 0;

// The clickable parts of the face.
enum Part {
  kNone,
  kPrev,
  kPlay,
  kPause,
  kStop,
  kNext,
  kOpen,
  kList,
  kMenu,
  kMinimize,
  kExit,
  kSeek,
  kVolume
};
struct Area {
  Part part;
  RECT rect;
  const char* label;
};
const Area kAreas[] = {
    {kPrev, {10, 76, 38, 96}, "|<"},     {kPlay, {42, 76, 70, 96}, ">"},
    {kPause, {74, 76, 102, 96}, "||"},   {kStop, {106, 76, 134, 96}, "[]"},
    {kNext, {138, 76, 166, 96}, ">|"},   {kOpen, {176, 76, 216, 96}, "Open"},
    {kList, {220, 76, 250, 96}, "PL"},   {kMenu, {254, 76, 290, 96}, "Menu"},
    {kMinimize, {256, 6, 272, 20}, "_"}, {kExit, {276, 6, 292, 20}, "x"},
    {kSeek, {10, 62, 290, 70}, nullptr}, {kVolume, {200, 48, 290, 54}, nullptr},
};

Part HitTest(POINT p) {
  for (const Area& a : kAreas)
    if (PtInRect(&a.rect, p)) return a.part;
  return kNone;
}

void Text(HDC dc, const std::string& text, RECT r, COLORREF colour, UINT format) {
  SetTextColor(dc, colour);
  DrawTextA(dc, text.c_str(), -1, &r,
            format | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void Bar(HDC dc, RECT r, int value, int max) {
  HBRUSH track = CreateSolidBrush(kTrack), fill = CreateSolidBrush(kFill);
  FillRect(dc, &r, track);
  if (max > 0 && value > 0) {
    RECT f = r;
    f.right = r.left + MulDiv(r.right - r.left, value > max ? max : value, max);
    FillRect(dc, &f, fill);
  }
  DeleteObject(track);
  DeleteObject(fill);
}

// The whole face; used for the window and for the chooser's preview picture.
void Paint(HDC dc) {
  RECT all{0, 0, kWidth, kHeight};
  HBRUSH face = CreateSolidBrush(kFace), button = CreateSolidBrush(kButton);
  FillRect(dc, &all, face);
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  Text(dc, g_title, {10, 4, 250, 24}, kText, DT_LEFT);
  Text(dc, g_status, {10, 26, 290, 42}, kDim, DT_LEFT);
  Text(dc, g_time + " / " + g_total, {10, 44, 190, 58}, kText, DT_LEFT);
  Bar(dc, kAreas[10].rect, g_position, g_position_max);
  Bar(dc, kAreas[11].rect, g_volume, 250);
  for (const Area& a : kAreas) {
    if (!a.label) continue;
    FillRect(dc, &a.rect, button);
    Text(dc, a.label, a.rect, kText, DT_CENTER);
  }
  DeleteObject(face);
  DeleteObject(button);
}

void Clicked(Part part, POINT p) {
  VelmoraDesignHeader& h = g_header;
  const RECT& seek = kAreas[10].rect;
  const RECT& volume = kAreas[11].rect;
  switch (part) {
    case kPrev: h.HostPrevTrack(nullptr); break;
    case kPlay: h.HostPlay(nullptr); break;
    case kPause: h.HostPause(nullptr); break;
    case kStop: h.HostStop(nullptr); break;
    case kNext: h.HostNextTrack(nullptr); break;
    case kOpen: h.HostOpen(nullptr); break;
    case kList: h.HostShowPlaylist(nullptr); break;
    case kMinimize: h.HostMinimize(nullptr); break;
    case kExit: h.HostExit(nullptr); break;
    case kSeek: h.HostSeek(MulDiv(p.x - seek.left, g_position_max, seek.right - seek.left)); break;
    case kVolume:
      h.HostSetVolume(MulDiv(p.x - volume.left, 250, volume.right - volume.left));
      break;
    case kMenu: {
      POINT at{p.x, p.y};
      ClientToScreen(g_window, &at);
      VelmoraDesignPopupMenu(h.SetupMenu, g_window, at.x, at.y);
      break;
    }
    case kNone: break;
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCHITTEST: {  // drag the window by any part that is not a control
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      ScreenToClient(hwnd, &p);
      return HitTest(p) == kNone ? HTCAPTION : HTCLIENT;
    }
    case WM_LBUTTONDOWN:
      Clicked(HitTest({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}), {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_NCRBUTTONUP:
    case WM_RBUTTONUP: g_header.HostShowPopup(); return 0;
    case WM_CLOSE: g_header.HostExit(nullptr); return 0;
    default: return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void Repaint() {
  if (g_window) InvalidateRect(g_window, nullptr, FALSE);
}

// ---- notifications: copy, then repaint -----------------------------------------------

void VELMORA_DESIGN_CALL OnPosition(int32_t v) {
  g_position = v;
  Repaint();
}
void VELMORA_DESIGN_CALL OnPositionMax(int32_t v) {
  g_position_max = v;
  Repaint();
}
void VELMORA_DESIGN_CALL OnStatus(const char* t) {
  g_status = t;
  Repaint();
}
void VELMORA_DESIGN_CALL OnSongTitle(const char* t) {
  g_title = t;
  Repaint();
}
void VELMORA_DESIGN_CALL OnTotalTime(const char* t) {
  g_total = t;
  Repaint();
}
void VELMORA_DESIGN_CALL OnPositionTime(const char* t) {
  g_time = t;
  Repaint();
}
void VELMORA_DESIGN_CALL OnVolume(int32_t v) {
  g_volume = v;
  Repaint();
}
void VELMORA_DESIGN_CALL OnShow(VelmoraSender) {
  ShowWindow(g_window, SW_SHOWNORMAL);
  SetForegroundWindow(g_window);
}
void VELMORA_DESIGN_CALL OnHide(VelmoraSender) { ShowWindow(g_window, SW_HIDE); }
void VELMORA_DESIGN_CALL OnClose(VelmoraSender) {
  if (g_window) DestroyWindow(g_window);
  g_window = nullptr;
}

}  // namespace

extern "C" {

__declspec(dllexport) void VELMORA_DESIGN_CALL init(void) {}

__declspec(dllexport) VelmoraDesignHeader* VELMORA_DESIGN_CALL GetDesignHeader(void) {
  g_header.DesignName = "Pocket";
  g_header.OnPosition = OnPosition;
  g_header.OnPositionMax = OnPositionMax;
  g_header.OnStatus = OnStatus;
  g_header.OnSongTitle = OnSongTitle;
  g_header.OnTotalTime = OnTotalTime;
  g_header.OnPositionTime = OnPositionTime;
  g_header.OnVolume = OnVolume;
  g_header.OnShow = OnShow;
  g_header.OnHide = OnHide;
  g_header.OnClose = OnClose;
  if (!g_preview) {  // the face as it looks before anything plays
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    g_preview = CreateCompatibleBitmap(screen, kWidth, kHeight);
    HGDIOBJ old = SelectObject(dc, g_preview);
    Paint(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  }
  g_header.PreviewPicture = g_preview;
  return &g_header;
}

// The host's slots are filled in now: make the (hidden) window; OnShow shows it.
__declspec(dllexport) void VELMORA_DESIGN_CALL update(VelmoraDesignHeader*) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = g_instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = "VelmoraPocketDesign";
  RegisterClassA(&wc);
  g_window = CreateWindowExA(WS_EX_APPWINDOW, wc.lpszClassName, "Velmora Pocket", WS_POPUP, 120,
                             120, kWidth, kHeight, nullptr, nullptr, g_instance, nullptr);
  SetWindowRgn(g_window, CreateRoundRectRgn(0, 0, kWidth + 1, kHeight + 1, 14, 14), FALSE);
}

__declspec(dllexport) void VELMORA_DESIGN_CALL deinit(void) {
  if (g_window) DestroyWindow(g_window);
  g_window = nullptr;
  UnregisterClassA("VelmoraPocketDesign", g_instance);
  if (g_preview) DeleteObject(g_preview);
  g_preview = nullptr;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
  return TRUE;
}
