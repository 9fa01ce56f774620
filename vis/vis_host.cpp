#include "vis/vis_host.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "vis/vis_sound.h"

namespace velmora {

void FillWaveformFromLevels(VisModule& module, int32_t left, int32_t right) {
  const auto low_left = static_cast<unsigned char>(left & 0xFF);
  const auto low_right = static_cast<unsigned char>(right & 0xFF);
  for (int i = 0; i < 288; ++i) {
    module.waveformData[0][2 * i] = low_left;
    module.waveformData[0][2 * i + 1] = 0;
    module.waveformData[1][2 * i] = low_right;
    module.waveformData[1][2 * i + 1] = 0;
  }
}

VisHost::~VisHost() { Stop(); }

bool VisHost::WalkModules(VisLibraries::Handle library,
                          const std::function<bool(int index, VisModule* module)>& visit) {
  const VisGetHeaderFn entry = deps_.libraries.HeaderEntry(library);
  if (!entry) return false;
  // The header is the library's memory: copied under the guard, so a bad pointer fails
  // the library instead of the player.
  VisHeader header{};
  if (!deps_.libraries.Guarded(library, [&] {
        if (VisHeader* h = entry()) deps_.libraries.Read(&header, h, sizeof header);
      })) {
    return false;
  }
  const VisGetModuleFn get_module = header.getModule;
  if (!get_module) return true;  // a header without modules
  // A library that never returns null is cut off: nobody lists a thousand modules.
  for (int index = 0; index < 1000; ++index) {
    VisModule* module = nullptr;
    if (!deps_.libraries.Guarded(library, [&] { module = get_module(index); })) return false;
    if (!module || visit(index, module)) return true;
  }
  return true;
}

bool VisHost::ReadText(VisLibraries::Handle library, const char* const* field, std::string* text) {
  char copy[kVisNameLimit + 1];
  size_t length = 0;
  if (!deps_.libraries.Guarded(library, [&] {
        const char* pointer = nullptr;
        deps_.libraries.Read(&pointer, field, sizeof pointer);
        if (!pointer) return;
        length = deps_.libraries.TextLength(pointer, kVisNameLimit);
        deps_.libraries.Read(copy, pointer, length);
      })) {
    return false;
  }
  text->assign(copy, length);
  return true;
}

bool VisHost::ModuleName(VisLibraries::Handle library, VisModule* module, std::string* name) {
  return ReadText(library, &module->description, name);
}

bool VisHost::Describe(const std::string& path, std::string* description) {
  const VisLibraries::Handle library = deps_.libraries.Load(path);
  if (!library) return false;
  bool found = false;
  if (const VisGetHeaderFn entry = deps_.libraries.HeaderEntry(library)) {
    VisHeader* header = nullptr;
    found = deps_.libraries.Guarded(library, [&] { header = entry(); });
    description->clear();
    if (found && header) found = ReadText(library, &header->description, description);
  }
  deps_.libraries.Release(library);
  return found;
}

bool VisHost::ListModules(const std::string& path, std::vector<std::string>* modules) {
  modules->clear();
  const VisLibraries::Handle library = deps_.libraries.Load(path);
  if (!library) return false;
  const bool has_header = deps_.libraries.HeaderEntry(library) != nullptr;
  WalkModules(library, [&](int, VisModule* module) {
    std::string name;
    if (!ModuleName(library, module, &name)) return true;
    modules->push_back(std::move(name));
    return false;
  });
  deps_.libraries.Release(library);
  return has_header;
}

VisModule* VisHost::FindModule(VisLibraries::Handle library, const std::string& name) {
  VisModule* found = nullptr;
  WalkModules(library, [&](int, VisModule* module) {
    std::string description;
    if (!ModuleName(library, module, &description)) return true;
    if (description != name) return false;
    found = module;
    return true;
  });
  return found;
}

bool VisHost::Configure(const std::string& path, const std::string& module_name, void* parent) {
  if (path.empty() || module_name.empty()) return false;
  const VisLibraries::Handle library = deps_.libraries.Load(path);
  if (!library) return false;
  // Loaded once for good: a second load of the same library only counts it again.
  if (std::find(configured_.begin(), configured_.end(), library) != configured_.end())
    deps_.libraries.Release(library);
  else
    configured_.push_back(library);
  VisModule* module = FindModule(library, module_name);
  if (!module) return false;
  bool called = false;
  deps_.libraries.Guarded(library, [&] {
    WriteHostFields(module, parent, library);
    VisConfigFn config = nullptr;
    deps_.libraries.Read(&config, &module->Config, sizeof config);
    if (config) {
      called = true;
      config(module);
    }
  });
  return called;
}

void VisHost::WriteHostFields(VisModule* module, void* parent, VisLibraries::Handle library) {
  void* instance = library;
  deps_.libraries.Write(&module->hwndParent, &parent, sizeof parent);
  deps_.libraries.Write(&module->hDllInstance, &instance, sizeof instance);
}

bool VisHost::Start(const std::string& path, const std::string& module_name, void* parent) {
  if (path.empty() || running_) return true;
  const VisLibraries::Handle library = deps_.libraries.Load(path);
  if (!library) return true;
  library_ = library;
  running_ = true;  // from here on the run counts as started, whatever the library offers
  VisModule* module = FindModule(library, module_name);
  if (!module) return true;
  module_ = module;
  VisInitFn init = nullptr;
  if (!deps_.libraries.Guarded(library, [&] {
        WriteHostFields(module, parent, library);
        deps_.libraries.Read(&init, &module->Init, sizeof init);
      })) {
    module_ = nullptr;  // a record that cannot be filled in is not rendered or quit
    return true;
  }
  if (!init) return true;
  // A module whose Init faults or answers non-zero did not start: it is neither rendered
  // nor quit, and the run ends here.
  int32_t result = -1;
  if (!deps_.libraries.Guarded(library, [&] { result = init(module); }) || result != 0) {
    module_ = nullptr;
    deps_.libraries.Release(library);
    library_ = nullptr;
    running_ = false;
    return false;
  }
  deps_.levels.Open();
  levels_open_ = true;
  run_ = std::make_shared<RunControl>();
  run_->sleep = deps_.sleep;
  ++run_number_;
  worker_ = std::thread([this, module, run = run_] {
    RenderUntilStopped(module, *run);
    run->done = true;
  });
  return true;
}

bool VisHost::RunControl::WaitForStop(int ms) {
  if (ms > 0 && sleep) {
    const auto stopped = [this] {
      std::lock_guard<std::mutex> lock(mutex);
      return stop_requested;
    };
    for (int left = ms; left > 0 && !stopped(); left -= kStopSliceMs)
      sleep(std::min(left, kStopSliceMs));
  }
  std::unique_lock<std::mutex> lock(mutex);
  if (ms > 0 && !sleep)
    changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_requested; });
  return stop_requested;
}

void VisHost::RenderUntilStopped(VisModule* module, RunControl& run) {
  const VisLibraries::Handle library = library_;
  // What one render hands the module, kept for the whole run: nothing is allocated or
  // cleared per render, and the guarded bodies capture this alone (a std::function holds
  // such a body without allocating).
  struct Frame {
    VisLibraries& libraries;
    VisModule* module;
    VisRenderFn render = nullptr;
    int32_t delay = 0;
    int32_t spectrum_channels = 0;  // of the module's record; 0 without the sound
    int16_t sound[2][576]{};
    VisModule made{};  // its waveformData and spectrumData are copied into the module
  };
  Frame frame{deps_.libraries, module};
  while (!run.WaitForStop(0)) {
    // A reading first; when the meter gives none, try again shortly, and give up as soon
    // as a stop is requested (a meter that can never be read must not hold Stop up).
    int32_t left = 0, right = 0;
    while (!deps_.levels.Read(&left, &right)) {
      if (run.WaitForStop(kLevelRetryMs)) return;
    }
    // What the module asks for (channels of spectrum: none is computed for a module
    // that asks none) and its pace, read before it is filled.
    bool ok = deps_.libraries.Guarded(library, [&frame] {
      frame.libraries.Read(&frame.render, &frame.module->Render, sizeof frame.render);
      frame.libraries.Read(&frame.delay, &frame.module->delayMs, sizeof frame.delay);
      frame.libraries.Read(&frame.spectrum_channels, &frame.module->spectrumNch,
                           sizeof frame.spectrum_channels);
    });
    if (ok) {
      // The sound itself when it is offered, else the waveform from the levels.
      int count = 0;
      if (deps_.levels.ReadSound(frame.sound, &count)) {
        frame.spectrum_channels = std::clamp<int32_t>(frame.spectrum_channels, 0, 2);
        FillFromSamples(frame.made, frame.sound, count, frame.spectrum_channels);
      } else {
        frame.spectrum_channels = 0;
        FillWaveformFromLevels(frame.made, left, right);
      }
      // Render's result is not examined; a fault in it, or in filling the record, ends
      // this run.
      ok = deps_.libraries.Guarded(library, [&frame] {
        frame.libraries.Write(frame.module->waveformData, frame.made.waveformData,
                              sizeof frame.made.waveformData);
        if (frame.spectrum_channels > 0)
          frame.libraries.Write(frame.module->spectrumData, frame.made.spectrumData,
                                sizeof frame.made.spectrumData[0] * frame.spectrum_channels);
        if (frame.render) frame.render(frame.module);
      });
    }
    if (!ok) {
      if (deps_.worker_failed) deps_.worker_failed();
      return;
    }
    // The module's pause after each render (a stop ends it early); a module without a
    // Render entry is not polled flat out either.
    const int32_t pause = std::clamp<int32_t>(
        frame.render ? frame.delay : std::max<int32_t>(frame.delay, kLevelRetryMs), 0, 60000);
    render_pause_ms_.store(pause, std::memory_order_relaxed);
    if (run.WaitForStop(pause)) return;
  }
}

bool VisHost::Stop() {
  bool ended = true;
  if (worker_.joinable()) {
    const std::shared_ptr<RunControl> run = run_;
    {
      std::lock_guard<std::mutex> lock(run->mutex);
      run->stop_requested = true;
    }
    run->changed.notify_all();
    // The worker may be inside Render, sending a message to a window of this thread:
    // let such messages through while waiting. A Render that does not return within the
    // second is not waited for.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
    const auto finished = [&] {
      return run->done.load() || std::chrono::steady_clock::now() >= deadline;
    };
    if (deps_.wait_for_worker) {
      deps_.wait_for_worker(finished);
    } else {
      while (!finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (run->done) {
      worker_.join();
    } else {
      worker_.detach();
      ended = false;
    }
  }
  if (levels_open_) {
    levels_open_ = false;
    deps_.levels.Close();
  }
  if (library_ && !ended) {
    // Its thread may still be inside the library: no Quit, no release.
    abandoned_.push_back(library_);
  } else if (library_) {
    // Quit gets the record the module was initialised and rendered with: the module may
    // keep its state there (userData).
    if (VisModule* module = module_) {
      VisQuitFn quit = nullptr;
      if (deps_.libraries.Guarded(
              library_, [&] { deps_.libraries.Read(&quit, &module->Quit, sizeof quit); }) &&
          quit)
        deps_.libraries.Guarded(library_, [&] { quit(module); });
    }
    deps_.libraries.Release(library_);
  }
  library_ = nullptr;
  module_ = nullptr;
  running_ = false;
  return ended;
}

}  // namespace velmora
