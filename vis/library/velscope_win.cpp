// Velmora Scope, the visualisation plug-in shipped in Library\velscope.dll, and the example
// for authors of such plug-ins. It uses nothing but the published interface:
//
//   * the library exports `winampVisGetHeader` (C calling convention), which returns a
//     header record: a version, a description and `getModule(index)`, which returns the
//     module records one by one and null after the last;
//   * the host fills a module's hwndParent and hDllInstance, then calls Init on its window
//     thread; the module makes its window there;
//   * a worker thread of the host fills waveformData (and spectrumData, where the host
//     offers it) and calls Render, then waits delayMs; Render draws into the window;
//   * Quit runs on the window thread when the run stops; the module destroys its window.
//   * The module may ask its host questions with SendMessage(hwndParent, WM_USER, data,
//     question): 0 the host's version, 104 the playing state (1 playing, 3 paused), 212
//     the title of entry `data` of the playlist, 125 the current entry, ...
//
// Two modules: an oscilloscope of both channels and spectrum bars. The window's caption
// shows the playing title, asked for about once a second.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vis/vis_plugin_abi.h"

namespace {

using velmora::VisHeader;
using velmora::VisModule;

constexpr int kWidth = 288;
constexpr int kHeight = 110;
constexpr int kBars = 36;
constexpr char kWindowClass[] = "VelmoraScope";
constexpr UINT kAsk = WM_USER;
enum : LPARAM { kAskPlaying = 104, kAskPosition = 125, kAskTitle = 212 };

// What one module draws with: its window, a picture it renders into (shared with the
// window's painting), and the falling peaks of the bars.
struct Canvas {
  HWND window = nullptr;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* pixels = nullptr;
  CRITICAL_SECTION lock;
  int peaks[kBars] = {};
  DWORD last_question = 0;
};

HINSTANCE g_instance = nullptr;
Canvas g_canvas[2];

int IndexOf(VisModule* module);

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* canvas = reinterpret_cast<Canvas*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (canvas && canvas->dc) {
        EnterCriticalSection(&canvas->lock);
        BitBlt(dc, 0, 0, kWidth, kHeight, canvas->dc, 0, 0, SRCCOPY);
        LeaveCriticalSection(&canvas->lock);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE: ShowWindow(hwnd, SW_HIDE); return 0;  // the run goes on until the host stops it
    default: return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void Fill(uint32_t* pixels, uint32_t colour) {
  for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = colour;
}

void Plot(uint32_t* pixels, int x, int y, uint32_t colour) {
  if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) pixels[y * kWidth + x] = colour;
}

// A vertical line from y0 to y1 (either order).
void Column(uint32_t* pixels, int x, int y0, int y1, uint32_t colour) {
  if (y0 > y1) std::swap(y0, y1);
  for (int y = y0; y <= y1; ++y) Plot(pixels, x, y, colour);
}

// The oscilloscope: each channel's 576 samples (8-bit, signed around 0) squeezed into the
// width, left channel in the upper half, right in the lower.
void DrawScope(const VisModule& m, uint32_t* pixels) {
  Fill(pixels, 0x000010);
  const int half = kHeight / 2;
  for (int ch = 0; ch < 2; ++ch) {
    const int middle = ch * half + half / 2;
    const uint32_t colour = ch == 0 ? 0x40FF40 : 0x40C0FF;
    int previous = middle;
    for (int x = 0; x < kWidth; ++x) {
      const int sample = static_cast<signed char>(m.waveformData[ch][x * 2]);
      const int y = middle - sample * (half / 2 - 2) / 128;
      Column(pixels, x, x == 0 ? y : previous, y, colour);
      previous = y;
    }
  }
}

// The bars: 36 bands of the left spectrum (16 bins each), with peaks that fall slowly.
// A host that gives no spectrum gets bars of the waveform's loudness instead.
void DrawBars(const VisModule& m, Canvas& c, uint32_t* pixels) {
  Fill(pixels, 0x000010);
  bool has_spectrum = false;
  for (int i = 0; i < 576 && !has_spectrum; ++i) has_spectrum = m.spectrumData[0][i] != 0;
  const int bar_width = kWidth / kBars;
  for (int b = 0; b < kBars; ++b) {
    int sum = 0;
    for (int i = 0; i < 16; ++i) {
      const int k = b * 16 + i;
      sum += has_spectrum ? m.spectrumData[0][k]
                          : std::abs(static_cast<signed char>(m.waveformData[k % 2][k])) * 2;
    }
    const int height = std::min(kHeight - 2, sum / 16 * (kHeight - 2) / 255);
    c.peaks[b] = std::max(c.peaks[b] - 2, height);
    for (int x = b * bar_width + 1; x < (b + 1) * bar_width; ++x) {
      for (int y = 0; y < height; ++y) {
        const uint32_t colour = y > kHeight * 3 / 4 ? 0xFF4040 : y > kHeight / 2 ? 0xFFFF40 : 0x40FF40;
        Plot(pixels, x, kHeight - 1 - y, colour);
      }
      Plot(pixels, x, kHeight - 1 - c.peaks[b], 0xFFFFFF);
    }
  }
}

// The caption: the module's name and, while something plays, its title.
void UpdateCaption(VisModule* m, Canvas& c) {
  const DWORD now = GetTickCount();
  if (now - c.last_question < 1000 && c.last_question != 0) return;
  c.last_question = now;
  HWND host = static_cast<HWND>(m->hwndParent);
  DWORD_PTR playing = 0, position = 0, title = 0;
  char caption[512];
  std::snprintf(caption, sizeof caption, "%s", m->description);
  if (host && SendMessageTimeoutA(host, kAsk, 0, kAskPlaying, SMTO_NORMAL, 200, &playing) &&
      playing == 1 &&
      SendMessageTimeoutA(host, kAsk, 0, kAskPosition, SMTO_NORMAL, 200, &position) &&
      SendMessageTimeoutA(host, kAsk, position, kAskTitle, SMTO_NORMAL, 200, &title) && title) {
    std::snprintf(caption, sizeof caption, "%s - %s", m->description,
                  reinterpret_cast<const char*>(title));
  }
  SetWindowTextA(c.window, caption);
}

int32_t Init(VisModule* m) {
  Canvas& c = g_canvas[IndexOf(m)];
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = g_instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kWindowClass;
  RegisterClassA(&wc);  // fails harmlessly when the other module registered it
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kWidth;
  bi.bmiHeader.biHeight = -kHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  c.bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!c.bitmap) return 1;
  c.pixels = static_cast<uint32_t*>(bits);
  Fill(c.pixels, 0x000010);
  c.dc = CreateCompatibleDC(nullptr);
  c.old = SelectObject(c.dc, c.bitmap);
  InitializeCriticalSection(&c.lock);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT r{0, 0, kWidth, kHeight};
  AdjustWindowRect(&r, style, FALSE);
  c.window = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, m->description, style,
                             CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top,
                             nullptr, nullptr, g_instance, nullptr);
  if (!c.window) return 1;
  SetWindowLongPtrA(c.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c));
  ShowWindow(c.window, SW_SHOWNOACTIVATE);
  m->userData = &c;
  return 0;
}

int32_t Render(VisModule* m) {
  auto* c = static_cast<Canvas*>(m->userData);
  if (!c || !c->window) return 1;
  EnterCriticalSection(&c->lock);
  if (IndexOf(m) == 0)
    DrawScope(*m, c->pixels);
  else
    DrawBars(*m, *c, c->pixels);
  GdiFlush();
  if (HDC dc = GetDC(c->window)) {
    BitBlt(dc, 0, 0, kWidth, kHeight, c->dc, 0, 0, SRCCOPY);
    ReleaseDC(c->window, dc);
  }
  LeaveCriticalSection(&c->lock);
  UpdateCaption(m, *c);
  return 0;
}

void Quit(VisModule* m) {
  auto* c = static_cast<Canvas*>(m->userData);
  if (!c) return;
  if (c->window) DestroyWindow(c->window);
  if (c->dc) {
    SelectObject(c->dc, c->old);
    DeleteDC(c->dc);
    DeleteCriticalSection(&c->lock);
  }
  if (c->bitmap) DeleteObject(c->bitmap);
  *c = Canvas{};
  m->userData = nullptr;
  UnregisterClassA(kWindowClass, g_instance);
}

void Config(VisModule* m) {
  MessageBoxA(static_cast<HWND>(m->hwndParent),
              "Velmora Scope draws what the player plays: an oscilloscope of both channels, or "
              "spectrum bars. It has nothing to set.",
              m->description, MB_OK);
}

VisModule g_modules[2];
VisHeader g_header;

int IndexOf(VisModule* module) { return module == &g_modules[1] ? 1 : 0; }

VisModule* GetModule(int32_t index) {
  return index >= 0 && index < 2 ? &g_modules[index] : nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) VisHeader* winampVisGetHeader(void) { return &g_header; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
    const char* names[2] = {"Velmora Scope: oscilloscope", "Velmora Scope: spectrum bars"};
    for (int i = 0; i < 2; ++i) {
      VisModule& m = g_modules[i];
      std::memset(&m, 0, sizeof m);
      m.description = names[i];
      m.delayMs = 25;
      m.spectrumNch = i == 1 ? 1 : 0;
      m.waveformNch = i == 0 ? 2 : 0;
      m.Config = Config;
      m.Init = Init;
      m.Render = Render;
      m.Quit = Quit;
    }
    g_header.version = 0x101;
    g_header.description = "Velmora Scope";
    g_header.getModule = GetModule;
  }
  return TRUE;
}
