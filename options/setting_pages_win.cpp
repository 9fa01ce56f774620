#include "options/setting_pages_win.h"

#include "ui/widget_base_win.h"

namespace velmora {

namespace {

// General: the settings that are check boxes, and the two radio groups.
class GeneralPage : public ControlPage {
 protected:
  void MakeControls() override {
    for (int i = 0; i < kGeneralCheckBoxes; ++i) {
      const auto& box = kCheckBoxes[i];
      const int column = i % 2, row = i / 2;
      Add("BUTTON", box.caption, BS_AUTOCHECKBOX | WS_TABSTOP, 0, box.id, 4 + column * 172,
          2 + row * 20, 168, 18);
    }
    // Each group under its column of boxes, as wide as the page allows, so that "Both
    // Task and Tray Bar" fits.
    int x = 4;
    for (const auto& group : kRadioGroups) {
      Add("BUTTON", group.caption, BS_GROUPBOX, 0, group.group_id, x, 146, 170, 90);
      for (int item = 0; item < 3; ++item)
        Add("BUTTON", kPlaceItems[item],
            BS_AUTORADIOBUTTON | (item == 0 ? WS_GROUP | WS_TABSTOP : 0), 0,
            group.first_item_id + item, x + 4, 164 + item * 22, 164, 18);
      x += 172;
    }
    for (int id : {ids::cbMediaKeys, ids::cbGlobalKeys}) {
      const int column = id == ids::cbMediaKeys ? 0 : 1;
      HWND box = Add("BUTTON", column == 0 ? "Global media keys" : "Global keys",
                     BS_AUTOCHECKBOX | WS_TABSTOP, 0, id, 4 + column * 172, 242, 168, 18);
      ui::SetToolTip(box, column == 0 ? kMediaKeysHint : kGlobalKeysHint);
    }
  }
};

// Web: the proxy settings.
class WebPage : public ControlPage {
 protected:
  void MakeControls() override {
    Add("BUTTON", "Use a proxy ", BS_AUTOCHECKBOX | WS_TABSTOP, 0, ids::cbUseProxy, 4, 2, 200, 18);
    Add("BUTTON", "", BS_GROUPBOX, 0, ids::GroupBox1, 4, 24, 340, 132);
    static const struct {
      const char* label;
      int id;
      DWORD style;
    } kFields[] = {{"Host", ids::edHost, 0},
                   {"Port", ids::edPort, 0},
                   {"User", ids::edUser, 0},
                   {"Password", ids::edPassword, ES_PASSWORD}};
    int y = 42;
    for (const auto& field : kFields) {
      Label(field.label, 16, y + 2, 80);
      Add("EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP | field.style, WS_EX_CLIENTEDGE, field.id, 100, y,
          230, 20);
      y += 27;
    }
    Label("This sould only be used for input plugins that support it ...", 4, 164, 340, 32);
  }
};

}  // namespace

std::unique_ptr<OptionsPage> MakeGeneralPage() { return std::make_unique<GeneralPage>(); }
std::unique_ptr<OptionsPage> MakeWebPage() { return std::make_unique<WebPage>(); }

}  // namespace velmora
