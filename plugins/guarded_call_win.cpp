#include "plugins/guarded_call_win.h"

#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace velmora::guard {

namespace {

constexpr uint32_t kCppException = 0xE0000001u;
constexpr uint32_t kAbort = 0xE0000003u;

thread_local detail::Frame* t_top = nullptr;
thread_local uint32_t t_last_code = 0;

bool IsFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_STACK_OVERFLOW:
      return true;
    default:
      return false;
  }
}

// The system libraries probe memory under handlers of their own (and hold locks while
// doing it); a fault raised there is theirs to handle first. If nobody handles it, the
// unhandled-exception filter below still brings the guard back.
bool InSystemLibrary(const void* address) {
  static HMODULE const kSystem[] = {GetModuleHandleA("ntdll.dll"), GetModuleHandleA("kernelbase.dll"),
                                    GetModuleHandleA("kernel32.dll")};
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(address), &module)) {
    return false;
  }
  for (HMODULE system : kSystem) {
    if (system && module == system) return true;
  }
  return false;
}

[[noreturn]] void JumpBack(detail::Frame* frame, uint32_t code) {
  frame->code = code;
  __builtin_longjmp(frame->jump, 1);
}

LONG CALLBACK VectoredFault(EXCEPTION_POINTERS* info) {
  detail::Frame* frame = t_top;
  if (!frame) return EXCEPTION_CONTINUE_SEARCH;
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (!IsFault(record->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  if (InSystemLibrary(record->ExceptionAddress)) return EXCEPTION_CONTINUE_SEARCH;
  JumpBack(frame, record->ExceptionCode);
}

LPTOP_LEVEL_EXCEPTION_FILTER g_previous_filter = nullptr;

LONG WINAPI UnhandledFault(EXCEPTION_POINTERS* info) {
  if (detail::Frame* frame = t_top) JumpBack(frame, info->ExceptionRecord->ExceptionCode);
  return g_previous_filter ? g_previous_filter(info) : EXCEPTION_CONTINUE_SEARCH;
}

// A library built with its own C++ runtime ends an exception it cannot unwind through
// our frames in std::terminate, which aborts; inside a guard that is one more failure.
void OnAbort(int) {
  if (detail::Frame* frame = t_top) JumpBack(frame, kAbort);
  std::signal(SIGABRT, SIG_DFL);
  std::_Exit(3);
}

void InstallOnce() {
  static const bool installed = [] {
    AddVectoredExceptionHandler(1, VectoredFault);
    g_previous_filter = SetUnhandledExceptionFilter(UnhandledFault);
    // An abort inside a library must not stop on a message box.
    _set_error_mode(_OUT_TO_STDERR);
    std::signal(SIGABRT, OnAbort);
    return true;
  }();
  (void)installed;
}

void* SehHead() {
#if defined(_M_IX86) || defined(__i386__)
  void* head;
  __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
#else
  return nullptr;
#endif
}

void SetSehHead(void* head) {
#if defined(_M_IX86) || defined(__i386__)
  __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
#else
  (void)head;
#endif
}

}  // namespace

namespace detail {

void Enter(Frame* frame) {
  InstallOnce();
  frame->prev = t_top;
  frame->seh_head = SehHead();
  frame->code = 0;
  t_top = frame;
}

void Leave(Frame* frame) { t_top = frame->prev; }

void Recover(Frame* frame) {
  // Handler records of the abandoned frames lie below the stack pointer now.
  SetSehHead(frame->seh_head);
  t_top = frame->prev;
  t_last_code = frame->code;
  // The C runtime resets a signal to its default before calling the handler.
  if (frame->code == kAbort) std::signal(SIGABRT, OnAbort);
}

void NoteException(Frame* frame) {
  frame->code = kCppException;
  t_last_code = kCppException;
}

}  // namespace detail

uint32_t LastFaultCode() { return t_last_code; }

std::string DescribeFault(uint32_t code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "Access violation";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "Illegal instruction";
    case EXCEPTION_PRIV_INSTRUCTION: return "Privileged instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "Division by zero";
    case EXCEPTION_STACK_OVERFLOW: return "Stack overflow";
    case kCppException: return "Exception";
    case kAbort: return "Runtime aborted";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "Fault %08lX", static_cast<unsigned long>(code));
      return text;
    }
  }
}

}  // namespace velmora::guard
