#include "playlist/playlist_ops.h"

#include <algorithm>
#include <numeric>

namespace velmora {

namespace {

// A new order of the rows worked out by exchanges, as the window's commands always did
// it: each exchange rewrites both rows' texts, which clears their marks.
struct Exchanges {
  explicit Exchanges(const Playlist& playlist)
      : order(playlist.Count()), marks(playlist.SelectionMarks()) {
    std::iota(order.begin(), order.end(), size_t{0});
  }
  void Exchange(size_t i, size_t j) {
    std::swap(order[i], order[j]);
    marks[i] = 0;
    marks[j] = 0;
    changed = true;
  }
  void ApplyTo(Playlist& playlist) {
    if (changed) playlist.Reorder(order, std::move(marks));
  }
  std::vector<size_t> order;
  std::vector<uint8_t> marks;
  bool changed = false;
};

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperAscii(std::string text) {
  for (char& c : text) c = AsciiUpper(c);
  return text;
}

}  // namespace

void SortPlaylist(Playlist& playlist, SortKey key, SortOrder order) {
  const size_t n = playlist.Count();
  if (n < 2) return;
  const std::vector<std::string>& keys = key == SortKey::Name ? playlist.Names() : playlist.Paths();

  // std::string::compare is byte-wise on unsigned values, shorter prefix first: the
  // comparison the exchange sort used. A stable sort gives the order its n passes give,
  // since equal keys are never exchanged.
  std::vector<size_t> order_of(n);
  std::iota(order_of.begin(), order_of.end(), size_t{0});
  if (order == SortOrder::Ascending) {
    std::stable_sort(order_of.begin(), order_of.end(),
                     [&keys](size_t a, size_t b) { return keys[a].compare(keys[b]) < 0; });
  } else {
    std::stable_sort(order_of.begin(), order_of.end(),
                     [&keys](size_t a, size_t b) { return keys[a].compare(keys[b]) > 0; });
  }

  // The exchange sort swaps across the boundary between rows b-1 and b exactly when the
  // rows above it do not already hold the b entries that end up there: no entry has to
  // cross a boundary whose two sides already hold the right sets, and one that must
  // cross can only do so by an exchange there. A row keeps its mark only when neither of
  // its boundaries saw an exchange.
  std::vector<size_t> rank(n);
  for (size_t pos = 0; pos < n; ++pos) rank[order_of[pos]] = pos;
  std::vector<uint8_t> boundary_swapped(n + 1, 0);  // index b: between rows b-1 and b
  size_t prefix_max = 0;
  bool moved = false;
  for (size_t b = 1; b < n; ++b) {
    prefix_max = std::max(prefix_max, rank[b - 1]);
    boundary_swapped[b] = prefix_max >= b ? 1 : 0;
    moved = moved || boundary_swapped[b];
  }
  if (!moved) return;

  std::vector<uint8_t> marks = playlist.SelectionMarks();
  for (size_t row = 0; row < n; ++row) {
    if (boundary_swapped[row] || boundary_swapped[row + 1]) marks[row] = 0;
  }
  playlist.Reorder(order_of, std::move(marks));
}

// For i from 1 up: a selected row i is exchanged with row i-1, which is then marked. A
// selected block moves up by one and stays selected; a selected row 0 cannot move, and
// when rows 0 and 1 are both selected they swap and the former row 0 loses its mark.
void MoveSelectedUp(Playlist& playlist) {
  Exchanges rows(playlist);
  for (size_t i = 1; i < rows.order.size(); ++i) {
    if (!rows.marks[i]) continue;
    rows.Exchange(i - 1, i);
    rows.marks[i - 1] = 1;
  }
  rows.ApplyTo(playlist);
}

void MoveSelectedDown(Playlist& playlist) {
  Exchanges rows(playlist);
  const size_t n = rows.order.size();
  if (n < 2) return;
  for (size_t i = n - 1; i-- > 0;) {
    if (!rows.marks[i]) continue;
    rows.Exchange(i, i + 1);
    rows.marks[i + 1] = 1;
  }
  rows.ApplyTo(playlist);
}

void RandomizePlaylist(Playlist& playlist, RandomGenerator& random) {
  const size_t n = playlist.Count();
  if (n < 2) return;
  const int32_t count = n > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(n);
  Exchanges rows(playlist);
  for (size_t k = n - 1; k > 0; --k) {
    int32_t b = random.Next(count);
    if (b <= 0) continue;  // exchanging row 0 with itself changes nothing
    rows.Exchange(0, static_cast<size_t>(b));
  }
  rows.ApplyTo(playlist);
}

bool RemoveSelected(Playlist& playlist) {
  std::vector<size_t> rows;
  const auto& marks = playlist.SelectionMarks();
  for (size_t row = 0; row < marks.size(); ++row) {
    if (marks[row]) rows.push_back(row);
  }
  playlist.RemoveRows(rows);
  playlist.UpdateTrackCount();
  return playlist.Empty();
}

void RemoveAll(Playlist& playlist) {
  playlist.Clear();
  playlist.SetCurrentIndex(0);
  playlist.SetTrackCountText("0");
}

std::string ShortenFolderText(const std::string& text) {
  if (text.size() < 19) return text;
  size_t first = text.find('\\');
  if (first == std::string::npos) return text;
  size_t last = text.rfind('\\');
  if (last == first) return text;
  return text.substr(0, first + 1) + "  " + text.substr(last, 666);
}

std::string DroppedExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return std::string();
  return UpperAscii(name.substr(dot + 1));
}

// The extension a scanned file is judged by: everything after the last "." of its name, or
// its last three characters when it has none.
static std::string ScannedExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) return UpperAscii(name.substr(dot + 1));
  return UpperAscii(name.size() > 3 ? name.substr(name.size() - 3) : name);
}

std::string AddDroppedFiles(Playlist& playlist, const std::vector<std::string>& names,
                            const PluginSelector& selector) {
  std::string first_error;
  for (const std::string& dropped : names) {
    // A name with no extension is unsupported (an empty extension must not match a
    // library that reported none).
    const std::string ext = DroppedExtension(dropped);
    if (ext.empty()) continue;
    const std::string& name = dropped;
    if (selector.IsSupportedExtension(ext)) {
      playlist.AddToPlaylist(name);
    } else if (ext == "M3U" || ext == "M3U8") {
      try {
        playlist.LoadPlaylistFile(name);
      } catch (const std::exception& error) {
        if (first_error.empty()) first_error = error.what();
      }
    }
  }
  playlist.UpdateTrackCount();
  return first_error;
}

bool IdleForAutoPlay(InputPlugin& plugin) {
  try {
    // Before the first song of a run no plug-in is loaded, so nothing can be playing.
    if (plugin.Name().empty()) return true;
    return plugin.Has(PluginEntry::playing) && !plugin.playing();
  } catch (...) {
    // A question, not an action: a plug-in that cannot answer is taken as busy, so
    // auto-play does not start over it.
    return false;
  }
}

bool AutoPlayDue(const Playlist& playlist, bool autoplay, InputPlugin& plugin) {
  if (!autoplay || playlist.TrackCountText() == "0") return false;
  return IdleForAutoPlay(plugin);
}

void ScanFolders(FolderScanQueues& queues, Playlist& playlist, FolderSource& source,
                 const PluginSelector& selector, ScanProgress& progress) {
  std::vector<std::string> names;

  // Folder phase: breadth first, every folder found is queued for its files.
  while (!queues.directorys.empty()) {
    std::string folder = queues.directorys.front();
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    queues.forfile.push_back(folder);
    queues.directorys.pop_front();
    names.clear();
    if (source.List(folder, names)) {
      for (const std::string& name : names) {
        if (name == "." || name == "..") continue;
        std::string sub = folder + name;
        if (source.IsFolder(sub)) {
          progress.CurrentFolder(ShortenFolderText(sub));
          queues.directorys.push_back(std::move(sub));
        }
      }
    }
    progress.FoldersProcessed(queues.forfile.size());
    progress.ProcessEvents();
  }

  // File phase: folder by folder, entries in enumeration order.
  size_t examined = 0;
  while (!queues.forfile.empty()) {
    const std::string folder = queues.forfile.front();
    progress.CurrentFolder(ShortenFolderText(folder));
    progress.ProcessEvents();
    // Another scan run from inside ProcessEvents may have emptied the list already.
    if (!queues.forfile.empty()) queues.forfile.pop_front();
    names.clear();
    if (source.List(folder, names)) {
      for (const std::string& name : names) {
        if (name != "." && name != "..") progress.CurrentFile(name);
        progress.ProcessEvents();
        const std::string ext = ScannedExtension(name);
        const std::string path = folder + name;
        if (selector.IsSupportedExtension(ext)) {
          if (source.IsFile(path)) playlist.AddToPlaylist(path);
        } else if (ext == "M3U" || ext == "M3U8") {
          try {
            playlist.LoadPlaylistFile(path);
          } catch (const std::exception& error) {
            progress.PlaylistError(error.what());
          }
        }
        ++examined;
      }
    }
    progress.EntriesExamined(examined);
    progress.ProcessEvents();
  }
}

}  // namespace velmora
