#include "playlist/playlist.h"

#include <algorithm>

namespace velmora {

ListIndexError::ListIndexError(long long index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}

std::string DisplayNameOfPath(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

Playlist::Playlist() = default;

void Playlist::AddObserver(PlaylistObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void Playlist::RemoveObserver(PlaylistObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

template <typename Call>
void Playlist::Notify(Call&& call, const PlaylistObserver* skip) {
  // A copy: an observer may remove itself (or another) while being told.
  const std::vector<PlaylistObserver*> observers = observers_;
  for (PlaylistObserver* observer : observers) {
    if (observer == skip) continue;
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
      call(*observer);
  }
}

const std::string& Playlist::DisplayName(long long row) const {
  if (row < 0 || static_cast<unsigned long long>(row) >= names_.size()) throw ListIndexError(row);
  return names_[static_cast<size_t>(row)];
}

const std::string& Playlist::Path(long long row) const {
  if (row < 0 || static_cast<unsigned long long>(row) >= paths_.size()) throw ListIndexError(row);
  return paths_[static_cast<size_t>(row)];
}

void Playlist::AddToPlaylist(const std::string& path) {
  size_t first = names_.size();
  names_.push_back(DisplayNameOfPath(path));
  paths_.push_back(path);
  selected_.push_back(0);
  NotifyAppended(first);
}

void Playlist::AddUrlEntry(const std::string& url) {
  size_t first = names_.size();
  names_.push_back(url);
  paths_.push_back("*" + url);
  selected_.push_back(0);
  NotifyAppended(first);
}

void Playlist::AppendPaths(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  size_t first = names_.size();
  names_.reserve(first + paths.size());
  paths_.reserve(first + paths.size());
  for (const std::string& path : paths) {
    if (!path.empty() && path[0] == '*') {
      names_.push_back(path.substr(1));
    } else {
      names_.push_back(DisplayNameOfPath(path));
    }
    paths_.push_back(path);
  }
  selected_.resize(names_.size(), 0);
  NotifyAppended(first);
}

void Playlist::Clear() {
  names_.clear();
  paths_.clear();
  selected_.clear();
  caret_ = -1;
  NotifyReset();
}

void Playlist::Replace(std::vector<std::string> names, std::vector<std::string> paths) {
  // The two lists stay parallel whatever a caller hands in: the shorter one decides.
  size_t count = std::min(names.size(), paths.size());
  names.resize(count);
  paths.resize(count);
  names_ = std::move(names);
  paths_ = std::move(paths);
  selected_.assign(count, 0);
  if (caret_ >= static_cast<int32_t>(count)) caret_ = count ? static_cast<int32_t>(count) - 1 : -1;
  NotifyReset();
}

void Playlist::RemoveRows(const std::vector<size_t>& rows_ascending) {
  if (rows_ascending.empty()) return;
  size_t out = 0;
  size_t next = 0;
  for (size_t row = 0; row < names_.size(); ++row) {
    while (next < rows_ascending.size() && rows_ascending[next] < row) ++next;
    if (next < rows_ascending.size() && rows_ascending[next] == row) continue;
    if (out != row) {
      names_[out] = std::move(names_[row]);
      paths_[out] = std::move(paths_[row]);
      selected_[out] = selected_[row];
    }
    ++out;
  }
  names_.resize(out);
  paths_.resize(out);
  selected_.resize(out);
  if (caret_ >= static_cast<int32_t>(out)) caret_ = out ? static_cast<int32_t>(out) - 1 : -1;
  NotifyReset();
}

void Playlist::SetCurrentIndex(int32_t index) {
  current_index_ = index;
  Notify([index](PlaylistObserver& o) { o.OnCurrentIndexChanged(index); });
}

void Playlist::UpdateTrackCount() {
  long long figure = static_cast<long long>(names_.size()) - 1;
  SetTrackCountText(figure < 0 ? "0" : std::to_string(figure));
}

void Playlist::SetTrackCountText(const std::string& text) {
  label3_ = text;
  Notify([this](PlaylistObserver& o) { o.OnTrackCountChanged(label3_); });
}

void Playlist::SetPlayingLabel(const std::string& text) {
  playing_label_ = text;
  Notify([this](PlaylistObserver& o) { o.OnPlayingLabelChanged(playing_label_); });
}

bool Playlist::IsSelected(size_t row) const {
  return row < selected_.size() && selected_[row] != 0;
}

size_t Playlist::SelectedCount() const {
  return static_cast<size_t>(
      std::count_if(selected_.begin(), selected_.end(), [](uint8_t m) { return m != 0; }));
}

void Playlist::SetSelected(size_t row, bool selected) {
  if (row >= selected_.size()) throw ListIndexError(static_cast<long long>(row));
  selected_[row] = selected ? 1 : 0;
  Notify([](PlaylistObserver& o) { o.OnSelectionChanged(); });
}

void Playlist::SelectOnly(size_t row) {
  if (row >= selected_.size()) throw ListIndexError(static_cast<long long>(row));
  std::fill(selected_.begin(), selected_.end(), 0);
  selected_[row] = 1;
  Notify([](PlaylistObserver& o) { o.OnSelectionChanged(); });
}

void Playlist::SelectAll(bool selected) {
  std::fill(selected_.begin(), selected_.end(), selected ? 1 : 0);
  Notify([](PlaylistObserver& o) { o.OnSelectionChanged(); });
}

void Playlist::InvertSelection() {
  for (uint8_t& mark : selected_) mark = mark ? 0 : 1;
  Notify([](PlaylistObserver& o) { o.OnSelectionChanged(); });
}

void Playlist::SetSelection(std::vector<uint8_t> marks, int32_t caret,
                            const PlaylistObserver* from) {
  marks.resize(names_.size(), 0);
  for (uint8_t& mark : marks) mark = mark ? 1 : 0;
  selected_ = std::move(marks);
  caret_ = caret;
  Notify([](PlaylistObserver& o) { o.OnSelectionChanged(); }, from);
}

void Playlist::Reorder(const std::vector<size_t>& order, std::vector<uint8_t> marks) {
  const size_t n = names_.size();
  std::vector<uint8_t> seen(n, 0);
  for (size_t row : order) {
    if (row >= n || seen[row])
      throw std::invalid_argument("Reorder: not a permutation of the rows");
    seen[row] = 1;
  }
  if (order.size() != n) throw std::invalid_argument("Reorder: not a permutation of the rows");
  std::vector<std::string> names(n), paths(n);
  for (size_t row = 0; row < n; ++row) {
    names[row] = std::move(names_[order[row]]);
    paths[row] = std::move(paths_[order[row]]);
  }
  names_.swap(names);
  paths_.swap(paths);
  marks.resize(n, 0);
  selected_ = std::move(marks);
  NotifyReset();
}

void Playlist::NotifyReset() {
  if (selected_.size() != names_.size()) selected_.resize(names_.size(), 0);
  Notify([](PlaylistObserver& o) { o.OnRowsReset(); });
}

void Playlist::NotifyAppended(size_t first) {
  if (names_.size() <= first) return;
  const size_t count = names_.size() - first;
  Notify([first, count](PlaylistObserver& o) { o.OnRowsAppended(first, count); });
}

}  // namespace velmora
