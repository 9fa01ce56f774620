// TForm1's answers to other programs: the fourteen registered messages, WM_COPYDATA
// text commands and files dropped from the shell.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "app/main_window_win.h"
#include "design/skin_archive.h"
#include "ui/control_ids.h"

namespace velmora {

namespace {

// The text of a WM_COPYDATA: at most cbData bytes, up to a terminating zero if the sender
// put one inside them. A sender that leaves the zero out is never read past its data.
std::string CopyDataText(const COPYDATASTRUCT* data) {
  if (!data || !data->lpData || data->cbData == 0) return {};
  const char* p = static_cast<const char*>(data->lpData);
  const void* zero = std::memchr(p, '\0', data->cbData);
  const size_t n = zero ? static_cast<size_t>(static_cast<const char*>(zero) - p) : data->cbData;
  return std::string(p, n);
}

}  // namespace

bool MainWindow::OnRegisteredMessage(UINT msg, LRESULT& result) {
  int index = -1;
  for (int i = 0; i < static_cast<int>(ExternalCommand::Count); ++i)
    if (messages_[static_cast<size_t>(i)] == msg) {
      index = i;
      break;
    }
  if (index < 0) return false;
  Player& p = player_;
  Display& d = display_;

  // A guarded command runs only while its button is enabled; 1 tells the sender it refused.
  auto guarded = [&](TransportButton button, void (Player::*op)(), const char* status) {
    if (p.ButtonEnabled(button)) {
      (p.*op)();
      result = 0;
    } else {
      result = 1;
    }
    d.ShowStatus(status);
  };

  switch (static_cast<ExternalCommand>(index)) {
    case ExternalCommand::Play:
      guarded(TransportButton::Play, &Player::Play, "API CALL : Play");
      break;
    case ExternalCommand::Stop:
      guarded(TransportButton::Stop, &Player::Stop, "API CALL : Stop");
      break;
    case ExternalCommand::Next:
      guarded(TransportButton::NextTrack, &Player::NextTrack, "API CALL : Next Track");
      break;
    case ExternalCommand::Prev:
      guarded(TransportButton::PrevTrack, &Player::PrevTrack, "API CALL : Prev Track");
      break;
    case ExternalCommand::Pause:
      result = 1;
      if (p.ButtonEnabled(TransportButton::Pause)) {
        p.Pause();
        result = 0;
      }
      d.ShowStatus("API CALL : Pause");
      break;
    case ExternalCommand::ShowPlaylist:
      ShowPlaylistWindow();
      d.ShowStatus("API CALL : Show Playlist");
      result = 0;
      break;
    case ExternalCommand::ClearPlaylist:
      windows_.ClearPlaylist();
      d.ShowStatus("API CALL : Clear Playlist");
      result = 0;
      break;
    case ExternalCommand::OpenFiles:
      p.OpenFiles();
      d.ShowStatus("API CALL : Open Files");
      result = 0;
      break;
    case ExternalCommand::Exit:
      FormClose();
      d.ShowStatus("API CALL : Exit");
      result = 0;
      break;
    case ExternalCommand::Minimize:
      Minimize();
      d.ShowStatus("API CALL : Minimize");
      result = 0;
      break;
    case ExternalCommand::ShowId3: {
      d.ShowStatus("API CALL : Show id3");
      InputPlugin& plugin = plugins_.Current();
      if (plugin.Has(PluginEntry::showid3)) {
        try {
          plugin.showid3();
        } catch (const PluginFault&) {}
      }
      result = 0;
      break;
    }
    case ExternalCommand::NumberFiles:
      d.ShowStatus("API CALL : Get Files");
      result = static_cast<LRESULT>(playlist_.Count());
      break;
    case ExternalCommand::GetVolume:
      d.ShowStatus("API CALL : Get Vol");
      // The slider's percentage; a device above the slider's 250 still reads 100.
      result = std::min(volume_.Get() * 10 / 25, 100);
      break;
    case ExternalCommand::GetLength: {
      d.ShowStatus("API CALL : Get Length");
      result = 0;
      InputPlugin& plugin = plugins_.Current();
      if (plugin.Has(PluginEntry::length)) {
        try {
          result = plugin.length();
        } catch (const PluginFault&) {
          result = 0;
        }
      }
      break;
    }
    case ExternalCommand::Count: return false;
  }
  return true;
}

LRESULT MainWindow::OnCopyData(const COPYDATASTRUCT* data) {
  const std::string text = CopyDataText(data);
  if (text.empty()) return 0;  // nothing was sent
  Player& p = player_;
  Display& d = display_;
  if (text[0] == '$') {
    d.ShowStatus(text.substr(1));
  } else if (text[0] == '/') {
    p.PlayOutsidePlaylist(text.substr(1));
    d.ShowStatus("API CALL : Just play the file");
  } else if (IsSkinArchiveName(text)) {
    // A skin archive (handed over by a second instance opened with it) is a design.
    steps_.OpenSkinArchive(text);
  } else {
    d.ShowStatus("API CALL : Open File");
    playlist_.AddToPlaylist(text);
    const int32_t index = static_cast<int32_t>(playlist_.Count()) - 1;
    playlist_.SetCurrentIndex(index);
    p.Play();
  }
  return 0;
}

void MainWindow::OnDropFiles(HDROP drop) {
  const std::vector<std::string> names = DroppedFileNames(drop);
  DragFinish(drop);
  AddDropped(names);
}

void MainWindow::AddDropped(const std::vector<std::string>& names) {
  // Skin archives become designs; the playlist window's drop handling adds the other
  // files, updates the count, enables Play and makes the one auto-play check.
  std::vector<std::string> files;
  for (const std::string& name : names) {
    if (IsSkinArchiveName(name))
      steps_.OpenSkinArchive(name);
    else
      files.push_back(name);
  }
  if (!files.empty() || files.size() == names.size()) windows_.AddDroppedFiles(files);
}

void MainWindow::ShowDragStatus(DragPhase phase) {
  for (const std::string& text : DragStatusTexts(phase)) display_.ShowStatus(text);
}

}  // namespace velmora
