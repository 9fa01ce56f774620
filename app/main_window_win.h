// TForm1, the main window: borderless, 306 x 161, black, titled "ORVANE Velmora". It
// shows the player's state (MainView, PlayerView, attached to the model while the window
// exists), runs the start-up and the shutdown, and answers other programs (registered
// messages, WM_COPYDATA, dropped files).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_dispatcher.h"
#include "app/display.h"
#include "app/drop_target_win.h"
#include "app/main_menus_win.h"
#include "app/host_win.h"
#include "app/player.h"
#include "app/settings.h"
#include "app/shadow_window_win.h"
#include "app/taskbar_window_win.h"
#include "app/watchdog_win.h"
#include "app/window_commands.h"
#include "app/window_rules.h"
#include "design/design_folder.h"
#include "playlist/playlist.h"
#include "playlist/playlist_window_win.h"
#include "plugins/plugin_system.h"
#include "ui/handles_win.h"
#include "ui/top_level_window_win.h"
#include "ui/tray_icon_win.h"
#include "ui/window_util_win.h"

namespace velmora {

// The fourteen registered messages, in their registration order.
enum class ExternalCommand : int {
  Play,
  Stop,
  Next,
  Prev,
  ShowId3,
  Pause,
  ShowPlaylist,
  ClearPlaylist,
  OpenFiles,
  Exit,
  Minimize,
  NumberFiles,
  GetVolume,
  GetLength,
  Count
};
extern const char* const kExternalMessageNames[static_cast<int>(ExternalCommand::Count)];

// What the main window works with: the model, the player's services, and what it asks of
// the other windows (`windows`: what its menus and keys open; `steps`: what its start-up
// and shutdown ask of other subsystems; `playlist_window`: the playlist window's part).
struct MainWindowDeps {
  HINSTANCE instance;
  const std::string& program_folder;  // no trailing backslash
  const std::vector<std::string>& arguments;
  Settings& settings;
  Playlist& playlist;
  PluginSystem& plugins;
  const FolderDesignState& design_state;
  Display& display;
  Player& player;
  WinHost& host;
  Volume& volume;
  ErrorSink& errors;
  WindowCommands& windows;
  ShellSteps& steps;
  PlaylistWindowRequests& playlist_window;
};

class MainWindow : public ui::TopLevelWindow,
                   public ui::HintEcho,
                   public MainView,
                   public PlayerView,
                   private SettingsObserver,
                   private TimerListener,
                   private TaskbarCommands,
                   private ShadowWindowOwner,
                   private MainWindowActions {
 public:
  static constexpr int kWidth = 306;
  static constexpr int kHeight = 161;

  explicit MainWindow(const MainWindowDeps& deps);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND Handle() const { return hwnd(); }
  // The popup menus a design library is handed: the general menu and those of the Play,
  // Pause and Stop buttons. They stay the main window's and in step with the settings and
  // the player (check marks, the pause menu's enabled entries).
  HMENU GeneralMenu() const { return general_menu_.get(); }
  HMENU PlayButtonMenu() const { return play_menu_.get(); }
  HMENU PauseButtonMenu() const { return pause_menu_.get(); }
  HMENU StopButtonMenu() const { return stop_menu_.get(); }
  // Keys for the main window and its controls, seen before they are dispatched.
  bool PreTranslate(const MSG& msg);
  // Where every command of the program goes.
  CommandSink& Commands() { return dispatcher_; }

  // TForm4, made in its place among the other windows.
  void CreateShadowWindow();

  // MainView.
  void SetStatusText(const std::string& text) override;
  void SetPositionTimeText(const std::string& text) override;
  void SetPositionValue(int32_t value) override;
  void SetPositionMax(int32_t max) override;
  void SetTotalTimeText(const std::string& text) override;
  void SetSongTitle(const std::string& text) override;
  void SetFrequencyText(const std::string& text) override;
  void SetLayerText(const std::string& text) override;
  void SetBitrateText(const std::string& text) override;

  // PlayerView.
  void SetButtonEnabled(TransportButton button, bool enabled) override;
  void SetVolumeSlider(int value) override;
  void SetVolumeSliderEnabled(bool enabled) override;
  void SetVolumeThumb(int image_number) override;
  void SetPauseFadeMenu(bool fadeout_enabled, bool fadein_enabled) override;
  void SetTitleScroll(int pixels, int interval_ms) override;
  void SetTitleEnabled(bool enabled) override;
  void SetTimeLabelHint(const std::string& hint) override;
  void SetTimeLabelColour(uint32_t colour) override;
  uint32_t TimeLabelColour() const override;

 private:
  // Posted to ourselves: run the files an OLE drop left in pending_drops_.
  static constexpr UINT kRunPendingDrops = WM_APP + 0x50;
  static constexpr UINT kOrderTabStops = WM_APP + 0x5A;

  static LRESULT CALLBACK MoveButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR data) noexcept;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  // Window creation and the controls (main_window_win.cpp).
  void CreateControls();
  HWND Control(int id) const { return ui::ChildWithId(hwnd_, id); }
  void OnCommand(int id, int code, HWND control);
  void OnContextMenu(HWND control, int x, int y);
  void OnScroll(HWND control, int code);
  // A button's popup menu under it, its command run.
  void ShowButtonPopup(HWND button, const char* status, ButtonMenu which);
  // Runs the command of a popup menu's entry.
  void OnMenuCommand(int id);
  void ShowGeneralMenu() override;
  // The general menu at the mouse, owned by `owner` while it is open.
  void TrackGeneralMenu(int x, int y, HWND owner);
  void CreateButtonMenus();
  void OnSysKey(char letter);
  void OnSystemCommand(WPARAM command, LPARAM lp);
  void OnTrayNotify(UINT mouse_message);
  void ShowTrayMenu();

  // Minimise and restore: task bar, tray or both (main_window_presence_win.cpp).
  void Minimize() override;
  void Restore() override;
  // Task-bar button and tray icon while not minimised, by VisibleMode.
  void ApplyVisibleMode();
  void SetPresence(const Presence& presence);
  // The player out of sight and back: the active design library's OnHide/OnShow, or the
  // main window itself.
  void HidePlayer();
  void ShowPlayer();
  void EnterShadowMode();
  void ExitShadowMode();
  // The application title changed (a file loaded): task bar and tray hint follow.
  void ApplicationTitleChanged(const std::string& title);
  void OnSettingsChanged() override;
  // The start-up's and the position timer's ticks.
  void OnTimer(TimerId id) override;
  // TaskbarCommands.
  void TaskbarMinimize() override { Minimize(); }
  void TaskbarRestore() override { Restore(); }
  void TaskbarClose() override;
  void TaskbarActivated() override;
  bool TaskbarForward(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  // ShadowWindowOwner.
  void LeaveShadowMode() override;
  void PopUpGeneralMenu(HWND window) override;

  CommandResult Execute(const Command& command) { return dispatcher_.Execute(command); }
  // Runs a command inside the window's error boundary.
  void Dispatch(CommandKind kind, CommandSource source);
  // MainWindowActions.
  void Close(bool later) override;
  void OpenSkinArchive(const std::string& path) override;
  void OnBackgroundMouse(UINT msg, WPARAM wp, LPARAM lp);
  // The mouse entered a widget: its hint goes to the status line while the hint handler
  // is installed.
  void OnHover(HWND control);
  // Keyboard navigation: the buttons and sliders take the focus in the order they are seen
  // (rows top to bottom, each left to right), whatever the design made of their places.
  void OrderTabStops();
  bool MoveFocusByTab(const MSG& msg);
  // A hint of any window: to the status line while the hint handler is installed.
  void EchoHint(const std::string& hint) override;
  // The application was activated or deactivated (the inactive picture, the title pause).
  void OnActivateApp(bool active);
  // The volume slider's thumb picture for Image2 .. Image11.
  void ApplyVolumeThumb(int image_number);
  // The thumb picture the volume slider draws now (its own handle; null for none).
  HBITMAP ShownVolumeThumb() const;
  // A picture file (loading.jpg) into a picture control, stretched over it.
  void LoadStartupPicture();

  // Creation, start-up and shutdown (startup_win.cpp).
  void FormCreate();
  void DeferredStartup();
  bool CheckSingleInstance();
  void HandOff();
  void ApplyCommandLine();
  void FormClose();
  void WritePlaylistFile();
  void WriteErrorLog();
  // The watchdog's "Close Velmora": the settings and the playlist as the model holds them
  // (this thread is stuck inside a library; it runs on the watchdog's thread).
  void SaveWhileStuck();

  // External control (external_control_win.cpp).
  bool OnRegisteredMessage(UINT msg, LRESULT& result);
  LRESULT OnCopyData(const COPYDATASTRUCT* data);
  void OnDropFiles(HDROP drop);
  // Files dropped by either route: AddDroppedFiles, the Play button, the auto-play check.
  void AddDropped(const std::vector<std::string>& names);
  void ShowDragStatus(DragPhase phase);
  // The current stream's title from plug-ins that report one (URL entries).
  void RefreshStreamTitle();
  // Hints are echoed on the status line: "Enable Tooltips", once the start-up is done.
  bool HintHandlerInstalled() const { return startup_done_ && settings_->EnableTooltips; }
  // Program folder + "\" + relative.
  std::string ProgramFile(const std::string& relative) const;

  const HINSTANCE instance_;
  const std::string& program_folder_;
  const std::vector<std::string>& arguments_;
  Settings& settings_;
  Playlist& playlist_;
  PluginSystem& plugins_;
  const FolderDesignState& design_state_;
  Display& display_;
  Player& player_;
  WinHost& host_;
  Volume& volume_;
  WindowCommands& windows_;
  ShellSteps& steps_;
  PlaylistWindowRequests& playlist_window_;
  CommandDispatcher dispatcher_;
  TaskbarWindow taskbar_;  // made first: it owns this window

  bool settings_read_ = false;      // the start-up has read the stored settings
  bool playlist_restored_ = false;  // ... and restored the playlist and its entry number
  bool had_arguments_ = false;      // the command line named something
  std::string command_line_skin_;   // ... or a skin archive, opened once a design is in force
  bool moving_ = false;             // a Move-button or easy-move drag is under way
  POINT press_point_{};
  uint32_t time_colour_ = 0x00FFFFFF;
  int volume_thumb_ = 0;                   // the picture the volume slider shows (0: its own)
  HBITMAP volume_thumb_bitmap_ = nullptr;  // owned by the slider; only compared
  bool activation_routed_ = false;         // start-up has routed (de)activation to us
  bool deact_shown_ = false;               // the deactivated-image-shown flag
  bool startup_done_ = false;              // the deferred start-up has run to its end
  bool ole_initialised_ = false;
  bool tab_order_pending_ = false;  // a control moved: the tab order is put right soon
  DropRegistration drop_registration_;
  std::vector<std::vector<std::string>> pending_drops_;  // OLE drops, handled after the drag
  std::string stream_title_;                             // last stream title shown
  bool pause_fadeout_enabled_ = true, pause_fadein_enabled_ = false;
  HWND other_instance_ = nullptr;
  ui::UniqueHandle instance_mutex_;
  std::array<UINT, static_cast<int>(ExternalCommand::Count)> messages_{};
  HBRUSH black_brush_ = nullptr;
  std::unique_ptr<ui::TrayIcon> tray_;
  std::unique_ptr<Watchdog> watchdog_;
  std::unique_ptr<ShadowWindow> shadow_;
  ui::UniqueMenu general_menu_;  // Setupop, its marks kept in step with the settings
  ui::UniqueMenu play_menu_, pause_menu_, stop_menu_;  // the button menus libraries get
  UINT taskbar_created_ = 0;  // the shell's message when the task bar is made anew
  bool minimized_ = false;
  bool shadow_shown_ = false;  // shadow mode is in force (the settings may ask otherwise)
  std::optional<int32_t> applied_visible_mode_;
};

// The folder of the running executable, without a trailing backslash.
std::string ExecutableFolder();

}  // namespace velmora
