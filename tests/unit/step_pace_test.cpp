#include "ui/step_pace.h"

#include <gtest/gtest.h>

namespace velmora::ui {
namespace {

TEST(StepPace, OneStepPerIntervalAndNoBurstAfterALateOne) {
  StepPace pace;
  EXPECT_EQ(pace.MsUntilDue(0), StepPace::kNever);
  EXPECT_FALSE(pace.TakeDue(1000));
  pace.Start(1000, 50);
  EXPECT_EQ(pace.MsUntilDue(1010), 40u);
  EXPECT_FALSE(pace.TakeDue(1049));
  EXPECT_TRUE(pace.TakeDue(1050));
  EXPECT_FALSE(pace.TakeDue(1050)) << "one step per due time";
  // A few milliseconds late: the next is still on the grid, so the pace does not drift.
  EXPECT_TRUE(pace.TakeDue(1103));
  EXPECT_EQ(pace.MsUntilDue(1103), 47u);
  // Three intervals late: one step, the next an interval later.
  EXPECT_TRUE(pace.TakeDue(1300));
  EXPECT_FALSE(pace.TakeDue(1320));
  EXPECT_EQ(pace.MsUntilDue(1300), 50u);
  // A timer message a little before the due time counts when the caller allows for it.
  EXPECT_FALSE(pace.TakeDue(1348));
  EXPECT_TRUE(pace.TakeDue(1348, 5));
  EXPECT_EQ(pace.MsUntilDue(1348), 52u);
  pace.Stop();
  EXPECT_FALSE(pace.TakeDue(5000));
  EXPECT_EQ(pace.MsUntilDue(5000), StepPace::kNever);
  pace.Start(5000, 0);
  EXPECT_FALSE(pace.Running());
}

}  // namespace
}  // namespace velmora::ui
