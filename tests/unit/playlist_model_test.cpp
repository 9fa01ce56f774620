// The playlist model: entries, labels, bounds errors and what observers hear.
#include <gtest/gtest.h>

#include "playlist/playlist.h"

namespace velmora {
namespace {

struct RecordingObserver : PlaylistObserver {
  std::vector<std::pair<size_t, size_t>> appended;
  int resets = 0;
  std::vector<int32_t> indexes;
  std::vector<std::string> counts;
  int selections = 0;
  void OnSelectionChanged() override { ++selections; }
  void OnRowsAppended(size_t first, size_t count) override { appended.emplace_back(first, count); }
  void OnRowsReset() override { ++resets; }
  void OnCurrentIndexChanged(int32_t index) override { indexes.push_back(index); }
  void OnTrackCountChanged(const std::string& label3) override { counts.push_back(label3); }
};

TEST(PlaylistModel, DisplayNamesComeFromThePathOnceAtAdding) {
  Playlist playlist;
  playlist.AddToPlaylist("C:\\Music\\a.mp3");
  playlist.AddToPlaylist("a.mp3");
  playlist.AddToPlaylist("C:\\Music\\");
  playlist.AddUrlEntry("http://radio.example/stream");
  ASSERT_EQ(playlist.Count(), 4u);
  EXPECT_EQ(playlist.DisplayName(0), "a.mp3");
  EXPECT_EQ(playlist.Path(0), "C:\\Music\\a.mp3");
  EXPECT_EQ(playlist.DisplayName(1), "a.mp3");
  EXPECT_EQ(playlist.Path(1), "a.mp3");
  EXPECT_EQ(playlist.DisplayName(2), "");
  EXPECT_EQ(playlist.DisplayName(3), "http://radio.example/stream");
  EXPECT_EQ(playlist.Path(3), "*http://radio.example/stream");
  // Adding changes neither the current index nor the track count.
  EXPECT_EQ(playlist.CurrentIndex(), 0);
  EXPECT_EQ(playlist.TrackCountText(), "0");
}

TEST(PlaylistModel, TrackCountIsEntriesMinusOneAndNeverNegative) {
  Playlist playlist;
  playlist.UpdateTrackCount();
  EXPECT_EQ(playlist.TrackCountText(), "0");
  playlist.AddToPlaylist("a.mp3");
  playlist.UpdateTrackCount();
  EXPECT_EQ(playlist.TrackCountText(), "0");
  playlist.AddToPlaylist("b.mp3");
  playlist.AddToPlaylist("c.mp3");
  playlist.UpdateTrackCount();
  EXPECT_EQ(playlist.TrackCountText(), "2");
}

TEST(PlaylistModel, MissingRowsRaiseTheListIndexMessage) {
  Playlist playlist;
  playlist.AddToPlaylist("a.mp3");
  try {
    (void)playlist.Path(5);
    FAIL() << "no error for row 5";
  } catch (const ListIndexError& error) {
    EXPECT_STREQ(error.what(), "List index out of bounds (5)");
  }
  EXPECT_THROW((void)playlist.DisplayName(-1), ListIndexError);
  EXPECT_THROW(playlist.SetSelected(1, true), ListIndexError);
}

TEST(PlaylistModel, CurrentIndexIsAPlainNumberThatRemovalLeavesAlone) {
  Playlist playlist;
  for (const char* p : {"a", "b", "c", "d"}) playlist.AddToPlaylist(p);
  playlist.SetCurrentIndex(3);
  playlist.RemoveRows({0, 1});
  EXPECT_EQ(playlist.CurrentIndex(), 3);
  EXPECT_EQ(playlist.Count(), 2u);
  EXPECT_EQ(playlist.Path(0), "c");
  EXPECT_THROW((void)playlist.Path(playlist.CurrentIndex()), ListIndexError);
}

TEST(PlaylistModel, ObserversHearAppendsResetsAndLabels) {
  Playlist playlist;
  RecordingObserver observer;
  playlist.AddObserver(&observer);
  playlist.AddToPlaylist("a");
  playlist.AppendPaths({"b", "*http://x/", "c"});
  playlist.AppendPaths({});
  EXPECT_EQ(observer.appended, (std::vector<std::pair<size_t, size_t>>{{0, 1}, {1, 3}}));
  EXPECT_EQ(playlist.DisplayName(2), "http://x/");
  playlist.SetCurrentIndex(2);
  playlist.UpdateTrackCount();
  playlist.Clear();
  EXPECT_EQ(observer.indexes, std::vector<int32_t>{2});
  EXPECT_EQ(observer.counts, std::vector<std::string>{"3"});
  EXPECT_EQ(observer.resets, 1);
  playlist.RemoveObserver(&observer);
}

// Several windows follow one list; the one that reports a selection is not told it back.
TEST(PlaylistModel, EveryObserverButTheSenderHearsASelection) {
  Playlist playlist;
  RecordingObserver list, other;
  playlist.AddObserver(&list);
  playlist.AddObserver(&other);
  playlist.AppendPaths({"a", "b", "c"});
  playlist.SetSelection({0, 1}, 1, &list);
  EXPECT_EQ(playlist.SelectionMarks(), (std::vector<uint8_t>{0, 1, 0}));
  EXPECT_EQ(playlist.CaretRow(), 1);
  EXPECT_EQ(list.selections, 0);
  EXPECT_EQ(other.selections, 1);
  playlist.SetCurrentIndex(2);
  EXPECT_EQ(list.indexes, std::vector<int32_t>{2});
  EXPECT_EQ(other.indexes, std::vector<int32_t>{2});
}

TEST(PlaylistModel, ReorderTakesOnlyAPermutationOfTheRows) {
  Playlist playlist;
  playlist.AppendPaths({"a", "b", "c"});
  playlist.SetCurrentIndex(1);
  playlist.Reorder({2, 0, 1}, {1, 0, 0});
  EXPECT_EQ(playlist.Paths(), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(playlist.Names(), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(playlist.SelectionMarks(), (std::vector<uint8_t>{1, 0, 0}));
  EXPECT_EQ(playlist.CurrentIndex(), 1);
  EXPECT_THROW(playlist.Reorder({0, 0, 1}, {}), std::invalid_argument);
  EXPECT_THROW(playlist.Reorder({0, 1}, {}), std::invalid_argument);
  EXPECT_EQ(playlist.Paths(), (std::vector<std::string>{"c", "a", "b"}));
}

TEST(PlaylistModel, ReplaceKeepsTheListsParallel) {
  Playlist playlist;
  playlist.Replace({"a", "b", "c"}, {"C:\\a", "C:\\b"});
  ASSERT_EQ(playlist.Count(), 2u);
  EXPECT_EQ(playlist.Paths().size(), 2u);
  EXPECT_EQ(playlist.SelectionMarks().size(), 2u);
}

}  // namespace
}  // namespace velmora
