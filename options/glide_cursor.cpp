#include "options/glide_cursor.h"

#include <algorithm>
#include <cstdlib>

namespace velmora {

namespace {

int Distance(int x, int y, int to_x, int to_y) {
  return std::max(std::abs(to_x - x), std::abs(to_y - y));
}

int StepTowards(int from, int to) { return from < to ? from + 1 : from > to ? from - 1 : from; }

}  // namespace

bool GlideCursor(CursorDevice& cursor, int from_x, int from_y, int to_x, int to_y) {
  int x = from_x, y = from_y;  // the last position set
  int best = Distance(x, y, to_x, to_y);
  const int limit = best + kGlideExtraSteps;
  int stalled = 0;
  for (int step = 0; x != to_x || y != to_y; ++step) {
    int cx = 0, cy = 0;
    cursor.Position(&cx, &cy);
    const int now = Distance(cx, cy, to_x, to_y);
    if (now < best) {
      best = now;
      stalled = 0;
    } else if (++stalled > kGlideStallSteps) {
      return false;  // the cursor does not come closer: off the screen, or held elsewhere
    }
    if (step >= limit) return false;
    x = StepTowards(cx, to_x);
    y = StepTowards(cy, to_y);
    cursor.MoveTo(x, y);
    cursor.Pause(2);
  }
  return true;
}

}  // namespace velmora
