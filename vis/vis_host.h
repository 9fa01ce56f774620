// The visualisation host apart from the window system: which libraries are visualisation
// plug-ins and what modules they offer, configuring a module, and a run of the chosen
// module: Init on the window thread, a worker thread that fills the module's waveform
// from the meter levels (or its waveform and the spectrum channels it asks for from the
// playing sound) and calls Render at the pace the module asks for, and Quit when the run
// stops.
//
// Every call into a plug-in goes through VisLibraries::Guarded, so a library that faults
// in Init, Render, Quit or Config does not take the player down: a fault in Render ends
// the run's worker and is reported through WorkerFailed.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "vis/vis_plugin_abi.h"

namespace velmora {

// Loading and calling plug-in libraries, as the host sees it (the Win32 side loads by
// path and guards calls with the fault guard; unit tests use plain functions).
class VisLibraries {
 public:
  using Handle = void*;  // null: none
  virtual ~VisLibraries() = default;
  // Null when the library cannot be loaded.
  virtual Handle Load(const std::string& path) = 0;
  virtual void Release(Handle library) = 0;
  // The library's `winampVisGetHeader`, null when it has none.
  virtual VisGetHeaderFn HeaderEntry(Handle library) = 0;
  // Runs `call` (which calls into `library`): false when the library faulted in it. May
  // run on any thread. Keep the body small: it works on plain values.
  virtual bool Guarded(Handle library, const std::function<void()>& call) = 0;
  // The length of text the library handed out, looking at no more than `limit`
  // characters; only inside a Guarded body (a bad pointer is the library's fault).
  virtual size_t TextLength(const char* text, size_t limit) = 0;
  // Copies from or to a record the library handed out; only inside a Guarded body (a bad
  // pointer is the library's fault, not the player's).
  virtual void Read(void* to, const void* record, size_t size) = 0;
  virtual void Write(void* record, const void* from, size_t size) = 0;
};

// Descriptions taken from a library are cut to this many characters.
inline constexpr size_t kVisNameLimit = 255;

// Where a run takes the levels it fills the waveform with (the program's peak meter).
class VisLevels {
 public:
  virtual ~VisLevels() = default;
  // Window thread, around a run.
  virtual void Open() = 0;
  virtual void Close() = 0;
  // Worker thread: the current levels (0 to 182); false when no reading could be taken.
  virtual bool Read(int32_t* left, int32_t* right) = 0;
  // Worker thread: the samples sounding now (`count` per channel, up to 576), when the
  // sound itself is to be shown and the input plug-in offers it; false otherwise (the
  // waveform then comes from the levels).
  virtual bool ReadSound(int16_t samples[2][576], int* count) {
    (void)samples, (void)count;
    return false;
  }
};

// Both channels' 576 bytes from the levels: byte 2i is the low 8 bits of the level, byte
// 2i + 1 is 0, whatever waveformNch says.
void FillWaveformFromLevels(VisModule& module, int32_t left, int32_t right);

// How long the worker waits between two attempts to read the levels when a reading
// failed (a stop request ends the wait at once).
inline constexpr int kLevelRetryMs = 5;
// The longest sleep of the worker between two looks for a stop (see VisHost::Deps::sleep).
inline constexpr int kStopSliceMs = 50;
// How long Stop waits for the worker to end before leaving it behind.
inline constexpr int kStopWaitMs = 1000;

class VisHost {
 public:
  struct Deps {
    VisLibraries& libraries;
    VisLevels& levels;
    // Worker thread: Render faulted and the worker ended. The window thread is expected
    // to stop the run (Stop) and tell the user.
    std::function<void()> worker_failed;
    // Window thread: waits until `finished` says so, letting through the messages that
    // other threads send to this thread's windows. Unset: Stop just joins the worker.
    std::function<void(const std::function<bool()>& finished)> wait_for_worker;
    // Worker thread: sleeps `ms` (at most kStopSliceMs). Set, the worker's pauses are
    // made of such sleeps, a stop being looked for between them: a plain sleep is much
    // cheaper than a wait that a stop can end at once (under wine a fifth: it asks nothing
    // of the server). Unset, the pauses are waits a stop ends at once.
    std::function<void(int ms)> sleep;
  };
  explicit VisHost(Deps deps) : deps_(std::move(deps)) {}
  ~VisHost();  // stops a run
  VisHost(const VisHost&) = delete;
  VisHost& operator=(const VisHost&) = delete;

  // The header description when the library at `path` is a visualisation plug-in (its
  // header entry exists and answers), else false. The library is released again.
  bool Describe(const std::string& path, std::string* description);
  // The module descriptions, index 0 up to the first null module; false when the library
  // cannot be loaded or has no header entry. A fault part-way keeps what was listed.
  bool ListModules(const std::string& path, std::vector<std::string>* modules);
  // Finds the module named `module` (byte for byte) in `path`, fills hwndParent and
  // hDllInstance and calls its Config. The library stays loaded (a configuration window
  // may outlive the call); false when nothing was called.
  bool Configure(const std::string& path, const std::string& module, void* parent);

  // A run of `module` of `path` (see Running). Nothing happens when `path` is empty or
  // cannot be loaded. A library with no header, no such module or no Init still counts as
  // running, without a worker. A module whose Init faults or answers non-zero does not
  // run at all (no Render, no Quit; the library is released): false then.
  bool Start(const std::string& path, const std::string& module, void* parent);
  // Ends the worker (waiting for it, however the meter fares), calls Quit with the record
  // the module was rendered with and releases the library. A worker that has not ended
  // a second after the request (inside a Render that does not return) is left behind:
  // the module is not quit and its library stays loaded for good; false then.
  bool Stop();

  bool Running() const { return running_; }
  bool WorkerActive() const { return worker_.joinable(); }
  // Counts the runs with a worker; the same from a run's start to its stop (what the
  // worker reports can be told apart from a later run's).
  int RunNumber() const { return run_number_; }
  // The pause the worker took after its last render (the module's delayMs, within 0 to
  // 60000), 0 before the first: the pace at which the levels are worth sampling.
  int32_t RenderPause() const { return render_pause_ms_.load(std::memory_order_relaxed); }
  // The module of the run, null when none was found.
  const VisModule* Module() const { return module_; }

 private:
  // Looks up the header and walks the modules; `visit` returns true to stop the walk.
  // False when the library has no header entry or faulted before the walk ended.
  bool WalkModules(VisLibraries::Handle library,
                   const std::function<bool(int index, VisModule* module)>& visit);
  bool ModuleName(VisLibraries::Handle library, VisModule* module, std::string* name);
  // The text a field of a library's record points to, cut to kVisNameLimit; "" for null.
  bool ReadText(VisLibraries::Handle library, const char* const* field, std::string* text);
  // hwndParent and hDllInstance; only inside a Guarded body.
  void WriteHostFields(VisModule* module, void* parent, VisLibraries::Handle library);
  VisModule* FindModule(VisLibraries::Handle library, const std::string& name);
  struct RunControl;
  void RenderUntilStopped(VisModule* module, RunControl& run);
  // What the worker shares with the host; the worker holds its own reference, so a worker
  // left behind inside Render finds it still there when Render returns.
  struct RunControl {
    std::mutex mutex;
    std::condition_variable changed;
    bool stop_requested = false;
    std::atomic<bool> done{false};
    std::function<void(int ms)> sleep;  // the host's Deps::sleep
    // Waits `ms` or until a stop is requested; true when a stop was requested.
    bool WaitForStop(int ms);
  };

  Deps deps_;
  bool running_ = false;
  int run_number_ = 0;
  VisLibraries::Handle library_ = nullptr;
  VisModule* module_ = nullptr;
  bool levels_open_ = false;
  std::atomic<int32_t> render_pause_ms_{0};
  std::vector<VisLibraries::Handle> configured_;  // kept loaded for their Config windows

  std::thread worker_;
  std::shared_ptr<RunControl> run_;
  // Libraries whose worker was left inside Render: never released while it may be there.
  std::vector<VisLibraries::Handle> abandoned_;
};

}  // namespace velmora
