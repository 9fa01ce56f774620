// TForm14, "Jump to file": a box for words and the list of the playlist entries that hold
// them all, narrowed as the user types; Enter plays the chosen entry as a double click in
// the playlist would, Escape closes.
#pragma once

#include <memory>

#include "playlist/playlist.h"
#include "playlist/playlist_transport.h"
#include "ui/error_sink.h"

namespace velmora {

class JumpToFile {
 public:
  virtual ~JumpToFile() = default;
  // Shown in front with the words selected, the list up to date.
  virtual void Show() = 0;
};

std::unique_ptr<JumpToFile> CreateJumpWindow(Playlist& playlist, PlaylistTransport& transport,
                                             ErrorSink& errors);

}  // namespace velmora
