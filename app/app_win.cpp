// The application object's Win32 side: the window registry, the nine windows in their
// creation order (with hidden placeholders for windows whose subsystem is not linked in),
// and the input plug-in system.
#include "app/app_win.h"

#include <cstring>

#include "app/host.h"

#include "plugins/plugin_lists_view.h"
#include "plugins/plugin_system_win.h"
#include "ui/top_level_window_win.h"
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
class PlaceholderForm : public Form, public ui::TopLevelWindow, private PluginListsView {
 public:
  PlaceholderForm(App& app, const char* class_name) : ui::TopLevelWindow(app.errors), app_(app) {
    ui::TopLevelClass cls;
    cls.name = class_name;
    CreateTopLevel(cls, WS_EX_TOOLWINDOW, "", WS_POPUP, 0, 0, 10, 10);
    // Without the options window the scan still has to run: its timer lives here.
    lists_view_ = std::strcmp(class_name, "TForm2") == 0 && app.plugins;
    if (lists_view_) app.plugins->AttachListsView(this);
  }
  ~PlaceholderForm() override {
    if (lists_view_ && app_.plugins) app_.plugins->AttachListsView(nullptr);
  }
  HWND Handle() const override { return hwnd(); }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_TIMER && wp == TimerEventId(TimerId::PluginScan)) {
      KillTimer(hwnd_, wp);
      if (app_.plugins) app_.plugins->ScanLibraryFolder();
      return 0;
    }
    if (msg == WM_CLOSE) {  // hidden placeholders are never closed by the user
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
  }

  void StartScanTimer() override {
    if (hwnd_) SetTimer(hwnd_, TimerEventId(TimerId::PluginScan), 200, nullptr);
  }
  void StopScanTimer() override {
    if (hwnd_) KillTimer(hwnd_, TimerEventId(TimerId::PluginScan));
  }
  void SetScanning(bool) override {}
  void SetDlls(const std::vector<std::string>&) override {}
  void SetExtensionRows(const std::vector<ExtensionRow>&) override {}
  void SetExtensionList(const std::vector<std::string>&) override {}
  void SetInfoField(InfoField, const std::string&) override {}

  App& app_;
  bool lists_view_ = false;
};

}  // namespace

void AppErrorSink::Report(const std::string& message) {
  if (app_.player) app_.player->HandleError(message);
}

UINT_PTR TimerEventId(TimerId id) { return 100 + static_cast<UINT_PTR>(id); }

bool RegisterForm(const FormFactory& factory) {
  Factories().push_back(factory);
  return true;
}

std::string App::ProgramFile(const std::string& relative) const {
  return program_folder + "\\" + relative;
}

void CreateForms(App& app) {
  // The playlist window (TForm3) makes its own dialog (TForm8).
  static const char* const kOrder[] = {"TForm2",  "TForm3", "TForm6", "TForm12",
                                       "TForm13", "TForm4", "TForm7"};
  for (const char* name : kOrder) {
    if (std::strcmp(name, "TForm3") == 0) {
      app.playlist_window =
          CreatePlaylistWindow(app.playlist, *app.player, *app.plugins, app.random, app.errors);
      continue;
    }
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
