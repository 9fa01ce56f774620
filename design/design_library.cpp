#include "design/design_library.h"

#include <utility>

namespace velmora {

const char* DesignNotificationName(DesignNotification n) {
  static const char* const kNames[] = {
      "OnPosition", "OnPositionMax",  "OnStatus",    "OnSongTitle", "OnTotalTime", "OnPositionTime",
      "OnLayer",    "OnBitrate",      "OnFrequency", "OnVolume",    "OnBalance",   "OnRandom",
      "OnLoop",     "OnCurrentIndex", "OnShow",      "OnClose",     "OnHide"};
  const int i = static_cast<int>(n);
  return i >= 0 && i < static_cast<int>(DesignNotification::Count) ? kNames[i] : "?";
}

DesignLibraryHost::DesignLibraryHost(DesignModuleLoader& loader, DesignShell& shell,
                                     DesignSinkSlot& display)
    : loader_(loader), shell_(shell), display_(display) {}

DesignLibraryHost::~DesignLibraryHost() {
  if (display_.Sink() == this) display_.SetDesignSink(nullptr);
}

template <typename F>
void DesignLibraryHost::Quietly(F&& call) {
  try {
    call();
  } catch (...) {
    // Discarded, not reported: these are the library's notifications and its setting
    // down, and a report goes to the status line, which is itself a notification of the
    // active library; one that faults would fault again on every report. What the user
    // asked of a library (applying it) fails with its message where it was asked.
  }
}

std::optional<std::string> DesignLibraryHost::Probe(const std::string& path) {
  std::optional<std::string> name;
  try {
    std::unique_ptr<DesignModule> module = loader_.Open(path);
    if (!module || !module->Has(DesignExport::GetDesignHeader)) return std::nullopt;
    try {
      module->Init();
      module->TakeHeader();
      name = module->DesignName();
      module->Deinit();
    } catch (...) {
      // Listed if the name was read before the fault.
    }
  } catch (...) {
    // The scan probes every library of the folder: one that cannot be opened is not a
    // design library to list, and the scan goes on with the next.
  }
  if (name && name->size() > kDesignNameLimit) name->resize(kDesignNameLimit);
  if (name && name->empty()) {
    // A library without a name is listed under its file's name, not as an empty row.
    std::string file = path.substr(
        path.find_last_of("\\/") == std::string::npos ? 0 : path.find_last_of("\\/") + 1);
    const size_t dot = file.rfind('.');
    if (dot != std::string::npos && dot > 0) file.erase(dot);
    *name = file;
  }
  return name;
}

void* DesignLibraryHost::Preview(const std::string& path) {
  void* picture = nullptr;
  if (active_ && path == active_path_) {
    Quietly([&] { picture = active_->CopyPreview(); });
    return picture;
  }
  Quietly([&] {
    std::unique_ptr<DesignModule> module = loader_.Open(path);
    if (!module || !module->Has(DesignExport::GetDesignHeader)) return;
    try {
      module->Init();
      module->TakeHeader();
      picture = module->CopyPreview();
    } catch (...) {
      // No preview: the chooser shows none for a library that faults while it draws one.
    }
    Quietly([&] { module->Deinit(); });
  });
  return picture;
}

bool DesignLibraryHost::Load(const std::string& path,
                             const std::function<DesignDisplayState()>& state) {
  if (active_) Unload(shell_.MainWindowSender());
  std::unique_ptr<DesignModule> module = loader_.Open(path);
  if (!module) return false;
  for (DesignExport e : {DesignExport::GetDesignHeader, DesignExport::init, DesignExport::update,
                         DesignExport::deinit})
    if (!module->Has(e)) return false;  // released as `module` goes

  const bool was_visible = shell_.MainWindowVisible();
  try {
    module->Init();
    module->TakeHeader();
    shell_.SetMainWindowVisible(false);
    module->WriteHostSlots();
    module->Update();
    const DesignDisplayState s = state();
    module->Notify(DesignNotification::OnPositionMax, s.position_max);
    module->Notify(DesignNotification::OnPosition, s.position);
    module->Notify(DesignNotification::OnStatus, s.status);
    module->Notify(DesignNotification::OnSongTitle, s.song_title);
    module->Notify(DesignNotification::OnTotalTime, s.total_time);
    module->Notify(DesignNotification::OnPositionTime, s.position_time);
    module->Notify(DesignNotification::OnLayer, s.layer);
    module->Notify(DesignNotification::OnBitrate, s.bitrate);
    module->Notify(DesignNotification::OnFrequency, s.frequency);
    module->Notify(DesignNotification::OnVolume, s.volume);
    module->NotifySender(DesignNotification::OnShow, shell_.MainWindowSender());
  } catch (...) {
    // Half set up: let it go and leave the main window as it was.
    Quietly([&] { module->Deinit(); });
    Quietly([&] { module.reset(); });
    shell_.SetMainWindowVisible(was_visible);
    throw;
  }
  active_ = std::move(module);
  active_path_ = path;
  display_.SetDesignSink(this);
  return true;
}

void DesignLibraryHost::Release(std::unique_ptr<DesignModule> module, void* sender) {
  Quietly([&] { module->NotifySender(DesignNotification::OnClose, sender); });
  Quietly([&] { module->Deinit(); });
  Quietly([&] { module.reset(); });
}

void DesignLibraryHost::Unload(void* sender) {
  if (!active_) return;
  // Nothing reaches the library once it is being closed.
  if (display_.Sink() == this) display_.SetDesignSink(nullptr);
  std::unique_ptr<DesignModule> module = std::move(active_);
  active_path_.clear();
  Release(std::move(module), sender);
}

void DesignLibraryHost::ReleaseModules(const std::vector<std::string>& chooser_markers) {
  Unload(shell_.MainWindowSender());
  for (const std::string& marker : chooser_markers) {
    if (marker == "None" || marker == "Classic") continue;
    Quietly([&] { loader_.ReleaseIfLoaded(marker); });
  }
}

std::string DesignLibraryHost::ActiveDesignName() {
  std::string name;
  if (active_) Quietly([&] { name = active_->DesignName(); });
  return name;
}

// Display notifications: a fault reaches Display as an exception, which it discards.
void DesignLibraryHost::OnStatus(const std::string& t) {
  if (active_) active_->Notify(DesignNotification::OnStatus, t);
}
void DesignLibraryHost::OnPositionTime(const std::string& t) {
  if (active_) active_->Notify(DesignNotification::OnPositionTime, t);
}
void DesignLibraryHost::OnPosition(int32_t v) {
  if (active_) active_->Notify(DesignNotification::OnPosition, v);
}
void DesignLibraryHost::OnTotalTime(const std::string& t) {
  if (active_) active_->Notify(DesignNotification::OnTotalTime, t);
}
void DesignLibraryHost::OnPositionMax(int32_t v) {
  if (active_) active_->Notify(DesignNotification::OnPositionMax, v);
}
void DesignLibraryHost::OnSongTitle(const std::string& t) {
  if (active_) active_->Notify(DesignNotification::OnSongTitle, t);
}
void DesignLibraryHost::OnFrequency(const std::string& t) {
  if (active_) active_->Notify(DesignNotification::OnFrequency, t);
}
void DesignLibraryHost::OnLayer(const std::string& t) {
  if (active_) active_->Notify(DesignNotification::OnLayer, t);
}
void DesignLibraryHost::OnBitrate(const std::string& t) {
  if (active_) active_->Notify(DesignNotification::OnBitrate, t);
}

// The playlist tells every index change through CurrentIndexChanged; the display's own
// index notification (the older route) is the same call.
void DesignLibraryHost::OnCurrentIndex(int32_t index) { CurrentIndexChanged(index); }

void DesignLibraryHost::CurrentIndexChanged(int32_t index) {
  if (!active_ || suppress_index_ > 0) return;
  Quietly([&] { active_->Notify(DesignNotification::OnCurrentIndex, index); });
}

void DesignLibraryHost::NotifyVolume(int32_t v) {
  if (active_) Quietly([&] { active_->Notify(DesignNotification::OnVolume, v); });
}
void DesignLibraryHost::NotifyBalance(int32_t b) {
  if (active_) Quietly([&] { active_->Notify(DesignNotification::OnBalance, b); });
}
void DesignLibraryHost::NotifyRandom(bool on) {
  if (active_) Quietly([&] { active_->NotifyFlag(DesignNotification::OnRandom, on); });
}
void DesignLibraryHost::NotifyLoop(bool on) {
  if (active_) Quietly([&] { active_->NotifyFlag(DesignNotification::OnLoop, on); });
}
void DesignLibraryHost::NotifyHide(void* sender) {
  if (active_) Quietly([&] { active_->NotifySender(DesignNotification::OnHide, sender); });
}
void DesignLibraryHost::NotifyShow(void* sender) {
  if (active_) Quietly([&] { active_->NotifySender(DesignNotification::OnShow, sender); });
}

}  // namespace velmora
