#include "plugins/guarded_call_win.h"
#include "ui/wide_win.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <map>
#include <mutex>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velmora::guard {

namespace {

constexpr uint32_t kCppException = 0xE0000001u;
constexpr uint32_t kAbort = 0xE0000003u;

thread_local detail::Frame* t_top = nullptr;

// The watched thread's outermost call (see CurrentWatchedCall).
std::atomic<DWORD> g_watched_thread{0};
std::atomic<const void*> g_call_owner{nullptr};
std::atomic<uint32_t> g_call_serial{0};
std::atomic<uint32_t> g_call_started{0};

bool Watched(const detail::Frame* frame) {
  return !frame->prev && g_watched_thread.load(std::memory_order_relaxed) == GetCurrentThreadId();
}
void CallEnds(const detail::Frame* frame) {
  if (Watched(frame)) g_call_owner.store(nullptr);
}
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
    case EXCEPTION_STACK_OVERFLOW: return true;
    default: return false;
  }
}

HMODULE ModuleOf(const void* address) {
  HMODULE module = nullptr;
  if (!address || !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                          GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                      static_cast<LPCSTR>(address), &module)) {
    return nullptr;
  }
  return module;
}

// A library of the system (in the Windows folder): ntdll, kernel32, user32, the C
// runtime ... They probe memory under handlers of their own (and hold locks while doing
// it); a fault raised there is theirs to handle first.
bool IsSystemModule(HMODULE module) {
  if (!module) return false;
  wchar_t windows[MAX_PATH], path[MAX_PATH * 2];
  const UINT w = GetSystemWindowsDirectoryW(windows, MAX_PATH);
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH * 2);
  if (w == 0 || w >= MAX_PATH || n == 0 || n >= MAX_PATH * 2 || n <= w) return false;
  return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path, static_cast<int>(w), windows,
                        static_cast<int>(w)) == CSTR_EQUAL &&
         (path[w] == L'\\' || windows[w - 1] == L'\\');
}

// Code of the library a guarded call recovers faults of.
bool IsOwnersCode(const detail::Frame* frame, HMODULE module) {
  if (!module) return false;
  if (frame->owner) return module == ModuleOf(frame->owner);
  return module != GetModuleHandleA(nullptr) && !IsSystemModule(module);
}

// The innermost code on the faulting stack that is not the system's: the caller that
// handed the system library whatever made it fault. Null when it cannot be told.
const void* InnermostCallerOutsideTheSystem(const CONTEXT* fault, const detail::Frame* frame) {
#if defined(__x86_64__)
  (void)frame;
  CONTEXT context = *fault;
  for (int depth = 0; depth < 64 && context.Rip; ++depth) {
    HMODULE module = ModuleOf(reinterpret_cast<const void*>(context.Rip));
    if (!module || !IsSystemModule(module)) return reinterpret_cast<const void*>(context.Rip);
    DWORD64 image_base = 0;
    PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &image_base, nullptr);
    if (!function) {  // a leaf function: the return address is on top of the stack
      context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
      context.Rsp += 8;
      continue;
    }
    void* handler_data = nullptr;
    DWORD64 establisher = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, image_base, context.Rip, function, &context, &handler_data,
                     &establisher, nullptr);
  }
  return nullptr;
#else
  // Without unwind tables: the first word on the stack, between the fault and the guard,
  // that is a return address into code outside the system (it follows a call).
  auto follows_call = [](const uint8_t* p) {
    return p[-5] == 0xE8 || (p[-6] == 0xFF && (p[-5] & 0x38) == 0x10) ||
           (p[-2] == 0xFF && (p[-1] & 0x38) == 0x10) || (p[-3] == 0xFF && (p[-2] & 0x38) == 0x10) ||
           (p[-7] == 0xFF && (p[-6] & 0x38) == 0x10);
  };
  const auto* word = reinterpret_cast<const uintptr_t*>(fault->Esp);
  const auto* end = reinterpret_cast<const uintptr_t*>(frame);
  for (; word < end; ++word) {
    const auto* code = reinterpret_cast<const uint8_t*>(*word);
    HMODULE module = ModuleOf(code);
    if (!module || IsSystemModule(module)) continue;
    if (code - reinterpret_cast<const uint8_t*>(module) < 0x1000) continue;  // the image headers
    if (follows_call(code)) return code;
  }
  return nullptr;
#endif
}

// First chance: the fault is the guarded library's own.
bool BelongsToTheCall(const detail::Frame* frame, const EXCEPTION_RECORD* record) {
  // Reading (or filling in) memory the library handed over: its pointer was bad.
  if (frame->reading && record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION &&
      record->NumberParameters >= 2 && record->ExceptionInformation[0] != 8 &&
      record->ExceptionInformation[1] >=
          (reinterpret_cast<uintptr_t>(frame->reading) & ~uintptr_t{0xFFF})) {
    return true;
  }
  HMODULE module = ModuleOf(record->ExceptionAddress);
  if (!module) return true;  // a jump to an address outside every module
  return IsOwnersCode(frame, module);
}

[[noreturn]] void JumpBack(detail::Frame* frame, uint32_t code) {
  frame->code = code;
  __builtin_longjmp(frame->jump, 1);
}

LONG CALLBACK VectoredFault(EXCEPTION_POINTERS* info) {
  detail::Frame* frame = t_top;
  if (!frame) return EXCEPTION_CONTINUE_SEARCH;
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (!IsFault(record->ExceptionCode) || !BelongsToTheCall(frame, record))
    return EXCEPTION_CONTINUE_SEARCH;
  JumpBack(frame, record->ExceptionCode);
}

LPTOP_LEVEL_EXCEPTION_FILTER g_previous_filter = nullptr;

// Last chance: a fault that nobody handled. Also the library's when it was raised in a
// system library that the library called.
LONG WINAPI UnhandledFault(EXCEPTION_POINTERS* info) {
  if (detail::Frame* frame = t_top) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (IsFault(record->ExceptionCode)) {
      bool ours = BelongsToTheCall(frame, record);
      if (!ours && IsSystemModule(ModuleOf(record->ExceptionAddress))) {
        const void* caller = InnermostCallerOutsideTheSystem(info->ContextRecord, frame);
        ours = caller && IsOwnersCode(frame, ModuleOf(caller));
      }
      if (ours) JumpBack(frame, record->ExceptionCode);
    }
  }
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

void Enter(Frame* frame, Owner owner) {
  InstallOnce();
  frame->owner = owner.code;
  frame->reading = nullptr;
  frame->prev = t_top;
  frame->seh_head = SehHead();
  frame->code = 0;
  t_top = frame;
  if (Watched(frame) && owner.code) {
    g_call_started.store(GetTickCount());
    g_call_serial.fetch_add(1);
    g_call_owner.store(owner.code);
  }
}

void Leave(Frame* frame) {
  CallEnds(frame);
  t_top = frame->prev;
}

void Recover(Frame* frame) {
  // Handler records of the abandoned frames lie below the stack pointer now.
  SetSehHead(frame->seh_head);
  CallEnds(frame);
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

namespace {
std::mutex g_names_mutex;
std::map<std::string, std::string>& KeptNames() {
  static std::map<std::string, std::string> names;  // lower-case path: name
  return names;
}
std::string LowerPath(std::string path) {
  if (path.empty()) return path;
  std::wstring wide = ui::Widen(path);
  CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
  return ui::Narrow(wide);
}
}  // namespace

void KeepLibraryName(const void* module, const std::string& name) {
  const std::string path = ui::ModuleFileName(static_cast<HMODULE>(const_cast<void*>(module)));
  if (path.empty() || name.empty()) return;
  std::lock_guard<std::mutex> lock(g_names_mutex);
  KeptNames()[LowerPath(path)] = name;
}

std::string KeptLibraryName(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_names_mutex);
  const auto it = KeptNames().find(LowerPath(path));
  return it == KeptNames().end() ? std::string() : it->second;
}

void WatchCallsOnThisThread() { g_watched_thread.store(GetCurrentThreadId()); }

bool CurrentWatchedCall(WatchedCall* call) {
  // The owner last: a call that ends meanwhile shows as none or as the next call.
  const uint32_t serial = g_call_serial.load();
  const uint32_t started = g_call_started.load();
  const void* owner = g_call_owner.load();
  if (!owner || serial != g_call_serial.load()) return false;
  call->owner = owner;
  call->serial = serial;
  call->started_ms = started;
  return true;
}

size_t ForeignTextLength(const char* text) {
  detail::Frame* frame = t_top;
  if (frame) frame->reading = text;
  const size_t length = std::strlen(text);
  if (frame) frame->reading = nullptr;
  return length;
}

size_t ForeignTextLength(const char* text, size_t limit) {
  detail::Frame* frame = t_top;
  if (frame) frame->reading = text;
  const volatile char* p = text;
  size_t length = 0;
  while (length < limit && p[length] != '\0') ++length;
  if (frame) frame->reading = nullptr;
  return length;
}

void ForeignRead(void* to, const void* foreign, size_t size) {
  detail::Frame* frame = t_top;
  if (frame) frame->reading = foreign;
  const volatile unsigned char* from = static_cast<const unsigned char*>(foreign);
  auto* out = static_cast<unsigned char*>(to);
  for (size_t i = 0; i < size; ++i) out[i] = from[i];
  if (frame) frame->reading = nullptr;
}

void ForeignWrite(void* foreign, const void* from, size_t size) {
  detail::Frame* frame = t_top;
  if (frame) frame->reading = foreign;
  volatile unsigned char* out = static_cast<unsigned char*>(foreign);
  const auto* in = static_cast<const unsigned char*>(from);
  for (size_t i = 0; i < size; ++i) out[i] = in[i];
  if (frame) frame->reading = nullptr;
}

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
