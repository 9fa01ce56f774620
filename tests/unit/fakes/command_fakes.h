// The command dispatcher over the player's fakes, with windows that record what they were
// asked.
#pragma once

#include <string>
#include <vector>

#include "app/command_dispatcher.h"
#include "fakes/player_fakes.h"

namespace velmora::fakes {

class RecordingWindows : public WindowCommands,
                         public PlaylistWindowRequests,
                         public MainWindowActions {
 public:
  std::vector<std::string> calls;

  void ShowOptionsPage(const std::string& page) override { calls.push_back("page " + page); }
  void ShowNews() override { calls.push_back("news"); }
  void ShowVuMeter() override { calls.push_back("vu meter"); }
  void ShowDesignChooser() override { calls.push_back("chooser"); }
  void ShowVisualisation() override { calls.push_back("visualisation"); }
  void StartOrStopVisualisation() override { calls.push_back("start/stop visualisation"); }
  void ShowPlaylist() override { calls.push_back("playlist"); }
  void ClearPlaylist() override { calls.push_back("clear"); }
  void ShowJumpToFile() override { calls.push_back("jump"); }
  void AddDroppedFiles(const std::vector<std::string>&) override {}
  void SetPlaylistWindowSize(int, int) override {}
  void GetPlaylistWindowSize(int* width, int* height) override { *width = *height = 0; }
  void ShowGeneralMenu() override { calls.push_back("general menu"); }
  void Minimize() override { calls.push_back("minimize"); }
  void Restore() override { calls.push_back("restore"); }
  void Close(bool later) override { calls.push_back(later ? "close later" : "close now"); }
  void OpenSkinArchive(const std::string& path) override { calls.push_back("skin " + path); }
};

struct CommandRig : PlayerRig {
  RecordingWindows windows;
  CommandDispatcher dispatcher{
      CommandDispatcher::Deps{*player, display, settings, playlist, windows, windows, windows}};

  CommandResult Run(CommandKind kind, CommandSource source = CommandSource::Shortcut,
                    const std::string& text = {}) {
    return dispatcher.Execute(Command{kind, source, text});
  }
};

}  // namespace velmora::fakes
