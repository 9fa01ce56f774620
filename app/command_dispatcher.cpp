#include "app/command_dispatcher.h"

namespace velmora {

namespace {

// The transport commands a disabled button refuses when they come from a shortcut or
// another program, and what the status line says of them.
struct EnabledRule {
  CommandKind kind;
  TransportButton button;
  const char* pushed;
  const char* refused;
};
constexpr EnabledRule kEnabledRules[] = {
    {CommandKind::Play, TransportButton::Play, "Pushed on play !", "Play not enable !"},
    {CommandKind::Stop, TransportButton::Stop, "Pushed on stop !", "Stop not enable !"},
    {CommandKind::Pause, TransportButton::Pause, "Pushed on pause !", "Pause not enable !"},
    {CommandKind::NextTrack, TransportButton::NextTrack, "Pushed on NextTrack !",
     "NextTrack not enable !"},
    {CommandKind::PrevTrack, TransportButton::PrevTrack, "Pushed on PrevTrack !",
     "PrevTrack not enable !"},
};

// What the status line says of another program's call, before or after running it.
struct CallStatus {
  CommandKind kind;
  const char* text;
  bool before;
};
constexpr CallStatus kCallStatuses[] = {
    {CommandKind::Play, "API CALL : Play", false},
    {CommandKind::Stop, "API CALL : Stop", false},
    {CommandKind::NextTrack, "API CALL : Next Track", false},
    {CommandKind::PrevTrack, "API CALL : Prev Track", false},
    {CommandKind::Pause, "API CALL : Pause", false},
    {CommandKind::ShowId3, "API CALL : Show id3", true},
    {CommandKind::ShowPlaylist, "API CALL : Show Playlist", false},
    {CommandKind::ClearPlaylist, "API CALL : Clear Playlist", false},
    {CommandKind::OpenFiles, "API CALL : Open Files", false},
    {CommandKind::Exit, "API CALL : Exit", false},
    {CommandKind::Minimize, "API CALL : Minimize", false},
    {CommandKind::PlayOutsidePlaylist, "API CALL : Just play the file", false},
    {CommandKind::AddAndPlay, "API CALL : Open File", true},
};

// One volume step of a key: the volume slider's own step.
constexpr int kVolumeStep = 10;

template <typename Table>
const auto* Find(const Table& table, CommandKind kind) {
  for (const auto& entry : table)
    if (entry.kind == kind) return &entry;
  return static_cast<decltype(&table[0])>(nullptr);
}

}  // namespace

CommandResult CommandDispatcher::Execute(const Command& command) {
  Player& player = d_.player;
  CommandKind kind = command.kind;
  // The media keys' play and pause become Play or Pause by the player's state (a pause
  // while paused resumes).
  const bool loaded = player.ButtonEnabled(TransportButton::Pause);  // playing or paused
  switch (kind) {
    case CommandKind::PlayPause: kind = loaded ? CommandKind::Pause : CommandKind::Play; break;
    case CommandKind::PlayOrResume:
      if (loaded && !player.Paused()) return CommandResult::Done;
      kind = loaded ? CommandKind::Pause : CommandKind::Play;
      break;
    case CommandKind::PauseIfPlaying:
      if (!loaded || player.Paused()) return CommandResult::Done;
      kind = CommandKind::Pause;
      break;
    default: break;
  }

  const bool from_shortcut = command.source == CommandSource::Shortcut;
  const bool from_program = command.source == CommandSource::OtherProgram;
  const EnabledRule* rule = from_shortcut || from_program ? Find(kEnabledRules, kind) : nullptr;
  const CallStatus* call = from_program ? Find(kCallStatuses, kind) : nullptr;

  if (call && call->before) d_.display.ShowStatus(call->text);
  CommandResult result = CommandResult::Done;
  if (rule && !player.ButtonEnabled(rule->button)) {
    result = CommandResult::Refused;
    if (from_shortcut) d_.display.ShowStatus(rule->refused);
  } else {
    if (rule && from_shortcut) d_.display.ShowStatus(rule->pushed);
    Run(kind, command);
  }
  if (call && !call->before) d_.display.ShowStatus(call->text);
  return result;
}

void CommandDispatcher::Toggle(bool PlayerSettings::*setting) {
  d_.settings.Set(setting, !((*d_.settings).*setting));
}

void CommandDispatcher::Run(CommandKind kind, const Command& command) {
  Player& p = d_.player;
  Display& display = d_.display;
  WindowCommands& windows = d_.windows;
  MainWindowActions& main_window = d_.main_window;
  switch (kind) {
    case CommandKind::Play: p.Play(); break;
    case CommandKind::Stop: p.Stop(); break;
    case CommandKind::Pause: p.Pause(); break;
    case CommandKind::FastForward: p.FastForward(); break;
    case CommandKind::Rewind: p.Rewind(); break;
    case CommandKind::NextTrack: p.NextTrack(); break;
    case CommandKind::PrevTrack: p.PrevTrack(); break;
    case CommandKind::PlayPause:
    case CommandKind::PlayOrResume:
    case CommandKind::PauseIfPlaying: break;  // made Play or Pause by Execute
    case CommandKind::VolumeUp: p.ChangeVolumeBy(kVolumeStep); break;
    case CommandKind::VolumeDown: p.ChangeVolumeBy(-kVolumeStep); break;
    case CommandKind::Mute: p.ToggleMute(); break;
    case CommandKind::FadeInPlay: p.FadeInPlay(); break;
    case CommandKind::FadeOutStop: p.FadeOutStop(); break;
    case CommandKind::FadeOutPause: p.FadeOutPause(); break;
    case CommandKind::FadeInPause: p.FadeInPause(); break;
    case CommandKind::ScrollTitle: p.ScrollTitle(true); break;
    case CommandKind::StopTitleScroll: p.ScrollTitle(false); break;
    case CommandKind::OpenFiles: p.OpenFiles(); break;
    case CommandKind::ShowId3: p.ShowId3(); break;
    case CommandKind::ShowPlaylist:
      d_.playlist_window.ShowPlaylist();
      display.ShowStatus("Showing Playlist");
      break;
    case CommandKind::ClearPlaylist: d_.playlist_window.ClearPlaylist(); break;
    case CommandKind::JumpToFile: d_.playlist_window.ShowJumpToFile(); break;
    case CommandKind::ToggleFadeStop: p.ToggleFadeStop(); break;
    case CommandKind::ToggleFadePlay: p.ToggleFadePlay(); break;
    case CommandKind::ToggleFadePause: p.ToggleFadePause(); break;
    // The window's shape and the options' boxes follow the settings.
    case CommandKind::ToggleTransparency: Toggle(&PlayerSettings::Transparency); break;
    case CommandKind::ToggleEasyMove:
      Toggle(&PlayerSettings::EasyMove);
      display.ShowStatus(d_.settings->EasyMove ? "Easymove activated" : "Easymove deactivated");
      break;
    case CommandKind::ToggleAutoPlay: Toggle(&PlayerSettings::autoplay); break;
    case CommandKind::ToggleRandom: Toggle(&PlayerSettings::Randomplay); break;
    case CommandKind::ToggleLoop: Toggle(&PlayerSettings::loop); break;
    case CommandKind::ShowNews: windows.ShowNews(); break;
    case CommandKind::ShowHelp: windows.ShowOptionsPage("Help"); break;
    case CommandKind::ShowAbout:
      windows.ShowOptionsPage("About");
      display.ShowStatus("Showing About");
      break;
    case CommandKind::ShowFileTypes: windows.ShowOptionsPage("FileType/Icons"); break;
    case CommandKind::ShowMemoryInfo:
      display.ShowStatus("Showing Memory Info");
      windows.ShowOptionsPage("Memory Infos");
      break;
    case CommandKind::ShowGeneralOptions:
      windows.ShowOptionsPage("");  // on the page it was left on
      display.ShowStatus("General Options");
      break;
    case CommandKind::ShowSoundOptions:
      display.ShowStatus("Showing sound options");
      windows.ShowOptionsPage("Sound Options");
      break;
    case CommandKind::ShowDesignInfo: windows.ShowOptionsPage("Design Info"); break;
    case CommandKind::ShowInputPlugins: windows.ShowOptionsPage("Input Plugins"); break;
    case CommandKind::ShowDesignChooser:
      display.ShowStatus("Showing Design");
      windows.ShowDesignChooser();
      break;
    case CommandKind::ShowVisualisation: windows.ShowVisualisation(); break;
    case CommandKind::ShowVuMeter: windows.ShowVuMeter(); break;
    case CommandKind::StartOrStopVisualisation: windows.StartOrStopVisualisation(); break;
    case CommandKind::ShowGeneralMenu: main_window.ShowGeneralMenu(); break;
    case CommandKind::Minimize: main_window.Minimize(); break;
    case CommandKind::Restore: main_window.Restore(); break;
    case CommandKind::Exit:
      // A menu's or a library's Exit closes once its call has returned (closing releases
      // the library).
      main_window.Close(command.source == CommandSource::Shortcut ||
                        command.source == CommandSource::Library);
      break;
    case CommandKind::ShowStatusText: display.ShowStatus(command.text); break;
    case CommandKind::PlayOutsidePlaylist: p.PlayOutsidePlaylist(command.text); break;
    case CommandKind::OpenSkinArchive: main_window.OpenSkinArchive(command.text); break;
    case CommandKind::AddAndPlay:
      d_.playlist.AddToPlaylist(command.text);
      d_.playlist.SetCurrentIndex(static_cast<int32_t>(d_.playlist.Count()) - 1);
      p.Play();
      break;
  }
}

}  // namespace velmora
