#include "options/file_type_page_win.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "design/ini_file.h"
#include "options/file_type_plan.h"
#include "ui/control_ids.h"
#include "ui/wide_win.h"
#include "ui/handles_win.h"

namespace velmora {

namespace {

class FileTypePage : public FileTypeIconsPage {
 public:
  FileTypePage(std::string folder, std::string program, StatusOut status)
      : folder_(std::move(folder)), program_(std::move(program)), status_(std::move(status)) {}

  void Refresh() override { ShowChosenIcon(); }

  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
    if (msg == WM_HSCROLL && reinterpret_cast<HWND>(lp) == Control(ids::TrackBar1)) {
      ShowChosenIcon();
      *result = 0;
      return true;
    }
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
    switch (LOWORD(wp)) {
      case ids::ftRegister: RegisterSelected(); break;
      case ids::ftDesktop: CreateDesktopShortcut(program_, status_); break;
      case ids::ftPrograms: CreateProgramsShortcut(program_, status_); break;
      default: return false;
    }
    *result = 0;
    return true;
  }

 private:
  void MakeControls() override {
    Label("What type do you want to register ?", 4, 4, 300);
    Label("Choose an icon", 140, 32, 96);
    Add("STATIC", "", SS_ICON | SS_CENTERIMAGE, 0, ids::Icone, 244, 24, 32, 32);
    HWND bar = Add(TRACKBAR_CLASSA, "", TBS_AUTOTICKS | TBS_HORZ | WS_TABSTOP, 0, ids::TrackBar1,
                   136, 64, 200, 30);
    SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(1, 1));
    SendMessageA(bar, TBM_SETTICFREQ, 1, 0);
    SendMessageA(bar, TBM_SETPOS, TRUE, 1);
    Add("BUTTON", "Register those type now", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::ftRegister, 136,
        104, 200, 24);
    Add("BUTTON", "Skin archives (WSZ)", BS_AUTOCHECKBOX | WS_TABSTOP, 0, ids::ftSkins, 136,
        129, 200, 18);
    Label("Create icons ?", 136, 148, 200);
    Add("BUTTON", "On Desktop", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::ftDesktop, 136, 168, 200, 24);
    Add("BUTTON", "On Programs Menu", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::ftPrograms, 136, 196, 200,
        24);
    // The icon list stays hidden: it is never one of the page's shown controls.
    ui::CreateWindowUtf8(0, "LISTBOX", "", WS_CHILD | LBS_SORT, 0, 0, 10, 10, parent_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::FileListBox1)),
                    GetModuleHandleA(nullptr), nullptr);
    RefreshIconList();
  }

  std::string IconFolder() const { return folder_ + "\\icons"; }

  // The *.ico files of the icons folder, by name; the track bar gets one position more.
  void RefreshIconList() override {
    icons_.clear();
    ui::ForEachFile(IconFolder() + "\\*.ico", [&](const ui::FoundFile& entry) {
      if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) icons_.push_back(entry.name);
    });
    std::sort(icons_.begin(), icons_.end(), [](const std::string& a, const std::string& b) {
      return ToLowerAscii(a) < ToLowerAscii(b);
    });
    HWND list = Control(ids::FileListBox1);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const auto& name : icons_)
      ui::SendTextMessage(list, LB_ADDSTRING, 0, name);
    SendMessageA(Control(ids::TrackBar1), TBM_SETRANGEMAX, TRUE,
                 static_cast<LPARAM>(icons_.size() + 1));
  }

  int Position() const {
    return static_cast<int>(SendMessageA(Control(ids::TrackBar1), TBM_GETPOS, 0, 0));
  }

  // The icon file at the track bar's position; empty for the program's own icon.
  std::string ChosenIconFile() const {
    const int p = Position();
    if (p < 2 || static_cast<size_t>(p - 2) >= icons_.size()) return "";
    return IconFolder() + "\\" + icons_[static_cast<size_t>(p - 2)];
  }

  void ShowChosenIcon() {
    // Re-read every time, so icons added while the page is open appear.
    RefreshIconList();
    const std::string file = ChosenIconFile();
    HICON icon =
        file.empty()
            ? static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1),
                                            IMAGE_ICON, 32, 32, 0))
            : static_cast<HICON>(LoadImageW(nullptr, ui::Widen(file).c_str(), IMAGE_ICON, 32, 32,
                                            LR_LOADFROMFILE));
    if (!icon && file.empty()) icon = CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));
    SendMessageA(Control(ids::Icone), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    icon_.reset(icon);
  }

  void RegisterSelected() {
    HWND list = Control(ids::ListBox1);
    std::vector<std::string> extensions;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
      if (SendMessageA(list, LB_GETSEL, static_cast<WPARAM>(row), 0) <= 0) continue;
      if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0) == LB_ERR) continue;
      extensions.push_back(ui::ListRowText(list, row));
    }
    // Skin archives opened from the shell are applied as designs.
    if (SendMessageA(Control(ids::ftSkins), BM_GETCHECK, 0, 0) == BST_CHECKED &&
        std::find(extensions.begin(), extensions.end(), "WSZ") == extensions.end())
      extensions.push_back("WSZ");
    RegisterFileTypes(PlanFileTypes(program_, ChosenIconFile(), extensions), status_);
  }

  std::string folder_, program_;
  StatusOut status_;
  std::vector<std::string> icons_;
  ui::UniqueIcon icon_;  // the one the picture shows
};

}  // namespace

std::unique_ptr<FileTypeIconsPage> CreateFileTypePage(const std::string& program_folder,
                                                const std::string& program_path,
                                                StatusOut status) {
  return std::make_unique<FileTypePage>(program_folder, program_path, std::move(status));
}

}  // namespace velmora
