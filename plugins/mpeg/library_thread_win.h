// Threads of the plug-in that may outlive the call that started them: each holds a
// reference to the library until it has finished, so an unload never pulls the code out
// from under it (the thread drops the reference as it exits).
#pragma once

#include <functional>

#include "plugins/mpeg/win_handles_win.h"

namespace velmora::mpeg {

// Runs `work` on a new thread; exceptions thrown by it are swallowed. Returns the thread's
// handle, empty when no thread could be started (then `work` never runs).
UniqueKernelHandle StartLibraryThread(std::function<void()> work);

}  // namespace velmora::mpeg
