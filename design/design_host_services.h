// What the host services of a design library do. The Win32 layer turns the header's
// slots into calls of DesignHostServices; the rules live here so the unit tests reach them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <functional>

#include "design/design_host_target.h"
#include "design/design_library.h"
#include "playlist/playlist.h"
#include "plugins/input_plugin.h"

namespace velmora {

// The buttons a library can click through the host.
enum class DesignButton : int {
  Play,
  Stop,
  Pause,
  NextTrack,
  PrevTrack,
  FastForward,
  Rewind,
  Exit,
  Minimize,
  Id3,
  Open,
  ShowPlaylist
};

// "Volume : " + v * 10 div 25 + "%" (250 gives 100%, 1 gives 0%).
std::string VolumeStatusText(int volume);

// The balance of the sound options: a slider 0..100 (50 centred) whose value v sets the
// output's balance b to 100 - v. Changing it tells an active design library b and the
// Sound Options page v.
class SoundBalance {
 public:
  explicit SoundBalance(OutputBalance& output) : output_(output) {}
  // The slider's value.
  int Value() const { return value_; }
  // The slider moved to v (kept within 0..100, as the slider keeps it).
  void Set(int v);
  // Told the balance b = 100 - v at every change (the design library's OnBalance).
  void SetListener(std::function<void(int)> listener) { listener_ = std::move(listener); }
  // Told the slider's value v at every change (the page that shows the slider).
  void SetSliderView(std::function<void(int)> view) { view_ = std::move(view); }
  // The text beside the slider for the balance b: "20 Left", "Centered", "20 Right".
  static std::string Text(int b);

 private:
  OutputBalance& output_;
  int value_ = 50;
  std::function<void(int)> listener_;
  std::function<void(int)> view_;
};

// The parts of the windows the services reach: the main window's click handling and
// the playlist window's commands.
class DesignCommands {
 public:
  virtual ~DesignCommands() = default;
  virtual void Click(DesignButton button, void* sender) = 0;
  // The input plug-in's options popup at the mouse, or the "(No File Playing)" menu.
  virtual void ShowPopup() = 0;
  // Runs the options window's show handling (its controls are refreshed).
  virtual void RefreshOptions() = 0;
  virtual void SortPlaylistByName() = 0;
  virtual void SavePlaylistDialog() = 0;
};

class DesignHostServices {
 public:
  struct Deps {
    DesignHostTarget& core;
    Playlist& playlist;
    InputPlugin& plugin;
    SoundBalance& balance;
    DesignCommands& commands;
    DesignLibraryHost& host;
  };
  explicit DesignHostServices(Deps d) : d_(d) {}

  void Click(DesignButton button, void* sender) { d_.commands.Click(button, sender); }
  // jumpto(p * position scale) when the plug-in exports it.
  void Seek(int32_t position);
  // As moving the volume slider to v.
  void SetVolume(int32_t volume);
  void ShowPopup() { d_.commands.ShowPopup(); }
  // Values above 100 are ignored.
  void SetBalance(int32_t balance);
  int32_t GetBalance();
  // Copies of the two lists (names, paths); HostSortPlaylist sorts first.
  void GetPlaylist(std::vector<std::string>& names, std::vector<std::string>& paths) const;
  void SortPlaylist(std::vector<std::string>& names, std::vector<std::string>& paths);
  void SetPlaylist(std::vector<std::string> names, std::vector<std::string> paths);
  void SavePlaylist() { d_.commands.SavePlaylistDialog(); }
  int32_t GetCurrentIndex() const { return d_.playlist.CurrentIndex(); }
  // Makes the row current (without telling the library, which asked) and plays.
  void PlayIndex(int32_t index);

 private:
  Deps d_;
};

}  // namespace velmora
