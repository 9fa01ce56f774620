// What the playlist window asks of the player. Portable; the player implements it.
#pragma once

namespace velmora {

class PlaylistTransport {
 public:
  virtual ~PlaylistTransport() = default;
  virtual void Play() = 0;
  virtual void Stop() = 0;
  // The "Open Song or Playlist" dialog and what follows it.
  virtual void OpenFiles() = 0;
  // Files arrived: the Play button becomes usable.
  virtual void EnablePlay() = 0;
  // The auto-play setting.
  virtual bool AutoPlay() const = 0;
};

}  // namespace velmora
