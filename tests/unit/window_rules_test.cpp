#include "app/window_rules.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(WindowRules, MinimiseAndVisibleModesPlaceButtonAndIcon) {
  // Minimize: 0 task bar, 1 tray only, 2 both; a stray stored value still minimises
  // somewhere the user can find the player again.
  EXPECT_EQ(MinimizedPresence(0), (Presence{true, false}));
  EXPECT_EQ(MinimizedPresence(1), (Presence{false, true}));
  EXPECT_EQ(MinimizedPresence(2), (Presence{true, true}));
  EXPECT_EQ(MinimizedPresence(-3), (Presence{true, false}));
  EXPECT_EQ(MinimizedPresence(7), (Presence{true, false}));
  // VisibleMode: the same three items; any other index changes nothing.
  EXPECT_EQ(VisiblePresence(0), (Presence{true, false}));
  EXPECT_EQ(VisiblePresence(1), (Presence{false, true}));
  EXPECT_EQ(VisiblePresence(2), (Presence{true, true}));
  EXPECT_FALSE(VisiblePresence(3).has_value());
  EXPECT_FALSE(VisiblePresence(-1).has_value());
}

TEST(WindowRules, ShadowWindowRidesOnTheTitleOfThePointedWindow) {
  const auto spot = ShadowPlacement(ScreenRect{100, 50, 700, 450}, false, 121, 9);
  ASSERT_TRUE(spot.has_value());
  EXPECT_EQ(spot->x, 500);
  EXPECT_EQ(spot->y, 55);
  EXPECT_EQ(spot->width, 121);
  EXPECT_EQ(spot->height, 9);
  // A narrow window: the spot may start left of it (and of the screen).
  const auto narrow = ShadowPlacement(ScreenRect{-20, -10, 80, 30}, false, 121, 9);
  ASSERT_TRUE(narrow.has_value());
  EXPECT_EQ(narrow->x, -120);
  EXPECT_EQ(narrow->y, -5);
  // Nothing under the cursor, or the shadow window itself (one of its buttons): it stays.
  EXPECT_FALSE(ShadowPlacement(std::nullopt, false, 121, 9).has_value());
  EXPECT_FALSE(ShadowPlacement(ScreenRect{300, 300, 421, 309}, true, 121, 9).has_value());
}

TEST(WindowRules, KeyTables) {
  EXPECT_EQ(MainKeyFor(0x70), MainKey::Help);  // F1
  EXPECT_EQ(MainKeyFor('P'), MainKey::Play);
  EXPECT_EQ(MainKeyFor('J'), MainKey::JumpToFile);
  EXPECT_EQ(MainKeyFor('S'), MainKey::Stop);
  EXPECT_EQ(MainKeyFor('N'), MainKey::NextTrack);
  EXPECT_EQ(MainKeyFor('R'), MainKey::PrevTrack);
  EXPECT_EQ(MainKeyFor(0x13), MainKey::Pause);
  // F3, F4, the keypad's decimal key, other letters: nothing.
  for (uint32_t key : {0x72u, 0x73u, 0x6Eu, uint32_t{'A'}, 0x0Du})
    EXPECT_EQ(MainKeyFor(key), MainKey::None) << key;

  const struct {
    char letter;
    MenuKey key;
  } letters[] = {{'D', MenuKey::Design}, {'p', MenuKey::Playlist},  {'M', MenuKey::MemoryInfo},
                 {'a', MenuKey::About},  {'E', MenuKey::EasyMove},  {'g', MenuKey::General},
                 {'S', MenuKey::Sound},  {'o', MenuKey::OpenFiles}, {'V', MenuKey::VuMeter},
                 {'d', MenuKey::Design}, {'x', MenuKey::None},      {'F', MenuKey::None},
                 {' ', MenuKey::None},   {'\0', MenuKey::None}};
  for (const auto& l : letters) EXPECT_EQ(MenuKeyFor(l.letter), l.key) << l.letter;

  // Close from Alt+F4 or the task bar, the task bar's Minimize and Restore and the menu key
  // are acted on (with the system's low bits set too); the rest is consumed.
  EXPECT_EQ(SystemCommandFor(0xF060), SystemCommand::Close);
  EXPECT_EQ(SystemCommandFor(0xF063), SystemCommand::Close);
  EXPECT_EQ(SystemCommandFor(0xF020), SystemCommand::Minimize);
  EXPECT_EQ(SystemCommandFor(0xF120), SystemCommand::Restore);
  EXPECT_EQ(SystemCommandFor(0xF100), SystemCommand::MenuKey);
  for (uint32_t consumed : {0xF030u /* maximise */, 0xF010u /* move */, 0xF000u /* size */,
                            0xF140u /* screen saver */, 0xF170u /* monitor power */})
    EXPECT_EQ(SystemCommandFor(consumed), SystemCommand::Consume) << consumed;
}

}  // namespace
}  // namespace velmora
