// The options window's "Visualisation Plugins" page over the visualisation host: the
// chosen library and module (Edit7, Edit8), the visualisation plug-ins the scan found
// (Dlllist, their paths row for row in the hidden dlllist2), the modules of the library
// clicked (ComboBox1, the first selected), "Configure" and "Choose this one". Its
// controls are children of the options window; the window hands it its messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/options_page_win.h"
#include "vis/visualisation_win.h"

namespace velmora {

class VisualisationPage : public ControlPage {
 public:
  explicit VisualisationPage(Visualisation& vis);
  ~VisualisationPage() override;
  VisualisationPage(const VisualisationPage&) = delete;
  VisualisationPage& operator=(const VisualisationPage&) = delete;

  void Refresh() override { Render(); }
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 protected:
  void MakeControls() override;

 private:
  std::string ModuleText() const;
  void Render();
  static void FillList(HWND list, UINT reset, UINT add, const std::vector<std::string>& rows);

  Visualisation& vis_;
  HWND dlllist2_ = nullptr;
  std::vector<std::string> shown_descriptions_, shown_modules_;
  std::string shown_library_;
};

}  // namespace velmora
