// The conversions at the edge to the wide Windows functions: every script round-trips,
// broken input becomes U+FFFD without taking valid neighbours with it.
#include <gtest/gtest.h>

#include <string>

#include "ui/utf8.h"

namespace velmora::ui {
namespace {

const std::string kNames[] = {
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x80\x93 caf\xC3\xA9 \xF0\x9F\x8E\xB5.mp3",
    "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0", "plain.mp3", ""};

TEST(Utf8, EveryScriptRoundTripsAndIsValid) {
  for (const std::string& name : kNames) {
    EXPECT_TRUE(IsValidUtf8(name)) << name;
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(name)), name);
  }
  // The note is outside the basic plane: one surrogate pair.
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x8E\xB5"), (std::u16string{0xD83C, 0xDFB5}));
  EXPECT_EQ(Utf8ToUtf16("caf\xC3\xA9"), u"caf\u00e9");
}

TEST(Utf8, BrokenSequencesBecomeOneReplacementEachAndKeepTheRest) {
  const std::u16string r(1, u'\uFFFD');
  // Truncated at the end and in the middle (the next character survives).
  EXPECT_EQ(Utf8ToUtf16("ab\xE6\x97"), u"ab" + r);
  EXPECT_EQ(Utf8ToUtf16("\xE6\x97z\xC3\xA9"), r + u"z\u00e9");
  // Overlong forms, an encoded surrogate, beyond U+10FFFF, stray trailing bytes, Latin-1.
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), r + r);
  EXPECT_EQ(Utf8ToUtf16("\xE0\x80\xAF"), r + r + r);
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80x"), r + r + r + u"x");
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), r + r + r + r);
  EXPECT_EQ(Utf8ToUtf16("\x80" "caf\xE9.mp3"), r + u"caf" + r + u".mp3");
  for (const char* broken : {"ab\xE6\x97", "\xC0\xAF", "\xED\xA0\x80", "caf\xE9", "\xFF"}) {
    EXPECT_FALSE(IsValidUtf8(broken)) << broken;
  }
}

TEST(Utf8, LoneSurrogatesBecomeReplacements) {
  const std::string r(kReplacementUtf8);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD83C, u'b'}), "a" + r + "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDFB5, 0xD83C}), r + r);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83C, 0xD83C, 0xDFB5}), r + "\xF0\x9F\x8E\xB5");
}

TEST(Utf8, ByteOrderMarks) {
  EXPECT_EQ(DetectByteOrderMark("\xEF\xBB\xBF#EXTM3U"), ByteOrderMark::kUtf8);
  EXPECT_EQ(DetectByteOrderMark("\xFF\xFEx\0"), ByteOrderMark::kUtf16Le);
  EXPECT_EQ(DetectByteOrderMark("\xFE\xFF"), ByteOrderMark::kUtf16Be);
  EXPECT_EQ(DetectByteOrderMark("\xEF\xBB"), ByteOrderMark::kNone);
  EXPECT_EQ(ByteOrderMarkLength(ByteOrderMark::kUtf8), 3u);
  EXPECT_EQ(ByteOrderMarkLength(ByteOrderMark::kNone), 0u);
  EXPECT_FALSE(HasNonAscii("plain.mp3"));
  EXPECT_TRUE(HasNonAscii("caf\xC3\xA9"));
}

}  // namespace
}  // namespace velmora::ui
