#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "vis/vu_meter.h"

namespace velmora {
namespace {

// A source whose next reading the test sets; it counts how it is used.
struct FakeSource : MeterSource {
  struct Shared {
    RawPeaks peaks;
    bool fail = false;
    MeterSourceKind kind = MeterSourceKind::plugin;
    std::atomic<int> alive{0};
    std::atomic<int> reading{0};  // reads in progress now
    std::atomic<bool> overlapped{false};
    std::atomic<int> reads{0};
  };
  explicit FakeSource(Shared& s) : shared(s) { ++shared.alive; }
  ~FakeSource() override { --shared.alive; }
  MeterSourceKind Kind() const override { return shared.kind; }
  bool Read(RawPeaks* out) override {
    if (++shared.reading > 1) shared.overlapped = true;
    ++shared.reads;
    *out = shared.peaks;
    --shared.reading;
    return !shared.fail;
  }
  Shared& shared;
};

struct FakeOpener : MeterSourceOpener {
  FakeSource::Shared shared;
  int opens = 0;
  bool give_nothing = false;
  std::unique_ptr<MeterSource> Open() override {
    ++opens;
    if (give_nothing) return nullptr;
    return std::make_unique<FakeSource>(shared);
  }
};

// A bar picture as rows: true = lit. Starts dark.
struct FakeBar : BarCanvas {
  bool lit[kBarRows] = {};
  bool lamp = false;
  void DrawRuler() override {
    for (bool& row : lit) row = true;
  }
  void FillDark(int bottom) override {
    for (int r = 0; r < bottom && r < kBarRows; ++r) lit[r] = false;
  }
  void SetLampShown(bool shown) override { lamp = shown; }
  bool LampShown() const override { return lamp; }
  // Lit rows, which the rules always keep at the bottom.
  int LitRows() const {
    int n = 0;
    for (bool row : lit) n += row;
    return n;
  }
};

TEST(VuMeterLevels, RawPeaksBecomeLevelsFrom0To182) {
  EXPECT_EQ(PeakLevel(-32768), 182);
  EXPECT_EQ(PeakLevel(32767), 182);
  EXPECT_EQ(PeakLevel(179), 0);
  EXPECT_EQ(PeakLevel(180), 1);
  EXPECT_EQ(PeakLevel(-180), 1);
  EXPECT_EQ(PeakLevel(INT32_MIN), 11930464);  // no overflow on the most negative value
  // The endpoint meter's fractions land on the same scale.
  EXPECT_EQ(PeakLevel(RawPeakFromFraction(1.0f)), 182);
  EXPECT_EQ(PeakLevel(RawPeakFromFraction(1.5f)), 182);
  EXPECT_EQ(PeakLevel(RawPeakFromFraction(0.0f)), 0);
  EXPECT_EQ(PeakLevel(RawPeakFromFraction(-0.5f)), 0);
  EXPECT_EQ(PeakLevel(RawPeakFromFraction(0.25f)), 8192 / 180);
  EXPECT_STRNE(MeterSourceHint(MeterSourceKind::plugin),
               MeterSourceHint(MeterSourceKind::endpoint));
}

TEST(VuMeterReadings, StereoAndMonoLinesAndFailedReadings) {
  FakeOpener opener;
  PeakMeter meter(opener);
  EXPECT_FALSE(meter.ReadPeaks()) << "not open yet";
  meter.OpenMeter();
  opener.shared.peaks = {-32768, 9000, 2};
  ASSERT_TRUE(meter.ReadPeaks());
  EXPECT_EQ(meter.LeftPeak(), 182);
  EXPECT_EQ(meter.RightPeak(), 50);
  // A mono line updates only the left level.
  opener.shared.peaks = {360, 0, 1};
  ASSERT_TRUE(meter.ReadPeaks());
  EXPECT_EQ(meter.LeftPeak(), 2);
  EXPECT_EQ(meter.RightPeak(), 50);
  // A failed reading leaves both.
  opener.shared.fail = true;
  opener.shared.peaks = {0, 0, 2};
  EXPECT_FALSE(meter.ReadPeaks());
  EXPECT_EQ(meter.LeftPeak(), 2);
  EXPECT_EQ(meter.RightPeak(), 50);
  meter.CloseMeter();
}

TEST(VuMeterConnection, CountedOpensShareOneSourceAndTheLastCloseReleasesIt) {
  FakeOpener opener;
  PeakMeter meter(opener);
  meter.OpenMeter();  // the VU window
  meter.OpenMeter();  // a visualisation worker
  EXPECT_EQ(opener.opens, 1);
  EXPECT_EQ(opener.shared.alive, 1);
  EXPECT_EQ(meter.SourceKind(), MeterSourceKind::plugin);
  meter.CloseMeter();  // one of them stops: the other still reads
  EXPECT_EQ(opener.shared.alive, 1);
  EXPECT_TRUE(meter.ReadPeaks());
  meter.CloseMeter();
  EXPECT_EQ(opener.shared.alive, 0);
  EXPECT_FALSE(meter.ReadPeaks());
  EXPECT_EQ(meter.SourceKind(), MeterSourceKind::none);
  // Surplus closes change nothing; the next open opens afresh.
  meter.CloseMeter();
  meter.CloseMeter();
  EXPECT_EQ(meter.Users(), 0);
  meter.OpenMeter();
  EXPECT_EQ(opener.opens, 2);
  EXPECT_TRUE(meter.ReadPeaks());
  meter.CloseMeter();
  EXPECT_EQ(opener.shared.alive, 0);

  // Nothing to open (no device): the users still pair up and every reading fails.
  opener.give_nothing = true;
  meter.OpenMeter();
  meter.OpenMeter();
  EXPECT_EQ(opener.opens, 3) << "the second user does not open (or complain) again";
  EXPECT_FALSE(meter.ReadPeaks());
  meter.CloseMeter();
  meter.CloseMeter();
  EXPECT_EQ(meter.Users(), 0);
}

TEST(VuMeterConnection, TwoThreadsReadWhileTheUsersComeAndGo) {
  FakeOpener opener;
  opener.shared.peaks = {18000, -9000, 2};
  PeakMeter meter(opener);
  meter.OpenMeter();  // the visualisation worker's connection stays open throughout
  std::atomic<bool> done{false};
  std::atomic<int> bad_levels{0};
  std::atomic<int> worker_reads{0};
  std::thread worker([&] {
    while (!done) {
      if (meter.ReadPeaks() && (meter.LeftPeak() != 100 || meter.RightPeak() != 50)) ++bad_levels;
      ++worker_reads;
    }
  });
  // The VU window opens, reads and closes again and again meanwhile, until both sides
  // have read many times.
  for (int i = 0; i < 1000000 && (i < 2000 || worker_reads < 2000); ++i) {
    meter.OpenMeter();
    meter.ReadPeaks();
    meter.CloseMeter();
  }
  done = true;
  worker.join();
  EXPECT_FALSE(opener.shared.overlapped) << "two readings ran at once on one source";
  EXPECT_EQ(bad_levels, 0);
  EXPECT_EQ(opener.opens, 1);
  EXPECT_EQ(opener.shared.alive, 1);
  meter.CloseMeter();
  EXPECT_EQ(opener.shared.alive, 0);
}

struct VuBarsTest : ::testing::Test {
  FakeOpener opener;
  PeakMeter meter{opener};
  VuBars bars;
  FakeBar left, right;
  void SetUp() override {
    meter.OpenMeter();
    bars.Reset();
  }
  void TearDown() override { meter.CloseMeter(); }
  // One timer tick with the source at these raw peaks (both channels the same).
  void Tick(int32_t level) {
    opener.shared.peaks = {level * 180, -level * 180, 2};
    if (meter.ReadPeaks()) bars.Tick(meter.LeftPeak(), meter.RightPeak(), left, right);
  }
};

TEST_F(VuBarsTest, RisingAndSteadyLevelsShowHalfTheirValueInRows) {
  Tick(100);
  EXPECT_EQ(left.LitRows(), 50);
  EXPECT_EQ(right.LitRows(), 50);
  for (int r = 25; r < kBarRows; ++r) ASSERT_TRUE(left.lit[r]) << "lit from the bottom, row " << r;
  Tick(100);
  EXPECT_EQ(left.LitRows(), 50);
  Tick(182);
  EXPECT_EQ(left.LitRows(), kBarRows);
}

TEST_F(VuBarsTest, AFallKeepsTheHeightForATickThenFollows) {
  Tick(100);
  Tick(80);
  EXPECT_EQ(left.LitRows(), 50);
  EXPECT_EQ(right.LitRows(), 50);
  Tick(80);
  EXPECT_EQ(left.LitRows(), 40);
  EXPECT_EQ(right.LitRows(), 40);
}

TEST_F(VuBarsTest, AFallToSilencePaintsTheWholeBarDarkAtOnce) {
  Tick(150);
  EXPECT_EQ(left.LitRows(), 75);
  Tick(0);
  EXPECT_EQ(left.LitRows(), 0);
  EXPECT_EQ(right.LitRows(), 0);
}

TEST_F(VuBarsTest, TheOverloadLampLightsAbove150) {
  Tick(150);
  EXPECT_FALSE(left.lamp);
  EXPECT_FALSE(right.lamp);
  Tick(151);
  EXPECT_TRUE(left.lamp);
  EXPECT_TRUE(right.lamp);
  Tick(120);  // falling: the lamp stays as it is
  EXPECT_TRUE(left.lamp);
  Tick(120);  // steady: redrawn, the lamp goes out
  EXPECT_FALSE(left.lamp);
}

TEST_F(VuBarsTest, AFailedReadingLeavesTheBarsAndThePreviousLevels) {
  Tick(100);
  opener.shared.fail = true;
  Tick(0);
  EXPECT_EQ(left.LitRows(), 50);
  EXPECT_EQ(bars.PreviousLeft(), 100);
  // Only the left channel on a mono line: the right bar follows its last level.
  opener.shared.fail = false;
  opener.shared.peaks = {60 * 180, 0, 1};
  ASSERT_TRUE(meter.ReadPeaks());
  bars.Tick(meter.LeftPeak(), meter.RightPeak(), left, right);
  EXPECT_EQ(left.LitRows(), 50) << "falling: the height stays for this tick";
  EXPECT_EQ(right.LitRows(), 50);
  EXPECT_EQ(bars.PreviousRight(), 100);
}

}  // namespace
}  // namespace velmora
