#include "ui/step_pace.h"

namespace velmora::ui {

void StepPace::Start(uint64_t now, int interval_ms) {
  interval_ = interval_ms > 0 ? interval_ms : 0;
  due_ = now + static_cast<uint64_t>(interval_);
}

bool StepPace::TakeDue(uint64_t now, uint32_t early_ms) {
  if (!Running() || now + early_ms < due_) return false;
  due_ += static_cast<uint64_t>(interval_);
  if (due_ <= now) due_ = now + static_cast<uint64_t>(interval_);
  return true;
}

uint32_t StepPace::MsUntilDue(uint64_t now) const {
  if (!Running()) return kNever;
  return now >= due_ ? 0 : static_cast<uint32_t>(due_ - now);
}

}  // namespace velmora::ui
