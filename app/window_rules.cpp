#include "app/window_rules.h"

namespace velmora {

namespace {

// The window system's numbers for the keys and commands of the tables below.
constexpr uint32_t kKeyPause = 0x13, kKeyF1 = 0x70;
constexpr uint32_t kCommandMinimize = 0xF020, kCommandClose = 0xF060, kCommandKeyMenu = 0xF100,
                   kCommandRestore = 0xF120;

}  // namespace

Presence MinimizedPresence(int32_t minimize_setting) {
  switch (minimize_setting) {
    case 1: return {false, true};
    case 2: return {true, true};
    default: return {true, false};
  }
}

std::optional<Presence> VisiblePresence(int32_t visible_mode) {
  switch (visible_mode) {
    case 0: return Presence{true, false};
    case 1: return Presence{false, true};
    case 2: return Presence{true, true};
    default: return std::nullopt;
  }
}

std::optional<ShadowSpot> ShadowPlacement(const std::optional<ScreenRect>& pointed_window,
                                          bool pointed_is_shadow_window, int32_t width,
                                          int32_t picture_height) {
  if (!pointed_window || pointed_is_shadow_window) return std::nullopt;
  return ShadowSpot{pointed_window->right - 200, pointed_window->top + 5, width, picture_height};
}

MainKey MainKeyFor(uint32_t virtual_key) {
  switch (virtual_key) {
    case kKeyF1: return MainKey::Help;
    case 'P': return MainKey::Play;
    case 'S': return MainKey::Stop;
    case 'N': return MainKey::NextTrack;
    case 'R': return MainKey::PrevTrack;
    case kKeyPause: return MainKey::Pause;
    case 'J': return MainKey::JumpToFile;
    default: return MainKey::None;
  }
}

MenuKey MenuKeyFor(char letter) {
  switch (letter) {
    case 'd':
    case 'D': return MenuKey::Design;
    case 'p':
    case 'P': return MenuKey::Playlist;
    case 'm':
    case 'M': return MenuKey::MemoryInfo;
    case 'a':
    case 'A': return MenuKey::About;
    case 'e':
    case 'E': return MenuKey::EasyMove;
    case 'g':
    case 'G': return MenuKey::General;
    case 's':
    case 'S': return MenuKey::Sound;
    case 'o':
    case 'O': return MenuKey::OpenFiles;
    case 'v':
    case 'V': return MenuKey::VuMeter;
    default: return MenuKey::None;
  }
}

SystemCommand SystemCommandFor(uint32_t command) {
  // The low four bits are the system's own.
  switch (command & 0xFFF0u) {
    case kCommandKeyMenu: return SystemCommand::MenuKey;
    case kCommandClose: return SystemCommand::Close;
    case kCommandMinimize: return SystemCommand::Minimize;
    case kCommandRestore: return SystemCommand::Restore;
    default: return SystemCommand::Consume;
  }
}

}  // namespace velmora
