// What the user, another program or a design library asks the player to do, whichever way
// it came in (a button, a key, a menu entry, a media key, a registered message, a
// WM_COPYDATA text, a library's button or a help tour), as one value. Every window hands
// its commands to one CommandSink, which applies the "only while enabled" rules once.
// Portable: the lower folders state what they ask in these terms without knowing the
// application.
#pragma once

#include <string>

namespace velmora {

enum class CommandKind {
  // Transport: the buttons' own operations.
  Play,
  Stop,
  Pause,
  FastForward,
  Rewind,
  NextTrack,
  PrevTrack,
  // Media keys: pauses (or resumes) a loaded file and plays otherwise; resumes a paused
  // file or plays when nothing is loaded; pauses a file that plays.
  PlayPause,
  PlayOrResume,
  PauseIfPlaying,
  VolumeUp,
  VolumeDown,
  Mute,
  // The Play, Stop and Pause buttons' popup menus.
  FadeInPlay,
  FadeOutStop,
  FadeOutPause,
  FadeInPause,
  // The title's popup menu.
  ScrollTitle,
  StopTitleScroll,
  OpenFiles,
  ShowId3,
  ShowPlaylist,
  ClearPlaylist,
  JumpToFile,
  // The general menu's check entries.
  ToggleFadeStop,
  ToggleFadePlay,
  ToggleFadePause,
  ToggleTransparency,
  ToggleEasyMove,
  ToggleAutoPlay,
  ToggleRandom,
  ToggleLoop,
  // Windows and options pages.
  ShowNews,
  ShowHelp,
  ShowAbout,
  ShowFileTypes,
  ShowMemoryInfo,
  ShowGeneralOptions,
  ShowSoundOptions,
  ShowDesignInfo,
  ShowInputPlugins,
  ShowDesignChooser,
  ShowVisualisation,
  ShowVuMeter,
  StartOrStopVisualisation,
  ShowGeneralMenu,
  Minimize,
  Restore,
  Exit,
  // Texts of another program (`text` is the argument): a status text, a file played
  // outside the playlist, a skin archive opened as a design, a file added and played.
  ShowStatusText,
  PlayOutsidePlaylist,
  OpenSkinArchive,
  AddAndPlay,
};

// Where a command came from decides how a disabled button answers it.
enum class CommandSource {
  // One of the player's own buttons was pressed (a disabled one cannot be).
  Control,
  // A design library pressed a button in its windows: as the button itself, but Exit
  // waits until the library's call has returned.
  Library,
  // A key, a menu entry, a media or global key: a disabled button refuses, saying so.
  Shortcut,
  // Another program's registered message: a disabled button refuses, and the sender is
  // told; the status line names the call.
  OtherProgram,
};

struct Command {
  CommandKind kind;
  CommandSource source = CommandSource::Shortcut;
  std::string text;  // the argument of the texts of another program
};

enum class CommandResult { Done, Refused };

class CommandSink {
 public:
  virtual ~CommandSink() = default;
  virtual CommandResult Execute(const Command& command) = 0;
};

}  // namespace velmora
