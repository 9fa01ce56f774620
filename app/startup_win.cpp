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

namespace velmora {

namespace {

constexpr char kInstanceMutexName[] = "Velmora MP3 Player";
constexpr char kFarewellAddress[] = "www.velmora.example";

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 4];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof(buffer), buffer, nullptr);
  return (n > 0 && n < sizeof(buffer)) ? std::string(buffer, n) : path;
}

}  // namespace

const char* const kExternalMessageNames[static_cast<int>(ExternalCommand::Count)] = {
    "VelmoraPlay",      "VelmoraStop",     "VelmoraNext",         "VelmoraPrev",
    "VelmoraShowId3",   "VelmoraPause",    "VelmoraShowPlaylist", "VelmoraClearPlaylist",
    "VelmoraOpenFiles", "VelmoraExit",     "VelmoraMinimize",     "VelmoraNumberFiles",
    "VelmoraGetVolume", "VelmoraGetLength"};

std::string ExecutableFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void MainWindow::FormCreate() {
  app_.main_window = hwnd_;
  ui::RouteAppCommandsTo(hwnd_);  // the other windows' media and volume keys
  app_.display = std::make_unique<Display>(*this, app_.playlist);
  app_.player = std::make_unique<Player>(Player::Deps{app_.playlist, app_.plugins->Selector(),
                                                      app_.plugins->Current(), *app_.display, *this,
                                                      host_, volume_, app_.settings, app_.random});
  app_.player->Initialise();

  // The volume slider and the level to return to start at the device's level; the
  // start-up picture covers the window until the design is applied.
  app_.errors.Run([&] {
    app_.program_folder = ExecutableFolder();
    const int level = volume_.Get();
    app_.player->ShowVolumeSlider(level);
    // The level to return to is the device's, within the slider's range.
    app_.player->SetSavedVolume(std::clamp(level, 0, 250));
    app_.player->SetVolumeRulerImage(false);
    LoadStartupPicture();
  });
  // Timers, title, file drops, the hint switch and the external commands.
  app_.errors.Run([&] {
    app_.display->SetDesignSink(nullptr);
    host_.StartTimer(TimerId::DeferredStartup);
    host_.StartTimer(TimerId::SeekStatus);  // its first tick shows the makers' address
    app_.player->SetBaseTitle(app_.title);
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
    if (!app_.player->Closing()) app_.errors.Run(body);
  };
  bool handed_off = false;
  // Settle the device's balance and say that the settings come next.
  step([&] {
    host_.StopTimer(TimerId::DeferredStartup);
    volume_.SetBalance(50);
    app_.display->ShowStatus("Getting settings ...");
  });
  // The version history and the program's sub-folders.
  step([&] {
    steps_.FillVersionHistory();
    for (const char* sub : {"Temp", "Library", "Design", "Icons"}) {
      const std::string folder = app_.ProgramFile(sub);
      if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryA(folder.c_str(), nullptr);
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
    const SettingsReadResult result = ReadSettings(store, app_.settings, g);
    settings_read_ = true;
    if (!result.first_run)
      SetWindowPos(hwnd_, nullptr, result.left, result.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const PlayerSettings& s = app_.settings;
    if (s.PWidth && s.PHeight && app_.playlist_window)
      app_.playlist_window->SetSize(*s.PWidth, *s.PHeight);
    // The check boxes and menu marks follow the values read, and the stored
    // transparency switches the window's shape as its check box would.
    app_.settings.Changed();
    ui::FormShaper::Of(hwnd_).SetActive(app_.settings.Transparency);
  });
  // (The easy-move flag needs nothing here: it is read from the settings where it is used.)
  // The command line.
  step([&] {
    app_.display->ShowStatus("Getting parameters ...");
    ApplyCommandLine();
  });
  step([&] { app_.display->ShowStatus("Done"); });
  // Another instance runs and only one is allowed: give it our file and end.
  step([&] {
    if (!app_.settings.Multiple && !CheckSingleInstance()) {
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
        app_.plugins->SkipInScan(hung->path);
        app_.errors.Report(hung->title + " did not answer last time: left out this once");
      }
      app_.plugins->StartLibraryScan(app_.program_folder);
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
      app_.display->ShowStatus("Done");
      // A skin archive on the command line (opened from the shell) is applied over it;
      // its status text names it.
      if (!command_line_skin_.empty()) steps_.OpenSkinArchive(command_line_skin_);
    });
    // Without a command line, the saved playlist comes back with its entry number.
    step([&] {
      if (!app_.playlist.Empty()) return;
      const std::string saved = app_.ProgramFile("pl.m3u");
      if (FileExists(saved)) app_.playlist.LoadPlaylistFile(saved);
      const int32_t index = RestoredIndex(app_.settings.CurrentFile, app_.playlist.Count());
      app_.playlist.SetCurrentIndex(index);
      app_.playlist.UpdateTrackCount();
    });
    playlist_restored_ = true;
    // A playlist makes Play usable and its size shows in the title.
    step([&] {
      if (app_.playlist.Empty()) return;
      app_.player->SetButtonEnabled(TransportButton::Play, true);
      app_.display->ShowSongTitle(std::to_string(app_.playlist.Count()) +
                                  " files in playlist ...                   ");
    });
    // A file named on the command line plays at once when auto-play is on.
    step([&] {
      if (!had_arguments_ || !app_.settings.autoplay || app_.playlist.Empty()) return;
      // The library scan normally waits for its timer; the file cannot be played before
      // the table of types exists, so it runs now.
      if (!app_.plugins->ScanDone()) app_.plugins->ScanLibraryFolder();
      app_.player->Play();
    });
    // The keys for the whole desktop, as their settings say.
    step([&] {
      if (app_.global_keys) app_.global_keys->Start();
    });
  }
  // Topmost as stored, the news, activation handling, hints, shadow mode, the title.
  step([&] {
    if (!app_.settings.ToTop)
      SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (app_.settings.Nag && !handed_off) windows_.ShowNews();
    activation_routed_ = true;
    steps_.FillIconList();
    // From here on the hint handler follows "Enable Tooltips", and the window VisibleMode
    // and ShadowMode, wherever they change.
    startup_done_ = true;
    if (!handed_off) {
      ApplyVisibleMode();
      if (app_.settings.ShadowMode) EnterShadowMode();
    }
    SetTitleEnabled(true);
  });
}

void MainWindow::ApplyCommandLine() {
  if (app_.arguments.empty()) return;
  const std::string text = JoinArguments(app_.arguments);
  if (IsSkinArchiveName(text)) {
    // A design, not something to play: the saved playlist comes back as without one.
    command_line_skin_ = FullPath(text);
    return;
  }
  had_arguments_ = true;
  Playlist& pl = app_.playlist;
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
  char caption[256] = {};
  GetWindowTextA(hwnd_, caption, sizeof(caption));
  SetWindowTextA(hwnd_, "");
  HWND other = FindWindowA("TForm1", caption);
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
  if (other_instance_ && (app_.playlist.Count() == 1 || !command_line_skin_.empty())) {
    // The other instance may run in another folder: send the path in full.
    const std::string path =
        command_line_skin_.empty() ? FullPath(app_.playlist.Path(0)) : command_line_skin_;
    COPYDATASTRUCT cds{};
    cds.dwData = 255;
    cds.cbData = static_cast<DWORD>(path.size());
    cds.lpData = const_cast<char*>(path.c_str());
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(other_instance_, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_),
                        reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 60000, &answer);
  }
  app_.player->BeginClosing();
  PostQuitMessage(0);
}

void MainWindow::FormClose() {
  app_.errors.Run([&] {
    steps_.CancelUpdateRequest();
    steps_.StopVisualisation();
  });
  // A shutdown already under way, or a second instance that handed over: save nothing.
  // Otherwise the player stops loading, playing and timing at once, also where this runs
  // inside one of its message pumps.
  if (!app_.player->BeginClosing()) return;
  host_.StopTimer(TimerId::DeferredStartup);

  app_.errors.Run([&] { app_.plugins->ReleaseInfoLibrary(); });
  app_.errors.Run([&] {
    InputPlugin& plugin = app_.plugins->Current();
    if (plugin.PlayingReportsTrue() && plugin.Has(PluginEntry::stop)) plugin.stop();
  });
  app_.errors.Run([&] { steps_.ReleaseDesignModules(); });
  app_.errors.Run([&] { app_.plugins->UnloadAllPlugins(); });
  app_.errors.Run([&] {
    PlayerSettings& s = app_.settings;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    RECT r{};
    if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &wp))
      r = wp.rcNormalPosition;
    else
      GetWindowRect(hwnd_, &r);
    s.Top = r.top;
    s.Left = r.left;
    if (app_.playlist_window) {
      int w = 0, h = 0;
      app_.playlist_window->GetSize(&w, &h);
      if (w > 0 && h > 0) s.PWidth = w, s.PHeight = h;
    }
    // Before the start-up has read the settings there is nothing of ours to save; before
    // it has restored the playlist the stored entry number still holds.
    if (!settings_read_) return;
    if (playlist_restored_) s.CurrentFile = app_.playlist.CurrentIndex();
    RegistryStore store;
    SaveSettings(store, s);
    if (s.LogErrors) WriteErrorLog();
    if (app_.playlist.Count() > 1) WritePlaylistFile();
  });
  app_.errors.Run(
      [&] { app_.display->ShowStatus(std::string("GO ") + kFarewellAddress + " !!!"); });
  PostQuitMessage(0);
}

void MainWindow::WriteErrorLog() {
  char date[128] = {}, time[128] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof(date));
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof(time));
  app_.player->WriteErrorLog(app_.ProgramFile("errors.log"), date, time);
}

void MainWindow::SaveWhileStuck() {
  if (!settings_read_) return;
  PlayerSettings s = app_.settings;
  if (playlist_restored_) s.CurrentFile = app_.playlist.CurrentIndex();
  RegistryStore store;
  SaveSettings(store, s);
  if (app_.playlist.Count() > 1) WritePlaylistFile();
}

void MainWindow::WritePlaylistFile() {
  // The old list is replaced only by a complete new one: a failed write leaves it as it was.
  const std::string target = app_.ProgramFile("pl.m3u");
  const std::string fresh = target + ".tmp";
  try {
    app_.playlist.SavePlaylistFile(fresh);
  } catch (...) {
    DeleteFileA(fresh.c_str());
    throw;
  }
  if (!MoveFileExA(fresh.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(fresh.c_str());
    throw std::runtime_error("Cannot create file " + target);
  }
}

}  // namespace velmora
