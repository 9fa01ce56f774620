#include "app/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace velmora {
namespace {

// A registry key in memory that records every access in order.
class FakeStore : public SettingsStore {
 public:
  using Value = std::variant<std::string, int32_t>;

  bool key_exists = true;
  std::map<std::string, Value> values;
  std::vector<std::string> log;   // "read X", "write X", ...
  std::set<std::string> failing;  // reads of these throw as a broken store would

  bool KeyExists() override { return key_exists; }
  bool CreateKey() override {
    log.push_back("create");
    key_exists = true;
    return true;
  }
  bool HasValue(const std::string& name) override { return values.count(name) != 0; }
  std::string ReadString(const std::string& name) override {
    return std::get<std::string>(Get(name));
  }
  int32_t ReadInt(const std::string& name) override { return std::get<int32_t>(Get(name)); }
  bool ReadBool(const std::string& name) override { return std::get<int32_t>(Get(name)) != 0; }
  void WriteString(const std::string& name, const std::string& value) override {
    log.push_back("write " + name);
    values[name] = value;
  }
  void WriteInt(const std::string& name, int32_t value) override {
    log.push_back("write " + name);
    values[name] = value;
  }
  void WriteBool(const std::string& name, bool value) override { WriteInt(name, value ? 1 : 0); }

  std::vector<std::string> Writes() const {
    std::vector<std::string> out;
    for (const auto& l : log)
      if (l.rfind("write ", 0) == 0) out.push_back(l.substr(6));
    return out;
  }

 private:
  const Value& Get(const std::string& name) {
    log.push_back("read " + name);
    if (failing.count(name)) throw SettingsError("read failed: " + name);
    auto it = values.find(name);
    if (it == values.end()) throw SettingsError("Invalid data type for '" + name + "'");
    return it->second;
  }
};

ScreenGeometry Screen() {
  ScreenGeometry g;
  g.screen_width = 1024;
  g.screen_height = 768;
  g.window_width = 306;
  g.window_height = 161;
  g.window_left = 100;
  g.window_top = 50;
  return g;
}

// A key as a previous run saved it.
FakeStore SavedKey() {
  FakeStore s;
  s.values = {{"design", std::string("Blue")},
              {"Randomdesign", 1},
              {"Multiple", 1},
              {"Transparency", 0},
              {"EasyMove", 1},
              {"Randomplay", 1},
              {"Fadeplay", 1},
              {"Fadestop", 1},
              {"Version", std::string("0.91")},
              {"Fadepause", 1},
              {"Nag", 0},
              {"Minimize", 2},
              {"Top", 200},
              {"Left", 300},
              {"ToTop", 1},
              {"UseProxy", 1},
              {"Host", std::string("proxy")},
              {"Port", std::string("8080")},
              {"User", std::string("me")},
              {"Password", std::string("pw")},
              {"LogErrors", 1},
              {"ShadowMode", 1},
              {"VisibleMode", 2},
              {"EnableTooltips", 0},
              {"PWidth", 400},
              {"PHeight", 500},
              {"CurrentFile", 5},
              {"loop", 0},
              {"autoplay", 0}};
  return s;
}

TEST(SettingsSignal, EveryObserverHearsEachRealChangeOnceAndMayLeaveMeanwhile) {
  struct Counter : SettingsObserver {
    Settings* settings = nullptr;
    int changes = 0;
    bool leave = false;
    void OnSettingsChanged() override {
      ++changes;
      if (leave) settings->RemoveObserver(this);
    }
  } menu, boxes;
  Settings settings;
  menu.settings = boxes.settings = &settings;
  menu.leave = true;
  settings.AddObserver(&menu);
  settings.AddObserver(&boxes);
  settings.AddObserver(&boxes);  // once is enough
  settings.Set(&PlayerSettings::autoplay, false);
  settings.Set(&PlayerSettings::autoplay, false);  // no change, no word
  settings.Update([](PlayerSettings& s) {  // two values, one word
    s.loop = false;
    s.Top = 12;
  });
  settings.Update([](PlayerSettings& s) { s.loop = false; });
  EXPECT_FALSE(settings->autoplay);
  EXPECT_EQ(settings->Top, 12);
  EXPECT_EQ(menu.changes, 1);
  EXPECT_EQ(boxes.changes, 2);
}

TEST(SettingsRead, FirstRunWritesExactlyTheEightValuesAndKeepsThePosition) {
  FakeStore store;
  store.key_exists = false;
  PlayerSettings s;
  SettingsReadResult r = ReadSettings(store, s, Screen());
  EXPECT_TRUE(r.first_run);
  EXPECT_EQ(store.log.front(), "create");
  EXPECT_EQ(store.Writes(), (std::vector<std::string>{"Multiple", "design", "autoplay", "loop",
                                                      "Minimize", "Randomdesign", "Left", "Top"}));
  EXPECT_EQ(std::get<int32_t>(store.values["Left"]), 100);
  EXPECT_EQ(std::get<int32_t>(store.values["Top"]), 50);
  EXPECT_EQ(std::get<std::string>(store.values["design"]), "Default");
  EXPECT_EQ(std::get<int32_t>(store.values["Minimize"]), 1);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(s.design, "Default");
  EXPECT_TRUE(s.autoplay);
  EXPECT_TRUE(s.loop);
}

TEST(SettingsRead, ReadsEveryStoredValueWithoutWriting) {
  FakeStore store = SavedKey();
  PlayerSettings s;
  SettingsReadResult r = ReadSettings(store, s, Screen());
  EXPECT_FALSE(r.first_run);
  EXPECT_TRUE(r.completed);
  EXPECT_TRUE(store.Writes().empty());
  EXPECT_EQ(s.design, "Blue");
  EXPECT_TRUE(s.Randomdesign);
  EXPECT_TRUE(s.Multiple);
  EXPECT_FALSE(s.Transparency);
  EXPECT_TRUE(s.EasyMove && s.Randomplay && s.Fadeplay && s.Fadestop && s.Fadepause);
  EXPECT_EQ(s.Version, "0.91");
  EXPECT_FALSE(s.Nag);
  EXPECT_EQ(s.Minimize, 2);
  EXPECT_EQ(r.top, 200);
  EXPECT_EQ(r.left, 300);
  EXPECT_TRUE(s.ToTop && s.UseProxy && s.LogErrors && s.ShadowMode);
  EXPECT_EQ(s.Host + s.Port + s.User + s.Password, "proxy8080mepw");
  EXPECT_EQ(s.VisibleMode, 2);
  EXPECT_FALSE(s.EnableTooltips);
  EXPECT_EQ(s.PWidth, 400);
  EXPECT_EQ(s.PHeight, 500);
  EXPECT_EQ(s.CurrentFile, 5);
  EXPECT_FALSE(s.loop);
  EXPECT_FALSE(s.autoplay);
}

TEST(SettingsRead, ReadOrderEndsWithLoopThenAutoplay) {
  FakeStore store = SavedKey();
  PlayerSettings s;
  ReadSettings(store, s, Screen());
  std::vector<std::string> reads;
  for (const auto& l : store.log)
    if (l.rfind("read ", 0) == 0) reads.push_back(l.substr(5));
  const std::vector<std::string> expected = {
      "design",   "Randomdesign", "Multiple",    "Transparency", "EasyMove",    "Randomplay",
      "Fadeplay", "Fadestop",     "Version",     "Fadepause",    "Nag",         "Minimize",
      "Top",      "Left",         "ToTop",       "UseProxy",     "Host",        "Port",
      "User",     "Password",     "LogErrors",   "ShadowMode",   "VisibleMode", "EnableTooltips",
      "PWidth",   "PHeight",      "CurrentFile", "loop",         "autoplay"};
  EXPECT_EQ(reads, expected);
}

TEST(SettingsRead, MissingDesignAndRandomdesignAreWrittenAndEmptyDesignBecomesDefault) {
  FakeStore store;
  store.values = {{"loop", 1}, {"autoplay", 1}};
  PlayerSettings s;
  s.design.clear();
  ReadSettings(store, s, Screen());
  EXPECT_EQ(store.Writes(), (std::vector<std::string>{"design", "Randomdesign"}));
  EXPECT_EQ(s.design, "Default");

  FakeStore empty_name;
  empty_name.values = {
      {"design", std::string()}, {"Randomdesign", 0}, {"loop", 1}, {"autoplay", 1}};
  PlayerSettings s2;
  ReadSettings(empty_name, s2, Screen());
  EXPECT_EQ(empty_name.Writes(), std::vector<std::string>{"design"});
  EXPECT_EQ(std::get<std::string>(empty_name.values["design"]), "Default");
  EXPECT_EQ(s2.design, "Default");
}

TEST(SettingsRead, MissingLoopOrAutoplayKeepsBothTrue) {
  for (const char* missing : {"loop", "autoplay"}) {
    FakeStore store = SavedKey();
    store.values.erase(missing);
    PlayerSettings s;
    SettingsReadResult r = ReadSettings(store, s, Screen());
    EXPECT_FALSE(r.completed) << missing;
    EXPECT_TRUE(s.loop) << missing;
    EXPECT_TRUE(s.autoplay) << missing;
    // Everything before them was read.
    EXPECT_EQ(s.CurrentFile, 5) << missing;
  }
}

TEST(SettingsRead, AFailingReadLeavesTheRestAtDefaults) {
  FakeStore store = SavedKey();
  store.failing.insert("Version");
  PlayerSettings s;
  SettingsReadResult r = ReadSettings(store, s, Screen());
  EXPECT_FALSE(r.completed);
  EXPECT_TRUE(s.Fadestop);    // before the failure
  EXPECT_FALSE(s.Fadepause);  // after it: defaults
  EXPECT_TRUE(s.Nag);
  EXPECT_EQ(s.Minimize, 1);
  EXPECT_EQ(s.CurrentFile, 0);
  EXPECT_TRUE(s.loop && s.autoplay);
  EXPECT_EQ(r.top, 50);  // the window keeps its place
  EXPECT_EQ(r.left, 100);
}

TEST(SettingsPlacement, ClampsAndCentres) {
  EXPECT_EQ(ClampPlacement(-30, 768, 161), 0);
  EXPECT_EQ(ClampPlacement(0, 768, 161), 0);
  EXPECT_EQ(ClampPlacement(788, 768, 161), 788);  // 20 beyond is still kept
  EXPECT_EQ(ClampPlacement(789, 768, 161), (768 - 161) / 2);
  EXPECT_EQ(ClampPlacement(5000, 1024, 306), (1024 - 306) / 2);

  FakeStore store = SavedKey();
  store.values["Top"] = -30;
  store.values["Left"] = 4000;
  PlayerSettings s;
  SettingsReadResult r = ReadSettings(store, s, Screen());
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.left, (1024 - 306) / 2);

  FakeStore no_position = SavedKey();
  no_position.values.erase("Top");
  no_position.values.erase("Left");
  r = ReadSettings(no_position, s, Screen());
  EXPECT_EQ(r.top, (768 - 161) / 2);
  EXPECT_EQ(r.left, (1024 - 306) / 2);
}

TEST(SettingsSave, WritesEveryValueButTheDesignInOrder) {
  FakeStore store;
  PlayerSettings s;
  s.Top = 10;
  s.Left = 20;
  s.PWidth = 300;
  s.PHeight = 400;
  s.Version = "0.50";
  s.CurrentFile = 3;
  SaveSettings(store, s);
  EXPECT_EQ(
      store.Writes(),
      (std::vector<std::string>{
          "Minimize",   "autoplay",    "loop",          "Top",      "Left",        "PWidth",
          "PHeight",    "Multiple",    "Transparency",  "EasyMove", "Randomplay",  "Fadeplay",
          "Fadestop",   "Fadepause",   "ToTop",         "Nag",      "UseProxy",    "Host",
          "Port",       "User",        "Password",      "Version",  "CurrentFile", "LogErrors",
          "ShadowMode", "VisibleMode", "EnableTooltips", "UsePlayingSound", "MediaKeys", "GlobalKeys"}));
  EXPECT_EQ(std::get<std::string>(store.values["Version"]), "0.91");
  EXPECT_EQ(std::get<int32_t>(store.values["CurrentFile"]), 3);

  // Saved values read back as they were.
  PlayerSettings back;
  store.values["design"] = std::string("Default");
  store.values["Randomdesign"] = 0;
  ReadSettings(store, back, Screen());
  EXPECT_EQ(back.Top, 10);
  EXPECT_EQ(back.Left, 20);
  EXPECT_EQ(back.PWidth, 300);
  EXPECT_EQ(back.CurrentFile, 3);
}

TEST(SettingsSave, NeverCreatesTheKey) {
  FakeStore store;
  store.key_exists = false;
  SaveSettings(store, PlayerSettings{});
  EXPECT_TRUE(store.log.empty());
}

TEST(CommandLine, ArgumentsAreJoinedWithOneBlank) {
  EXPECT_EQ(JoinArguments({}), "");
  EXPECT_EQ(JoinArguments({"C:\\a.mp3"}), "C:\\a.mp3");
  EXPECT_EQ(JoinArguments({"C:\\My", "Music\\a.mp3"}), "C:\\My Music\\a.mp3");
  EXPECT_EQ(JoinArguments({"a", "b", "c"}), "a b c");
}

TEST(CommandLine, PlaylistRuleIsCaseSensitiveAnywhere) {
  EXPECT_TRUE(IsPlaylistText("C:\\lists\\rock.m3u"));
  EXPECT_TRUE(IsPlaylistText("C:\\x.m3u8"));
  EXPECT_TRUE(IsPlaylistText("C:\\dir.m3u\\a.mp3"));
  EXPECT_FALSE(IsPlaylistText("C:\\lists\\ROCK.M3U"));
  EXPECT_FALSE(IsPlaylistText("C:\\a.mp3"));
}

TEST(StartupIndex, StoredIndexIsRestoredOnlyWhenTheEntryExists) {
  EXPECT_EQ(RestoredIndex(5, 3), 0);
  EXPECT_EQ(RestoredIndex(5, 6), 5);
  EXPECT_EQ(RestoredIndex(2, 3), 2);
  EXPECT_EQ(RestoredIndex(0, 0), 0);
  EXPECT_EQ(RestoredIndex(-1, 4), 0);
}

}  // namespace
}  // namespace velmora
