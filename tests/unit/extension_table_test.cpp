// The extension table's text rules: splitting a library's list, the support test on the
// first three characters, the choice of library for a path, and the dialog filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugins/extension_table.h"

namespace velmora {
namespace {

class RecordingSwitch : public PluginSwitch {
 public:
  const std::string& CurrentName() const override { return current; }
  void SwitchTo(const std::string& library) override {
    switches.push_back(library);
    current = library;
  }
  std::string current;
  std::vector<std::string> switches;
};

TEST(ExtensionList, SplitsAtEveryCommaKeepingBlanksAndTheEmptyRest) {
  EXPECT_EQ(SplitExtensionList("MP3,MP2,MP1"), (std::vector<std::string>{"MP3", "MP2", "MP1"}));
  EXPECT_EQ(SplitExtensionList("MP3, MP2"), (std::vector<std::string>{"MP3", " MP2"}));
  EXPECT_EQ(SplitExtensionList("MP3,"), (std::vector<std::string>{"MP3", ""}));
  EXPECT_EQ(SplitExtensionList(""), (std::vector<std::string>{""}));
  EXPECT_EQ(SplitExtensionList(",,"), (std::vector<std::string>{"", "", ""}));
}

TEST(ExtensionTable, SupportTestUpperCasesTheWholeExtension) {
  RecordingSwitch sw;
  ExtensionTable table(sw);
  table.AddRow("MP3", "a.dll");
  table.AddRow(" MP2", "a.dll");
  table.AddRow("mp1", "a.dll");
  table.AddRow("FLAC", "b.dll");
  table.AddRow("OGGv", "b.dll");
  EXPECT_TRUE(table.IsSupportedExtension("mp3"));
  EXPECT_TRUE(table.IsSupportedExtension("Mp3"));
  EXPECT_FALSE(table.IsSupportedExtension("mp2"));   // the row holds a leading blank
  EXPECT_FALSE(table.IsSupportedExtension("mp1"));   // a lower-case row is never found
  EXPECT_TRUE(table.IsSupportedExtension("flac"));
  EXPECT_TRUE(table.IsSupportedExtension("Flac"));
  EXPECT_FALSE(table.IsSupportedExtension("oggv"));  // the row holds "OGGv"
  EXPECT_FALSE(table.IsSupportedExtension("MP"));
  EXPECT_FALSE(table.IsSupportedExtension("wav"));
}

TEST(ExtensionTable, EmptyTextNeverMatchesEvenAnEmptyRow) {
  RecordingSwitch sw;
  ExtensionTable table(sw);
  table.AddRow("MP3", "a.dll");
  table.AddRow("", "a.dll");  // from "MP3," or a failing extension list
  EXPECT_FALSE(table.IsSupportedExtension(""));
  EXPECT_FALSE(table.SelectPluginForFile("C:\\music\\README"));
  EXPECT_FALSE(table.SelectPluginForFile("C:\\music\\song."));
  EXPECT_FALSE(table.SelectPluginForFile("C:\\my.music\\song"));
  EXPECT_TRUE(sw.switches.empty());
}

TEST(ExtensionTable, SelectionTakesTheFirstRowAndSwitchesOnlyOnAnotherName) {
  RecordingSwitch sw;
  ExtensionTable table(sw);
  table.AddRow("MP3", "first.dll");
  table.AddRow("OGG", "second.dll");
  table.AddRow("MP3", "second.dll");
  EXPECT_TRUE(table.SelectPluginForFile("C:\\a\\Song.Mp3"));
  EXPECT_TRUE(table.SelectPluginForFile("C:\\a\\SONG.MP3"));
  EXPECT_EQ(sw.switches, (std::vector<std::string>{"first.dll"}));  // same type keeps it
  EXPECT_TRUE(table.SelectPluginForFile("x.ogg"));
  EXPECT_TRUE(table.SelectPluginForFile("y.mp3"));
  EXPECT_EQ(sw.switches, (std::vector<std::string>{"first.dll", "second.dll", "first.dll"}));
  EXPECT_FALSE(table.SelectPluginForFile("z.wav"));
  EXPECT_EQ(sw.current, "first.dll");  // a miss changes nothing
}

TEST(ExtensionTable, ARowInLowerCaseIsNeverSelected) {
  RecordingSwitch sw;
  ExtensionTable table(sw);
  table.AddRow("mp3", "a.dll");
  EXPECT_FALSE(table.SelectPluginForFile("song.mp3"));
}

TEST(OpenDialogFilter, AllSupportedFilesComesFirst) {
  const std::vector<ExtensionRow> rows = {{"MP3", "a.dll"}, {"MP2", "a.dll"}, {"MP1", "a.dll"}};
  EXPECT_EQ(
      BuildOpenDialogFilter(rows, kInitialOpenFilter),
      "All supported files (*.mp3;*.mp2;*.mp1)|*.mp3;*.mp2;*.mp1|Layer 1-2-3 (*.mp3, *.mp2, *.mp1)|"
      "*.mp3;*.mp2;*.mp1|Playlist File (*.m3u)|*.m3u|All Files|*.*");
  EXPECT_EQ(
      BuildOpenDialogFilter({}, kInitialOpenFilter).rfind("All supported files ()||Layer 1-2-3", 0),
      0u);
  // Two libraries reporting MP3: twice in the filter.
  EXPECT_EQ(BuildOpenDialogFilter({{"MP3", "a.dll"}, {"MP3", "b.dll"}}, "X|*.*"),
            "All supported files (*.mp3;*.mp3)|*.mp3;*.mp3|X|*.*");
}

}  // namespace
}  // namespace velmora
