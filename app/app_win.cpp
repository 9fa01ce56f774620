// The application object's Win32 side: the window registry, the nine windows in their
// creation order (with hidden placeholders for windows whose subsystem is not linked in),
// and the input plug-in system.
#include "app/app_win.h"

#include <cstring>

#include "app/host.h"

#if __has_include("plugins/plugin_system_win.h")
#include "plugins/plugin_system_win.h"
#define VELMORA_HAVE_PLUGIN_SYSTEM 1
#endif

namespace velmora {

namespace {

std::vector<FormFactory>& Factories() {
  static std::vector<FormFactory> factories;
  return factories;
}

// A window whose subsystem is not in the program: hidden, registered under the form's
// class name so that lookups by class still find something. The options window's
// placeholder still runs the plug-in scan when its one-shot timer fires.
class PlaceholderForm : public Form {
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
  }
  ~PlaceholderForm() override {
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

  App& app_;
  HWND hwnd_ = nullptr;
};

#ifndef VELMORA_HAVE_PLUGIN_SYSTEM
// Until the plug-in library is linked in: no plug-in, no supported type.
class NoInputPlugin : public InputPlugin {
 public:
  bool Has(PluginEntry) const override { return false; }
  std::string Name() const override { return {}; }
  std::string load(const std::string&) override { throw Absent(); }
  void play(const std::string&) override { throw Absent(); }
  void pause() override { throw Absent(); }
  void stop() override { throw Absent(); }
  void showoptionspopup(int, int) override { throw Absent(); }
  bool playing() override { throw Absent(); }
  int32_t length() override { throw Absent(); }
  void jumpto(int32_t) override { throw Absent(); }
  int32_t getposition() override { throw Absent(); }
  bool paused() override { throw Absent(); }
  bool ended() override { throw Absent(); }
  std::string bitrate() override { throw Absent(); }
  std::string layer() override { throw Absent(); }
  std::string frequence() override { throw Absent(); }
  void showid3() override { throw Absent(); }
  std::string webload(const std::string&) override { throw Absent(); }

 private:
  static PluginFault Absent() { return PluginFault("No input plugin loaded"); }
};

class NoPluginSystem : public PluginSystem, private PluginSelector {
 public:
  InputPlugin& Current() override { return plugin_; }
  PluginSelector& Selector() override { return *this; }
  void StartLibraryScan(const std::string&) override {}
  void ScanLibraryFolder() override {}
  bool ScanDone() const override { return true; }
  const std::vector<std::string>& Dlls() const override { return dlls_; }
  std::string OpenDialogFilter() const override {
    return "MPEG Files|*.mp3;*.mp2;*.mp1|Playlist|*.m3u|All Files|*.*";
  }
  void ReleaseInfoLibrary() override {}
  void UnloadAllPlugins() override {}

 private:
  bool IsSupportedExtension(const std::string&) const override { return false; }
  bool SelectPluginForFile(const std::string&) override { return false; }

  NoInputPlugin plugin_;
  std::vector<std::string> dlls_;
};
#endif

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
#ifdef VELMORA_HAVE_PLUGIN_SYSTEM
  return CreatePluginSystem(app.program_folder, [] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  });
#else
  (void)app;
  return std::make_unique<NoPluginSystem>();
#endif
}

}  // namespace velmora
