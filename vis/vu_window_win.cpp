// TForm12, the VU meter window ("Vu"): two bars and their overload lamps, redrawn every
// 50 ms from the program's meter connection while the window is shown. The pictures are
// made here: the ruler (the fully lit bar the bars are drawn from) is a segmented bar in
// two columns split by a dark blue line, red at the top, then yellow, then green; the
// lamps are red segments. The window's hint says where the levels come from.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "vis/vu_window_win.h"

#include "ui/control_ids.h"
#include "ui/gdi_win.h"
#include "ui/paced_steps_win.h"
#include "ui/top_level_window_win.h"
#include "ui/widget_base_win.h"
#include "ui/window_util_win.h"
#include "vis/meter_sources_win.h"
#include "vis/vu_meter.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr char kClassName[] = "TForm12";
constexpr char kCaption[] = "Vu";
constexpr char kPictureClass[] = "TVuPicture";
constexpr int kClientWidth = 104;
constexpr int kClientHeight = 109;
constexpr int kBarWidth = 20;
constexpr int kLampRows = 10;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Ms = 50;

// Pixels of the 32-bit pictures: 0x00RRGGBB.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
constexpr uint32_t kDarkBlue = Rgb(0, 0, 128);
constexpr uint32_t kRed = Rgb(255, 0, 0);
constexpr uint32_t kYellow = Rgb(255, 255, 0);
constexpr uint32_t kGreen = Rgb(0, 255, 0);
constexpr int kSplitColumn = 10;

// Segments are three rows: two lit and one dark between them.
bool SegmentGap(int row) { return row % 3 == 2; }

uint32_t RulerPixel(int x, int y) {
  if (x == kSplitColumn || SegmentGap(y)) return kDarkBlue;
  if (y <= 1) return kRed;
  if (y <= 18) return kYellow;
  return kGreen;
}

uint32_t LampPixel(int x, int y) { return x == kSplitColumn || SegmentGap(y) ? kDarkBlue : kRed; }

// A child window showing a picture of its own size that the program draws into.
class Picture {
 public:
  Picture(HWND parent, int id, int x, int y, int width, int height, bool visible)
      : width_(width), height_(height) {
    void* bits = nullptr;
    bitmap_.reset(ui::CreateTopDownDib(width, height, 32, &bits));
    pixels_ = static_cast<uint32_t*>(bits);
    dc_.reset(CreateCompatibleDC(nullptr));
    if (dc_ && bitmap_) old_ = SelectObject(dc_.get(), bitmap_.get());
    hwnd_ = ui::CreateWindowUtf8(
        0, kPictureClass, "", WS_CHILD | (visible ? WS_VISIBLE : 0), x, y, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
  }
  ~Picture() {
    if (hwnd_) DestroyWindow(hwnd_);
    // The picture leaves the memory DC before the DC and then the picture go.
    if (dc_ && old_) SelectObject(dc_.get(), old_);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  HWND hwnd() const { return hwnd_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Row-major pixels, row 0 at the top; null when the picture could not be made.
  uint32_t* pixels() { return pixels_; }
  const uint32_t* pixels() const { return pixels_; }
  void Fill(uint32_t (*pixel)(int x, int y)) {
    if (!pixels_) return;
    GdiFlush();
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) pixels_[y * width_ + x] = pixel(x, y);
    Changed();
  }
  void Changed() const {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
  }
  // Rows [top, bottom) changed: one copy of them to the window now (no invalidation and
  // no paint message); a window that is not shown gets them on its next paint.
  void ShowRows(int top, int bottom) const {
    if (top >= bottom) return;
    if (!dc_ || !bitmap_ || !hwnd_ || !IsWindowVisible(hwnd_)) {
      Changed();
      return;
    }
    // The class's own DC, fetched once and kept (an own DC needs no release).
    if (!window_dc_) window_dc_ = GetDC(hwnd_);
    if (window_dc_) BitBlt(window_dc_, 0, top, width_, bottom - top, dc_.get(), 0, top, SRCCOPY);
  }

  static bool RegisterClass(HINSTANCE instance) {
    const std::wstring class_name = ui::Widen(kPictureClass);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, class_name.c_str(), &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = class_name.c_str();
    return RegisterClassExW(&wc) != 0;
  }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
      auto* created =
          static_cast<Picture*>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
      if (created) created->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<Picture*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    ui::RelayToHint(hwnd, msg, wp, lp);
    switch (msg) {
      case WM_ERASEBKGND: return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->PaintInto(dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_PRINTCLIENT: self->PaintInto(reinterpret_cast<HDC>(wp)); return 0;
      case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self->window_dc_) ReleaseDC(hwnd, self->window_dc_);
        self->window_dc_ = nullptr;
        self->hwnd_ = nullptr;
        break;
      default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  void PaintInto(HDC dc) const {
    if (dc_ && bitmap_) BitBlt(dc, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
  }

  int width_, height_;
  ui::UniqueBitmap bitmap_;
  uint32_t* pixels_ = nullptr;
  ui::UniqueDC dc_;  // goes before the picture selected into it
  HGDIOBJ old_ = nullptr;
  HWND hwnd_ = nullptr;
  mutable HDC window_dc_ = nullptr;  // the window's own DC, kept by ShowRows
};

// One bar as the drawing rules see it: the bar picture, the ruler it is drawn from and
// its overload lamp.
class BarDrawing : public BarCanvas {
 public:
  BarDrawing(Picture& bar, const Picture& ruler, Picture& lamp)
      : bar_(bar), ruler_(ruler), lamp_(lamp) {}

  // Around the rules of one tick: only the rows that changed are shown again.
  void Begin() {
    if (!bar_.pixels()) return;
    GdiFlush();
    before_.assign(bar_.pixels(), bar_.pixels() + Count());
  }
  void End() {
    if (!bar_.pixels()) return;
    const size_t width = static_cast<size_t>(bar_.width());
    auto row_differs = [&](int y) {
      return std::memcmp(before_.data() + y * width, bar_.pixels() + y * width,
                         width * sizeof(uint32_t)) != 0;
    };
    int top = 0, bottom = bar_.height();
    while (top < bottom && !row_differs(top)) ++top;
    while (bottom > top && !row_differs(bottom - 1)) --bottom;
    bar_.ShowRows(top, bottom);
  }

  void DrawRuler() override {
    if (bar_.pixels() && ruler_.pixels())
      std::memcpy(bar_.pixels(), ruler_.pixels(), Count() * sizeof(uint32_t));
  }
  void FillDark(int bottom) override {
    if (!bar_.pixels() || bottom <= 0) return;
    const int rows = bottom < bar_.height() ? bottom : bar_.height();
    std::fill(bar_.pixels(), bar_.pixels() + rows * bar_.width(), kDarkBlue);
  }
  void SetLampShown(bool shown) override {
    if (lamp_.hwnd()) ShowWindow(lamp_.hwnd(), shown ? SW_SHOWNA : SW_HIDE);
  }
  bool LampShown() const override { return lamp_.hwnd() && IsWindowVisible(lamp_.hwnd()); }

 private:
  size_t Count() const { return static_cast<size_t>(bar_.width()) * bar_.height(); }
  Picture& bar_;
  const Picture& ruler_;
  Picture& lamp_;
  std::vector<uint32_t> before_;
};

class VuWindow : public VuMeterControl, public ui::TopLevelWindow {
 public:
  VuWindow(ErrorSink& errors, PeakMeter& meter, ui::HintEcho& hints, std::function<bool()> closing)
      : ui::TopLevelWindow(errors), meter_(meter), closing_(std::move(closing)) {
    EchoHintsTo(hints);
    Create();
  }
  ~VuWindow() override {
    ticks_.reset();
    ReleaseMeter();
    left_.reset();
    right_.reset();
    left_lamp_.reset();
    right_lamp_.reset();
    ruler_.reset();
    DestroyTopLevel();
  }
  VuWindow(const VuWindow&) = delete;
  VuWindow& operator=(const VuWindow&) = delete;

  HWND Handle() const override { return hwnd(); }
  void Show() override;

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Create();
  void CreateControls();
  void FormShow();
  void Timer1Timer();
  void FormClose();
  void ReleaseMeter() {
    if (!meter_open_) return;
    meter_open_ = false;
    meter_.CloseMeter();
  }
  void ShowSourceHint();

  PeakMeter& meter_;
  std::function<bool()> closing_;  // the program's shutdown is under way
  std::unique_ptr<Picture> left_, right_, left_lamp_, right_lamp_, ruler_;
  std::unique_ptr<BarDrawing> left_drawing_, right_drawing_;
  // Timer1's 50 ms ticks, made by the program's loop when they fall due (one server round
  // trip each instead of a timer message's three).
  std::unique_ptr<ui::PacedStep> ticks_;
  VuBars bars_;
  bool meter_open_ = false;
  MeterSourceKind hinted_ = MeterSourceKind::none;
  bool hint_set_ = false;
};

void VuWindow::Create() {
  Picture::RegisterClass(GetModuleHandleW(nullptr));
  ui::TopLevelClass cls;
  cls.unicode = true;
  cls.name = kClassName;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const DWORD ex_style = WS_EX_DLGMODALFRAME;
  CreateCentredTopLevel(cls, ex_style, kCaption, style, kClientWidth, kClientHeight);
}

void VuWindow::CreateControls() {
  UseDialogKeys({0, true});
  ticks_ = std::make_unique<ui::PacedStep>(hwnd_, kTimer1, [this] { Timer1Timer(); });
  left_ = std::make_unique<Picture>(hwnd_, ids::iml, 27, 21, kBarWidth, kBarRows, true);
  right_ = std::make_unique<Picture>(hwnd_, ids::imr, 57, 21, kBarWidth, kBarRows, true);
  left_lamp_ = std::make_unique<Picture>(hwnd_, ids::redl, 27, 11, kBarWidth, kLampRows, false);
  right_lamp_ = std::make_unique<Picture>(hwnd_, ids::redr, 57, 11, kBarWidth, kLampRows, false);
  ruler_ = std::make_unique<Picture>(hwnd_, ids::ruler, 42, 24, kBarWidth, kBarRows, false);
  ruler_->Fill(RulerPixel);
  left_lamp_->Fill(LampPixel);
  right_lamp_->Fill(LampPixel);
  // Unlit until the first reading.
  left_->Fill([](int, int) { return kDarkBlue; });
  right_->Fill([](int, int) { return kDarkBlue; });
  left_drawing_ = std::make_unique<BarDrawing>(*left_, *ruler_, *left_lamp_);
  right_drawing_ = std::make_unique<BarDrawing>(*right_, *ruler_, *right_lamp_);
}

LRESULT VuWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  ui::RelayToHint(hwnd_, msg, wp, lp);
  switch (msg) {
    case WM_CREATE: CreateControls(); return 0;
    case WM_TIMER:
      if (wp == kTimer1) {
        if (ticks_) ticks_->OnTimer();
        return 0;
      }
      break;
    case WM_CLOSE: FormClose(); return 0;
    default: break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void VuWindow::Show() {
  if (!hwnd_) return;
  if (IsWindowVisible(hwnd_)) {
    SetForegroundWindow(hwnd_);
    return;
  }
  ShowWindow(hwnd_, SW_SHOW);
  FormShow();
}

void VuWindow::FormShow() {
  if (ticks_) ticks_->Start(kTimer1Ms);
  bars_.Reset();
  // Pen and brush of both bars are dark blue: FillDark paints in it.
  if (!meter_open_) {
    meter_open_ = true;
    meter_.OpenMeter();
  }
  ShowSourceHint();
}

void VuWindow::Timer1Timer() {
  meter_.Refresh();
  if (!meter_.ReadPeaks()) return;
  const int32_t right = meter_.RightPeak();
  const int32_t left = meter_.LeftPeak();
  left_drawing_->Begin();
  right_drawing_->Begin();
  bars_.Tick(left, right, *left_drawing_, *right_drawing_);
  left_drawing_->End();
  right_drawing_->End();
  ShowSourceHint();
}

void VuWindow::FormClose() {
  if (closing_ && closing_()) return;
  if (ticks_) ticks_->Stop();
  ReleaseMeter();
  ShowWindow(hwnd_, SW_HIDE);
}

void VuWindow::ShowSourceHint() {
  const MeterSourceKind kind = meter_.SourceKind();
  if (hint_set_ && kind == hinted_) return;
  hint_set_ = true;
  hinted_ = kind;
  const std::string hint = MeterSourceHint(kind);
  // The window and its bars hand their mouse messages to the hint themselves: a tooltip
  // subclassing them would look itself up on every message, the 50 ms timer's too.
  ui::SetRelayedToolTip(hwnd_, hint);
  if (left_) ui::SetRelayedToolTip(left_->hwnd(), hint);
  if (right_) ui::SetRelayedToolTip(right_->hwnd(), hint);
}

}  // namespace

std::unique_ptr<VuMeterControl> CreateVuWindow(ErrorSink& errors, PeakMeter& meter,
                                               ui::HintEcho& hints, std::function<bool()> closing) {
  return std::make_unique<VuWindow>(errors, meter, hints, std::move(closing));
}

}  // namespace velmora
