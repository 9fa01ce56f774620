// TForm1's life: creation, the deferred start-up on the one-shot `params` timer, the
// single-instance hand-off and the shutdown.
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "app/global_keys_win.h"
#include "app/main_window_win.h"
#include "app/registry_store_win.h"
#include "design/skin_archive.h"
#include "ui/control_ids.h"
#include "ui/form_shaper_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr char kInstanceMutexName[] = "Velmora MP3 Player";
constexpr char kFarewellAddress[] = "www.velmora.example";

bool FileExists(const std::string& path) {
  const DWORD a = ui::FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPath(const std::string& path) {
  return ui::FullPathName(path);
}

}  // namespace

const char* const kExternalMessageNames[static_cast<int>(ExternalCommand::Count)] = {
    "VelmoraPlay",      "VelmoraStop",     "VelmoraNext",         "VelmoraPrev",
    "VelmoraShowId3",   "VelmoraPause",    "VelmoraShowPlaylist", "VelmoraClearPlaylist",
    "VelmoraOpenFiles", "VelmoraExit",     "VelmoraMinimize",     "VelmoraNumberFiles",
    "VelmoraGetVolume", "VelmoraGetLength"};

std::string ExecutableFolder() {
  const std::string path = ui::ModuleFileName(nullptr);
  if (path.empty()) return ".";
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void MainWindow::FormCreate() {
  ui::RouteAppCommandsTo(hwnd_);  // the other windows' media and volume keys
  // The player's state shows here from now on; its ticks (after the player's) and the
  // open dialog are this window's too.
  display_.AttachView(this);
  player_.AttachView(this);
  player_.Initialise();
  host_.AddTimerListener(this);
  host_.SetDialogOwner(hwnd_);

  // The volume slider and the level to return to start at the device's level; the
  // start-up picture covers the window until the design is applied.
  errors_.Run([&] {
    const int level = volume_.Get();
    player_.ShowVolumeSlider(level);
    // The level to return to is the device's, within the slider's range.
    player_.SetSavedVolume(std::clamp(level, 0, 250));
    player_.SetVolumeRulerImage(false);
    LoadStartupPicture();
  });
  // Timers, title, file drops, the hint switch and the external commands.
  errors_.Run([&] {
    display_.SetDesignSink(nullptr);
    host_.StartTimer(TimerId::DeferredStartup);
    host_.StartTimer(TimerId::SeekStatus);  // its first tick shows the makers' address
    player_.SetBaseTitle(host_.ApplicationTitle());
    // A library that keeps this thread for good is noticed from another thread.
    watchdog_ = std::make_unique<Watchdog>(Watchdog::Deps{hwnd_, [this] { SaveWhileStuck(); }});
    DragAcceptFiles(hwnd_, TRUE);
    // Files dragged over the window: OLE reports every stage of the drag (the status line
    // follows it); the shell's WM_DROPFILES stays for programs that post it.
    const HRESULT ole = OleInitialize(nullptr);
    ole_initialised_ = SUCCEEDED(ole);
    if (ole_initialised_) {
      drop_registration_.Register(
          hwnd_, [this](DragPhase phase) { ShowDragStatus(phase); },
          [this](std::vector<std::string> names) {
            pending_drops_.push_back(std::move(names));
            PostMessageA(hwnd_, kRunPendingDrops, 0, 0);
          });
    }
  });
}

void MainWindow::DeferredStartup() {
  // The steps run one after the other; once the shutdown has begun (it may run inside the
  // design step's pump) the rest are left out.
  const auto step = [this](auto&& body) {
    if (!player_.Closing()) errors_.Run(body);
  };
  bool handed_off = false;
  // Settle the device's balance and say that the settings come next.
  step([&] {
    host_.StopTimer(TimerId::DeferredStartup);
    volume_.SetBalance(50);
    display_.ShowStatus("Getting settings ...");
  });
  // The version history and the program's sub-folders.
  step([&] {
    steps_.FillVersionHistory();
    for (const char* sub : {"Temp", "Library", "Design", "Icons"}) {
      const std::string folder = ProgramFile(sub);
      if (ui::FileAttributes(folder) == INVALID_FILE_ATTRIBUTES)
        ui::MakeFolder(folder);
    }
  });
  // The stored settings, the window's place, the playlist window's size.
  step([&] {
    RECT r;
    GetWindowRect(hwnd_, &r);
    ScreenGeometry g;
    g.screen_width = GetSystemMetrics(SM_CXSCREEN);
    g.screen_height = GetSystemMetrics(SM_CYSCREEN);
    g.window_width = r.right - r.left;
    g.window_height = r.bottom - r.top;
    g.window_left = r.left;
    g.window_top = r.top;
    RegistryStore store;
    PlayerSettings read = *settings_;
    const SettingsReadResult result = ReadSettings(store, read, g);
    settings_read_ = true;
    if (!result.first_run)
      SetWindowPos(hwnd_, nullptr, result.left, result.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (read.PWidth && read.PHeight)
      playlist_window_.SetPlaylistWindowSize(*read.PWidth, *read.PHeight);
    // The check boxes and menu marks follow the values read (shown again when they are
    // the defaults), and the stored transparency switches the window's shape as its
    // check box would.
    if (!settings_.Update([&](PlayerSettings& s) { s = read; })) settings_.ShowAgain();
    ui::FormShaper::Of(hwnd_).SetActive(settings_->Transparency);
  });
  // (The easy-move flag needs nothing here: it is read from the settings where it is used.)
  // The command line.
  step([&] {
    display_.ShowStatus("Getting parameters ...");
    ApplyCommandLine();
  });
  step([&] { display_.ShowStatus("Done"); });
  // Another instance runs and only one is allowed: give it our file and end.
  step([&] {
    if (!settings_->Multiple && !CheckSingleInstance()) {
      handed_off = true;
      HandOff();
    }
  });
  if (!handed_off) {
    // The plug-in library scan is armed and the design is chosen.
    step([&] {
      // The library that did not answer when the player was last closed from the
      // watchdog's question is left out of this run's scan, once.
      if (const std::optional<HungLibrary> hung = TakeHungLibrary()) {
        plugins_.SkipInScan(hung->path);
        errors_.Report(hung->title + " did not answer last time: left out this once");
      }
      plugins_.StartLibraryScan(program_folder_);
      steps_.StartupDesign();
    });
    // The sliders appear and the chosen design is applied.
    step([&] {
      ShowWindow(Control(ids::loading), SW_HIDE);
      ShowWindow(Control(ids::volbar), SW_SHOW);
      ShowWindow(Control(ids::tb), SW_SHOW);
      steps_.ApplyStartupDesign();
      if (minimized_ || IsIconic(hwnd_)) {
        // Minimised meanwhile: back without the status of the user's Restore.
        if (tray_) tray_->SetShown(false);
        minimized_ = false;
        taskbar_.Restore();
        ShowWindow(hwnd_, SW_RESTORE);
      }
      SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      display_.ShowStatus("Done");
      // A skin archive on the command line (opened from the shell) is applied over it;
      // its status text names it.
      if (!command_line_skin_.empty()) steps_.OpenSkinArchive(command_line_skin_);
    });
    // Without a command line, the saved playlist comes back with its entry number.
    step([&] {
      if (!playlist_.Empty()) return;
      const std::string saved = ProgramFile("pl.m3u");
      if (FileExists(saved)) playlist_.LoadPlaylistFile(saved);
      const int32_t index = RestoredIndex(settings_->CurrentFile, playlist_.Count());
      playlist_.SetCurrentIndex(index);
      playlist_.UpdateTrackCount();
    });
    playlist_restored_ = true;
    // A playlist makes Play usable and its size shows in the title.
    step([&] {
      if (playlist_.Empty()) return;
      player_.SetButtonEnabled(TransportButton::Play, true);
      display_.ShowSongTitle(std::to_string(playlist_.Count()) +
                                  " files in playlist ...                   ");
    });
    // A file named on the command line plays at once when auto-play is on.
    step([&] {
      if (!had_arguments_ || !settings_->autoplay || playlist_.Empty()) return;
      // The library scan normally waits for its timer; the file cannot be played before
      // the table of types exists, so it runs now.
      if (!plugins_.ScanDone()) plugins_.ScanLibraryFolder();
      player_.Play();
    });
    // The keys for the whole desktop, as their settings say.
    step([&] {
      steps_.StartGlobalKeys();
    });
  }
  // Topmost as stored, the news, activation handling, hints, shadow mode, the title.
  step([&] {
    if (!settings_->ToTop)
      SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (settings_->Nag && !handed_off) windows_.ShowNews();
    activation_routed_ = true;
    steps_.FillIconList();
    // From here on the hint handler follows "Enable Tooltips", and the window VisibleMode
    // and ShadowMode, wherever they change.
    startup_done_ = true;
    if (!handed_off) {
      ApplyVisibleMode();
      if (settings_->ShadowMode) EnterShadowMode();
    }
    SetTitleEnabled(true);
  });
}

void MainWindow::ApplyCommandLine() {
  if (arguments_.empty()) return;
  const std::string text = JoinArguments(arguments_);
  if (IsSkinArchiveName(text)) {
    // A design, not something to play: the saved playlist comes back as without one.
    command_line_skin_ = FullPath(text);
    return;
  }
  had_arguments_ = true;
  Playlist& pl = playlist_;
  if (IsPlaylistText(text)) {
    pl.LoadPlaylistFile(text);
    if (!pl.Empty()) {
      pl.SetCurrentIndex(0);
      pl.SetTrackCountText(std::to_string(pl.Count()));
    }
  } else {
    pl.Clear();
    pl.AddToPlaylist(text);
    pl.SetCurrentIndex(0);
    pl.SetTrackCountText(std::to_string(pl.Count() - 1));
  }
}

bool MainWindow::CheckSingleInstance() {
  ui::UniqueHandle m(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (m && !existed) {
    instance_mutex_ = std::move(m);  // held for the life of the process
    return true;
  }
  m.reset();
  // Hide our own caption so that the search finds the other window, not this one.
  const std::wstring caption = ui::Widen(ui::GetText(hwnd_));
  ui::SetText(hwnd_, "");
  HWND other = FindWindowW(L"TForm1", caption.c_str());
  if (other && other != hwnd_) {
    if (IsIconic(other))
      ShowWindow(other, SW_SHOWNORMAL);
    else
      SetForegroundWindow(other);
    other_instance_ = other;
  }
  return false;
}

void MainWindow::HandOff() {
  if (other_instance_ && (playlist_.Count() == 1 || !command_line_skin_.empty())) {
    // The other instance may run in another folder: send the path in full.
    const std::string path =
        command_line_skin_.empty() ? FullPath(playlist_.Path(0)) : command_line_skin_;
    COPYDATASTRUCT cds{};
    cds.dwData = 255;
    cds.cbData = static_cast<DWORD>(path.size());
    cds.lpData = const_cast<char*>(path.c_str());
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(other_instance_, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_),
                        reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 60000, &answer);
  }
  player_.BeginClosing();
  PostQuitMessage(0);
}

void MainWindow::FormClose() {
  errors_.Run([&] {
    steps_.CancelUpdateRequest();
    steps_.StopVisualisation();
  });
  // A shutdown already under way, or a second instance that handed over: save nothing.
  // Otherwise the player stops loading, playing and timing at once, also where this runs
  // inside one of its message pumps.
  if (!player_.BeginClosing()) return;
  host_.StopTimer(TimerId::DeferredStartup);

  errors_.Run([&] { plugins_.ReleaseInfoLibrary(); });
  errors_.Run([&] {
    InputPlugin& plugin = plugins_.Current();
    if (plugin.PlayingReportsTrue() && plugin.Has(PluginEntry::stop)) plugin.stop();
  });
  errors_.Run([&] { steps_.ReleaseDesignModules(); });
  errors_.Run([&] { plugins_.UnloadAllPlugins(); });
  errors_.Run([&] {
    // The values as they are saved; the program ends, so nobody is told of the place.
    PlayerSettings s = *settings_;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    RECT r{};
    if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &wp))
      r = wp.rcNormalPosition;
    else
      GetWindowRect(hwnd_, &r);
    s.Top = r.top;
    s.Left = r.left;
    int w = 0, h = 0;
    playlist_window_.GetPlaylistWindowSize(&w, &h);
    if (w > 0 && h > 0) s.PWidth = w, s.PHeight = h;
    // Before the start-up has read the settings there is nothing of ours to save; before
    // it has restored the playlist the stored entry number still holds.
    if (!settings_read_) return;
    if (playlist_restored_) s.CurrentFile = playlist_.CurrentIndex();
    RegistryStore store;
    SaveSettings(store, s);
    if (s.LogErrors) WriteErrorLog();
    if (playlist_.Count() > 1) WritePlaylistFile();
  });
  errors_.Run(
      [&] { display_.ShowStatus(std::string("GO ") + kFarewellAddress + " !!!"); });
  PostQuitMessage(0);
}

void MainWindow::WriteErrorLog() {
  char date[128] = {}, time[128] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof(date));
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof(time));
  player_.WriteErrorLog(ProgramFile("errors.log"), date, time);
}

void MainWindow::SaveWhileStuck() {
  if (!settings_read_) return;
  PlayerSettings s = *settings_;
  if (playlist_restored_) s.CurrentFile = playlist_.CurrentIndex();
  RegistryStore store;
  SaveSettings(store, s);
  if (playlist_.Count() > 1) WritePlaylistFile();
}

void MainWindow::WritePlaylistFile() {
  // The old list is replaced only by a complete new one: a failed write leaves it as it was.
  const std::string target = ProgramFile("pl.m3u");
  const std::string fresh = target + ".tmp";
  try {
    playlist_.SavePlaylistFile(fresh);
  } catch (...) {
    ui::RemoveFile(fresh);
    throw;
  }
  if (!ui::MovePath(fresh, target,
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ui::RemoveFile(fresh);
    throw std::runtime_error("Cannot create file " + target);
  }
}

}  // namespace velmora
