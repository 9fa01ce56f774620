// The MPEG plug-in's tag reader: ID3v1/v1.1 and ID3v2.2/2.3/2.4 with their encodings,
// unsynchronisation and sizes, and the hostile inputs it must survive.
#include "plugins/mpeg/id3.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::mpeg {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

void Append(Bytes* out, const Bytes& more) { out->insert(out->end(), more.begin(), more.end()); }

Bytes SyncSafe(uint32_t n) {
  return {uint8_t((n >> 21) & 0x7F), uint8_t((n >> 14) & 0x7F), uint8_t((n >> 7) & 0x7F),
          uint8_t(n & 0x7F)};
}

Bytes Frame(int major, const std::string& id, const Bytes& body, uint16_t flags = 0) {
  Bytes f = B(id);
  uint32_t n = static_cast<uint32_t>(body.size());
  if (major == 2) {
    Append(&f, {uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  } else {
    Append(&f, major == 4 ? SyncSafe(n)
                          : Bytes{uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
    Append(&f, {uint8_t(flags >> 8), uint8_t(flags)});
  }
  Append(&f, body);
  return f;
}

Bytes Tag(int major, const std::vector<Bytes>& frames, uint8_t flags = 0, size_t padding = 0) {
  Bytes body;
  for (const Bytes& f : frames) Append(&body, f);
  body.resize(body.size() + padding, 0);
  Bytes t = {'I', 'D', '3', uint8_t(major), 0, flags};
  Append(&t, SyncSafe(static_cast<uint32_t>(body.size())));
  Append(&t, body);
  return t;
}

Bytes Text(uint8_t encoding, const Bytes& bytes) {
  Bytes b = {encoding};
  Append(&b, bytes);
  return b;
}

Bytes V1(const std::string& title, const std::string& artist, uint8_t track, uint8_t genre) {
  Bytes b = B("TAG");
  auto field = [&](const std::string& s, size_t n) {
    Bytes f(n, 0);
    std::copy(s.begin(), s.begin() + std::min(n, s.size()), f.begin());
    Append(&b, f);
  };
  field(title, 30);
  field(artist, 30);
  field("Album", 30);
  field("1999", 4);
  field("Comment", 28);
  Append(&b, {0, track, genre});
  return b;
}

Bytes FakeAudio(size_t n) { return Bytes(n, 0x55); }

FileTags ReadTags(const Bytes& file) {
  MemoryAccess access(file);
  return ReadFileTags(access);
}

TEST(Id3Text, EveryEncodingBecomesUtf8AndUnknownOnesAreRefused) {
  std::string out;
  EXPECT_TRUE(DecodeId3Text(0, reinterpret_cast<const uint8_t*>("Caf\xE9"), 4, &out));
  EXPECT_EQ(out, "Caf\xC3\xA9");
  const uint8_t le[] = {0xFF, 0xFE, 'H', 0, 'i', 0, 0xAC, 0x20};  // "Hi€" with BOM
  EXPECT_TRUE(DecodeId3Text(1, le, sizeof(le), &out));
  EXPECT_EQ(out, "Hi\xE2\x82\xAC");
  const uint8_t be_bom[] = {0xFE, 0xFF, 0, 'O', 0, 'k'};
  EXPECT_TRUE(DecodeId3Text(1, be_bom, sizeof(be_bom), &out));
  EXPECT_EQ(out, "Ok");
  const uint8_t be[] = {0, 'B', 0, 'E', 0, 0, 0, 'X'};  // stops at the terminator
  EXPECT_TRUE(DecodeId3Text(2, be, sizeof(be), &out));
  EXPECT_EQ(out, "BE");
  // UTF-16 without a mark, either order: "Кафе é" (Cyrillic, then Latin-1's é)
  const uint8_t no_mark_le[] = {0x1A, 0x04, 0x30, 0x04, 0x44, 0x04, 0x35, 0x04, ' ', 0, 0xE9, 0};
  const uint8_t no_mark_be[] = {0x04, 0x1A, 0x04, 0x30, 0x04, 0x44, 0x04, 0x35, 0, ' ', 0, 0xE9};
  for (const uint8_t* text : {no_mark_le, no_mark_be}) {
    EXPECT_TRUE(DecodeId3Text(1, text, sizeof(no_mark_le), &out));
    EXPECT_EQ(out, "\xD0\x9A\xD0\xB0\xD1\x84\xD0\xB5 \xC3\xA9");
  }
  const uint8_t pair[] = {0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE};  // U+1F600 as a surrogate pair
  EXPECT_TRUE(DecodeId3Text(1, pair, sizeof(pair), &out));
  EXPECT_EQ(out, "\xF0\x9F\x98\x80");
  EXPECT_TRUE(DecodeId3Text(3, reinterpret_cast<const uint8_t*>("\xC3\xA9t\xC3\xA9  "), 7, &out));
  EXPECT_EQ(out, "\xC3\xA9t\xC3\xA9");  // trailing blanks trimmed
  EXPECT_FALSE(DecodeId3Text(0xFF, le, sizeof(le), &out));
  EXPECT_FALSE(DecodeId3Text(4, le, sizeof(le), &out));
}

TEST(Id3Text, MalformedInputNeverReadsPastItsEnd) {
  std::string out;
  const uint8_t odd[] = {0xFF, 0xFE, 'A', 0, 'B'};  // odd length: the half character goes
  EXPECT_TRUE(DecodeId3Text(1, odd, sizeof(odd), &out));
  EXPECT_EQ(out, "A");
  const uint8_t lone[] = {0xFF, 0xFE, 0x00, 0xD8};  // a high surrogate at the very end
  EXPECT_TRUE(DecodeId3Text(1, lone, sizeof(lone), &out));
  EXPECT_EQ(out, "\xEF\xBF\xBD");
  const uint8_t bad_utf8[] = {'a', 0xC3, 'b', 0xF0, 0x9F};
  EXPECT_TRUE(DecodeId3Text(3, bad_utf8, sizeof(bad_utf8), &out));
  EXPECT_EQ(out, "a?b??");
  EXPECT_TRUE(DecodeId3Text(1, odd, 1, &out));
  EXPECT_EQ(out, "");
  EXPECT_TRUE(DecodeId3Text(1, odd, 0, &out));
}

TEST(Id3v2, FieldsOfEachVersionAndTheTitleShown) {
  for (int major : {2, 3, 4}) {
    SCOPED_TRACE(major);
    bool v22 = major == 2;
    Bytes comment = {0, 'e', 'n', 'g', 0};
    Append(&comment, B("Nice"));
    Bytes tag = Tag(major,
                    {Frame(major, v22 ? "TT2" : "TIT2", Text(0, B("Song"))),
                     Frame(major, v22 ? "TP1" : "TPE1", Text(3, B("Band"))),
                     Frame(major, v22 ? "TAL" : "TALB", Text(0, B("Record"))),
                     Frame(major, v22 ? "TYE" : (major == 4 ? "TDRC" : "TYER"), Text(0, B("2004"))),
                     Frame(major, v22 ? "TRK" : "TRCK", Text(0, B("5/12"))),
                     Frame(major, v22 ? "TCO" : "TCON", Text(0, B("(17)"))),
                     Frame(major, v22 ? "COM" : "COMM", comment)},
                    0, 64);
    Append(&tag, FakeAudio(500));
    FileTags t = ReadTags(tag);
    ASSERT_TRUE(t.has_v2);
    EXPECT_FALSE(t.has_v1);
    EXPECT_EQ(t.v2.title, "Song");
    EXPECT_EQ(t.v2.artist, "Band");
    EXPECT_EQ(t.v2.album, "Record");
    EXPECT_EQ(t.v2.year, "2004");
    EXPECT_EQ(t.v2.track, "5/12");
    EXPECT_EQ(t.v2.genre, "Rock");
    EXPECT_EQ(t.v2.comment, "Nice");
    EXPECT_EQ(t.audio_start, tag.size() - 500);
    EXPECT_EQ(t.audio_end, tag.size());
    EXPECT_EQ(DisplayTitle(t, "C:\\music\\x.mp3"), "Band - Song");
  }
}

TEST(Id3v2, UnsynchronisationOfTheTagAndOfFrames) {
  // "\xFF\x00" in the stored bytes stands for "\xFF".
  Bytes v23 = Tag(3, {Frame(3, "TIT2", Text(0, {'A', 0xFF, 0x00, 'B'}))}, 0x80);
  EXPECT_EQ(ReadTags(v23).v2.title,
            "A\xC3\xBF"
            "B");
  Bytes v24 = Tag(4, {Frame(4, "TIT2", Text(0, {'C', 0xFF, 0x00, 'D'}), 0x0002)});
  EXPECT_EQ(ReadTags(v24).v2.title,
            "C\xC3\xBF"
            "D");
  // 2.4 data length indicator and grouping byte in front of the text.
  Bytes body = {1, 0, 0, 0, 4};
  Append(&body, Text(0, B("Len")));
  EXPECT_EQ(ReadTags(Tag(4, {Frame(4, "TIT2", body, 0x0041)})).v2.title, "Len");
}

TEST(Id3v2, PlainSizesInVersion4TagsAreRecognised) {
  // 200 bytes written as a plain number (0x000000C8), which is not a synchsafe 200.
  Bytes title = Text(0, B(std::string(199, 'T')));
  Bytes f = B("TIT2");
  Append(&f, {0, 0, 0, 200, 0, 0});
  Append(&f, title);
  Bytes tag = Tag(4, {f, Frame(4, "TPE1", Text(0, B("After")))});
  FileTags t = ReadTags(tag);
  EXPECT_EQ(t.v2.title.size(), 199u);
  EXPECT_EQ(t.v2.artist, "After");
}

TEST(Id3v2, ExtendedHeaderSkippedCompressedAndEncryptedFramesIgnored) {
  Bytes ext = {0, 0, 0, 6, 0, 0, 0, 0, 0, 0};  // 2.3: size 6 (excluding itself)
  Append(&ext, Frame(3, "TIT2", Text(0, B("Behind"))));
  Append(&ext, Frame(3, "TPE1", Text(0, B("zipped")), 0x0080));
  Bytes tag = {'I', 'D', '3', 3, 0, 0x40};
  Append(&tag, SyncSafe(static_cast<uint32_t>(ext.size())));
  Append(&tag, ext);
  FileTags t = ReadTags(tag);
  EXPECT_EQ(t.v2.title, "Behind");
  EXPECT_EQ(t.v2.artist, "");
}

TEST(Id3v2, HostileSizesNeverLeadToBigAllocationsOrOverreads) {
  // A header claiming 0x0FFFFFFF bytes in a 1 KB file: read only what is there.
  Bytes huge = {'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
  Append(&huge, Frame(3, "TIT2", Text(0, B("Short"))));
  huge.resize(1024, 0);
  FileTags t = ReadTags(huge);
  EXPECT_TRUE(t.has_v2);
  EXPECT_EQ(t.v2.title, "Short");
  EXPECT_EQ(t.audio_start, 1024u);  // nothing left for audio
  // A frame whose size runs past the tag: the part present is used, nothing beyond.
  Bytes f = B("TIT2");
  Append(&f, {0x7F, 0xFF, 0xFF, 0xFF, 0, 0});
  Append(&f, Text(0, B("Cut")));
  Bytes tag = {'I', 'D', '3', 3, 0, 0};
  Append(&tag, SyncSafe(static_cast<uint32_t>(f.size())));
  Append(&tag, f);
  EXPECT_EQ(ReadTags(tag).v2.title, "Cut");
  // Bytes that only look like a header: a size byte with its top bit set.
  Bytes fake = {'I', 'D', '3', 3, 0, 0, 0x80, 0, 0, 0};
  fake.resize(300, 0);
  EXPECT_FALSE(ReadTags(fake).has_v2);
  // Encoding byte 0xFF and an empty frame are skipped, the next frame still read.
  Bytes odd = Tag(3, {Frame(3, "TIT2", Text(0xFF, B("junk"))), Frame(3, "TALB", {}),
                      Frame(3, "TPE1", Text(1, {0xFF, 0xFE, 'Z'}))});
  FileTags o = ReadTags(odd);
  EXPECT_EQ(o.v2.title, "");
  EXPECT_EQ(o.v2.artist, "");
  EXPECT_EQ(DisplayTitle(o, "/x/odd.mp3"), "odd.mp3");
  // Every prefix of a valid tag parses without fault.
  Bytes full =
      Tag(4, {Frame(4, "TIT2", Text(1, {0xFF, 0xFE, 'a', 0, 'b', 0})),
              Frame(4, "COMM", Text(1, {'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'c', 0}))});
  for (size_t n = 0; n <= full.size(); ++n) ReadTags(Bytes(full.begin(), full.begin() + n));
}

TEST(Id3v1, FieldsTrackAndGenre) {
  Bytes file = FakeAudio(1000);
  Append(&file, V1("Old Song", "Old Band", 9, 8));
  FileTags t = ReadTags(file);
  ASSERT_TRUE(t.has_v1);
  EXPECT_EQ(t.v1.title, "Old Song");
  EXPECT_EQ(t.v1.artist, "Old Band");
  EXPECT_EQ(t.v1.album, "Album");
  EXPECT_EQ(t.v1.year, "1999");
  EXPECT_EQ(t.v1.track, "9");
  EXPECT_EQ(t.v1.genre, "Jazz");
  EXPECT_EQ(t.v1.comment, "Comment");
  EXPECT_EQ(t.audio_end, 1000u);
  EXPECT_EQ(DisplayTitle(t, "song.mp3"), "Old Band - Old Song");
  // Genre 255 means none; v1.0 uses the whole comment.
  Bytes v10 = V1("T", "", 0, 255);
  v10[125] = 'x';
  TagFields f;
  ASSERT_TRUE(ParseId3v1(v10.data(), v10.size(), &f));
  EXPECT_EQ(f.genre, "");
  EXPECT_EQ(f.track, "");
  EXPECT_EQ(DisplayTitle(FileTags{false, false, {}, f, {}, 0, 0}, "a/b.mp3"), "T");
}

TEST(Id3v1, SmallFilesAndTagOnlyFiles) {
  Bytes tiny(60, 0);
  Append(&tiny, B("TAG"));  // under 128 bytes, ending in TAG
  FileTags t = ReadTags(tiny);
  EXPECT_FALSE(t.has_v1);
  EXPECT_EQ(t.audio_end, tiny.size());
  EXPECT_EQ(ReadTags({}).audio_end, 0u);
  // ID3v2 directly followed by ID3v1: no audio at all, and no negative range.
  Bytes only = Tag(3, {Frame(3, "TIT2", Text(0, B("X")))});
  Append(&only, V1("Y", "Z", 1, 1));
  FileTags o = ReadTags(only);
  EXPECT_TRUE(o.has_v1);
  EXPECT_TRUE(o.has_v2);
  EXPECT_GE(o.audio_end, o.audio_start);
  EXPECT_EQ(o.audio_end - o.audio_start, 0u);
  // Version 2 wins over version 1 field by field.
  EXPECT_EQ(DisplayTitle(o, "f.mp3"), "Z - X");
}

TEST(Id3, FileNameWithoutFolder) {
  EXPECT_EQ(FileNameOf("C:\\Music\\a b.mp3"), "a b.mp3");
  EXPECT_EQ(FileNameOf("/tmp/x.mp3"), "x.mp3");
  EXPECT_EQ(FileNameOf("plain.mp3"), "plain.mp3");
  EXPECT_STREQ(GenreName(0), "Blues");
  EXPECT_STREQ(GenreName(-1), "");
  EXPECT_STREQ(GenreName(200), "");
}

}  // namespace
}  // namespace velmora::mpeg
