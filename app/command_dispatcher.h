// The one place where commands are carried out: whatever produced a command (a button, a
// key, a menu, a media key, another program, a design library, a help tour), the
// dispatcher applies the "only while enabled" rules and runs it on the player, the
// settings and the windows. Portable: the windows are reached through the interfaces
// it is given.
#pragma once

#include <string>

#include "app/display.h"
#include "app/player.h"
#include "app/settings.h"
#include "app/window_commands.h"
#include "playlist/playlist.h"
#include "ui/command.h"

namespace velmora {

// What only the main window does for a command.
class MainWindowActions {
 public:
  virtual ~MainWindowActions() = default;
  virtual void ShowGeneralMenu() = 0;
  virtual void Minimize() = 0;
  virtual void Restore() = 0;
  // Ends the player: at once, or once the message being handled has returned.
  virtual void Close(bool later) = 0;
  virtual void OpenSkinArchive(const std::string& path) = 0;
};

class CommandDispatcher : public CommandSink {
 public:
  struct Deps {
    Player& player;
    Display& display;
    Settings& settings;
    Playlist& playlist;
    WindowCommands& windows;
    PlaylistWindowRequests& playlist_window;
    MainWindowActions& main_window;
  };
  explicit CommandDispatcher(Deps deps) : d_(deps) {}

  // Refused when a transport command meets a disabled button (only from a shortcut or
  // another program; a button pressed runs its command).
  CommandResult Execute(const Command& command) override;

 private:
  void Run(CommandKind kind, const Command& command);
  void Toggle(bool PlayerSettings::*setting);

  Deps d_;
};

}  // namespace velmora
