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

TEST(PlaylistEncoding, MarkValidUtf8AndLegacyFallback) {
  EXPECT_EQ(DecidePlaylistEncoding("C:\\a.mp3\r\n", false), PlaylistEncoding::kUtf8);
  EXPECT_EQ(DecidePlaylistEncoding("caf\xC3\xA9.mp3", false), PlaylistEncoding::kUtf8);
  EXPECT_EQ(DecidePlaylistEncoding("caf\xE9.mp3", false), PlaylistEncoding::kLegacy);
  EXPECT_EQ(DecidePlaylistEncoding("caf\xE9.mp3", true), PlaylistEncoding::kUtf8);
  EXPECT_EQ(DecidePlaylistEncoding("\xEF\xBB\xBF" "caf\xE9", false), PlaylistEncoding::kUtf8);
  EXPECT_EQ(DecidePlaylistEncoding("\xFF\xFE" "a\0", false), PlaylistEncoding::kUtf16Le);

  const auto marked = [](std::string_view bytes) { return "legacy:" + std::string(bytes); };
  EXPECT_EQ(PlaylistTextAsUtf8("caf\xE9", false, marked), "legacy:caf\xE9");
  EXPECT_EQ(PlaylistTextAsUtf8("caf\xE9", false, Latin1TextToUtf8), "caf\xC3\xA9");
  EXPECT_EQ(PlaylistTextAsUtf8("\xEF\xBB\xBF" "caf\xC3\xA9", false, marked), "caf\xC3\xA9");
  // A file that says it is UTF-8 keeps every valid name; the broken piece is replaced.
  EXPECT_EQ(PlaylistTextAsUtf8("a\xE9\r\n\xE4\xBA\xAC", true, marked),
            "a\xEF\xBF\xBD\r\n\xE4\xBA\xAC");
  EXPECT_EQ(PlaylistTextAsUtf8(std::string("\xFE\xFF\0\xE9\0\r", 6), false, marked),
            "\xC3\xA9\r");
  EXPECT_TRUE(IsM3u8Name("C:\\x.M3U8"));
  EXPECT_FALSE(IsM3u8Name("C:\\x.m3u"));
}

TEST_F(M3uFiles, NamesInAnyScriptRoundTripAsUtf8WithoutAMark) {
  const Paths names = {"C:\\m\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.mp3",  // 日本語
                       "C:\\m\\\xD0\x9A\xD0\xB8\xD1\x80.mp3",              // Кир
                       "C:\\m\\caf\xC3\xA9 \xF0\x9F\x8E\xB5.mp3",         // café 🎵
                       "C:\\m\\plain.mp3"};
  Playlist saved;
  for (const auto& name : names) saved.AddToPlaylist(name);
  saved.AddToPlaylist("C:\\m\\broken\xE9.mp3");  // not UTF-8: must not spoil the others
  for (const char* file_name : {"names.m3u8", "pl.m3u"}) {
    const std::string file = Write(file_name, "");
    saved.SavePlaylistFile(file);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 3), names[0].substr(0, 3));  // no byte-order mark
    Playlist loaded;
    loaded.SetLegacyTextDecoder([](std::string_view) { return std::string("legacy"); });
    EXPECT_EQ(loaded.LoadPlaylistFile(file), 5u);
    EXPECT_EQ(Paths(loaded.Paths().begin(), loaded.Paths().end() - 1), names);
    EXPECT_EQ(loaded.Paths().back(), "C:\\m\\broken\xEF\xBF\xBD.mp3");
  }
  // An older program's .m3u in the legacy code page reads through the decoder.
  Playlist legacy;
  legacy.SetLegacyTextDecoder([](std::string_view bytes) {
    return bytes == "C:\\caf\xE9.mp3\r\n" ? std::string("C:\\caf\xC3\xA9.mp3\r\n") : "";
  });
  EXPECT_EQ(legacy.LoadPlaylistFile(Write("old.m3u", "C:\\caf\xE9.mp3\r\n")), 1u);
  EXPECT_EQ(legacy.Path(0), "C:\\caf\xC3\xA9.mp3");
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
