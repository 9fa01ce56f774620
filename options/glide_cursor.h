// GlideCursor: walks the mouse cursor to a screen point one pixel per axis per step,
// letting window messages run and pausing 2 ms after each step. Each step starts from
// where the cursor really is, so a user who moves the mouse changes the path, not the
// goal. A goal the cursor cannot reach (off the screen, or a user holding the mouse
// elsewhere) ends the walk after a bounded number of steps. Portable.
#pragma once

namespace velmora {

class CursorDevice {
 public:
  virtual ~CursorDevice() = default;
  virtual void Position(int* x, int* y) = 0;
  virtual void MoveTo(int x, int y) = 0;
  // Lets pending window messages run, then pauses `milliseconds`.
  virtual void Pause(int milliseconds) = 0;
};

// How long a walk may go on without the cursor coming closer to the goal, and the most
// steps a walk may take beyond the distance itself.
inline constexpr int kGlideStallSteps = 100;
inline constexpr int kGlideExtraSteps = 2000;

// True when the cursor arrived at (to_x, to_y); false when the walk gave up.
bool GlideCursor(CursorDevice& cursor, int from_x, int from_y, int to_x, int to_y);

}  // namespace velmora
