// TForm1's answers to other programs: the fourteen registered messages, WM_COPYDATA
// text commands and files dropped from the shell.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "app/main_window_win.h"
#include "design/skin_archive.h"
#include "ui/legacy_code_page_win.h"
#include "ui/control_ids.h"
#include "ui/utf8.h"

namespace velmora {

namespace {

// The text of a WM_COPYDATA as UTF-8: at most cbData bytes, up to a terminating zero if the
// sender put one inside them. A sender that leaves the zero out is never read past its
// data. Marked UTF-8 is taken as it is (broken pieces replaced); other text is the 8-bit
// text of an older caller, in the system's code page unless it is valid UTF-8.
std::string CopyDataText(const COPYDATASTRUCT* data) {
  if (!data || !data->lpData || data->cbData == 0) return {};
  const char* p = static_cast<const char*>(data->lpData);
  const void* zero = std::memchr(p, '\0', data->cbData);
  const size_t n = zero ? static_cast<size_t>(static_cast<const char*>(zero) - p) : data->cbData;
  const std::string_view text(p, n);
  if (ui::IsValidUtf8(text)) return std::string(text);
  if (data->dwData == ids::kCopyDataUtf8) return ui::Utf16ToUtf8(ui::Utf8ToUtf16(text));
  return LegacyCodePageToUtf8(text);
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
  Display& d = display_;

  // Commands answer 0 done, 1 refused (that button is disabled); queries their value.
  const auto run = [&](CommandKind kind) {
    result = Execute(Command{kind, CommandSource::OtherProgram, {}}) == CommandResult::Done ? 0 : 1;
  };
  switch (static_cast<ExternalCommand>(index)) {
    case ExternalCommand::Play: run(CommandKind::Play); break;
    case ExternalCommand::Stop: run(CommandKind::Stop); break;
    case ExternalCommand::Next: run(CommandKind::NextTrack); break;
    case ExternalCommand::Prev: run(CommandKind::PrevTrack); break;
    case ExternalCommand::Pause: run(CommandKind::Pause); break;
    case ExternalCommand::ShowPlaylist: run(CommandKind::ShowPlaylist); break;
    case ExternalCommand::ClearPlaylist: run(CommandKind::ClearPlaylist); break;
    case ExternalCommand::OpenFiles: run(CommandKind::OpenFiles); break;
    case ExternalCommand::Exit: run(CommandKind::Exit); break;
    case ExternalCommand::Minimize: run(CommandKind::Minimize); break;
    case ExternalCommand::ShowId3: run(CommandKind::ShowId3); break;
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
  CommandKind kind = CommandKind::AddAndPlay;
  std::string argument = text;
  if (text[0] == '$') {
    kind = CommandKind::ShowStatusText, argument = text.substr(1);
  } else if (text[0] == '/') {
    kind = CommandKind::PlayOutsidePlaylist, argument = text.substr(1);
  } else if (IsSkinArchiveName(text)) {
    // A skin archive (handed over by a second instance opened with it) is a design.
    kind = CommandKind::OpenSkinArchive;
  }
  Execute(Command{kind, CommandSource::OtherProgram, argument});
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
  if (!files.empty() || files.size() == names.size()) playlist_window_.AddDroppedFiles(files);
}

void MainWindow::ShowDragStatus(DragPhase phase) {
  for (const std::string& text : DragStatusTexts(phase)) display_.ShowStatus(text);
}

}  // namespace velmora
