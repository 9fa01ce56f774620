#include "app/media_keys.h"

namespace velmora {

namespace {
// The window system's numbers for app commands, keys and modifiers.
constexpr uint32_t kAppVolumeMute = 8, kAppVolumeDown = 9, kAppVolumeUp = 10, kAppNextTrack = 11,
                   kAppPrevTrack = 12, kAppStop = 13, kAppPlayPause = 14, kAppPlay = 46,
                   kAppPause = 47;
constexpr uint32_t kKeyVolumeMute = 0xAD, kKeyVolumeDown = 0xAE, kKeyVolumeUp = 0xAF,
                   kKeyNextTrack = 0xB0, kKeyPrevTrack = 0xB1, kKeyStop = 0xB2,
                   kKeyPlayPause = 0xB3;
constexpr uint32_t kKeyPageUp = 0x21, kKeyPageDown = 0x22, kKeyEnd = 0x23, kKeyHome = 0x24,
                   kKeyUp = 0x26, kKeyDown = 0x28, kKeyInsert = 0x2D;
constexpr uint32_t kModAlt = 0x1, kModControl = 0x2;
}  // namespace

MediaCommand MediaCommandForAppCommand(uint32_t app_command) {
  switch (app_command) {
    case kAppPlayPause: return MediaCommand::PlayPause;
    case kAppPlay: return MediaCommand::Play;
    case kAppPause: return MediaCommand::Pause;
    case kAppStop: return MediaCommand::Stop;
    case kAppNextTrack: return MediaCommand::NextTrack;
    case kAppPrevTrack: return MediaCommand::PrevTrack;
    case kAppVolumeUp: return MediaCommand::VolumeUp;
    case kAppVolumeDown: return MediaCommand::VolumeDown;
    case kAppVolumeMute: return MediaCommand::Mute;
    default: return MediaCommand::None;
  }
}

MediaCommand MediaCommandForKey(uint32_t virtual_key) {
  switch (virtual_key) {
    case kKeyPlayPause: return MediaCommand::PlayPause;
    case kKeyStop: return MediaCommand::Stop;
    case kKeyNextTrack: return MediaCommand::NextTrack;
    case kKeyPrevTrack: return MediaCommand::PrevTrack;
    case kKeyVolumeUp: return MediaCommand::VolumeUp;
    case kKeyVolumeDown: return MediaCommand::VolumeDown;
    case kKeyVolumeMute: return MediaCommand::Mute;
    default: return MediaCommand::None;
  }
}

const std::vector<GlobalKey>& GlobalKeys() {
  constexpr uint32_t kCtrlAlt = kModControl | kModAlt;
  using G = GlobalKeyGroup;
  using C = MediaCommand;
  static const std::vector<GlobalKey> kKeys = {
      {G::MediaKeys, 0, kKeyPlayPause, C::PlayPause},
      {G::MediaKeys, 0, kKeyStop, C::Stop},
      {G::MediaKeys, 0, kKeyNextTrack, C::NextTrack},
      {G::MediaKeys, 0, kKeyPrevTrack, C::PrevTrack},
      {G::CtrlAltKeys, kCtrlAlt, kKeyInsert, C::PlayPause},
      {G::CtrlAltKeys, kCtrlAlt, kKeyEnd, C::Stop},
      {G::CtrlAltKeys, kCtrlAlt, kKeyPageDown, C::NextTrack},
      {G::CtrlAltKeys, kCtrlAlt, kKeyPageUp, C::PrevTrack},
      {G::CtrlAltKeys, kCtrlAlt, kKeyUp, C::VolumeUp},
      {G::CtrlAltKeys, kCtrlAlt, kKeyDown, C::VolumeDown},
      {G::CtrlAltKeys, kCtrlAlt, kKeyHome, C::Mute},
  };
  return kKeys;
}

Command MediaKeyCommand(MediaCommand command) {
  CommandKind kind = CommandKind::PlayPause;
  switch (command) {
    case MediaCommand::None:
    case MediaCommand::PlayPause: kind = CommandKind::PlayPause; break;
    case MediaCommand::Play: kind = CommandKind::PlayOrResume; break;
    case MediaCommand::Pause: kind = CommandKind::PauseIfPlaying; break;
    case MediaCommand::Stop: kind = CommandKind::Stop; break;
    case MediaCommand::NextTrack: kind = CommandKind::NextTrack; break;
    case MediaCommand::PrevTrack: kind = CommandKind::PrevTrack; break;
    case MediaCommand::VolumeUp: kind = CommandKind::VolumeUp; break;
    case MediaCommand::VolumeDown: kind = CommandKind::VolumeDown; break;
    case MediaCommand::Mute: kind = CommandKind::Mute; break;
  }
  return Command{kind, CommandSource::Shortcut, {}};
}

}  // namespace velmora
