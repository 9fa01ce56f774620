// The playlist window's editing commands without a window: sorts, moves, shuffle,
// removal, drops, the folder scan and the auto-play check.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "playlist/playlist_ops.h"

namespace velmora {
namespace {

using Strings = std::vector<std::string>;

Playlist Make(const Strings& names, const Strings& paths = {}) {
  Playlist playlist;
  Strings p = paths;
  if (p.empty()) {
    for (const auto& n : names) p.push_back("C:\\" + n);
  }
  playlist.Replace(names, p);
  return playlist;
}

void Select(Playlist& playlist, std::initializer_list<size_t> rows) {
  for (size_t row : rows) playlist.SetSelected(row, true);
}

std::vector<size_t> SelectedRows(const Playlist& playlist) {
  std::vector<size_t> rows;
  for (size_t i = 0; i < playlist.Count(); ++i)
    if (playlist.IsSelected(i)) rows.push_back(i);
  return rows;
}

// The exchange sort exactly as the window used to run it, marks included.
void ReferenceSort(Strings& names, Strings& paths, std::vector<uint8_t>& marks, bool by_name,
                   bool ascending) {
  size_t n = names.size();
  for (size_t p = 1; p <= n; ++p) {
    for (size_t b = 1; b + p <= n; ++b) {
      const Strings& keys = by_name ? names : paths;
      int c = keys[b - 1].compare(keys[b]);
      if (ascending ? c > 0 : c < 0) {
        std::swap(names[b - 1], names[b]);
        std::swap(paths[b - 1], paths[b]);
        marks[b - 1] = marks[b] = 0;
      }
    }
  }
}

TEST(PlaylistSort, ByNameIsByteWiseWithoutCaseFolding) {
  Playlist playlist = Make({"b", "B", "a", "ab"});
  SortPlaylist(playlist, SortKey::Name, SortOrder::Ascending);
  EXPECT_EQ(playlist.Names(), (Strings{"B", "a", "ab", "b"}));
  SortPlaylist(playlist, SortKey::Name, SortOrder::Descending);
  EXPECT_EQ(playlist.Names(), (Strings{"b", "ab", "a", "B"}));
  // Bytes above 127 sort after ASCII (unsigned comparison).
  Playlist high = Make({"\xE9t\xE9", "zed"});
  SortPlaylist(high, SortKey::Name, SortOrder::Ascending);
  EXPECT_EQ(high.Names(), (Strings{"zed", "\xE9t\xE9"}));
}

TEST(PlaylistSort, NamesStayBesideTheirPathsAndCurrentIndexStays) {
  Playlist playlist =
      Make({"x.mp3", "a.mp3", "m.mp3"}, {"C:\\1\\x.mp3", "D:\\a.mp3", "C:\\2\\m.mp3"});
  playlist.SetCurrentIndex(2);
  SortPlaylist(playlist, SortKey::Path, SortOrder::Ascending);
  EXPECT_EQ(playlist.Paths(), (Strings{"C:\\1\\x.mp3", "C:\\2\\m.mp3", "D:\\a.mp3"}));
  EXPECT_EQ(playlist.Names(), (Strings{"x.mp3", "m.mp3", "a.mp3"}));
  SortPlaylist(playlist, SortKey::Path, SortOrder::Descending);
  EXPECT_EQ(playlist.Names(), (Strings{"a.mp3", "m.mp3", "x.mp3"}));
  EXPECT_EQ(playlist.CurrentIndex(), 2);
}

TEST(PlaylistSort, MatchesTheExchangeSortOrderAndMarksOnRandomLists) {
  std::mt19937 rng(11);
  for (int round = 0; round < 400; ++round) {
    size_t n = rng() % 12;
    Strings names, paths;
    std::vector<uint8_t> marks;
    for (size_t i = 0; i < n; ++i) {
      // Few distinct keys so ties (stability) are common; the path tags each entry.
      names.push_back(std::string(1, "aAb\xF0"[rng() % 4]) + (rng() % 2 ? "x" : ""));
      paths.push_back(std::string(1, "pqQ"[rng() % 3]) + std::to_string(i));
      marks.push_back(rng() % 2);
    }
    bool by_name = rng() % 2, ascending = rng() % 2;
    Playlist playlist = Make(names, paths);
    for (size_t i = 0; i < n; ++i) playlist.SetSelected(i, marks[i]);
    ReferenceSort(names, paths, marks, by_name, ascending);
    SortPlaylist(playlist, by_name ? SortKey::Name : SortKey::Path,
                 ascending ? SortOrder::Ascending : SortOrder::Descending);
    ASSERT_EQ(playlist.Names(), names) << "round " << round;
    ASSERT_EQ(playlist.Paths(), paths) << "round " << round;
    ASSERT_EQ(playlist.SelectionMarks(), marks) << "round " << round;
  }
}

TEST(PlaylistMove, EdgesChangeNothing) {
  Playlist playlist = Make({"a", "b", "c"});
  Select(playlist, {0});
  MoveSelectedUp(playlist);
  EXPECT_EQ(playlist.Names(), (Strings{"a", "b", "c"}));
  EXPECT_EQ(SelectedRows(playlist), std::vector<size_t>{0});
  playlist.SelectAll(false);
  Select(playlist, {2});
  MoveSelectedDown(playlist);
  EXPECT_EQ(playlist.Names(), (Strings{"a", "b", "c"}));
  EXPECT_EQ(SelectedRows(playlist), std::vector<size_t>{2});
}

TEST(PlaylistMove, BlocksMoveAndKeepTheirMarks) {
  Playlist playlist = Make({"a", "b", "c", "d"});
  Select(playlist, {2, 3});
  MoveSelectedUp(playlist);
  EXPECT_EQ(playlist.Names(), (Strings{"a", "c", "d", "b"}));
  EXPECT_EQ(SelectedRows(playlist), (std::vector<size_t>{1, 2}));
  EXPECT_EQ(playlist.Paths(), (Strings{"C:\\a", "C:\\c", "C:\\d", "C:\\b"}));
  MoveSelectedDown(playlist);
  EXPECT_EQ(playlist.Names(), (Strings{"a", "b", "c", "d"}));
  EXPECT_EQ(SelectedRows(playlist), (std::vector<size_t>{2, 3}));

  // Rows 0 and 1 both selected: they swap and the former row 0 loses its mark.
  Playlist top = Make({"a", "b", "c"});
  Select(top, {0, 1});
  MoveSelectedUp(top);
  EXPECT_EQ(top.Names(), (Strings{"b", "a", "c"}));
  EXPECT_EQ(SelectedRows(top), std::vector<size_t>{0});
}

TEST(PlaylistRandomize, DrawsCountMinusOneTimesAndKeepsPairs) {
  RandomGenerator random;
  Playlist one = Make({"a"});
  RandomizePlaylist(one, random);
  EXPECT_EQ(random.SeedValue(), 0u);

  Playlist two = Make({"a", "b"});
  RandomizePlaylist(two, random);
  RandomGenerator expected;
  expected.Next(2);
  EXPECT_EQ(random.SeedValue(), expected.SeedValue());

  // With seed 0 the draws are known: every exchange involves row 0.
  RandomGenerator draws, replay;
  Playlist many = Make({"a", "b", "c", "d", "e"});
  many.SetCurrentIndex(3);
  RandomizePlaylist(many, draws);
  Strings model = {"a", "b", "c", "d", "e"};
  for (int k = 0; k < 4; ++k) std::swap(model[0], model[replay.Next(5)]);
  EXPECT_EQ(many.Names(), model);
  for (size_t i = 0; i < many.Count(); ++i) EXPECT_EQ(many.Path(i), "C:\\" + many.DisplayName(i));
  EXPECT_EQ(many.CurrentIndex(), 3);
}

TEST(PlaylistRemove, SelectedRowsGoAndTheCountFollows) {
  Playlist playlist = Make({"a", "b", "c", "d"});
  playlist.SetCurrentIndex(3);
  Select(playlist, {1, 2});
  EXPECT_FALSE(RemoveSelected(playlist));
  EXPECT_EQ(playlist.Names(), (Strings{"a", "d"}));
  EXPECT_EQ(playlist.Paths(), (Strings{"C:\\a", "C:\\d"}));
  EXPECT_EQ(playlist.TrackCountText(), "1");
  EXPECT_EQ(playlist.CurrentIndex(), 3);

  playlist.SelectAll(true);
  EXPECT_TRUE(RemoveSelected(playlist));
  EXPECT_EQ(playlist.TrackCountText(), "0");

  Playlist all = Make({"a", "b"});
  all.SetCurrentIndex(1);
  all.SetTrackCountText("1");
  RemoveAll(all);
  EXPECT_TRUE(all.Empty());
  EXPECT_EQ(all.CurrentIndex(), 0);
  EXPECT_EQ(all.TrackCountText(), "0");
}

TEST(PlaylistShorten, LongFoldersKeepTheirHeadAndLastPart) {
  EXPECT_EQ(ShortenFolderText("C:\\Music\\Rock\\Album"), "C:\\  \\Album");
  EXPECT_EQ(ShortenFolderText("C:\\Music\\Rock\\Al"), "C:\\Music\\Rock\\Al");  // 18 characters
  EXPECT_EQ(ShortenFolderText("C:\\averyveryverylongname"), "C:\\averyveryverylongname");
  EXPECT_EQ(ShortenFolderText("no separators at all here"), "no separators at all here");
  std::string deep = "C:\\a\\" + std::string(1000, 'x');
  EXPECT_EQ(ShortenFolderText(deep), "C:\\  \\" + std::string(665, 'x'));
}

struct FakeSelector : PluginSelector {
  std::set<std::string> extensions{"MP3", "MP2"};
  bool IsSupportedExtension(const std::string& text) const override {
    return extensions.count(text) > 0;
  }
  bool SelectPluginForFile(const std::string&) override { return true; }
};

TEST(PlaylistDrop, ExtensionsDecideAddReadOrIgnore) {
  EXPECT_EQ(DroppedExtension("C:\\x.M3U"), "M3U");
  EXPECT_EQ(DroppedExtension("song.mp3"), "MP3");
  EXPECT_EQ(DroppedExtension("song.mpeg"), "MPEG");
  EXPECT_EQ(DroppedExtension("noext"), "");
  EXPECT_EQ(DroppedExtension("dot."), "");

  FakeSelector selector;
  selector.extensions.insert("");  // a library whose extension faulted
  selector.extensions.insert("FLAC");
  Playlist playlist;
  std::string error = AddDroppedFiles(playlist,
                                      {"C:\\song.MP3", "C:\\readme.txt", "C:\\missing.M3U",
                                       "C:\\noext", "C:\\x.mp3junk", "C:\\a.flac"},
                                      selector);
  EXPECT_EQ(error, "");
  // A four-letter extension keeps the whole name; a longer tail is not an MP3.
  EXPECT_EQ(playlist.Paths(), (Strings{"C:\\song.MP3", "C:\\a.flac"}));
  EXPECT_EQ(playlist.TrackCountText(), "1");
}

struct FakePlugin : InputPlugin {
  std::string name = "in_mp3.dll";
  bool has_playing = true, is_playing = false, faults = false;
  bool Has(PluginEntry e) const override { return e != PluginEntry::playing || has_playing; }
  std::string Name() const override { return name; }
  std::string load(const std::string&) override { return ""; }
  void play(const std::string&) override {}
  void pause() override {}
  void stop() override {}
  void showoptionspopup(int, int) override {}
  bool playing() override {
    if (faults) throw PluginFault("fault");
    return is_playing;
  }
  int32_t length() override { return 0; }
  void jumpto(int32_t) override {}
  int32_t getposition() override { return 0; }
  bool paused() override { return false; }
  bool ended() override { return false; }
  std::string bitrate() override { return ""; }
  std::string layer() override { return ""; }
  std::string frequence() override { return ""; }
  void showid3() override {}
  std::string webload(const std::string&) override { return ""; }
};

TEST(PlaylistAutoPlay, NeedsTwoEntriesAnIdlePluginAndTheFlag) {
  FakePlugin plugin;
  Playlist playlist = Make({"a", "b"});
  playlist.UpdateTrackCount();
  EXPECT_TRUE(AutoPlayDue(playlist, true, plugin));
  EXPECT_FALSE(AutoPlayDue(playlist, false, plugin));
  plugin.is_playing = true;
  EXPECT_FALSE(AutoPlayDue(playlist, true, plugin));
  plugin.is_playing = false;
  plugin.faults = true;
  EXPECT_FALSE(AutoPlayDue(playlist, true, plugin));
  plugin.faults = false;
  // A loaded plug-in that cannot say whether it plays is left alone.
  plugin.has_playing = false;
  EXPECT_FALSE(AutoPlayDue(playlist, true, plugin));
  plugin.has_playing = true;
  Playlist one = Make({"a"});
  one.UpdateTrackCount();
  EXPECT_FALSE(AutoPlayDue(one, true, plugin));
}

// The first songs of a run arrive before any plug-in is loaded: no name, no entries.
// Nothing can be playing then, so two of them start playback and one does not.
TEST(PlaylistAutoPlay, BeforeAnyPluginIsLoadedNothingPlays) {
  FakePlugin none;
  none.name.clear();
  none.has_playing = false;
  Playlist two = Make({"a", "b"});
  two.UpdateTrackCount();
  EXPECT_TRUE(IdleForAutoPlay(none));
  EXPECT_TRUE(AutoPlayDue(two, true, none));
  EXPECT_FALSE(AutoPlayDue(two, false, none));
  Playlist one = Make({"a"});
  one.UpdateTrackCount();
  EXPECT_FALSE(AutoPlayDue(one, true, none));
  // Without a library there is no entry to ask, even one that would fault.
  none.faults = true;
  EXPECT_TRUE(AutoPlayDue(two, true, none));
}

// A folder tree in memory. Folders end in "\" in the map keys.
struct FakeTree : FolderSource {
  std::map<std::string, Strings> folders;  // folder -> entry names in listing order
  std::set<std::string> files;
  bool List(const std::string& folder, Strings& names) override {
    auto it = folders.find(folder);
    if (it == folders.end()) return false;
    names = {".", ".."};
    names.insert(names.end(), it->second.begin(), it->second.end());
    return true;
  }
  bool IsFolder(const std::string& path) override { return folders.count(path + "\\") > 0; }
  bool IsFile(const std::string& path) override { return files.count(path) > 0; }
};

struct RecordingProgress : ScanProgress {
  Strings folders_shown, files_shown;
  size_t folders = 0, examined = 0;
  int events = 0;
  void FoldersProcessed(size_t count) override { folders = count; }
  void EntriesExamined(size_t count) override { examined = count; }
  void CurrentFolder(const std::string& text) override { folders_shown.push_back(text); }
  void CurrentFile(const std::string& name) override { files_shown.push_back(name); }
  void ProcessEvents() override { ++events; }
};

TEST(PlaylistScan, BreadthFirstFoldersThenFilesInListingOrder) {
  FakeTree tree;
  tree.folders["C:\\Music\\"] = {"sub", "a.mp3", "x.mp3", "notes.txt", "d.flac"};
  tree.folders["C:\\Music\\sub\\"] = {"deeper", "b.mp3"};
  tree.folders["C:\\Music\\sub\\deeper\\"] = {"c.MP3"};
  tree.folders["C:\\Music\\x.mp3\\"] = {};
  tree.files = {"C:\\Music\\a.mp3", "C:\\Music\\sub\\b.mp3", "C:\\Music\\sub\\deeper\\c.MP3",
                "C:\\Music\\notes.txt", "C:\\Music\\d.flac"};
  FakeSelector selector;
  selector.extensions.insert("FLAC");
  Playlist playlist;
  RecordingProgress progress;
  FolderScanQueues queues;
  queues.directorys.push_back("C:\\Music");
  ScanFolders(queues, playlist, tree, selector, progress);

  EXPECT_EQ(playlist.Paths(), (Strings{"C:\\Music\\a.mp3", "C:\\Music\\d.flac", "C:\\Music\\sub\\b.mp3",
                                       "C:\\Music\\sub\\deeper\\c.MP3"}));
  EXPECT_EQ(progress.folders, 4u);
  // "." and ".." and folders count as examined entries: 7 + 4 + 3 + 2.
  EXPECT_EQ(progress.examined, 16u);
  EXPECT_EQ(std::count(progress.files_shown.begin(), progress.files_shown.end(), "."), 0);
  EXPECT_TRUE(queues.directorys.empty());
  EXPECT_TRUE(queues.forfile.empty());
  EXPECT_GT(progress.events, 0);
}

TEST(PlaylistScan, UnlistableFoldersContributeNothing) {
  FakeTree tree;
  FakeSelector selector;
  Playlist playlist;
  RecordingProgress progress;
  FolderScanQueues queues;
  queues.directorys.push_back("Z:\\gone\\");
  ScanFolders(queues, playlist, tree, selector, progress);
  EXPECT_TRUE(playlist.Empty());
  EXPECT_EQ(progress.folders, 1u);
  EXPECT_EQ(progress.examined, 0u);
}

}  // namespace
}  // namespace velmora
