// The VU meter's rules, apart from the window system: the level arithmetic (a raw peak
// of the signed 16-bit scale becomes a level of 0 to 182), the one meter connection of the
// program that the VU window and the visualisation worker share, and what each timer tick
// draws on the two bars.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace velmora {

// Highest level: |-32768| / 180.
inline constexpr int32_t kMaxMeterLevel = 182;

// |raw| divided by 180, the remainder dropped (-32768 gives 182, 179 gives 0, 180 gives 1).
int32_t PeakLevel(int32_t raw);
// A peak given as a fraction of full scale (0.0 to 1.0, as the system's meter of the
// output device reports it) as a raw peak: 1.0 is 32768, so its level is 182.
int32_t RawPeakFromFraction(float fraction);

// Where the levels come from, best first.
enum class MeterSourceKind {
  none,      // no connection (no wave-out device, no mixer, or not opened)
  mixer,     // the mixer's peak meter on the wave-output source line
  endpoint,  // the system's meter of the default output device
  plugin,    // the peaks that the current input plug-in reports of what it plays
};

// The text the VU window shows as its hint, so a user knows what moves the bars.
const char* MeterSourceHint(MeterSourceKind kind);

// One reading: the raw peak of each channel on the signed 16-bit scale, and how many
// channels the source has (with one, only the left level follows it).
struct RawPeaks {
  int32_t left = 0;
  int32_t right = 0;
  int channels = 2;
};

// An open source of readings. Read may be called from any thread, one call at a time
// (the meter serialises them); Refresh only from the window thread.
class MeterSource {
 public:
  virtual ~MeterSource() = default;
  virtual MeterSourceKind Kind() const = 0;
  // False when no reading could be taken this time.
  virtual bool Read(RawPeaks* peaks) = 0;
  // Window thread: takes what only that thread may look at (the current input plug-in's
  // peaks). A user that reads from another thread has the window thread refresh the
  // source as often as it reads. Default: nothing to take.
  virtual void Refresh() {}
};

// Opens the best source there is (and tells the user when there is none worth a word).
// Null when nothing could be opened.
class MeterSourceOpener {
 public:
  virtual ~MeterSourceOpener() = default;
  virtual std::unique_ptr<MeterSource> Open() = 0;
};

// The program's one meter connection. Every user opens and closes it in pairs: the first
// open opens the source, the last close releases it; a close without an open of its own
// changes nothing, so nothing is released twice. The levels are single 32-bit values
// that any thread may read; readings from several threads are serialised.
class PeakMeter {
 public:
  explicit PeakMeter(MeterSourceOpener& opener) : opener_(opener) {}
  ~PeakMeter();
  PeakMeter(const PeakMeter&) = delete;
  PeakMeter& operator=(const PeakMeter&) = delete;

  void OpenMeter();
  void CloseMeter();
  // Takes a reading into LeftPeak and RightPeak; false (levels unchanged) when the
  // connection is not open or the source gave nothing.
  bool ReadPeaks();
  // Window thread, before reading there: lets the source take what only that thread may
  // look at (see MeterSource::Refresh).
  void Refresh();

  int32_t LeftPeak() const { return left_.load(std::memory_order_relaxed); }
  int32_t RightPeak() const { return right_.load(std::memory_order_relaxed); }
  MeterSourceKind SourceKind() const;
  int Users() const;

 private:
  MeterSourceOpener& opener_;
  mutable std::mutex mutex_;  // users_, source_ and every use of the source
  int users_ = 0;
  std::unique_ptr<MeterSource> source_;
  std::atomic<int32_t> left_{0};
  std::atomic<int32_t> right_{0};
};

// One bar picture as the drawing rules see it: 75 rows, row 0 at the top.
class BarCanvas {
 public:
  virtual ~BarCanvas() = default;
  // The fully lit bar picture, drawn over the whole bar.
  virtual void DrawRuler() = 0;
  // Rows 0 to bottom - 1 painted dark blue (nothing when bottom <= 0).
  virtual void FillDark(int bottom) = 0;
  virtual void SetLampShown(bool shown) = 0;
  virtual bool LampShown() const = 0;
};

inline constexpr int kBarRows = 75;
// Above this level the overload lamp lights.
inline constexpr int32_t kOverloadLevel = 150;

// The two bars of the VU window and the levels of the tick before.
class VuBars {
 public:
  // The window is shown: both previous levels are 0.
  void Reset() { previous_left_ = previous_right_ = 0; }
  // One timer tick with a successful reading.
  void Tick(int32_t left, int32_t right, BarCanvas& left_bar, BarCanvas& right_bar);

  int32_t PreviousLeft() const { return previous_left_; }
  int32_t PreviousRight() const { return previous_right_; }

 private:
  static void DrawBar(int32_t level, int32_t previous, BarCanvas& bar);
  int32_t previous_left_ = 0;
  int32_t previous_right_ = 0;
};

}  // namespace velmora
