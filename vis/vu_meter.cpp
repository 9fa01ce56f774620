#include "vis/vu_meter.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace velmora {

int32_t PeakLevel(int32_t raw) {
  const int64_t magnitude = std::llabs(static_cast<int64_t>(raw));
  return static_cast<int32_t>(magnitude / 180);
}

int32_t RawPeakFromFraction(float fraction) {
  if (!(fraction > 0.0f)) return 0;  // also NaN
  if (fraction >= 1.0f) return 32768;
  return static_cast<int32_t>(std::lround(static_cast<double>(fraction) * 32768.0));
}

const char* MeterSourceHint(MeterSourceKind kind) {
  switch (kind) {
    case MeterSourceKind::mixer: return "Level of the sound card (mixer peak meter)";
    case MeterSourceKind::endpoint:
      return "Level of the sound card (output device meter; the mixer has no peak meter)";
    case MeterSourceKind::plugin:
      return "Level of what the input plug-in plays (no peak meter on this system)";
    case MeterSourceKind::none: break;
  }
  return "No level to show";
}

PeakMeter::~PeakMeter() {
  std::unique_ptr<MeterSource> source;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    source = std::move(source_);
    users_ = 0;
  }
}

void PeakMeter::OpenMeter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (users_++ > 0) return;
  }
  // Opening may show a message box and let messages run: no lock is held meanwhile, so
  // another user's reading or closing never waits for the user to answer it.
  std::unique_ptr<MeterSource> opened = opener_.Open();
  std::lock_guard<std::mutex> lock(mutex_);
  // Every user closed while this was opening: nobody wants it any more.
  if (users_ == 0) return;
  if (!source_) source_ = std::move(opened);
}

void PeakMeter::CloseMeter() {
  std::unique_ptr<MeterSource> released;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (users_ == 0) return;
    if (--users_ > 0) return;
    released = std::move(source_);
  }
}

bool PeakMeter::ReadPeaks() {
  RawPeaks peaks;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!source_ || !source_->Read(&peaks)) return false;
  }
  left_.store(PeakLevel(peaks.left), std::memory_order_relaxed);
  if (peaks.channels == 2) right_.store(PeakLevel(peaks.right), std::memory_order_relaxed);
  return true;
}

void PeakMeter::Refresh() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (source_) source_->Refresh();
}

MeterSourceKind PeakMeter::SourceKind() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return source_ ? source_->Kind() : MeterSourceKind::none;
}

int PeakMeter::Users() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return users_;
}

void VuBars::DrawBar(int32_t level, int32_t previous, BarCanvas& bar) {
  if (level < previous) {
    // Falling: a dark band from the top as deep as the fall; the rest stays as it was.
    bar.FillDark(previous / 2 - level / 2);
    return;
  }
  bar.DrawRuler();
  bar.FillDark(kBarRows - level / 2);
  if (level > kOverloadLevel) {
    bar.SetLampShown(true);
  } else if (bar.LampShown()) {
    bar.SetLampShown(false);
  }
}

void VuBars::Tick(int32_t left, int32_t right, BarCanvas& left_bar, BarCanvas& right_bar) {
  DrawBar(right, previous_right_, right_bar);
  DrawBar(left, previous_left_, left_bar);
  previous_left_ = left;
  previous_right_ = right;
}

}  // namespace velmora
