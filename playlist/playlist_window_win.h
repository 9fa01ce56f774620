// TForm3, the playlist window, as the rest of the program sees it. It shows the playlist
// and edits it, asks the player to play through PlaylistTransport, reads the extension
// table of the plug-in system and reports failures to the error sink.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "playlist/playlist.h"
#include "playlist/playlist_look.h"
#include "playlist/playlist_transport.h"
#include "playlist/random.h"
#include "plugins/plugin_system.h"
#include "ui/error_sink.h"
#include "ui/hint_echo.h"

namespace velmora {

class PlaylistWindowControl {
 public:
  virtual ~PlaylistWindowControl() = default;
  virtual HWND Handle() const = 0;
  // Shown (restored when minimised) and brought to the front.
  virtual void Show() = 0;
  // The removal menu's "All" (also what other programs' VelmoraClearPlaylist does).
  virtual void RemoveAllRows() = 0;
  // Files dropped on the main window: added as a drop here would add them, Play enabled.
  virtual void AddDroppedFiles(const std::vector<std::string>& names) = 0;
  // "Jump to file" (TForm14), shown in front.
  virtual void ShowJumpToFile() = 0;
  // The "Save mp3 playlist" dialog and the save.
  virtual void SaveDialog() = 0;
  // The sort menu's "Sort": by song name, ascending.
  virtual void SortByName() = 0;
  // The list's colours and font as the design in force gives them; an empty look is
  // the system's.
  virtual void SetLook(const PlaylistLook& look) = 0;
  // The window's outer size (the settings keep it).
  virtual void SetSize(int width, int height) = 0;
  virtual void GetSize(int* width, int* height) const = 0;
};

std::unique_ptr<PlaylistWindowControl> CreatePlaylistWindow(Playlist& playlist,
                                                            PlaylistTransport& transport,
                                                            PluginSystem& plugins,
                                                            RandomGenerator& random,
                                                            ErrorSink& errors, ui::HintEcho& hints);

}  // namespace velmora
