// When a step that recurs at a fixed interval (the title's scroll) falls due, reckoned
// from a millisecond clock the caller reads. One step per due time: a step that comes
// late is not made up for by a burst of steps, the next one is an interval after it, as
// a window timer's messages do. No window system here.
#pragma once

#include <cstdint>

namespace velmora::ui {

class StepPace {
 public:
  static constexpr uint32_t kNever = 0xFFFFFFFF;

  // The first step falls due one interval after `now`; an interval of 0 or less stops.
  void Start(uint64_t now, int interval_ms);
  void Stop() { interval_ = 0; }
  bool Running() const { return interval_ > 0; }
  // True when a step is due at `now` (or within `early_ms` of it); the next one is then an
  // interval later (from `now` when the step came more than an interval late).
  bool TakeDue(uint64_t now, uint32_t early_ms = 0);
  // Milliseconds from `now` until the next step (0 when one is due), kNever when stopped.
  uint32_t MsUntilDue(uint64_t now) const;

 private:
  uint64_t due_ = 0;
  int interval_ = 0;
};

}  // namespace velmora::ui
