// The application object's Win32 side: the model, the windows in their creation order,
// what the main window asks of them, and the hand-off of the library scan.
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
#include "ui/window_util_win.h"
#include "vis/vis_page_win.h"
#include "vis/vu_window_win.h"
#include "ui/wide_win.h"

namespace velmora {

// The main window as the design libraries reach it: its handle and its own popup menus,
// whose commands go to it.
class MainWindowForDesigns : public DesignMainWindow {
 public:
  explicit MainWindowForDesigns(App& app) : app_(app) {}
  HWND Handle() const override { return app_.main_window_ ? app_.main_window_->Handle() : nullptr; }
  HMENU LiveMenu(LibraryMenu which) const override {
    const MainWindow* main = app_.main_window_.get();
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
  explicit OptionsForApp(App& app) : app_(app) { app_.settings_.AddObserver(this); }
  ~OptionsForApp() override { app_.settings_.RemoveObserver(this); }
  OptionsForApp(const OptionsForApp&) = delete;
  OptionsForApp& operator=(const OptionsForApp&) = delete;

  // OptionSettings
  bool Flag(OptionFlag flag) const override { return (*app_.settings_).*FlagMember(flag); }
  int32_t Choice(OptionChoice choice) const override {
    return choice == OptionChoice::Minimize ? app_.settings_->Minimize : app_.settings_->VisibleMode;
  }
  std::string Text(OptionText text) const override { return (*app_.settings_).*TextMember(text); }
  bool MediaKeysTaken() const override {
    return app_.global_keys_ && app_.global_keys_->MediaKeysTaken();
  }
  void SetFlag(OptionFlag flag, bool on) override {
    app_.settings_.Set(FlagMember(flag), on);
  }
  void SetChoice(OptionChoice choice, int32_t value) override {
    app_.settings_.Set(
        choice == OptionChoice::Minimize ? &PlayerSettings::Minimize : &PlayerSettings::VisibleMode,
        value);
  }
  void SetText(OptionText text, const std::string& value) override {
    app_.settings_.Set(TextMember(text), value);
  }
  void SetListener(std::function<void()> changed) override { changed_ = std::move(changed); }

  // OptionsHost
  HWND MainWindow() const override {
    return app_.main_window_ ? app_.main_window_->Handle() : nullptr;
  }
  HWND DesignChooserWindow() const override {
    return app_.design_chooser_ ? app_.design_chooser_->Handle() : nullptr;
  }
  void ShowDesignChooser() override { app_.ShowDesignChooser(); }
  void SaveSettings() override { app_.SaveSettingsNow(); }
  SoundBalance* Balance() override {
    DesignLibraries* libraries = app_.DesignLibrariesOrNull();
    return libraries ? &libraries->Balance() : nullptr;
  }
  DesignInForce CurrentDesign() override {
    DesignLibraries* libraries = app_.DesignLibrariesOrNull();
    if (libraries && libraries->Host().Active())
      return {true, libraries->Host().ActiveDesignName(), libraries->Host().ActivePath()};
    const std::string& name = app_.design_state_.name;
    return {false, name, DesignFolderPath(app_.program_folder_, name)};
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

App::App(HINSTANCE instance, std::string program_folder, std::vector<std::string> arguments)
    : instance_(instance),
      program_folder_(std::move(program_folder)),
      arguments_(std::move(arguments)),
      plugins_(CreatePluginSystem(
          program_folder_, [] { ui::PumpWaitingMessages(); },
          [this](const std::string& full_path) { HandOnLibrary(full_path); })),
      host_(errors_, *plugins_, *this),
      display_(playlist_),
      player_(Player::Deps{playlist_, plugins_->Selector(), plugins_->Current(), display_, host_,
                           volume_, settings_, random_}),
      meter_opener_(
          SystemMeterOpener::Hooks{ShowMeterMessage, [this] { return CurrentPluginPath(); }}) {
  // Playlists of older programs are in the system's legacy code page.
  playlist_.SetLegacyTextDecoder(LegacyCodePageToUtf8);
  host_.AddTimerListener(&player_);
}

App::~App() { host_.RemoveTimerListener(&player_); }

std::string App::ProgramFile(const std::string& relative) const {
  return program_folder_ + "\\" + relative;
}

std::string App::CurrentPluginPath() const {
  const std::string name = plugins_->CurrentName();
  return name.empty() ? std::string() : ProgramFile("Library\\" + name);
}

void App::SaveSettingsNow() {
  RECT r{};
  HWND main = main_window_ ? main_window_->Handle() : nullptr;
  const bool placed = main && !IsIconic(main) && GetWindowRect(main, &r);
  int width = 0, height = 0;
  GetPlaylistWindowSize(&width, &height);
  settings_.Update([&](PlayerSettings& s) {
    if (placed) s.Top = r.top, s.Left = r.left;
    if (width > 0 && height > 0) s.PWidth = width, s.PHeight = height;
  });
  RegistryStore store;
  SaveSettings(store, *settings_);
}

DesignLibraries* App::DesignLibrariesOrNull() const {
  return design_chooser_ ? design_chooser_->Libraries() : nullptr;
}

void App::HandOnLibrary(const std::string& full_path) {
  if (visualisation_ && visualisation_->AddLibrary(full_path)) return;
  if (DesignLibraries* libraries = DesignLibrariesOrNull()) libraries->Probe(full_path);
}

// --- WindowCommands -------------------------------------------------------------------

void App::ShowOptionsPage(const std::string& page) {
  if (options_window_) options_window_->ShowPage(page);
}
void App::ShowNews() {
  if (news_window_) news_window_->Show();
}
void App::ShowVuMeter() {
  if (vu_meter_) vu_meter_->Show();
}
void App::ShowDesignChooser() {
  if (design_chooser_) design_chooser_->Show();
}
// Visualisation plug-ins are chosen on their page of the options window.
void App::ShowVisualisation() { ShowOptionsPage("Visualisation Plugins"); }
void App::StartOrStopVisualisation() {
  if (visualisation_) visualisation_->StartOrStop();
}
void App::ShowPlaylist() {
  if (playlist_window_) playlist_window_->Show();
}
void App::ShowJumpToFile() {
  if (playlist_window_) playlist_window_->ShowJumpToFile();
}
void App::ClearPlaylist() {
  if (playlist_window_) {
    playlist_window_->RemoveAllRows();
  } else {
    playlist_.Clear();
    playlist_.UpdateTrackCount();
  }
}
void App::AddDroppedFiles(const std::vector<std::string>& files) {
  if (playlist_window_) playlist_window_->AddDroppedFiles(files);
}

// --- ShellSteps -----------------------------------------------------------------------

void App::FillVersionHistory() {
  if (options_window_) options_window_->FillVersionHistory();
}
void App::FillIconList() {
  if (file_type_page_) file_type_page_->RefreshIconList();
}
void App::StartupDesign() {
  if (design_chooser_) design_chooser_->StartupDesign();
}
void App::ApplyStartupDesign() {
  if (!design_chooser_) return;
  // A design library stored as the default is listed only by the library scan, which
  // otherwise runs later: it runs now, so the stored library can be applied.
  if (!design_chooser_->ChosenDesignListed() && !plugins_->ScanDone())
    errors_.Run([&] { plugins_->ScanLibraryFolder(); });
  design_chooser_->ApplyChosenDesign();
}
void App::OpenSkinArchive(const std::string& path) {
  if (design_chooser_) design_chooser_->OpenSkinArchive(path);
}
void App::SetPlaylistWindowSize(int width, int height) {
  if (playlist_window_) playlist_window_->SetSize(width, height);
}
void App::GetPlaylistWindowSize(int* width, int* height) {
  *width = *height = 0;
  if (playlist_window_) playlist_window_->GetSize(width, height);
}
void App::StartGlobalKeys() {
  if (global_keys_) global_keys_->Start();
}
void App::MainWindowMinimized() {
  if (DesignLibraries* libraries = DesignLibrariesOrNull()) libraries->MainWindowMinimized();
}
void App::MainWindowRestored() {
  if (DesignLibraries* libraries = DesignLibrariesOrNull()) libraries->MainWindowRestored();
}
void App::CancelUpdateRequest() {
  if (update_window_) update_window_->CancelUpdate();
}
void App::StopVisualisation() {
  if (visualisation_) visualisation_->StopRunning();
}
void App::ReleaseDesignModules() {
  if (design_chooser_) design_chooser_->ReleaseModules();
}

void App::SetUsePlayingSound(bool use) {
  settings_.Set(&PlayerSettings::UsePlayingSound, use);
}

// --- the windows ----------------------------------------------------------------------

// The options window's FileType/Icons and Update pages.
void App::AddFileTypeAndUpdatePages() {
  const std::string exe = ui::ModuleFileName(nullptr);
  auto file_types = CreateFileTypePage(program_folder_, exe, [this](const std::string& text) {
    display_.ShowStatus(text);
  });
  file_type_page_ = file_types.get();
  options_window_->SetPage(OptionsPageId::FileTypeIcons, std::move(file_types));
  options_window_->SetPage(OptionsPageId::Update, CreateUpdatePage(*update_window_, [this] {
    const PlayerSettings& s = *settings_;
    return UpdateCheck::Request{s.UpdateUrl.empty() ? std::string(kDefaultUpdateUrl) : s.UpdateUrl,
                                s.Version, s.UseProxy, s.Host, s.Port};
  }));
}

bool App::CreateWindows() {
  main_window_ = std::make_unique<MainWindow>(
      MainWindowDeps{instance_, program_folder_, arguments_, settings_, playlist_, *plugins_,
                     design_state_, display_, player_, host_, volume_, errors_, *this, *this,
                     *this});
  if (!main_window_->Handle()) return false;
  visualisation_ = Visualisation::Create({main_window_->Handle(), *plugins_, playlist_, meter_,
                                          errors_, *this, [this] { return CurrentPluginPath(); }});
  // The desktop's keys follow their settings before the options window shows them.
  global_keys_ = std::make_unique<GlobalKeyRegistration>(errors_, settings_,
                                                        main_window_->Commands(), display_);
  options_adapter_ = std::make_unique<OptionsForApp>(*this);
  options_window_ = CreateOptionsWindow(OptionsWindowDeps{*options_adapter_, *options_adapter_,
                                                          *plugins_, player_.Errors(), errors_,
                                                          program_folder_, *main_window_,
                                                          main_window_->Commands()});
  options_window_->SetPage(OptionsPageId::VisualisationPlugins,
                           std::make_unique<VisualisationPage>(*visualisation_));
  playlist_window_ =
      CreatePlaylistWindow(playlist_, player_, *plugins_, random_, errors_, *main_window_);
  design_target_ = std::make_unique<PlayerDesignTarget>(
      player_, display_, volume_, settings_, [] { return std::make_unique<RegistryStore>(); });
  design_main_window_ = std::make_unique<MainWindowForDesigns>(*this);
  design_chooser_ = CreateDesignChooser(DesignChooserDeps{
      DesignLibrariesDeps{*design_target_, *design_main_window_, display_, volume_, playlist_,
                          *playlist_window_, *plugins_, main_window_->Commands(),
                          [this] {
                            if (options_window_) options_window_->RefreshShownPage();
                          }},
      instance_, program_folder_, design_state_, random_, errors_, *main_window_});
  vu_meter_ = CreateVuWindow(errors_, meter_, *main_window_, [this] { return player_.Closing(); });
  news_window_ = CreateNewsWindow(errors_);
  main_window_->CreateShadowWindow();  // TForm4 belongs to the main window
  update_window_ = CreateUpdateWindow(program_folder_, errors_);
  AddFileTypeAndUpdatePages();
  return true;
}

}  // namespace velmora
