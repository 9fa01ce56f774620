#include "options/update_window_win.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "options/http_get_win.h"
#include "ui/control_ids.h"
#include "ui/handles_win.h"
#include "ui/top_level_window_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr char kClassName[] = "TForm7";
constexpr char kCaption[] = "Auto Updating";
constexpr char kBoxCaption[] = "ORVANE Velmora";
constexpr int kClientWidth = 345;
constexpr int kClientHeight = 65;

bool WriteWhole(const std::string& path, const std::string& bytes) {
  ui::UniqueFileHandle file(
      ui::OpenFileHandle(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  if (!file) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0)
      return false;
    done += wrote;
  }
  return FlushFileBuffers(file.get()) != 0;
}

class AutoUpdateWindowImpl : public AutoUpdateWindow, public ui::TopLevelWindow, private UpdatePort {
 public:
  AutoUpdateWindowImpl(const std::string& program_folder, ErrorSink& errors)
      : ui::TopLevelWindow(errors), folder_(program_folder), check_(*this) {
    Create();
  }
  ~AutoUpdateWindowImpl() override {
    http_.Abort();
    DestroyTopLevel();
  }

  void CheckForUpdate(const UpdateCheck::Request& request) override {
    check_.CheckForUpdate(request);
  }
  void CancelUpdate() override { check_.Cancel(); }
  void SetPageStatusOutput(std::function<void(const std::string&)> output) override {
    page_status_ = std::move(output);
  }

 private:
  void Create();
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  std::string TempFile(const char* name) const { return folder_ + "\\Temp\\" + name; }

  // UpdatePort
  void SetPageStatus(const std::string& text) override {
    if (page_status_) page_status_(text);
  }
  void SetWindowStatus(const std::string& text) override {
    ui::SetItemText(hwnd_, ids::updStatus, text);
  }
  void ShowUpdateWindow() override { ShowWindow(hwnd_, SW_SHOW); }
  void HideUpdateWindow() override { ShowWindow(hwnd_, SW_HIDE); }
  bool AskYesNo(const std::string& question) override {
    return ui::ShowMessageBox(hwnd_, question, kBoxCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
  void Inform(const std::string& message) override {
    ui::ShowMessageBox(hwnd_, message, kBoxCaption, MB_OK | MB_ICONINFORMATION);
  }
  void ReportError(const std::string& message) override { errors_.Report(message); }
  HttpOutcome Get(const std::string& url, const ProxyRoute& proxy, size_t max_bytes) override {
    return http_.Run(url, proxy, max_bytes);
  }
  void AbortGet() override { http_.Abort(); }
  bool SaveInformation(const std::string& body) override {
    return WriteWhole(TempFile("info.ini"), body);
  }
  bool SaveInstaller(const std::string& body) override {
    // Written beside, moved into place only once complete.
    const std::string partial = TempFile("install.exe.part");
    if (!WriteWhole(partial, body) ||
        !ui::MovePath(partial, InstallerPath(), MOVEFILE_REPLACE_EXISTING)) {
      ui::RemoveFile(partial);
      return false;
    }
    return true;
  }
  std::string InstallerPath() const override { return TempFile("install.exe"); }
  bool StartInstaller() override {
    // Through the shell, so that an installer that needs administrator rights asks for
    // them; both quoted, as the program folder may hold blanks ("Program Files").
    const std::string installer = InstallerPath();
    const std::string argument = "\"" + folder_ + "\"";
    const std::string temp = folder_ + "\\Temp";
    const std::wstring wide_installer = ui::Widen(installer), wide_argument = ui::Widen(argument),
                       wide_temp = ui::Widen(temp);
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    run.hwnd = hwnd_;
    run.lpVerb = L"open";
    run.lpFile = wide_installer.c_str();
    run.lpParameters = wide_argument.c_str();
    run.lpDirectory = wide_temp.c_str();
    run.nShow = SW_SHOW;
    return ShellExecuteExW(&run) != FALSE;
  }

  std::string folder_;
  UpdateCheck check_;
  HttpGet http_;
  std::function<void(const std::string&)> page_status_;
};

void AutoUpdateWindowImpl::Create() {
  ui::TopLevelClass cls;
  cls.name = kClassName;
  // A single border and no buttons in the title bar: it cannot be closed from there.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER;
  CreateCentredTopLevel(cls, 0, kCaption, style, kClientWidth, kClientHeight);
}

LRESULT AutoUpdateWindowImpl::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      HINSTANCE instance = GetModuleHandleA(nullptr);
      HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
      auto make = [&](const char* cls, const char* text, DWORD style, int id, int x, int y, int w,
                      int h) {
        HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                 nullptr);
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      };
      make("STATIC", "Status :", 0, -1, 8, 10, 48, 16);
      make("STATIC", "None.", SS_LEFTNOWORDWRAP, ids::updStatus, 60, 10, 277, 16);
      make("BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, ids::updCancel, 135, 34, 75, 23);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == ids::updCancel && HIWORD(wp) == BN_CLICKED) CancelUpdate();
      return 0;
    case WM_CLOSE: return 0;  // only Cancel or the check itself hides it
    default: break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace

std::unique_ptr<AutoUpdateWindow> CreateUpdateWindow(const std::string& program_folder,
                                                 ErrorSink& errors) {
  return std::make_unique<AutoUpdateWindowImpl>(program_folder, errors);
}

}  // namespace velmora
