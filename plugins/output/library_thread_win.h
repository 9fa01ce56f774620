// Threads of the plug-in that may outlive the call that started them: each holds a
// reference to the library until it has finished, so an unload never pulls the code out
// from under it (the thread drops the reference as it exits).
#pragma once

#include <functional>

#include "plugins/output/handles_win.h"

namespace velmora::output {

// Runs `work` on a new thread; exceptions thrown by it are swallowed. Returns the thread's
// handle, empty when no thread could be started (then `work` never runs).
UniqueKernelHandle StartLibraryThread(std::function<void()> work);

// Called when the host is about to unload the library: while any such thread still runs
// (a connection the network has not let go of yet), the library is pinned in the process
// for good. A host may free a library more often than it loaded it, which would otherwise
// unload the code under the thread.
void KeepLibraryWhileThreadsRun();

}  // namespace velmora::output
