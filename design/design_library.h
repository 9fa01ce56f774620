// Design libraries: a DLL that draws the player in windows of its own. This is the
// portable part: probing a library for the chooser, loading it in the fixed order of calls,
// handing it the state on show, routing notifications to it while it is active, and
// unloading and releasing it. The Win32 layer gives it a loader of real modules; the unit
// tests give it fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "design/design_sink.h"

namespace velmora {

// A design name taken from a library is cut to this many characters.
inline constexpr size_t kDesignNameLimit = 255;

// The notification slots of a library's header, in header order.
enum class DesignNotification : int {
  OnPosition,
  OnPositionMax,
  OnStatus,
  OnSongTitle,
  OnTotalTime,
  OnPositionTime,
  OnLayer,
  OnBitrate,
  OnFrequency,
  OnVolume,
  OnBalance,
  OnRandom,
  OnLoop,
  OnCurrentIndex,
  OnShow,
  OnClose,
  OnHide,
  Count
};
const char* DesignNotificationName(DesignNotification n);

// A fault inside the library (or a call of an entry it does not export).
class DesignFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The exports the host looks up by name.
enum class DesignExport : int { init, GetDesignHeader, update, deinit };

// One library file loaded with a handle of its own; the destructor releases it (a fault
// while it shuts down is swallowed). Every call throws DesignFault when the library
// faults or the entry is missing.
class DesignModule {
 public:
  virtual ~DesignModule() = default;
  virtual bool Has(DesignExport e) const = 0;
  virtual void Init() = 0;
  // Calls GetDesignHeader and keeps the record it returns (a null record is a fault).
  virtual void TakeHeader() = 0;
  // Header fields, read under the guard (a bad pointer is a fault).
  virtual std::string DesignName() = 0;
  // A copy of PreviewPicture that the caller owns (a bitmap handle); null when none.
  virtual void* CopyPreview() = 0;
  // Writes the host slots in offset order: services 0..64, the four menus, the playlist
  // services 84..104, then the version and the three hints.
  virtual void WriteHostSlots() = 0;
  virtual void Update() = 0;
  virtual void Deinit() = 0;
  // Notifications; a slot the library left null is not called.
  virtual void Notify(DesignNotification n, int32_t value) = 0;
  virtual void Notify(DesignNotification n, const std::string& text) = 0;
  virtual void NotifyFlag(DesignNotification n, bool on) = 0;
  virtual void NotifySender(DesignNotification n, void* sender) = 0;
};

class DesignModuleLoader {
 public:
  virtual ~DesignModuleLoader() = default;
  // Loads the library and looks up its exports; null when it cannot be loaded.
  virtual std::unique_ptr<DesignModule> Open(const std::string& path) = 0;
  // Program end: if a module loaded from `path` is still in the process, release it once.
  virtual void ReleaseIfLoaded(const std::string& path) = 0;
};

// The main window as far as a design library cares: shown or hidden, and the sender the
// host passes for it.
class DesignShell {
 public:
  virtual ~DesignShell() = default;
  virtual bool MainWindowVisible() const = 0;
  virtual void SetMainWindowVisible(bool visible) = 0;
  virtual void* MainWindowSender() const = 0;
};

// What the main window shows when a library is loaded: it is handed over in this order.
struct DesignDisplayState {
  int32_t position_max = 0;
  int32_t position = 0;
  std::string status, song_title, total_time, position_time, layer, bitrate, frequency;
  int32_t volume = 0;
};

// The design library host: one per program. It is the display operations' sink while a
// library is active.
class DesignLibraryHost : public DesignSink {
 public:
  DesignLibraryHost(DesignModuleLoader& loader, DesignShell& shell, DesignSinkSlot& display);
  ~DesignLibraryHost() override;

  // The chooser's probe: the library's DesignName (cut to kDesignNameLimit; the file's
  // name without folder and extension when the library names none), or nothing when it is
  // not a design library or faults. The active library is not touched.
  std::optional<std::string> Probe(const std::string& path);
  // The chooser's preview of a library: the active one's picture, or the picture of the
  // library at `path` loaded on its own. A bitmap the caller owns; null when none.
  void* Preview(const std::string& path);

  // Loads the library and makes it active. False when it cannot be loaded or lacks an
  // export (nothing changes then). A fault inside the library while it is set up throws
  // DesignFault after the library was released and the main window shown as it was.
  bool Load(const std::string& path, const std::function<DesignDisplayState()>& state);
  // OnClose(sender), deinit, release; faults discarded. Nothing when none is active.
  void Unload(void* sender);
  // Program end: the active library as Unload with the main window as sender, then every
  // probed library path still loaded in the process is released once.
  void ReleaseModules(const std::vector<std::string>& chooser_markers);

  bool Active() const { return static_cast<bool>(active_); }
  const std::string& ActivePath() const { return active_path_; }
  // The active library's DesignName (empty when none).
  std::string ActiveDesignName();

  // DesignSink: the display operations (faults become exceptions, which Display discards).
  void OnStatus(const std::string& text) override;
  void OnPositionTime(const std::string& text) override;
  void OnPosition(int32_t value) override;
  void OnTotalTime(const std::string& text) override;
  void OnPositionMax(int32_t max) override;
  void OnSongTitle(const std::string& text) override;
  void OnFrequency(const std::string& text) override;
  void OnLayer(const std::string& text) override;
  void OnBitrate(const std::string& text) override;
  void OnCurrentIndex(int32_t index) override;

  // The other notifications, made by their owners; each only while a library is active,
  // faults discarded.
  void NotifyVolume(int32_t volume);
  void NotifyBalance(int32_t balance);
  void NotifyRandom(bool on);
  void NotifyLoop(bool on);
  void NotifyHide(void* sender);
  void NotifyShow(void* sender);
  // The playlist's current index changed: OnCurrentIndex, unless the library itself set
  // it (HostPlayIndex runs inside a SuppressIndexEcho).
  void CurrentIndexChanged(int32_t index);

  class SuppressIndexEcho {
   public:
    explicit SuppressIndexEcho(DesignLibraryHost& host) : host_(host) { ++host_.suppress_index_; }
    ~SuppressIndexEcho() { --host_.suppress_index_; }
    SuppressIndexEcho(const SuppressIndexEcho&) = delete;
    SuppressIndexEcho& operator=(const SuppressIndexEcho&) = delete;

   private:
    DesignLibraryHost& host_;
  };

 private:
  template <typename F>
  void Quietly(F&& call);
  void Release(std::unique_ptr<DesignModule> module, void* sender);

  DesignModuleLoader& loader_;
  DesignShell& shell_;
  DesignSinkSlot& display_;
  std::unique_ptr<DesignModule> active_;
  std::string active_path_;
  int suppress_index_ = 0;
};

}  // namespace velmora
