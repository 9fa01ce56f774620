// The one table of the keyboard's media keys, the window system's app commands and the
// player's global keys, and the command each gives. Every window and the global hot keys
// go through here, so a key does the same wherever it is pressed.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/command.h"

namespace velmora {

enum class MediaCommand {
  None,
  PlayPause,
  Play,
  Pause,
  Stop,
  NextTrack,
  PrevTrack,
  VolumeUp,
  VolumeDown,
  Mute
};

// WM_APPCOMMAND's command (GET_APPCOMMAND_LPARAM); None for commands the player leaves alone.
MediaCommand MediaCommandForAppCommand(uint32_t app_command);

// A media virtual key pressed in one of the player's windows; None for any other key.
MediaCommand MediaCommandForKey(uint32_t virtual_key);

// A key the player can register for the whole desktop.
enum class GlobalKeyGroup { MediaKeys, CtrlAltKeys };
struct GlobalKey {
  GlobalKeyGroup group;
  uint32_t modifiers;  // MOD_CONTROL | MOD_ALT numbers of the window system, 0 for none
  uint32_t virtual_key;
  MediaCommand command;
};
// Every global key, in a fixed order (the index is the hot key's id offset). The media
// keys leave the volume keys to the system.
const std::vector<GlobalKey>& GlobalKeys();

// The command a media key gives (a shortcut: a disabled button refuses as its key would).
// Play/pause pauses (or resumes) while a file is loaded and playing or paused, and plays
// otherwise. Not for None.
Command MediaKeyCommand(MediaCommand command);

}  // namespace velmora
