#include "options/glide_cursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace velmora {
namespace {

// A cursor on an 800 x 600 screen: positions are kept on the screen, as the system keeps
// them; `user` may move it between steps.
struct FakeCursor : CursorDevice {
  int x = 0, y = 0, moves = 0, pauses = 0;
  std::function<void(FakeCursor&)> user;
  void Position(int* px, int* py) override {
    if (user) user(*this);
    *px = x, *py = y;
  }
  void MoveTo(int nx, int ny) override {
    ++moves;
    x = std::clamp(nx, 0, 799);
    y = std::clamp(ny, 0, 599);
  }
  void Pause(int ms) override {
    EXPECT_EQ(ms, 2);
    ++pauses;
  }
};

TEST(GlideCursor, WalksOnePixelPerAxisPerStepToTheGoal) {
  FakeCursor cursor;
  cursor.x = 10, cursor.y = 20;
  EXPECT_TRUE(GlideCursor(cursor, 10, 20, 110, 70));
  EXPECT_EQ(cursor.x, 110);
  EXPECT_EQ(cursor.y, 70);
  EXPECT_EQ(cursor.moves, 100);  // the longer axis
  EXPECT_EQ(cursor.pauses, 100);
  // Already there: no step at all.
  FakeCursor still;
  EXPECT_TRUE(GlideCursor(still, 0, 0, 0, 0));
  EXPECT_EQ(still.moves, 0);
}

TEST(GlideCursor, AUserMovingTheMouseChangesThePathNotTheGoal) {
  FakeCursor cursor;
  int nudges = 0;
  cursor.user = [&](FakeCursor& c) {
    if (nudges < 20) c.y += 3, ++nudges;
  };
  EXPECT_TRUE(GlideCursor(cursor, 0, 0, 50, 50));
  EXPECT_EQ(cursor.x, 50);
  EXPECT_EQ(cursor.y, 50);
}

TEST(GlideCursor, AGoalItCannotReachEndsTheWalk) {
  FakeCursor off_screen;
  EXPECT_FALSE(GlideCursor(off_screen, 0, 0, 5000, 100));
  EXPECT_LT(off_screen.moves, 800 + kGlideStallSteps + 2);

  // A user holding the mouse where it is.
  FakeCursor held;
  held.user = [](FakeCursor& c) { c.x = 300, c.y = 300; };
  EXPECT_FALSE(GlideCursor(held, 300, 300, 10, 10));
  EXPECT_LE(held.moves, kGlideStallSteps + 1);

  // A user dragging it back a little each time never gets it stuck for ever either.
  FakeCursor tugged;
  tugged.user = [](FakeCursor& c) { c.x = std::max(0, c.x - 1); };
  EXPECT_FALSE(GlideCursor(tugged, 0, 0, 700, 0));
  EXPECT_LE(tugged.moves, 700 + kGlideExtraSteps + 1);
}

}  // namespace
}  // namespace velmora
