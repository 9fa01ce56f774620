// Reading and writing .m3u files: the line rules, what other players write, round trips
// and hostile input (which must neither crash nor invent entries).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "playlist/m3u.h"
#include "playlist/playlist.h"

namespace velmora {
namespace {

std::vector<std::string> Parse(const std::string& text, const std::string& folder = "D:\\lists\\") {
  std::vector<std::string> paths;
  ParseM3uText(text.data(), text.size(), folder, paths);
  return paths;
}

using Paths = std::vector<std::string>;

TEST(M3uText, AbsoluteRelativeAndTwoCharacterLines) {
  EXPECT_EQ(Parse("C:\\b.mp3\r\nsub\\c.mp3\r\na:\r\n..\\..\\x.mp3\r\nCON\r\n"),
            (Paths{"C:\\b.mp3", "D:\\lists\\sub\\c.mp3",
                   "D:\\lists\\a:", "D:\\lists\\..\\..\\x.mp3", "D:\\lists\\CON"}));
  EXPECT_EQ(PlaylistFolderOf("D:\\lists\\x.m3u"), "D:\\lists\\");
  EXPECT_EQ(PlaylistFolderOf("x.m3u"), "");
}

TEST(M3uText, LineEndsOfEverySystemAndCtrlZ) {
  EXPECT_EQ(Parse("a.mp3\nb.mp3\n"), (Paths{"D:\\lists\\a.mp3", "D:\\lists\\b.mp3"}));
  EXPECT_EQ(Parse("a.mp3\rb.mp3"), (Paths{"D:\\lists\\a.mp3", "D:\\lists\\b.mp3"}));
  EXPECT_EQ(Parse("a.mp3\r\nb.mp3\x1a"
                  "c.mp3\r\n"),
            (Paths{"D:\\lists\\a.mp3", "D:\\lists\\b.mp3"}));
  EXPECT_EQ(Parse("\x1a"
                  "a.mp3"),
            Paths{});
  // Nothing is trimmed.
  EXPECT_EQ(Parse(" a.mp3 \r\n"), Paths{"D:\\lists\\ a.mp3 "});
}

TEST(M3uText, CommentsEmptyLinesAndByteOrderMarkAddNothing) {
  EXPECT_EQ(Parse("\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:123,Artist - Title\r\n\r\n\r\nC:\\a.mp3\r\n\r\n"),
            Paths{"C:\\a.mp3"});
  // A mark anywhere else is text.
  EXPECT_EQ(Parse("a\r\n\xEF\xBB\xBF"
                  "b")
                .size(),
            2u);
}

TEST(M3uText, NetworkRootedAndUrlLines) {
  EXPECT_EQ(Parse("\\\\server\\share\\d.mp3\r\n\\music\\e.mp3\r\n"),
            (Paths{"\\\\server\\share\\d.mp3", "D:\\music\\e.mp3"}));
  EXPECT_EQ(Parse("\\e.mp3", "\\\\srv\\share\\lists\\"), Paths{"\\\\srv\\share\\e.mp3"});
  EXPECT_EQ(Parse("\\e.mp3", ""), Paths{"\\e.mp3"});
  EXPECT_EQ(Parse("*http://radio.example/a\r\nhttps://x.example/s.mp3\r\nmms://m/s\r\nftp://u:p@h/"
                  "f.mp3\r\n"),
            (Paths{"*http://radio.example/a", "*https://x.example/s.mp3", "*mms://m/s",
                   "*ftp://u:p@h/f.mp3"}));
}

class M3uFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velmora_m3u_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    for (const std::string& file : files_) std::remove(file.c_str());
    rmdir(dir_.c_str());
  }
  // The backslash makes the folder rule apply on this system too.
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir_ + "/lists\\" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    files_.push_back(path);
    return path;
  }
  std::string Folder() const { return dir_ + "/lists\\"; }

  std::string dir_;
  std::vector<std::string> files_;
};

TEST_F(M3uFiles, SavedFileReadsBackWithTheSamePathsAndNames) {
  Playlist saved;
  saved.AddToPlaylist("C:\\Music\\a.mp3");
  saved.AddToPlaylist("\\\\nas\\share\\b.mp3");
  saved.AddUrlEntry("http://radio.example/live");
  std::string file = Write("out.m3u", "");
  saved.SavePlaylistFile(file);

  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "C:\\Music\\a.mp3\r\n\\\\nas\\share\\b.mp3\r\n*http://radio.example/live\r\n");

  Playlist loaded;
  EXPECT_EQ(loaded.LoadPlaylistFile(file), 3u);
  EXPECT_EQ(loaded.Paths(), saved.Paths());
  EXPECT_EQ(loaded.Names(), saved.Names());
  EXPECT_EQ(loaded.CurrentIndex(), 0);
  EXPECT_EQ(loaded.TrackCountText(), "0");  // left to the caller
}

TEST_F(M3uFiles, RelativeEntryBeginningWithHashSurvivesASaveAndARead) {
  Playlist saved;
  saved.AddToPlaylist("#1 hit.mp3");
  saved.AddToPlaylist("C:\\#2.mp3");
  std::string file = Write("hash.m3u", "");
  saved.SavePlaylistFile(file);
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, ".\\#1 hit.mp3\r\nC:\\#2.mp3\r\n");

  Playlist loaded;
  EXPECT_EQ(loaded.LoadPlaylistFile(file), 2u);
  EXPECT_EQ(loaded.Paths(), (Paths{Folder() + "#1 hit.mp3", "C:\\#2.mp3"}));
  // Comment lines of extended playlists stay comments.
  EXPECT_EQ(Parse("#EXTM3U\r\n#EXTINF:12,Title\r\n#a.mp3\r\n.\\#b.mp3\r\n"),
            (Paths{"D:\\lists\\#b.mp3"}));
}

TEST_F(M3uFiles, RelativeLinesJoinTheFileFolderAndEntriesAppend) {
  Playlist playlist;
  playlist.AddToPlaylist("C:\\first.mp3");
  std::string file = Write("x.m3u", "sub\\c.mp3\r\nC:\\b.mp3\r\n");
  playlist.LoadPlaylistFile(file);
  EXPECT_EQ(playlist.Paths(), (Paths{"C:\\first.mp3", Folder() + "sub\\c.mp3", "C:\\b.mp3"}));
  EXPECT_EQ(playlist.DisplayName(1), "c.mp3");
}

TEST_F(M3uFiles, MissingFilesAndFoldersAreSkippedInSilence) {
  Playlist playlist;
  EXPECT_EQ(playlist.LoadPlaylistFile(dir_ + "/nothing.m3u"), 0u);
  EXPECT_EQ(playlist.LoadPlaylistFile(dir_), 0u);
  EXPECT_EQ(playlist.LoadPlaylistFile(""), 0u);
  EXPECT_TRUE(playlist.Empty());
}

TEST_F(M3uFiles, UncreatableFileRaisesCannotCreate) {
  Playlist playlist;
  playlist.AddToPlaylist("C:\\a.mp3");
  std::string target = dir_ + "/no/such/folder/x.m3u";
  try {
    playlist.SavePlaylistFile(target);
    FAIL() << "saving into a missing folder reported success";
  } catch (const PlaylistFileError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot create file " + target);
  }
}

TEST_F(M3uFiles, HostileContentNeitherCrashesNorInventsEntries) {
  Playlist playlist;
  // One 5 MB line: one entry, held whole.
  std::string long_line(5 * 1024 * 1024, 'x');
  EXPECT_EQ(playlist.LoadPlaylistFile(Write("long.m3u", long_line)), 1u);
  EXPECT_EQ(playlist.Path(0).size(), Folder().size() + long_line.size());

  // NUL bytes stay in the text; CR-only ends split lines.
  playlist.Clear();
  EXPECT_EQ(playlist.LoadPlaylistFile(Write("nul.m3u", std::string("a\0b.mp3\rc.mp3\r", 14))), 2u);
  EXPECT_EQ(playlist.Path(0), Folder() + std::string("a\0b.mp3", 7));

  // A playlist naming itself is just an entry: no recursion.
  playlist.Clear();
  std::string self = Write("self.m3u", "self.m3u\r\n");
  EXPECT_EQ(playlist.LoadPlaylistFile(self), 1u);
  EXPECT_EQ(playlist.Path(0), self);

  // Extended-length paths beyond 260 characters are kept whole.
  playlist.Clear();
  std::string extended = "\\\\?\\C:\\" + std::string(300, 'd') + "\\song.mp3";
  playlist.LoadPlaylistFile(Write("ext.m3u", extended + "\r\n"));
  EXPECT_EQ(playlist.Paths(), Paths{extended});

  // Random bytes: the entry count never exceeds the number of line ends plus one.
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    std::string noise(4096, '\0');
    for (char& c : noise) c = static_cast<char>(rng());
    playlist.Clear();
    size_t added = playlist.LoadPlaylistFile(Write("noise.m3u", noise));
    size_t ends =
        std::count(noise.begin(), noise.end(), '\r') + std::count(noise.begin(), noise.end(), '\n');
    EXPECT_LE(added, ends + 1);
    EXPECT_EQ(playlist.Names().size(), playlist.Paths().size());
  }
}

}  // namespace
}  // namespace velmora
