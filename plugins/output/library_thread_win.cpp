#include "plugins/output/library_thread_win.h"

#include <atomic>
#include <memory>

namespace velmora::output {

namespace {

std::atomic<int> running{0};

DWORD WINAPI ThreadMain(LPVOID param) {
  {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(param));
    try {
      (*work)();
    } catch (...) {
      // A plug-in's own thread: nothing may escape it, and the work tells its outcome
      // through its own state (a failed transfer ends the stream).
    }
  }
  --running;
  HMODULE self = nullptr;
  if (GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&ThreadMain), &self)) {
    FreeLibraryAndExitThread(self, 0);
  }
  return 0;
}

}  // namespace

UniqueKernelHandle StartLibraryThread(std::function<void()> work) {
  auto* owned = new std::function<void()>(std::move(work));
  ++running;
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ThreadMain),
                     &self);
  HANDLE thread = CreateThread(nullptr, 0, &ThreadMain, owned, 0, nullptr);
  if (!thread) {
    --running;
    delete owned;
    if (self) FreeLibrary(self);
  }
  return UniqueKernelHandle(thread);
}

void KeepLibraryWhileThreadsRun() {
  if (running.load() == 0) return;
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&ThreadMain), &self);
}

}  // namespace velmora::output
