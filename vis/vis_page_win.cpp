#include "vis/vis_page_win.h"

#include <string>

#include "ui/control_ids.h"
#include "ui/window_util_win.h"
#include "ui/wide_win.h"

namespace velmora {

VisualisationPage::VisualisationPage(Visualisation& vis) : vis_(vis) {
  vis_.Choices().SetChanged([this] { Render(); });
}

VisualisationPage::~VisualisationPage() { vis_.Choices().SetChanged(nullptr); }

bool VisualisationPage::HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
  if (msg != WM_COMMAND) return false;
  const int id = LOWORD(wp), code = HIWORD(wp);
  if (id == ids::Dlllist && code == LBN_SELCHANGE) {
    const LRESULT row = SendMessageW(Control(ids::Dlllist), LB_GETCURSEL, 0, 0);
    if (row != LB_ERR) vis_.Choices().SelectLibrary(static_cast<int>(row));
  } else if (id == ids::OLabel7 && code == BN_CLICKED) {
    vis_.Configure(ModuleText());
  } else if (id == ids::OLabel8 && code == BN_CLICKED) {
    vis_.Choices().Choose(ModuleText());
  } else if (id == ids::cbUsePlayingSound && code == BN_CLICKED) {
    VisSoundSetting& setting = vis_.SoundSetting();
    setting.SetUsePlayingSound(!setting.UsePlayingSound());
    Render();
  } else {
    return false;
  }
  *result = 0;
  return true;
}

void VisualisationPage::MakeControls() {
  // Within the page's 349 pixels of width.
  Add("STATIC", "Currently choosed dll", 0, 0, -1, 4, 8, 172, 16);
  Add("EDIT", "", ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, ids::Edit7, 178, 6, 167, 20);
  Add("STATIC", "Currently choosed module ", 0, 0, -1, 4, 34, 172, 16);
  Add("EDIT", "", ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, ids::Edit8, 178, 32, 167, 20);
  Add("LISTBOX", "", WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE,
      ids::Dlllist, 4, 62, 341, 110);
  // The libraries' paths, row for row with Dlllist; never shown.
  dlllist2_ = ui::CreateWindowUtf8(0, "LISTBOX", "", WS_CHILD, 0, 0, 0, 0, parent_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::dlllist2)),
                              GetModuleHandleW(nullptr), nullptr);
  Add("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, ids::ComboBox1, 4, 180, 200,
      200);
  Add("BUTTON", "Configure", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::OLabel7, 210, 179, 135, 24);
  Add("BUTTON", "Choose this one", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::OLabel8, 210, 207, 135, 24);
  Add("BUTTON", "Use the playing sound", BS_CHECKBOX | WS_TABSTOP, 0, ids::cbUsePlayingSound, 4,
      240, 250, 20);
  Render();
}

// The combo box's text: the module the user points at.
std::string VisualisationPage::ModuleText() const {
  return ui::WindowText(Control(ids::ComboBox1));
}

void VisualisationPage::Render() {
  if (!parent_) return;
  const VisChoices& c = vis_.Choices();
  ui::SetText(Control(ids::Edit7), c.ChosenLibrary());
  ui::SetText(Control(ids::Edit8), c.ChosenModule());
  SendMessageW(Control(ids::cbUsePlayingSound), BM_SETCHECK,
               vis_.SoundSetting().UsePlayingSound() ? BST_CHECKED : BST_UNCHECKED, 0);
  if (c.Descriptions() != shown_descriptions_) {
    shown_descriptions_ = c.Descriptions();
    FillList(Control(ids::Dlllist), LB_RESETCONTENT, LB_ADDSTRING, c.Descriptions());
    FillList(dlllist2_, LB_RESETCONTENT, LB_ADDSTRING, c.Paths());
  }
  if (c.Modules() != shown_modules_ || c.SelectedLibrary() != shown_library_) {
    shown_modules_ = c.Modules();
    shown_library_ = c.SelectedLibrary();
    HWND combo = Control(ids::ComboBox1);
    FillList(combo, CB_RESETCONTENT, CB_ADDSTRING, c.Modules());
    SendMessageW(combo, CB_SETCURSEL, c.SelectedModule(), 0);
  }
}

void VisualisationPage::FillList(HWND list, UINT reset, UINT add,
                                 const std::vector<std::string>& rows) {
  if (!list) return;
  SendMessageW(list, reset, 0, 0);
  for (const std::string& row : rows)
    ui::SendTextMessage(list, add, 0, row);
}

}  // namespace velmora
