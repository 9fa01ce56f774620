#include "options/machine_info.h"

#include <cstdint>

namespace velmora {

std::string KilobyteText(uint64_t bytes) { return std::to_string(bytes / 1024) + " Kb"; }

namespace {

// A gauge of `used` out of `total` bytes, in kilobytes, halved until it fits an int32.
Gauge UsageGauge(uint64_t total, uint64_t available) {
  uint64_t maximum = total / 1024;
  uint64_t progress = (available <= total ? total - available : 0) / 1024;
  while (maximum > INT32_MAX) maximum /= 2, progress /= 2;
  return {static_cast<int32_t>(maximum), static_cast<int32_t>(progress)};
}

}  // namespace

MemoryPageTexts MemoryPage(const MemoryStatus& s) {
  MemoryPageTexts page;
  page.values[0] = KilobyteText(s.total_physical);
  page.values[1] = KilobyteText(s.available_physical);
  page.values[2] = KilobyteText(s.total_page_file);
  page.values[3] = KilobyteText(s.available_page_file);
  page.values[4] = KilobyteText(s.total_virtual);
  page.values[5] = KilobyteText(s.available_virtual);
  page.load = {100, static_cast<int32_t>(s.load_percent)};
  page.physical = UsageGauge(s.total_physical, s.available_physical);
  page.pages = UsageGauge(s.total_page_file, s.available_page_file);
  page.virtual_ = UsageGauge(s.total_virtual, s.available_virtual);
  return page;
}

std::string ArchitectureText(uint32_t value) {
  switch (value) {
    case 0: return "Processor Architecture INTEL";
    case 1: return "Processor Architecture MIPS";
    case 2: return "Processor Architecture ALPHA";
    case 3: return "Processor Architecture PPC";
    default: return "Unknow";
  }
}

std::string ProcessorLevelText(uint32_t level) {
  switch (level) {
    case 3: return "Intel 386";
    case 4: return "Intel 486";
    case 5: return "Intel 586";
    default: return "Unknow";
  }
}

SystemPageTexts SystemPage(const SystemFigures& f) {
  SystemPageTexts page;
  page.oem_id = ArchitectureText(f.oem_id);
  page.architecture = ArchitectureText(f.oem_id & 0xFFFFu);
  page.page_size = std::to_string(f.page_size / 1024) + " K";
  page.processors = std::to_string(f.processors);
  page.level = ProcessorLevelText(f.processor_level);
  switch (f.ac_line_status) {
    case 0: page.ac_line = "Offline"; break;
    case 1: page.ac_line = "Online"; break;
    case 255: page.ac_line = "Unknow Status"; break;
    default: break;
  }
  switch (f.battery_flag) {
    case 1: page.battery_status = "High"; break;
    case 2: page.battery_status = "Low"; break;
    case 4: page.battery_status = "Critical"; break;
    case 8: page.battery_status = "Charging"; break;
    case 128: page.battery_status = "No system battery"; break;
    case 255: page.battery_status = "Unknow status"; break;
    default: break;  // a combination of flags
  }
  if (f.battery_percent == 255) {
    page.battery_charge = page.battery_time = "No battery";
  } else {
    page.battery_charge = std::to_string(f.battery_percent) + "%";
    page.battery_time = std::to_string(static_cast<int32_t>(f.battery_seconds)) + " sec";
  }
  return page;
}

}  // namespace velmora
