#include "options/sound_design_pages_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "design/picture_win.h"
#include "options/scroll_text_win.h"
#include "ui/control_ids.h"
#include "ui/window_util_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

class SoundPage : public ControlPage {
 public:
  explicit SoundPage(std::function<SoundBalance*()> balance) : balance_(std::move(balance)) {}
  ~SoundPage() override {
    // Gone with the program's design libraries, the balance tells nobody any more.
    if (SoundBalance* balance = watched_ ? balance_() : nullptr) balance->SetSliderView(nullptr);
  }

  // The slider shows the balance in force (the slider value is 100 minus the device's).
  void Refresh() override {
    SoundBalance* balance = Watch();
    ShowSlider(balance ? balance->Value() : 50);
  }
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
    if (msg != WM_HSCROLL || reinterpret_cast<HWND>(lp) != Control(ids::balance)) return false;
    (void)wp;
    const int value = static_cast<int>(SendMessageA(Control(ids::balance), TBM_GETPOS, 0, 0));
    // The device's balance and the design library follow at once.
    if (SoundBalance* balance = Watch()) balance->Set(value);
    ShowText(value);
    *result = 0;
    return true;
  }

 protected:
  void MakeControls() override {
    Label("Balance", 4, 4, 100);
    HWND slider = Add(TRACKBAR_CLASSA, "", TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, 0, ids::balance,
                      4, 24, 300, 30);
    SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageA(slider, TBM_SETTICFREQ, 10, 0);
    SendMessageA(slider, TBM_SETLINESIZE, 0, 10);
    SendMessageA(slider, TBM_SETPAGESIZE, 0, 10);
    SendMessageA(slider, TBM_SETPOS, TRUE, 50);
    Label("Left", 4, 58, 60);
    Label("Right", 260, 58, 44);
    ReadOnlyEdit(ids::baledit, "Centered", 100, 80, 120);
  }

 private:
  // From the first refresh on, a change made elsewhere (a design library's HostSetBalance)
  // shows at once.
  SoundBalance* Watch() {
    SoundBalance* balance = balance_();
    if (balance && !watched_) {
      balance->SetSliderView([this](int value) { ShowSlider(value); });
      watched_ = true;
    }
    return balance;
  }
  void ShowSlider(int value) {
    SendDlgItemMessageA(parent_, ids::balance, TBM_SETPOS, TRUE, value);
    ShowText(value);
  }
  // The text is that of the balance b = 100 - slider value.
  void ShowText(int value) {
    ui::SetItemText(parent_, ids::baledit, SoundBalance::Text(100 - value));
  }

  std::function<SoundBalance*()> balance_;
  bool watched_ = false;
};

class DesignInfoPage : public ControlPage {
 public:
  explicit DesignInfoPage(DesignInfoSource& designs) : designs_(designs) {}

  void Hide() override {
    ControlPage::Hide();
    SendDlgItemMessageA(parent_, ids::Banner2, kScrollTextSetActive, FALSE, 0);
  }
  void Refresh() override {
    SendDlgItemMessageA(parent_, ids::Banner2, kScrollTextSetActive, TRUE, 0);
    const DesignInForce design = designs_.CurrentDesign();
    ui::SetItemText(parent_, ids::Edit9, design.name);
    ui::SetItemText(parent_, ids::Edit10, design.path);
    ui::SetItemText(parent_, ids::Edit11, design.library ? "Design Dll" : "Classic");
    HWND picture = Control(ids::Image3);
    if (design.library) {
      // A library's own text stays; the picture is the window face.
      ui::SetStaticBitmap(picture, nullptr);
      return;
    }
    std::string text;
    for (const std::string& line : DesignInfoLines(design.path))
      text += (text.empty() ? "" : "\r\n") + line;
    ui::SetItemText(parent_, ids::Banner2, text);
    const std::string bmp = design.path + "info.bmp";
    if (ui::FileAttributes(bmp) == INVALID_FILE_ATTRIBUTES) {
      ui::SetStaticBitmap(picture, nullptr);
      return;
    }
    // A file that is no picture ends the refresh with its error; what was filled stays.
    ui::SetStaticBitmap(picture, BitmapFromImage(LoadBitmapPicture(bmp)),
                        SS_REALSIZECONTROL | SS_CENTERIMAGE);
  }

 protected:
  void MakeControls() override {
    static const struct {
      const char* label;
      int id;
    } kFields[] = {{"Name ", ids::Edit9}, {"Path", ids::Edit10}, {"Type", ids::Edit11}};
    int y = 2;
    for (const auto& field : kFields) {
      Label(field.label, 4, y + 2, 50);
      ReadOnlyEdit(field.id, "", 60, y, 284);
      y += 26;
    }
    Add("STATIC", "", SS_BITMAP | SS_CENTERIMAGE, WS_EX_CLIENTEDGE, ids::Image3, 4, 92, 140, 120);
    RegisterScrollTextClass(GetModuleHandleA(nullptr));
    HWND text = Add(kScrollTextClass, "Should have an info from the \r\ndesign here ... ;)", 0,
                    WS_EX_CLIENTEDGE, ids::Banner2, 150, 92, 194, 120);
    SendMessageA(text, kScrollTextSetInterval, 50, 0);
  }

 private:
  DesignInfoSource& designs_;
};

}  // namespace

std::unique_ptr<OptionsPage> MakeSoundPage(std::function<SoundBalance*()> balance) {
  return std::make_unique<SoundPage>(std::move(balance));
}
std::unique_ptr<OptionsPage> MakeDesignInfoPage(DesignInfoSource& designs) {
  return std::make_unique<DesignInfoPage>(designs);
}

}  // namespace velmora
