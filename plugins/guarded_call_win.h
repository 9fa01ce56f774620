// Calls into foreign libraries (input plug-ins, design and visualisation libraries) that
// must not take the player down with them. Guarded(fn, args...) runs the call and returns
// false instead of crashing when it faults: an access violation, an illegal instruction,
// a division by zero and the like (caught by a vectored handler that jumps back to the
// guard's recovery point on this thread), a C++ exception thrown through the call, or a
// library's runtime aborting (std::terminate of a library with its own runtime).
//
// Keep the guarded body small: a fault skips the destructors of objects created inside
// it, so do the work on plain values and build strings once the pointer is known good.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace velmora::guard {

namespace detail {

struct Frame {
  void* jump[5];          // __builtin_setjmp buffer
  Frame* prev = nullptr;  // the enclosing guard on this thread
  void* seh_head = nullptr;  // i686: head of the SEH chain at entry, restored after a fault
  uint32_t code = 0;
};

void Enter(Frame* frame);
void Leave(Frame* frame);
// After the jump back: restores what the fault left behind and pops the frame.
void Recover(Frame* frame);
void NoteException(Frame* frame);

}  // namespace detail

// The exception code of the last failure caught on this thread (0xE0000001 for a C++
// exception that came through, 0xE0000003 for an aborted runtime).
uint32_t LastFaultCode();
// "Access violation", "Illegal instruction", ... for a code from LastFaultCode.
std::string DescribeFault(uint32_t code);

template <typename Fn, typename... Args>
__attribute__((noinline)) bool Guarded(Fn&& fn, Args&&... args) noexcept {
  detail::Frame frame;
  detail::Enter(&frame);
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
