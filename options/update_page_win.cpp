#include "options/update_page_win.h"

#include <windows.h>

#include "ui/control_ids.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

class UpdatePage : public ControlPage {
 public:
  UpdatePage(AutoUpdateWindow& updater, std::function<UpdateCheck::Request()> request)
      : updater_(updater), request_(std::move(request)) {}
  ~UpdatePage() override { updater_.SetPageStatusOutput(nullptr); }

  bool HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) override {
    if (msg != WM_COMMAND || LOWORD(wp) != ids::upCheckNow || HIWORD(wp) != BN_CLICKED)
      return false;
    updater_.CheckForUpdate(request_());
    *result = 0;
    return true;
  }

 private:
  void MakeControls() override {
    Add("BUTTON", "Check Now !", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::upCheckNow, 4, 8, 100, 24);
    Label("Status : ", 4, 44, 48);
    Add("STATIC", "Sleeping ...", SS_LEFTNOWORDWRAP, 0, ids::upStatus, 56, 44, 280, 16);
    Add("EDIT", "", ES_MULTILINE | ES_READONLY | WS_VSCROLL, WS_EX_CLIENTEDGE, ids::upMemo4, 4, 68,
        336, 196);
    updater_.SetPageStatusOutput(
        [this](const std::string& text) { ui::SetText(Control(ids::upStatus), text); });
  }

  AutoUpdateWindow& updater_;
  std::function<UpdateCheck::Request()> request_;
};

}  // namespace

std::unique_ptr<OptionsPage> CreateUpdatePage(AutoUpdateWindow& updater,
                                              std::function<UpdateCheck::Request()> request) {
  return std::make_unique<UpdatePage>(updater, std::move(request));
}

}  // namespace velmora
