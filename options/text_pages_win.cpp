#include "options/text_pages_win.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "design/picture_win.h"
#include "options/product_texts.h"
#include "options/scroll_text_win.h"
#include "ui/control_ids.h"
#include "ui/window_util_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr DWORD kMemoStyle = ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL;

class HelpPage : public ControlPage {
 public:
  explicit HelpPage(TourHost& tours) : tours_(tours) {}
  void Refresh() override { ui::SetItemText(parent_, ids::infor, "info"); }
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) override {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
    switch (LOWORD(wp)) {
      case ids::OLabel5: ChangeDesignTour(tours_); break;
      case ids::helpPlaylist: EditPlaylistTour(tours_); break;
      case ids::OLabel6: OpenFilesTour(tours_); break;
      default: return false;
    }
    *result = 0;
    return true;
  }

 protected:
  void MakeControls() override {
    Label("What do you want to do ?", 4, 4, 300);
    Add("BUTTON", "Change the design", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::OLabel5, 20, 30, 180, 24);
    Add("BUTTON", "Edit the playlist", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::helpPlaylist, 20, 60,
        180, 24);
    Add("BUTTON", "Open files", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::OLabel6, 20, 90, 180, 24);
    Label("Info : ", 4, 134, 50);
    Add("STATIC", "info", 0, 0, ids::infor, 56, 134, 288, 16);
    Label(kOnlineHelpLine, 4, 240, 340, 30);
  }

 private:
  TourHost& tours_;
};

class HistoryPage : public ControlPage {
 protected:
  void MakeControls() override {
    HWND memo = Add("EDIT", "", kMemoStyle, WS_EX_CLIENTEDGE, ids::Memo3, 4, 2, 340, 268);
    // The release notes, appended line by line.
    std::string text;
    for (const std::string& line : ReleaseNotes()) text += (text.empty() ? "" : "\r\n") + line;
    ui::SetText(memo, text);
  }
};

class GreetingsPage : public ControlPage {
 protected:
  void MakeControls() override {
    Label("Beta Testers", 4, 2, 200);
    Add("EDIT", kBetaTestersText, kMemoStyle, WS_EX_CLIENTEDGE, ids::Memo1, 4, 20, 340, 110);
    Label("Greetings", 4, 140, 200);
    Add("EDIT", kGreetingsText, kMemoStyle, WS_EX_CLIENTEDGE, ids::Memo2, 4, 158, 340, 110);
  }
};

class AboutPage : public ControlPage {
 public:
  explicit AboutPage(std::string program_folder) : folder_(std::move(program_folder)) {}
  void Hide() override {
    ControlPage::Hide();
    SendDlgItemMessageA(parent_, ids::aboutBanner1, kScrollTextSetActive, FALSE, 0);
  }
  void Refresh() override {
    SendDlgItemMessageA(parent_, ids::aboutBanner1, kScrollTextSetActive, TRUE, 0);
  }
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) override {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
    if (LOWORD(wp) == ids::addbut) {
      const std::string entry = ui::WindowText(Control(ids::urlbox));
      // Separator rows and an empty choice open nothing.
      if (IsBrowsableAddress(entry))
        ui::ShellOpen(parent_, "open", entry);
    } else if (LOWORD(wp) == ids::ToolbarButton971) {
      const std::string address = ui::WindowText(Control(ids::emailbox));
      ui::ShellOpen(parent_, "open", "mailto:" + address);
    } else {
      return false;
    }
    *result = 0;
    return true;
  }

 protected:
  void MakeControls() override {
    HWND logo = Add("STATIC", "", SS_BITMAP | SS_CENTERIMAGE, 0, ids::aboutLogo, 4, 2, 160, 100);
    Image image;
    std::string error;
    // The logo is the start-up picture; without it the place stays empty.
    if (LoadJpegFile(folder_ + "\\loading.jpg", &image, &error))
      ui::SetStaticBitmap(logo, BitmapFromImage(image), SS_REALSIZECONTROL | SS_CENTERIMAGE);
    RegisterScrollTextClass(GetModuleHandleA(nullptr));
    HWND credits = Add(kScrollTextClass, kCreditsText, 0, WS_EX_CLIENTEDGE, ids::aboutBanner1,
                       172, 2, 172, 150);
    SendMessageA(credits, kScrollTextSetInterval, 20, 0);
    Label(kMakersWebAddress, 4, 108, 160);
    Label("ID3v2 compatible ;)) ", 4, 128, 160);
    HWND urls = Add("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, ids::urlbox, 4,
                    162, 214, 120);
    for (const std::string& url : WebAddresses())
      ui::SendTextMessage(urls, CB_ADDSTRING, 0, url);
    SendMessageA(urls, CB_SETCURSEL, 0, 0);
    Add("BUTTON", "Surf to this site !", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::addbut, 222, 161, 122,
        24);
    HWND mails = Add("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, ids::emailbox,
                     4, 196, 214, 120);
    for (const std::string& mail : MailAddresses())
      ui::SendTextMessage(mails, CB_ADDSTRING, 0, mail);
    SendMessageA(mails, CB_SETCURSEL, 0, 0);
    Add("BUTTON", "Send a mail to this person !", BS_PUSHBUTTON | WS_TABSTOP, 0,
        ids::ToolbarButton971, 4, 226, 214, 24);
  }

 private:
  std::string folder_;
};

}  // namespace

std::unique_ptr<OptionsPage> MakeHelpPage(TourHost& tours) {
  return std::make_unique<HelpPage>(tours);
}
std::unique_ptr<OptionsPage> MakeHistoryPage() { return std::make_unique<HistoryPage>(); }
std::unique_ptr<OptionsPage> MakeAboutPage(const std::string& program_folder) {
  return std::make_unique<AboutPage>(program_folder);
}
std::unique_ptr<OptionsPage> MakeGreetingsPage() { return std::make_unique<GreetingsPage>(); }

}  // namespace velmora
