// A page of the options window (TForm2). Subsystems with settings or information of their
// own ("Visualisation Plugins", "FileType/Icons", "Update") make a page of this kind and
// hand it to the window, which puts it under its tree node and its title line.
//
// A page's controls are children of the options window itself, with fixed ids from
// ui/control_ids.h, so other programs reach them with GetDlgItem(options window, id). The
// window shows and hides them with the page, and hands each of its messages to every
// page (WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_TIMER, ...) until one takes it.
#pragma once

#include <windows.h>

#include <vector>

namespace velmora {

class OptionsPage {
 public:
  virtual ~OptionsPage() = default;

  // Makes the page's controls, hidden, inside `area` (client coordinates of `parent`, below
  // the title line), in the window's font.
  virtual void Create(HWND parent, const RECT& area, HFONT font) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Fills the page from the current state: the page became active, was selected again,
  // or the window was shown with it active.
  virtual void Refresh() {}
  // A message of the options window. True when the page took it (its answer in *result).
  virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    (void)msg, (void)wp, (void)lp, (void)result;
    return false;
  }
};

// Makes controls at page coordinates and shows or hides them together: the usual base of
// a page.
class ControlPage : public OptionsPage {
 public:
  void Create(HWND parent, const RECT& area, HFONT font) override;
  void Show() override;
  void Hide() override;

 protected:
  // Makes the page's controls (Add ...). Runs once, from Create.
  virtual void MakeControls() = 0;
  // A child control at (x, y) of the page area; hidden until the page shows. Id -1 for
  // plain labels.
  HWND Add(const char* cls, const char* text, DWORD style, DWORD ex_style, int id, int x, int y,
           int width, int height);
  HWND Label(const char* text, int x, int y, int width, int height = 16);
  HWND ReadOnlyEdit(int id, const char* text, int x, int y, int width, int height = 20);
  HWND Control(int id) const { return GetDlgItem(parent_, id); }

  HWND parent_ = nullptr;
  RECT area_{};
  HFONT font_ = nullptr;

 private:
  std::vector<HWND> controls_;
};

}  // namespace velmora
