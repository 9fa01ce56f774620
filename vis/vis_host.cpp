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
  VisGetModuleFn get_module = nullptr;
  if (!deps_.libraries.Guarded(library, [&] {
        VisHeader* header = entry();
        get_module = header ? header->getModule : nullptr;
      })) {
    return false;
  }
  if (!get_module) return true;  // a header without modules
  // A library that never returns null is cut off: nobody lists a thousand modules.
  for (int index = 0; index < 1000; ++index) {
    VisModule* module = nullptr;
    if (!deps_.libraries.Guarded(library, [&] { module = get_module(index); })) return false;
    if (!module || visit(index, module)) return true;
  }
  return true;
}

bool VisHost::ModuleName(VisLibraries::Handle library, VisModule* module, std::string* name) {
  const char* text = nullptr;
  size_t length = 0;
  if (!deps_.libraries.Guarded(library, [&] {
        text = module->description;
        length = text ? deps_.libraries.TextLength(text) : 0;
      })) {
    return false;
  }
  name->assign(text ? text : "", length);
  return true;
}

bool VisHost::Describe(const std::string& path, std::string* description) {
  const VisLibraries::Handle library = deps_.libraries.Load(path);
  if (!library) return false;
  bool found = false;
  if (const VisGetHeaderFn entry = deps_.libraries.HeaderEntry(library)) {
    const char* text = nullptr;
    size_t length = 0;
    found = deps_.libraries.Guarded(library, [&] {
      VisHeader* header = entry();
      text = header ? header->description : nullptr;
      length = text ? deps_.libraries.TextLength(text) : 0;
    });
    if (found) description->assign(text ? text : "", length);
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
    module->hwndParent = parent;
    module->hDllInstance = library;
    if (module->Config) {
      called = true;
      module->Config(module);
    }
  });
  return called;
}

void VisHost::Start(const std::string& path, const std::string& module_name, void* parent) {
  if (path.empty() || running_) return;
  const VisLibraries::Handle library = deps_.libraries.Load(path);
  if (!library) return;
  library_ = library;
  running_ = true;  // from here on the run counts as started, whatever the library offers
  VisModule* module = FindModule(library, module_name);
  if (!module) return;
  module_ = module;
  VisInitFn init = nullptr;
  if (!deps_.libraries.Guarded(library, [&] {
        module->hwndParent = parent;
        module->hDllInstance = library;
        init = module->Init;
      })) {
    return;
  }
  if (!init) return;
  // Init's result is not examined; a fault in it is the library's own.
  deps_.libraries.Guarded(library, [&] { init(module); });
  deps_.levels.Open();
  levels_open_ = true;
  {
    std::lock_guard<std::mutex> lock(stop_mutex_);
    stop_requested_ = false;
  }
  worker_done_ = false;
  ++run_number_;
  worker_ = std::thread([this, module] { WorkerBody(module); });
}

bool VisHost::WaitForStop(int ms) {
  std::unique_lock<std::mutex> lock(stop_mutex_);
  if (ms > 0)
    stop_changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_requested_; });
  return stop_requested_;
}

void VisHost::WorkerBody(VisModule* module) {
  RenderUntilStopped(module);
  worker_done_ = true;
}

void VisHost::RenderUntilStopped(VisModule* module) {
  const VisLibraries::Handle library = library_;
  while (!WaitForStop(0)) {
    // A reading first; when the meter gives none, try again shortly, and give up as soon
    // as a stop is requested (a meter that can never be read must not hold Stop up).
    int32_t left = 0, right = 0;
    while (!deps_.levels.Read(&left, &right)) {
      if (WaitForStop(kLevelRetryMs)) return;
    }
    // The sound itself when it is offered: made here, copied into the module below.
    int16_t sound[2][576];
    VisModule made{};
    int count = 0;
    const bool with_sound = deps_.levels.ReadSound(sound, &count);
    if (with_sound) FillFromSamples(made, sound, count);
    VisRenderFn render = nullptr;
    int32_t delay = 0;
    const bool filled = deps_.libraries.Guarded(library, [&] {
      if (with_sound) {
        std::memcpy(module->waveformData, made.waveformData, sizeof made.waveformData);
        std::memcpy(module->spectrumData, made.spectrumData, sizeof made.spectrumData);
      } else {
        FillWaveformFromLevels(*module, left, right);
      }
      render = module->Render;
      delay = module->delayMs;
    });
    // Render's result is not examined; a fault in it ends this run.
    if (!filled || (render && !deps_.libraries.Guarded(library, [&] { render(module); }))) {
      if (deps_.worker_failed) deps_.worker_failed();
      return;
    }
    // The module's pause after each render (a stop ends it early); a module without a
    // Render entry is not polled flat out either.
    const int32_t pause = render ? delay : std::max<int32_t>(delay, kLevelRetryMs);
    if (WaitForStop(std::min<int32_t>(std::max<int32_t>(pause, 0), 60000))) return;
  }
}

void VisHost::Stop() {
  if (worker_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(stop_mutex_);
      stop_requested_ = true;
    }
    stop_changed_.notify_all();
    // The worker may be inside Render, sending a message to a window of this thread:
    // let such messages through while waiting.
    if (deps_.wait_for_worker) deps_.wait_for_worker([this] { return worker_done_.load(); });
    worker_.join();
  }
  if (levels_open_) {
    levels_open_ = false;
    deps_.levels.Close();
  }
  if (library_) {
    // Quit gets the record the module was initialised and rendered with: the module may
    // keep its state there (userData).
    if (VisModule* module = module_) {
      VisQuitFn quit = nullptr;
      if (deps_.libraries.Guarded(library_, [&] { quit = module->Quit; }) && quit)
        deps_.libraries.Guarded(library_, [&] { quit(module); });
    }
    deps_.libraries.Release(library_);
  }
  library_ = nullptr;
  module_ = nullptr;
  running_ = false;
}

}  // namespace velmora
