// Calls into foreign libraries (input plug-ins, design and visualisation libraries) that
// must not take the player down with them. Guarded(owner, fn, args...) runs the call and
// returns false instead of crashing when the library faults: an access violation, an
// illegal instruction, a division by zero and the like, a C++ exception thrown through
// the call, or a library's runtime aborting (std::terminate of a library with its own
// runtime).
//
// Only the library's own faults are recovered: those raised in its code (caught by a
// vectored handler that jumps back to the guard's recovery point on this thread), in code
// outside every module (a jump through a bad pointer), in the player's reading of text the
// library returned (ForeignTextLength), and, when nobody else handles them, faults in a
// system library that the library called. Every other fault on the thread while the call
// is on the stack takes its normal course: the player's own window procedures running in
// a library's modal loop, and faults that the system or the C runtime handle themselves.
//
// Keep the guarded body small: a fault skips the destructors of objects created inside
// it, so do the work on plain values and build strings once the pointer is known good.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace velmora::guard {

// Whose faults a guarded call recovers: the library whose image holds `code` (an entry
// point of it, or its module handle). Null: any library but the program and the system
// (the start-up of a library that is being loaded).
struct Owner {
  const void* code;
};

namespace detail {

struct Frame {
  void* jump[5];                  // __builtin_setjmp buffer
  Frame* prev = nullptr;          // the enclosing guard on this thread
  void* seh_head = nullptr;       // i686: head of the SEH chain at entry, restored after a fault
  const void* owner = nullptr;    // see Owner
  const void* reading = nullptr;  // text of the library being read by the player, or null
  uint32_t code = 0;
};

void Enter(Frame* frame, Owner owner);
void Leave(Frame* frame);
// After the jump back: restores what the fault left behind and pops the frame.
void Recover(Frame* frame);
void NoteException(Frame* frame);

}  // namespace detail

// The thread whose guarded calls a watchdog may ask about (the window thread). Calls on
// other threads are not recorded.
void WatchCallsOnThisThread();
// The outermost guarded call the watched thread is inside now. `serial` tells one call
// from the next; `started_ms` is GetTickCount at its start. False when it is inside none
// (or inside one whose library is not known: the start-up of a library being loaded).
struct WatchedCall {
  const void* owner = nullptr;
  uint32_t serial = 0;
  uint32_t started_ms = 0;
};
bool CurrentWatchedCall(WatchedCall* call);
// The name a library goes by for the user (a design library's DesignName), kept by the
// file it was loaded from, for a message that names it; "" when none was kept. Any thread.
void KeepLibraryName(const void* module, const std::string& name);
std::string KeptLibraryName(const std::string& path);

// The exception code of the last failure caught on this thread (0xE0000001 for a C++
// exception that came through, 0xE0000003 for an aborted runtime).
uint32_t LastFaultCode();
// "Access violation", "Illegal instruction", ... for a code from LastFaultCode.
std::string DescribeFault(uint32_t code);

// strlen of text that the guarded library returned: a bad pointer is a fault of the
// guarded call. Only inside a guarded body.
size_t ForeignTextLength(const char* text);
// The same, looking at no more than `limit` characters: text without its terminator is cut
// there instead of being read on into whatever follows it.
size_t ForeignTextLength(const char* text, size_t limit);
// Copies `size` bytes from or to memory that the guarded library handed over (its records,
// the fields the player fills in): a bad pointer is a fault of the guarded call, not of the
// player. Only inside a guarded body.
void ForeignRead(void* to, const void* foreign, size_t size);
void ForeignWrite(void* foreign, const void* from, size_t size);

template <typename Fn, typename... Args>
__attribute__((noinline)) bool Guarded(Owner owner, Fn&& fn, Args&&... args) noexcept {
  detail::Frame frame;
  detail::Enter(&frame, owner);
  if (__builtin_setjmp(frame.jump) != 0) {
    detail::Recover(&frame);
    return false;
  }
  try {
    std::forward<Fn>(fn)(std::forward<Args>(args)...);
  } catch (...) {
    detail::NoteException(&frame);
    detail::Leave(&frame);
    return false;
  }
  detail::Leave(&frame);
  return true;
}

}  // namespace velmora::guard
