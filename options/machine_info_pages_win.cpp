#include "options/machine_info_pages_win.h"

#include <commctrl.h>

#include <string>

#include "options/machine_info.h"
#include "ui/control_ids.h"
#include "ui/widget_base_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr char kRefreshing[] = "Refreshing ...";

class MemoryInfoPage : public ControlPage {
 public:
  void Refresh() override {
    // The 64-bit memory status: the 32-bit one caps or wraps every figure above 2 GB.
    MEMORYSTATUSEX raw{};
    raw.dwLength = sizeof raw;
    if (!GlobalMemoryStatusEx(&raw)) return;
    MemoryStatus status;
    status.load_percent = raw.dwMemoryLoad;
    status.total_physical = raw.ullTotalPhys;
    status.available_physical = raw.ullAvailPhys;
    status.total_page_file = raw.ullTotalPageFile;
    status.available_page_file = raw.ullAvailPageFile;
    status.total_virtual = raw.ullTotalVirtual;
    status.available_virtual = raw.ullAvailVirtual;
    const MemoryPageTexts page = velmora::MemoryPage(status);
    for (int i = 0; i < 6; ++i) ui::SetItemText(parent_, kValueIds[i], page.values[i]);
    SetGauge(ids::Gauge4, page.load);
    SetGauge(ids::Gauge1, page.physical);
    SetGauge(ids::Gauge2, page.pages);
    SetGauge(ids::Gauge3, page.virtual_);
  }

 protected:
  void MakeControls() override {
    static const char* const kLabels[] = {"Total Memory",     "Free Physical Memory",
                                          "Number Of Pages",  "Free Pages",
                                          "Vitrual Memory",   "Free Virtual Memory"};
    AddGauge(ids::Gauge4, "Memory load", 4, 2);
    int y = 26;
    for (int i = 0; i < 6; ++i) {
      Label(kLabels[i], 4, y + 2, 150);
      ReadOnlyEdit(kValueIds[i], kRefreshing, 160, y, 180);
      y += 24;
    }
    AddGauge(ids::Gauge1, "Total memory usage", 4, y + 6);
    AddGauge(ids::Gauge2, "Pages usage", 4, y + 30);
    AddGauge(ids::Gauge3, "Virtual Memory Usage", 4, y + 54);
  }

 private:
  static constexpr int kValueIds[6] = {ids::edit1, ids::edit2, ids::edit3,
                                       ids::Edit4, ids::Edit5, ids::Edit6};

  // A gauge with its hint, also as a label beside it (and as its window text, for other
  // programs).
  void AddGauge(int id, const char* hint, int x, int y) {
    Label(hint, x, y + 2, 150);
    ui::SetToolTip(Add(PROGRESS_CLASSA, hint, PBS_SMOOTH, 0, id, x + 156, y, 184, 16), hint);
  }
  void SetGauge(int id, const Gauge& gauge) {
    HWND control = Control(id);
    SendMessageA(control, PBM_SETRANGE32, 0, gauge.maximum);
    SendMessageA(control, PBM_SETPOS, static_cast<WPARAM>(gauge.progress), 0);
  }
};

class SystemInfoPage : public ControlPage {
 public:
  void Refresh() override {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    SystemFigures figures;
    figures.oem_id = info.dwOemId;
    figures.page_size = info.dwPageSize;
    figures.processors = info.dwNumberOfProcessors;
    figures.processor_level = info.wProcessorLevel;
    SYSTEM_POWER_STATUS power{};
    if (GetSystemPowerStatus(&power)) {
      figures.ac_line_status = power.ACLineStatus;
      figures.battery_flag = power.BatteryFlag;
      figures.battery_percent = power.BatteryLifePercent;
      figures.battery_seconds = power.BatteryLifeTime;
    }
    const SystemPageTexts page = velmora::SystemPage(figures);
    auto set = [&](int id, const std::string& text) { ui::SetItemText(parent_, id, text); };
    set(ids::system1, page.oem_id);
    set(ids::system2, page.architecture);
    set(ids::system3, page.page_size);
    set(ids::system6, page.processors);
    set(ids::system7, page.level);
    if (page.ac_line) set(ids::pwr1, *page.ac_line);
    if (page.battery_status) set(ids::pwr2, *page.battery_status);
    set(ids::pwr3, page.battery_charge);
    set(ids::pwr4, page.battery_time);
  }

 protected:
  void MakeControls() override {
    static const struct {
      const char* label;
      int id;
    } kProcessor[] = {{"Oem Id : ", ids::system1},
                      {"Processor architecture  :", ids::system2},
                      {"Page Size :", ids::system3},
                      {"Number of processors : ", ids::system6},
                      {"Processor level :", ids::system7}},
      kPower[] = {{"AC power status : ", ids::pwr1},
                  {"Battery status :", ids::pwr2},
                  {"Battery charge : ", ids::pwr3},
                  {"Battery time remaining :", ids::pwr4}};
    Label("Processor Info", 4, 2, 200);
    int y = 22;
    for (const auto& row : kProcessor) {
      Label(row.label, 8, y + 2, 158);
      ReadOnlyEdit(row.id, kRefreshing, 168, y, 176);
      y += 23;
    }
    Label("Power Info", 4, y + 6, 200);
    y += 26;
    for (const auto& row : kPower) {
      Label(row.label, 8, y + 2, 158);
      ReadOnlyEdit(row.id, kRefreshing, 168, y, 176);
      y += 23;
    }
  }
};

}  // namespace

std::unique_ptr<OptionsPage> MakeMemoryPage() { return std::make_unique<MemoryInfoPage>(); }
std::unique_ptr<OptionsPage> MakeSystemPage() { return std::make_unique<SystemInfoPage>(); }

}  // namespace velmora
