// The texts of the Memory Infos and System Info pages, from the figures the system
// reports. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// The memory status in bytes (64-bit figures: machines have more than 4 GB).
struct MemoryStatus {
  uint32_t load_percent = 0;
  uint64_t total_physical = 0, available_physical = 0;
  uint64_t total_page_file = 0, available_page_file = 0;
  uint64_t total_virtual = 0, available_virtual = 0;
};

// A gauge: progress shown as a share of the maximum.
struct Gauge {
  int32_t maximum = 0;
  int32_t progress = 0;
};

struct MemoryPageTexts {
  // Total Memory, Free Physical Memory, Number Of Pages, Free Pages, Vitrual Memory, Free
  // Virtual Memory.
  std::string values[6];
  Gauge load;      // Gauge4 "Memory load": out of 100
  Gauge physical;  // Gauge1 "Total memory usage"
  Gauge pages;     // Gauge2 "Pages usage"
  Gauge virtual_;  // Gauge3 "Virtual Memory Usage"
};

// A byte count in kilobytes ("16384 Kb").
std::string KilobyteText(uint64_t bytes);
// The memory page. Gauges count kilobytes, scaled further when the figure would not fit a
// gauge, so each keeps its share.
MemoryPageTexts MemoryPage(const MemoryStatus& status);

// The system information and power status as the system reports them.
struct SystemFigures {
  uint32_t oem_id = 0;  // the 32-bit field whose low 16 bits are the architecture
  uint32_t page_size = 0;
  uint32_t processors = 0;
  uint32_t processor_level = 0;
  uint8_t ac_line_status = 255;
  uint8_t battery_flag = 255;
  uint8_t battery_percent = 255;
  uint32_t battery_seconds = 0xFFFFFFFFu;
};

struct SystemPageTexts {
  std::string oem_id, architecture, page_size, processors, level;
  // Empty optionals leave the text shown before.
  std::optional<std::string> ac_line, battery_status;
  std::string battery_charge, battery_time;
};

std::string ArchitectureText(uint32_t value);
std::string ProcessorLevelText(uint32_t level);
SystemPageTexts SystemPage(const SystemFigures& figures);

}  // namespace velmora
