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
  if (observer_) observer_->OnCurrentIndexChanged(index);
}

void Playlist::UpdateTrackCount() {
  long long figure = static_cast<long long>(names_.size()) - 1;
  SetTrackCountText(figure < 0 ? "0" : std::to_string(figure));
}

void Playlist::SetTrackCountText(const std::string& text) {
  label3_ = text;
  if (observer_) observer_->OnTrackCountChanged(label3_);
}

void Playlist::SetPlayingLabel(const std::string& text) {
  playing_label_ = text;
  if (observer_) observer_->OnPlayingLabelChanged(playing_label_);
}

bool Playlist::IsSelected(size_t row) const { return row < selected_.size() && selected_[row] != 0; }

size_t Playlist::SelectedCount() const {
  return static_cast<size_t>(std::count_if(selected_.begin(), selected_.end(), [](uint8_t m) { return m != 0; }));
}

void Playlist::SetSelected(size_t row, bool selected) {
  if (row >= selected_.size()) throw ListIndexError(static_cast<long long>(row));
  selected_[row] = selected ? 1 : 0;
  if (observer_) observer_->OnSelectionChanged();
}

void Playlist::SelectOnly(size_t row) {
  if (row >= selected_.size()) throw ListIndexError(static_cast<long long>(row));
  std::fill(selected_.begin(), selected_.end(), 0);
  selected_[row] = 1;
  if (observer_) observer_->OnSelectionChanged();
}

void Playlist::SelectAll(bool selected) {
  std::fill(selected_.begin(), selected_.end(), selected ? 1 : 0);
  if (observer_) observer_->OnSelectionChanged();
}

void Playlist::NotifyReset() {
  if (selected_.size() != names_.size()) selected_.resize(names_.size(), 0);
  if (observer_) observer_->OnRowsReset();
}

void Playlist::NotifyAppended(size_t first) {
  if (observer_ && names_.size() > first) observer_->OnRowsAppended(first, names_.size() - first);
}

}  // namespace velmora
