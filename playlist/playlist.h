// The playlist model: two parallel lists (display names `pl`, paths `pathbox`), the
// selected marks and caret row of the visible list, and the three labels that belong to
// the model (`plct` = CurrentIndex, `Label3` = track count, `playing`). Windows observe it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <string>
#include <vector>

namespace velmora {

// Raised for a row that does not exist: "List index out of bounds (%d)".
class ListIndexError : public std::out_of_range {
 public:
  explicit ListIndexError(long long index);
};

// Raised by SavePlaylistFile: "Cannot create file %s"; and for read errors.
class PlaylistFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What changed, so a window repaints only what it must. A playlist has any number of
// observers (the playlist window, the display's design library, ...).
class PlaylistObserver {
 public:
  virtual ~PlaylistObserver() = default;
  // Rows [first, first+count) were inserted (appended) / everything may have changed.
  virtual void OnRowsAppended(size_t first, size_t count) {
    (void)first;
    (void)count;
    OnRowsReset();
  }
  virtual void OnRowsReset() {}
  virtual void OnSelectionChanged() {}
  virtual void OnCurrentIndexChanged(int32_t index) { (void)index; }
  virtual void OnTrackCountChanged(const std::string& label3) { (void)label3; }
  virtual void OnPlayingLabelChanged(const std::string& text) { (void)text; }
};

// The display name AddToPlaylist derives from a path: the text after the last "\".
std::string DisplayNameOfPath(const std::string& path);

class Playlist {
 public:
  Playlist();

  // An observer stays registered until it removes itself.
  void AddObserver(PlaylistObserver* observer);
  void RemoveObserver(PlaylistObserver* observer);

  size_t Count() const { return names_.size(); }
  bool Empty() const { return names_.empty(); }
  // Both throw ListIndexError for a row that does not exist.
  const std::string& DisplayName(long long row) const;
  const std::string& Path(long long row) const;
  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<std::string>& Paths() const { return paths_; }

  // The display name is the text after the last "\" (the whole path without one).
  void AddToPlaylist(const std::string& path);
  // Display name: the URL; path: "*" + URL.
  void AddUrlEntry(const std::string& url);
  // Appends the entries of a playlist file; a missing file is skipped silently. Returns
  // the number of entries appended. A read error throws PlaylistFileError after the
  // entries read before it were appended. Its text is read as DecidePlaylistEncoding
  // (playlist/m3u.h) says, legacy text through the decoder handed in below.
  size_t LoadPlaylistFile(const std::string& file_path);
  // Writes every path (UTF-8) followed by CR LF; throws PlaylistFileError on failure.
  void SavePlaylistFile(const std::string& file_path) const;
  // How playlist files in the system's legacy code page become UTF-8 (Latin-1 until set).
  void SetLegacyTextDecoder(std::function<std::string(std::string_view)> decoder) {
    legacy_decoder_ = std::move(decoder);
  }

  // Appends many entries at once (one notification): paths beginning with "*" become
  // URL entries, every other path is added as AddToPlaylist adds it.
  void AppendPaths(const std::vector<std::string>& paths);

  void Clear();
  void Replace(std::vector<std::string> names, std::vector<std::string> paths);
  void RemoveRows(const std::vector<size_t>& rows_ascending);

  // plct: a plain number, not corrected when rows change.
  int32_t CurrentIndex() const { return current_index_; }
  void SetCurrentIndex(int32_t index);

  // Label3: count - 1, "0" for an empty list.
  const std::string& TrackCountText() const { return label3_; }
  void UpdateTrackCount();
  void SetTrackCountText(const std::string& text);  // the start-up's special cases

  // The "playing" label.
  const std::string& PlayingLabel() const { return playing_label_; }
  void SetPlayingLabel(const std::string& text);

  // Selected marks of the visible list and its caret row (-1 for none).
  bool IsSelected(size_t row) const;
  size_t SelectedCount() const;
  void SetSelected(size_t row, bool selected);
  void SelectOnly(size_t row);
  void SelectAll(bool selected);
  void InvertSelection();
  int32_t CaretRow() const { return caret_; }
  const std::vector<uint8_t>& SelectionMarks() const { return selected_; }
  // The marks (one per row; missing ones are unselected) and caret row as the visible
  // list shows them after the user changed them there. Every observer but `from` (the
  // list that already shows them) is told.
  void SetSelection(std::vector<uint8_t> marks, int32_t caret,
                    const PlaylistObserver* from = nullptr);

  // The rows in a new order: row i holds what row order[i] held (order is a permutation
  // of the rows), with the selection marks `marks` afterwards. The caret row and the
  // current index stay. Observers see one reset.
  void Reorder(const std::vector<size_t>& order, std::vector<uint8_t> marks);

 private:
  template <typename Call>
  void Notify(Call&& call, const PlaylistObserver* skip = nullptr);
  void NotifyReset();
  void NotifyAppended(size_t first);

  std::vector<std::string> names_;
  std::vector<std::string> paths_;
  std::vector<uint8_t> selected_;
  int32_t caret_ = -1;
  int32_t current_index_ = 0;
  std::string label3_ = "0";
  std::string playing_label_ = "none";
  std::vector<PlaylistObserver*> observers_;
  std::function<std::string(std::string_view)> legacy_decoder_;
};

}  // namespace velmora
