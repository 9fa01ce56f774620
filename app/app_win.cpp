// The application object's Win32 side: the window registry, the nine windows in their
// creation order (with hidden placeholders for windows whose subsystem is not linked in),
// and the input plug-in system.
#include "app/app_win.h"

#include <cstring>

#include "app/host.h"

#include "plugins/plugin_lists_view.h"
#include "plugins/plugin_system_win.h"
#include "ui/window_util_win.h"

namespace velmora {

namespace {

std::vector<FormFactory>& Factories() {
  static std::vector<FormFactory> factories;
  return factories;
}

// A window whose subsystem is not in the program: hidden, registered under the form's
// class name so that lookups by class still find something. The options window's
// placeholder still runs the plug-in scan when its one-shot timer fires.
class PlaceholderForm : public Form, private PluginListsView {
 public:
  PlaceholderForm(App& app, const char* class_name) : app_(app) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(app.instance, class_name, &wc)) {
      wc = WNDCLASSEXA{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = &PlaceholderForm::WndProc;
      wc.hInstance = app.instance;
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = class_name;
      RegisterClassExA(&wc);
    }
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, class_name, "", WS_POPUP, 0, 0, 10, 10, nullptr,
                            nullptr, app.instance, this);
    // Without the options window the scan still has to run: its timer lives here.
    lists_view_ = std::strcmp(class_name, "TForm2") == 0 && app.plugins;
    if (lists_view_) app.plugins->AttachListsView(this);
  }
  ~PlaceholderForm() override {
    if (lists_view_ && app_.plugins) app_.plugins->AttachListsView(nullptr);
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND Handle() const override { return hwnd_; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<PlaceholderForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == WM_TIMER && wp == TimerEventId(TimerId::Enjoy)) {
      KillTimer(hwnd, wp);
      try {
        if (self->app_.plugins) self->app_.plugins->ScanLibraryFolder();
      } catch (...) {
      }
      return 0;
    }
    if (msg == WM_CLOSE) {  // hidden placeholders are never closed by the user
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }

  void StartScanTimer() override {
    if (hwnd_) SetTimer(hwnd_, TimerEventId(TimerId::Enjoy), 200, nullptr);
  }
  void StopScanTimer() override {
    if (hwnd_) KillTimer(hwnd_, TimerEventId(TimerId::Enjoy));
  }
  void SetScanning(bool) override {}
  void SetDlls(const std::vector<std::string>&) override {}
  void SetExtensionRows(const std::vector<ExtensionRow>&) override {}
  void SetExtensionList(const std::vector<std::string>&) override {}
  void SetInfoField(InfoField, const std::string&) override {}

  App& app_;
  HWND hwnd_ = nullptr;
  bool lists_view_ = false;
};

}  // namespace

UINT_PTR TimerEventId(TimerId id) { return 100 + static_cast<UINT_PTR>(id); }

bool RegisterForm(const FormFactory& factory) {
  Factories().push_back(factory);
  return true;
}

HWND App::FormHandle(const char* class_name) const {
  char name[64];
  for (const auto& form : forms) {
    HWND h = form ? form->Handle() : nullptr;
    if (h && GetClassNameA(h, name, sizeof(name)) && std::strcmp(name, class_name) == 0) return h;
  }
  return nullptr;
}

std::string App::ProgramFile(const std::string& relative) const {
  return program_folder + "\\" + relative;
}

void CreateForms(App& app) {
  static const char* const kOrder[] = {"TForm1",  "TForm2", "TForm3", "TForm6", "TForm12",
                                       "TForm8",  "TForm13", "TForm4", "TForm7"};
  for (const char* name : kOrder) {
    std::unique_ptr<Form> form;
    for (const auto& factory : Factories()) {
      if (std::strcmp(factory.class_name, name) == 0) {
        form = factory.create(app);
        break;
      }
    }
    if (!form) form = std::make_unique<PlaceholderForm>(app, name);
    app.forms.push_back(std::move(form));
  }
}

std::unique_ptr<PluginSystem> MakePluginSystem(App& app) {
  return CreatePluginSystem(app.program_folder, [] { ui::PumpWaitingMessages(); });
}

}  // namespace velmora
