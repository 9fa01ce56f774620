// Design folders: the chooser's list, its lookup, the preview size and names matched
// without regard to letter case.
#include <gtest/gtest.h>

#include <map>

#include "design/design_folder.h"

namespace velmora {
namespace {

TEST(DesignFolder, ListKeepsEnumerationOrderAfterTheHeader) {
  const auto entries = ListDesignEntries(
      {{".", true}, {"Zeta", true}, {"..", true}, {"readme", false}, {"Alpha", true}});
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "---Classics---");
  EXPECT_EQ(entries[0].marker, "None");
  EXPECT_EQ(entries[1].name, "Zeta");
  EXPECT_EQ(entries[1].marker, "Classic");
  EXPECT_EQ(entries[2].name, "Alpha");
}

TEST(DesignFolder, LookupIsExactAndFirstMatch) {
  const std::vector<DesignEntry> e = {
      {"---Classics---", "None"}, {"Default", "Classic"}, {"Default", "x.dll"}};
  EXPECT_EQ(FindDesignEntry(e, "Default"), 1);
  EXPECT_EQ(FindDesignEntry(e, "default"), -1);
  EXPECT_EQ(FindDesignEntry(e, ""), -1);
}

TEST(DesignFolder, PreviewSizeRule) {
  const Size big = PreviewFit(260, 4, 500, 300);
  EXPECT_EQ(big.width, 780);
  EXPECT_EQ(big.height, 334);
  const Size small = PreviewFit(260, 4, 100, 50);
  EXPECT_EQ(small.width, 650);
  EXPECT_EQ(small.height, 250);
}

TEST(DesignFolder, ResolvesEachComponentWithoutCase) {
  std::map<std::string, std::vector<DirEntry>> fs = {
      {"/p", {{"Design", true}}},
      {"/p/Design", {{"Dark", true}}},
      {"/p/Design/Dark", {{"Back.BMP", false}, {"back.bmp", false}}},
  };
  auto lister = [&](const std::string& dir, std::vector<DirEntry>* out) {
    auto it = fs.find(dir);
    if (it == fs.end()) return false;
    *out = it->second;
    return true;
  };
  EXPECT_EQ(ResolveNoCase("/p", "design\\dark\\BACK.bmp", lister, '/'), "/p/Design/Dark/Back.BMP");
  // An exact spelling wins over an earlier case-insensitive match.
  EXPECT_EQ(ResolveNoCase("/p", "design/dark/back.bmp", lister, '/'), "/p/Design/Dark/back.bmp");
  // Missing parts keep the caller's spelling.
  EXPECT_EQ(ResolveNoCase("/p", "design/Light/back.bmp", lister, '/'), "/p/Design/Light/back.bmp");
  EXPECT_EQ(DesignFilePath("C:\\v", "Default", "mask.bmp"), "C:\\v\\design\\Default\\mask.bmp");
}

}  // namespace
}  // namespace velmora
