// The application object's Win32 side: the windows in their creation order (with hidden
// placeholders for windows whose subsystem is not in the program yet), what the main
// window asks of them, and the input plug-in system.
#include "app/app_win.h"

#include "app/global_keys_win.h"
#include "app/main_window_ids_win.h"
#include "app/main_window_win.h"
#include "app/player_design_target.h"
#include "app/registry_store_win.h"
#include "design/design_chooser_win.h"
#include "design/design_library_win.h"
#include "options/file_type_page_win.h"
#include "options/news_window_win.h"
#include "options/options_window_win.h"
#include "options/update_page_win.h"
#include "options/update_window_win.h"
#include "playlist/playlist_window_win.h"
#include "plugins/plugin_system_win.h"
#include "ui/legacy_code_page_win.h"
#include "ui/top_level_window_win.h"
#include "ui/window_util_win.h"
#include "vis/meter_sources_win.h"
#include "vis/vis_page_win.h"
#include "vis/vu_window_win.h"

namespace velmora {

// A window whose subsystem is not in the program: hidden, registered under the window's
// class name so that other programs looking for it by class still find one.
class PlaceholderWindow : public ui::TopLevelWindow {
 public:
  PlaceholderWindow(ErrorSink& errors, const char* class_name) : ui::TopLevelWindow(errors) {
    ui::TopLevelClass cls;
    cls.name = class_name;
    CreateTopLevel(cls, WS_EX_TOOLWINDOW, "", WS_POPUP, 0, 0, 10, 10);
  }
  ~PlaceholderWindow() override { DestroyTopLevel(); }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_CLOSE) {  // hidden placeholders are never closed by the user
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
  }
};

// The main window as the design libraries reach it: its handle and its own popup menus,
// whose commands go to it.
class MainWindowForDesigns : public DesignMainWindow {
 public:
  explicit MainWindowForDesigns(App& app) : app_(app) {}
  HWND Handle() const override { return app_.main_window; }
  HMENU LiveMenu(LibraryMenu which) const override {
    const MainWindow* main = app_.main_form.get();
    if (!main) return nullptr;
    switch (which) {
      case LibraryMenu::General: return main->GeneralMenu();
      case LibraryMenu::Play: return main->PlayButtonMenu();
      case LibraryMenu::Pause: return main->PauseButtonMenu();
      case LibraryMenu::Stop: return main->StopButtonMenu();
    }
    return nullptr;
  }

 private:
  App& app_;
};

// The settings, the main window, the design chooser and the design in force as the
// options window reaches them.
class OptionsForApp : public OptionSettings, public OptionsHost, private SettingsObserver {
 public:
  explicit OptionsForApp(App& app) : app_(app) { app_.settings.AddObserver(this); }
  ~OptionsForApp() override { app_.settings.RemoveObserver(this); }
  OptionsForApp(const OptionsForApp&) = delete;
  OptionsForApp& operator=(const OptionsForApp&) = delete;

  // OptionSettings
  bool Flag(OptionFlag flag) const override { return app_.settings.*FlagMember(flag); }
  int32_t Choice(OptionChoice choice) const override {
    return choice == OptionChoice::Minimize ? app_.settings.Minimize : app_.settings.VisibleMode;
  }
  std::string Text(OptionText text) const override { return app_.settings.*TextMember(text); }
  bool MediaKeysTaken() const override {
    return app_.global_keys && app_.global_keys->MediaKeysTaken();
  }
  void SetFlag(OptionFlag flag, bool on) override {
    app_.settings.*FlagMember(flag) = on;
    app_.settings.Changed();
  }
  void SetChoice(OptionChoice choice, int32_t value) override {
    (choice == OptionChoice::Minimize ? app_.settings.Minimize : app_.settings.VisibleMode) = value;
    app_.settings.Changed();
  }
  void SetText(OptionText text, const std::string& value) override {
    app_.settings.*TextMember(text) = value;
    app_.settings.Changed();
  }
  void SetListener(std::function<void()> changed) override { changed_ = std::move(changed); }

  // OptionsHost
  HWND MainWindow() const override { return app_.main_window; }
  HWND DesignChooserWindow() const override {
    return app_.design_chooser ? app_.design_chooser->Handle() : nullptr;
  }
  void ShowDesignChooser() override { app_.ShowDesignChooser(); }
  void SaveSettings() override { app_.SaveSettingsNow(); }
  SoundBalance* Balance() override {
    DesignLibraries* libraries = ProgramDesignLibraries();
    return libraries ? &libraries->Balance() : nullptr;
  }
  DesignInForce CurrentDesign() override {
    DesignLibraries* libraries = ProgramDesignLibraries();
    if (libraries && libraries->Host().Active())
      return {true, libraries->Host().ActiveDesignName(), libraries->Host().ActivePath()};
    const std::string& name = app_.design_state.name;
    return {false, name, DesignFolderPath(app_.program_folder, name)};
  }

 private:
  static bool PlayerSettings::*FlagMember(OptionFlag flag) {
    static bool PlayerSettings::*const kMembers[] = {
        &PlayerSettings::autoplay,   &PlayerSettings::loop,           &PlayerSettings::Multiple,
        &PlayerSettings::ToTop,      &PlayerSettings::Nag,            &PlayerSettings::Transparency,
        &PlayerSettings::EnableTooltips, &PlayerSettings::ShadowMode, &PlayerSettings::Fadestop,
        &PlayerSettings::Fadeplay,   &PlayerSettings::Fadepause,      &PlayerSettings::EasyMove,
        &PlayerSettings::Randomplay, &PlayerSettings::UseProxy,       &PlayerSettings::LogErrors,
        &PlayerSettings::MediaKeys,  &PlayerSettings::GlobalKeys};
    return kMembers[static_cast<int>(flag)];
  }
  static std::string PlayerSettings::*TextMember(OptionText text) {
    static std::string PlayerSettings::*const kMembers[] = {
        &PlayerSettings::Host, &PlayerSettings::Port, &PlayerSettings::User,
        &PlayerSettings::Password};
    return kMembers[static_cast<int>(text)];
  }
  void OnSettingsChanged() override {
    if (changed_) changed_();
  }

  App& app_;
  std::function<void()> changed_;
};

namespace {

// Full path of the current input plug-in library, "" when none.
std::string CurrentPluginPath(const App& app) {
  if (!app.plugins) return {};
  const std::string name = app.plugins->CurrentName();
  return name.empty() ? std::string() : app.ProgramFile("Library\\" + name);
}

// The program's one meter connection, shared by the VU window and the visualisation host.
PeakMeter& ProgramMeter(App& app) {
  SystemMeterOpener::Hooks hooks;
  hooks.show_message = ShowMeterMessage;
  hooks.current_plugin_path = [&app] { return CurrentPluginPath(app); };
  return ProgramPeakMeter(std::move(hooks));
}

}  // namespace

void AppErrorSink::Report(const std::string& message) {
  if (app_.player) app_.player->HandleError(message);
}

UINT_PTR TimerEventId(TimerId id) { return 100 + static_cast<UINT_PTR>(id); }

App::App() {
  // Playlists of older programs are in the system's legacy code page.
  playlist.SetLegacyTextDecoder(LegacyCodePageToUtf8);
}
App::~App() { DestroyWindows(*this); }

std::string App::ProgramFile(const std::string& relative) const {
  return program_folder + "\\" + relative;
}

void App::SaveSettingsNow() {
  RECT r{};
  if (main_window && !IsIconic(main_window) && GetWindowRect(main_window, &r)) {
    settings.Top = r.top;
    settings.Left = r.left;
  }
  int width = 0, height = 0;
  if (playlist_window) playlist_window->GetSize(&width, &height);
  if (width > 0 && height > 0) settings.PWidth = width, settings.PHeight = height;
  RegistryStore store;
  SaveSettings(store, settings);
}

// --- WindowCommands -------------------------------------------------------------------

void App::ShowOptionsPage(const std::string& page) {
  if (options_window) options_window->ShowPage(page);
}
void App::ShowNews() {
  if (news_window) news_window->Show();
}
void App::ShowVuMeter() {
  if (vu_meter) vu_meter->Show();
}
void App::ShowDesignChooser() {
  if (design_chooser) design_chooser->Show();
}
// Visualisation plug-ins are chosen on their page of the options window.
void App::ShowVisualisation() { ShowOptionsPage("Visualisation Plugins"); }
void App::StartOrStopVisualisation() {
  if (visualisation) visualisation->StartOrStop();
}

// --- ShellSteps -----------------------------------------------------------------------

void App::FillVersionHistory() {
  if (options_window) options_window->FillVersionHistory();
}
void App::FillIconList() {
  if (file_type_page) file_type_page->RefreshIconList();
}
void App::StartupDesign() {
  if (design_chooser) design_chooser->StartupDesign();
}
void App::ApplyStartupDesign() {
  if (!design_chooser) return;
  // A design library stored as the default is listed only by the library scan, which
  // otherwise runs later: it runs now, so the stored library can be applied.
  if (!design_chooser->ChosenDesignListed() && plugins && !plugins->ScanDone())
    errors.Run([&] { plugins->ScanLibraryFolder(); });
  design_chooser->ApplyChosenDesign();
}
void App::OpenSkinArchive(const std::string& path) {
  if (design_chooser) design_chooser->OpenSkinArchive(path);
}
void App::CancelUpdateRequest() {
  if (update_window) update_window->CancelUpdate();
}
void App::StopVisualisation() {
  if (visualisation) visualisation->StopRunning();
}
void App::ReleaseDesignModules() {
  if (design_chooser) design_chooser->ReleaseModules();
}

void App::SetUsePlayingSound(bool use) {
  settings.UsePlayingSound = use;
  settings.Changed();
}

// --- the windows ----------------------------------------------------------------------

namespace {

// The options window's FileType/Icons and Update pages.
void AddFileTypeAndUpdatePages(App& app) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  auto file_types = CreateFileTypePage(app.program_folder, exe, [&app](const std::string& text) {
    if (app.display) app.display->ShowStatus(text);
  });
  app.file_type_page = file_types.get();
  app.options_window->SetPage(OptionsPageId::FileTypeIcons, std::move(file_types));
  app.options_window->SetPage(OptionsPageId::Update, CreateUpdatePage(*app.update_window, [&app] {
    const PlayerSettings& s = app.settings;
    return UpdateCheck::Request{s.UpdateUrl.empty() ? std::string(kDefaultUpdateUrl) : s.UpdateUrl,
                                s.Version, s.UseProxy, s.Host, s.Port};
  }));
}

}  // namespace

bool CreateWindows(App& app) {
  app.plugins = CreatePluginSystem(app.program_folder, [] { ui::PumpWaitingMessages(); });
  // The main window first: it makes the display and the player.
  app.main_form = std::make_unique<MainWindow>(app, app, app);
  if (!app.main_form->Handle() || !app.player) return false;
  PeakMeter& meter = ProgramMeter(app);
  app.visualisation = Visualisation::Create({app.main_form->Handle(), *app.plugins, app.playlist,
                                             meter, app.errors, app,
                                             [&app] { return CurrentPluginPath(app); }});
  // The desktop's keys follow their settings before the options window shows them.
  app.global_keys = std::make_unique<GlobalKeyRegistration>(
      app.errors, app.settings, app.main_form->Commands(), *app.display);
  app.options_adapter = std::make_unique<OptionsForApp>(app);
  app.options_window = CreateOptionsWindow(
      OptionsWindowDeps{*app.options_adapter, *app.options_adapter, *app.plugins,
                        app.player->Errors(), app.errors, app.program_folder, *app.main_form,
                        app.main_form->Commands()});
  app.options_window->SetPage(OptionsPageId::VisualisationPlugins,
                              std::make_unique<VisualisationPage>(*app.visualisation));
  app.playlist_window = CreatePlaylistWindow(app.playlist, *app.player, *app.plugins, app.random,
                                             app.errors, *app.main_form);
  app.design_target = std::make_unique<PlayerDesignTarget>(
      *app.player, *app.display, app.main_form->OutputVolume(), app.settings,
      [] { return std::make_unique<RegistryStore>(); });
  app.design_main_window = std::make_unique<MainWindowForDesigns>(app);
  app.design_chooser = CreateDesignChooser(DesignChooserDeps{
      DesignLibrariesDeps{*app.design_target, *app.design_main_window, *app.display,
                          app.main_form->OutputVolume(), app.playlist, *app.playlist_window,
                          *app.plugins, app.main_form->Commands(),
                          [&app] {
                            if (app.options_window) app.options_window->RefreshShownPage();
                          }},
      app.instance, app.program_folder, app.design_state, app.random, app.errors, *app.main_form});
  app.vu_meter = CreateVuWindow(app.errors, meter, *app.main_form,
                                [&app] { return app.player && app.player->Closing(); });
  app.news_window = CreateNewsWindow(app.errors);
  app.main_form->CreateShadowWindow();  // TForm4 belongs to the main window
  app.update_window = CreateUpdateWindow(app.program_folder, app.errors);
  AddFileTypeAndUpdatePages(app);
  return true;
}

void DestroyWindows(App& app) {
  while (!app.placeholders.empty()) app.placeholders.pop_back();
  app.news_window.reset();
  app.vu_meter.reset();
  app.design_chooser.reset();
  app.design_main_window.reset();
  app.design_target.reset();
  app.file_type_page = nullptr;
  app.options_window.reset();  // its Update page talks to the update window
  app.options_adapter.reset();
  app.global_keys.reset();  // the keys go back to the system
  app.update_window.reset();
  app.visualisation.reset();
  app.playlist_window.reset();
  app.player.reset();
  app.display.reset();
  app.main_form.reset();
  app.plugins.reset();
}

}  // namespace velmora
