#include "playlist/jump_filter.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Rows = std::vector<size_t>;

TEST(JumpFilter, FoldingIgnoresCaseAndAccentsInBothEncodings) {
  // Windows-1252 bytes and the same names in UTF-8 fold alike.
  EXPECT_EQ(FoldForSearch("Caf\xC9 Noir"), "cafe noir");
  EXPECT_EQ(FoldForSearch("Caf\xC3\x89 Noir"), "cafe noir");
  EXPECT_EQ(FoldForSearch("\x8C"
                          "uvre \x8A"
                          "ostakovitch Stra\xDF"
                          "e"),
            "oeuvre sostakovitch strasse");
  EXPECT_EQ(FoldForSearch("\xC5\x92uvre \xC5\xA0ostakovitch Stra\xC3\x9F"
                          "e"),
            "oeuvre sostakovitch strasse");
  // A decomposed accent (letter + combining mark) is dropped, Latin Extended-A is folded.
  EXPECT_EQ(FoldForSearch("Cafe\xCC\x81 \xC5\x81\xC3\xB3"
                          "d\xC5\xBA"),
            "cafe lodz");
  // Cyrillic capitals become small letters.
  EXPECT_EQ(FoldForSearch("\xD0\x9C\xD0\xB8\xD1\x80"), "\xD0\xBC\xD0\xB8\xD1\x80");
  // A cut or malformed UTF-8 sequence is read byte by byte as the code page.
  EXPECT_EQ(FoldForSearch("\xC3"), "a");
  EXPECT_EQ(FoldForSearch("\xE9t\xE9"), "ete");
  EXPECT_EQ(FoldForSearch("\xC0\xAF"), "a\xC2\xAF");  // overlong "/" is not a slash
}

TEST(JumpFilter, EveryWordInAnyOrder) {
  JumpFilter filter;
  filter.SetNames({"Caf\xE9 del Mar - Tone.mp3", "tone poem.mp3", "CAFE TONE.prb", "Coffee.mp3",
                   "Tonecafe.mp3"});
  EXPECT_EQ(filter.Filter(""), (Rows{0, 1, 2, 3, 4}));
  EXPECT_EQ(filter.Filter("   "), (Rows{0, 1, 2, 3, 4}));
  EXPECT_EQ(filter.Filter("cafe"), (Rows{0, 2, 4}));
  EXPECT_EQ(filter.Filter("tone  Caf\xC3\xA9"), (Rows{0, 2, 4}));
  EXPECT_EQ(filter.Filter("cafe tone del"), (Rows{0}));
  EXPECT_EQ(filter.Filter("zzz"), Rows{});
  // A word must lie within one name, never across two neighbours.
  EXPECT_EQ(filter.Filter("mp3coffee"), Rows{});
}

TEST(JumpFilter, NarrowingGivesWhatAFreshFilterGives) {
  std::vector<std::string> names;
  for (int i = 0; i < 500; ++i)
    names.push_back("Track " + std::to_string(i) + (i % 7 == 0 ? " Caf\xE9" : " Tea") +
                    (i % 3 == 0 ? " tone" : ""));
  JumpFilter typed;
  typed.SetNames(names);
  // Typed a letter at a time, words added, then a letter taken back and a word replaced.
  const char* steps[] = {"c",          "ca",      "caf",      "cafe",      "cafe ",
                         "cafe t",     "cafe to", "cafe ton", "cafe tone", "cafe tone 1",
                         "cafe tone ", "tone 1",  "tea 1",    "te"};
  for (const char* query : steps) {
    JumpFilter fresh;
    fresh.SetNames(names);
    EXPECT_EQ(typed.Filter(query), fresh.Filter(query)) << query;
  }
  // New names start afresh.
  typed.Filter("cafe");
  typed.SetNames({"Tea", "cafe"});
  EXPECT_EQ(typed.Filter("cafe"), (Rows{1}));
  EXPECT_EQ(typed.Filter("a"), (Rows{0, 1}));
}

}  // namespace
}  // namespace velmora
