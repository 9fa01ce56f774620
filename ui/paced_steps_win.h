// Steps that recur at a fixed pace while the program runs (the scrolling title's), made
// by the program's message loop when they fall due rather than by window timers. Under
// wine a timer's step costs three round trips to the server (the timer message, the
// empty queue, the wait); a wait of the loop that ends at the due time costs one.
//
// A modal loop (a menu, a message box, a window dragged by its frame, the wait while a
// design is applied) runs inside the handling of a message, where the program's loop
// makes no steps: while a message is handled every running step is also set as a timer
// of its window, which hands the timer to OnTimer. Without the program's loop (a window
// made elsewhere) the timer is all there is.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "ui/step_pace.h"

namespace velmora::ui {

class PacedStep {
 public:
  // `step` runs on the thread of `window`, whose timer `timer_id` this takes.
  PacedStep(HWND window, UINT_PTR timer_id, std::function<void()> step);
  ~PacedStep();
  PacedStep(const PacedStep&) = delete;
  PacedStep& operator=(const PacedStep&) = delete;

  // The first step one interval from now (starting again starts the interval over).
  void Start(int interval_ms);
  void Stop();
  bool Running() const { return pace_.Running(); }
  // The window's timer `timer_id` arrived: the step, if it is (about) due.
  void OnTimer();

  // For the program's loop.
  void RunIfDue(uint64_t now);
  uint32_t MsUntilDue(uint64_t now) const { return pace_.MsUntilDue(now); }
  void SetTimerShown(bool on);

 private:
  HWND window_;
  UINT_PTR timer_id_;
  std::function<void()> step_;
  StepPace pace_;
  int interval_ms_ = 0;
  bool timer_ = false;
};

// The program's message loop (wide messages), until WM_QUIT (its code is returned).
// `pretranslate` sees each message first and returns true when it has handled it.
int RunMessageLoop(const std::function<bool(MSG&)>& pretranslate);

}  // namespace velmora::ui
