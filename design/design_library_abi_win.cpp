#include "design/design_library_abi_win.h"

#include <string>
#include <utility>
#include <vector>

#include "plugins/guarded_call_win.h"

namespace velmora {
namespace design_abi {

namespace {

// What the header's service slots call, and where what fails in them is reported; set
// while the program's libraries exist.
DesignHostServices* g_services = nullptr;
ErrorSink* g_errors = nullptr;

}  // namespace

// A library declaring an entry with the wrong convention leaves the stack pointer off on
// i686; a frame pointer in each thunk puts it back.
#define VELMORA_DESIGN_THUNK \
  __attribute__((noinline, optimize("no-omit-frame-pointer", "no-optimize-sibling-calls")))

VELMORA_DESIGN_THUNK void ThunkVoid(void* e) { reinterpret_cast<VelmoraDesignInitFn>(e)(); }
VELMORA_DESIGN_THUNK VelmoraDesignHeader* ThunkHeader(void* e) {
  return reinterpret_cast<VelmoraGetDesignHeaderFn>(e)();
}
VELMORA_DESIGN_THUNK void ThunkUpdate(void* e, VelmoraDesignHeader* h) {
  reinterpret_cast<VelmoraDesignUpdateFn>(e)(h);
}
VELMORA_DESIGN_THUNK void ThunkInt(void* e, int32_t v) {
  reinterpret_cast<VelmoraIntNotification>(e)(v);
}
VELMORA_DESIGN_THUNK void ThunkText(void* e, const char* t) {
  reinterpret_cast<VelmoraTextNotification>(e)(t);
}
VELMORA_DESIGN_THUNK void ThunkFlag(void* e, VelmoraBool b) {
  reinterpret_cast<VelmoraBoolNotification>(e)(b);
}
VELMORA_DESIGN_THUNK void ThunkSender(void* e, void* s) {
  reinterpret_cast<VelmoraSenderNotification>(e)(s);
}

bool Accessible(const void* p, size_t size, bool write) {
  const auto* at = static_cast<const char*>(p);
  const char* end = at + size;
  while (at && at < end) {
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(at, &info, sizeof info) || info.State != MEM_COMMIT) return false;
    const DWORD p_ = info.Protect & 0xFF;
    const bool readable =
        p_ & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY);
    const bool writable =
        p_ & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY);
    if (!readable || (write && !writable) || (info.Protect & PAGE_GUARD)) return false;
    at = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
  }
  return p != nullptr;
}

namespace {

// ---- the string lists handed to a library ------------------------------------------

struct HostList : VelmoraStringList {
  std::vector<std::string> items;
};

const HostList* AsHost(const VelmoraStringList* l) { return static_cast<const HostList*>(l); }
HostList* AsHost(VelmoraStringList* l) { return static_cast<HostList*>(l); }
bool InRange(const VelmoraStringList* l, int32_t i, bool end_ok = false) {
  if (!l) return false;
  const auto n = static_cast<int32_t>(AsHost(l)->items.size());
  return i >= 0 && (i < n || (end_ok && i == n));
}

int32_t VELMORA_DESIGN_CALL ListCount(const VelmoraStringList* l) {
  return l ? static_cast<int32_t>(AsHost(l)->items.size()) : 0;
}
const char* VELMORA_DESIGN_CALL ListGet(const VelmoraStringList* l, int32_t i) {
  return InRange(l, i) ? AsHost(l)->items[static_cast<size_t>(i)].c_str() : nullptr;
}
VelmoraBool VELMORA_DESIGN_CALL ListSet(VelmoraStringList* l, int32_t i, const char* text) {
  if (!InRange(l, i)) return 0;
  try {
    AsHost(l)->items[static_cast<size_t>(i)] = text ? text : "";
  } catch (...) {
    return 0;  // out of memory: the library is told the edit was not done
  }
  return 1;
}
VelmoraBool VELMORA_DESIGN_CALL ListInsert(VelmoraStringList* l, int32_t i, const char* text) {
  if (!InRange(l, i, true)) return 0;
  try {
    auto& v = AsHost(l)->items;
    v.insert(v.begin() + i, text ? text : "");
  } catch (...) {
    return 0;  // out of memory: the library is told the edit was not done
  }
  return 1;
}
VelmoraBool VELMORA_DESIGN_CALL ListDelete(VelmoraStringList* l, int32_t i) {
  if (!InRange(l, i)) return 0;
  auto& v = AsHost(l)->items;
  v.erase(v.begin() + i);
  return 1;
}
void VELMORA_DESIGN_CALL ListClear(VelmoraStringList* l) {
  if (l) AsHost(l)->items.clear();
}
const VelmoraStringListFunctions kHostListFunctions = {ListCount,  ListGet,    ListSet,
                                                       ListInsert, ListDelete, ListClear};

// The two lists last handed out (valid until the next hand-out or the library's close).
HostList g_names, g_paths;

// Reads a list through its own functions (it may be the library's own implementation).
bool ReadList(const VelmoraStringList* list, std::vector<std::string>& out) {
  if (!list) return false;
  if (list->fn == &kHostListFunctions) {
    out = AsHost(list)->items;
    return true;
  }
  // A list of the library's own: its record and functions are checked before use.
  if (!Accessible(list, sizeof *list, false) || !Accessible(list->fn, sizeof *list->fn, false))
    return false;
  const VelmoraStringListFunctions fn = *list->fn;
  if (!fn.Count || !fn.Get) return false;
  return guard::Guarded(guard::Owner{reinterpret_cast<const void*>(fn.Count)}, [&] {
    const int32_t n = fn.Count(list);
    for (int32_t i = 0; i < n; ++i) {
      const char* text = fn.Get(list, i);
      const size_t length = text ? guard::ForeignTextLength(text) : 0;
      out.emplace_back(text ? text : "", length);
    }
  });
}

// ---- host services: each runs the program's handling; nothing escapes into the library

template <typename F>
void Serve(F&& f) {
  if (!g_services || !g_errors) return;
  g_errors->Run([&] { f(*g_services); });  // reported; nothing escapes into the library
}

void ClickService(DesignButton b, VelmoraSender s) {
  Serve([&](DesignHostServices& h) { h.Click(b, s); });
}
void VELMORA_DESIGN_CALL HostPlay(VelmoraSender s) { ClickService(DesignButton::Play, s); }
void VELMORA_DESIGN_CALL HostStop(VelmoraSender s) { ClickService(DesignButton::Stop, s); }
void VELMORA_DESIGN_CALL HostPause(VelmoraSender s) { ClickService(DesignButton::Pause, s); }
void VELMORA_DESIGN_CALL HostNextTrack(VelmoraSender s) {
  ClickService(DesignButton::NextTrack, s);
}
void VELMORA_DESIGN_CALL HostPrevTrack(VelmoraSender s) {
  ClickService(DesignButton::PrevTrack, s);
}
void VELMORA_DESIGN_CALL HostFastForward(VelmoraSender s) {
  ClickService(DesignButton::FastForward, s);
}
void VELMORA_DESIGN_CALL HostRewind(VelmoraSender s) { ClickService(DesignButton::Rewind, s); }
void VELMORA_DESIGN_CALL HostExit(VelmoraSender s) { ClickService(DesignButton::Exit, s); }
void VELMORA_DESIGN_CALL HostMinimize(VelmoraSender s) { ClickService(DesignButton::Minimize, s); }
void VELMORA_DESIGN_CALL HostSeek(int32_t p) {
  Serve([&](DesignHostServices& h) { h.Seek(p); });
}
void VELMORA_DESIGN_CALL HostSetVolume(int32_t v) {
  Serve([&](DesignHostServices& h) { h.SetVolume(v); });
}
void VELMORA_DESIGN_CALL HostShowPopup() {
  Serve([&](DesignHostServices& h) { h.ShowPopup(); });
}
void VELMORA_DESIGN_CALL HostId3(VelmoraSender s) { ClickService(DesignButton::Id3, s); }
void VELMORA_DESIGN_CALL HostOpen(VelmoraSender s) { ClickService(DesignButton::Open, s); }
void VELMORA_DESIGN_CALL HostShowPlaylist(VelmoraSender s) {
  ClickService(DesignButton::ShowPlaylist, s);
}
void VELMORA_DESIGN_CALL HostSetBalance(int32_t b) {
  Serve([&](DesignHostServices& h) { h.SetBalance(b); });
}
int32_t VELMORA_DESIGN_CALL HostGetBalance() {
  int32_t b = 50;
  Serve([&](DesignHostServices& h) { b = h.GetBalance(); });
  return b;
}
void HandOut(VelmoraStringList** names, VelmoraStringList** paths) {
  if (names) *names = &g_names;
  if (paths) *paths = &g_paths;
}
void VELMORA_DESIGN_CALL HostGetPlaylist(VelmoraStringList** names, VelmoraStringList** paths) {
  Serve([&](DesignHostServices& h) { h.GetPlaylist(g_names.items, g_paths.items); });
  HandOut(names, paths);
}
void VELMORA_DESIGN_CALL HostSetPlaylist(const VelmoraStringList* names,
                                         const VelmoraStringList* paths) {
  std::vector<std::string> n, p;
  if (!ReadList(names, n) || !ReadList(paths, p)) return;
  Serve([&](DesignHostServices& h) { h.SetPlaylist(std::move(n), std::move(p)); });
}
void VELMORA_DESIGN_CALL HostSortPlaylist(VelmoraStringList** names, VelmoraStringList** paths) {
  Serve([&](DesignHostServices& h) { h.SortPlaylist(g_names.items, g_paths.items); });
  HandOut(names, paths);
}
void VELMORA_DESIGN_CALL HostSavePlaylist() {
  Serve([&](DesignHostServices& h) { h.SavePlaylist(); });
}
int32_t VELMORA_DESIGN_CALL HostGetCurrentIndex() {
  int32_t i = 0;
  Serve([&](DesignHostServices& h) { i = h.GetCurrentIndex(); });
  return i;
}
void VELMORA_DESIGN_CALL HostPlayIndex(int32_t i) {
  Serve([&](DesignHostServices& h) { h.PlayIndex(i); });
}

}  // namespace

void SetHostServices(DesignHostServices* services, ErrorSink* errors) {
  g_services = services;
  g_errors = errors;
  g_names.fn = &kHostListFunctions;
  g_paths.fn = &kHostListFunctions;
}

void WriteHostServices(VelmoraDesignHeader& h) {
  h.HostPlay = HostPlay;
  h.HostStop = HostStop;
  h.HostPause = HostPause;
  h.HostNextTrack = HostNextTrack;
  h.HostPrevTrack = HostPrevTrack;
  h.HostFastForward = HostFastForward;
  h.HostRewind = HostRewind;
  h.HostExit = HostExit;
  h.HostMinimize = HostMinimize;
  h.HostSeek = HostSeek;
  h.HostSetVolume = HostSetVolume;
  h.HostShowPopup = HostShowPopup;
  h.HostId3 = HostId3;
  h.HostOpen = HostOpen;
  h.HostShowPlaylist = HostShowPlaylist;
  h.HostSetBalance = HostSetBalance;
  h.HostGetBalance = HostGetBalance;
  h.HostGetPlaylist = HostGetPlaylist;
  h.HostSetPlaylist = HostSetPlaylist;
  h.HostSortPlaylist = HostSortPlaylist;
  h.HostSavePlaylist = HostSavePlaylist;
  h.HostGetCurrentIndex = HostGetCurrentIndex;
  h.HostPlayIndex = HostPlayIndex;
}

void ClearHandedLists() {
  g_names.items.clear();
  g_paths.items.clear();
}

}  // namespace design_abi
}  // namespace velmora
