#include "options/news_window_win.h"

#include "options/product_texts.h"
#include "ui/control_ids.h"
#include "ui/handles_win.h"
#include "ui/top_level_window_win.h"

namespace velmora {

namespace {

constexpr int kClientWidth = 357;
constexpr int kClientHeight = 211;

class NewsWindow : public NewsWindowControl, public ui::TopLevelWindow {
 public:
  explicit NewsWindow(ErrorSink& errors) : ui::TopLevelWindow(errors) {
    ui::TopLevelClass cls;
    cls.name = "TForm13";
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD ex_style = WS_EX_DLGMODALFRAME;
    CreateCentredTopLevel(cls, ex_style, "News ...", style, kClientWidth, kClientHeight);
  }
  ~NewsWindow() override {
    DestroyTopLevel();
  }

  HWND Handle() const override { return hwnd(); }
  void Show() override {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
  }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_CREATE: CreateControls(); return 0;
      case WM_CLOSE: ShowWindow(hwnd_, SW_HIDE); return 0;
      default: return DefWindowProcA(hwnd_, msg, wp, lp);
    }
  }

  void CreateControls() {
    LOGFONTA lf{};
    lf.lfHeight = -11;
    lf.lfWeight = FW_BOLD;
    lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
    font_.reset(CreateFontIndirectA(&lf));
    auto make = [&](const char* cls, const char* text, DWORD style, DWORD ex, int id, int x, int y,
                    int w, int h) {
      HWND c = CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
      SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    };
    make("STATIC", "Important news ... ", SS_CENTER, 0, ids::newsHeading, 8, 6, 341, 16);
    make("EDIT", kNewsText, ES_MULTILINE | ES_READONLY | ES_CENTER | WS_VSCROLL, WS_EX_CLIENTEDGE,
         ids::newsText, 8, 26, 341, 148);
    make("STATIC", "If you don't want to see this next time ... go to general options !",
         SS_CENTER, 0, ids::newsFooter, 8, 180, 341, 26);
  }

  ui::UniqueFont font_;
};

}  // namespace

std::unique_ptr<NewsWindowControl> CreateNewsWindow(ErrorSink& errors) {
  return std::make_unique<NewsWindow>(errors);
}

}  // namespace velmora
