// The options window's "Visualisation Plugins" page over the visualisation host: the
// chosen library and module (Edit7, Edit8), the visualisation plug-ins the scan found
// (Dlllist, their paths row for row in the hidden dlllist2), the modules of the library
// clicked (ComboBox1, the first selected), "Configure" and "Choose this one". Its
// controls are children of the options window; the window hands it its messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "vis/visualisation_win.h"

namespace velmora {

class VisualisationPage {
 public:
  explicit VisualisationPage(Visualisation& vis);
  ~VisualisationPage();
  VisualisationPage(const VisualisationPage&) = delete;
  VisualisationPage& operator=(const VisualisationPage&) = delete;

  // Makes the controls, hidden, inside `area` of `parent`.
  void Create(HWND parent, const RECT& area, HFONT font);
  void Show();
  void Hide();
  void Refresh() { Render(); }
  // A message of the options window; true when the page took it.
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

 private:
  HWND Add(const char* cls, const char* text, DWORD style, DWORD ex_style, int id, int x, int y,
           int width, int height);
  HWND Control(int id) const { return GetDlgItem(parent_, id); }
  std::string ModuleText() const;
  void Render();
  static void FillList(HWND list, UINT reset, UINT add, const std::vector<std::string>& rows);

  Visualisation& vis_;
  HWND parent_ = nullptr;
  RECT area_{};
  HFONT font_ = nullptr;
  std::vector<HWND> controls_;
  HWND dlllist2_ = nullptr;
  std::vector<std::string> shown_descriptions_, shown_modules_;
  std::string shown_library_;
};

}  // namespace velmora
