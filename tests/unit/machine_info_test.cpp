#include "options/machine_info.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(MachineInfo, MemoryFiguresInKilobytesWithGaugesKeepingTheirShare) {
  MemoryStatus s;
  s.load_percent = 42;
  s.total_physical = 65536ull * 1024;
  s.available_physical = 16384ull * 1024;
  // Beyond what a 32-bit figure holds: 48 GB of page file, 128 TB of address space.
  s.total_page_file = 48ull << 30;
  s.available_page_file = 12ull << 30;
  s.total_virtual = 128ull << 40;
  s.available_virtual = 32ull << 40;
  const MemoryPageTexts page = MemoryPage(s);
  EXPECT_EQ(page.values[0], "65536 Kb");
  EXPECT_EQ(page.values[1], "16384 Kb");
  EXPECT_EQ(page.values[2], "50331648 Kb");
  EXPECT_EQ(page.values[5], "34359738368 Kb");
  EXPECT_EQ(page.load.maximum, 100);
  EXPECT_EQ(page.load.progress, 42);
  auto percent = [](const Gauge& g) { return int64_t{g.progress} * 100 / g.maximum; };
  EXPECT_EQ(page.physical.maximum, 65536);
  EXPECT_EQ(percent(page.physical), 75);
  EXPECT_EQ(percent(page.pages), 75);
  EXPECT_GT(page.virtual_.maximum, 0);
  EXPECT_EQ(percent(page.virtual_), 75);
  // Less available than total never turns into a huge usage.
  s.available_physical = s.total_physical + 1;
  EXPECT_EQ(MemoryPage(s).physical.progress, 0);
}

TEST(MachineInfo, SystemAndPowerTables) {
  SystemFigures f;
  f.oem_id = 0;
  f.page_size = 4096;
  f.processors = 2;
  f.processor_level = 6;
  f.ac_line_status = 1;
  f.battery_flag = 8;
  f.battery_percent = 55;
  f.battery_seconds = 0xFFFFFFFFu;
  SystemPageTexts page = SystemPage(f);
  EXPECT_EQ(page.oem_id, "Processor Architecture INTEL");
  EXPECT_EQ(page.page_size, "4 K");
  EXPECT_EQ(page.processors, "2");
  EXPECT_EQ(page.level, "Unknow");
  EXPECT_EQ(page.ac_line, "Online");
  EXPECT_EQ(page.battery_status, "Charging");
  EXPECT_EQ(page.battery_charge, "55%");
  EXPECT_EQ(page.battery_time, "-1 sec");

  // The whole field and its low 16 bits go through the same table.
  f.oem_id = 0x00010003u;
  page = SystemPage(f);
  EXPECT_EQ(page.oem_id, "Unknow");
  EXPECT_EQ(page.architecture, "Processor Architecture PPC");
  EXPECT_EQ(ProcessorLevelText(5), "Intel 586");

  // No battery: both texts say so. A flag combination and an unlisted AC status leave
  // the texts as they were.
  f.battery_percent = 255;
  f.battery_flag = 9;
  f.ac_line_status = 7;
  page = SystemPage(f);
  EXPECT_EQ(page.battery_charge, "No battery");
  EXPECT_EQ(page.battery_time, "No battery");
  EXPECT_FALSE(page.battery_status.has_value());
  EXPECT_FALSE(page.ac_line.has_value());
  f.battery_flag = 128;
  f.ac_line_status = 255;
  EXPECT_EQ(SystemPage(f).battery_status, "No system battery");
  EXPECT_EQ(SystemPage(f).ac_line, "Unknow Status");
}

}  // namespace
}  // namespace velmora
