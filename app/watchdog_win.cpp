#include "app/watchdog_win.h"

#include <atomic>
#include <thread>

#include "plugins/guarded_call_win.h"
#include "ui/handles_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

constexpr char kSettingsKey[] = "Software\\velmora";
constexpr char kHungPathValue[] = "HungLibrary";
constexpr char kHungTitleValue[] = "HungLibraryTitle";
constexpr DWORD kPollMs = 250;
// How long the window thread gets to answer a message before it counts as stuck.
constexpr UINT kAnswerMs = 1000;

HMODULE ModuleOf(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCSTR>(address), &module))
    return nullptr;
  return module;
}

// "The design library glass", "The input plug-in probe_a", ... from what it exports.
std::string LibraryTitle(HMODULE module, std::string* path) {
  path->assign(module ? ui::ModuleFileName(module) : std::string());
  std::string name = path->substr(
      path->find_last_of("\\/") == std::string::npos ? 0 : path->find_last_of("\\/") + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (const std::string kept = guard::KeptLibraryName(*path); !kept.empty()) name = kept;
  if (name.empty()) name = "(unknown)";
  const char* kind = "The library ";
  if (module && GetProcAddress(module, "extension"))
    kind = "The input plug-in ";
  else if (module && GetProcAddress(module, "winampVisGetHeader"))
    kind = "The visualisation plug-in ";
  else if (module && GetProcAddress(module, "GetDesignHeader"))
    kind = "The design library ";
  return kind + name;
}

void RecordHungLibrary(const std::string& path, const std::string& title) {
  ui::UniqueKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      key.out(), nullptr) != ERROR_SUCCESS)
    return;
  for (const auto& [name, value] :
       {std::pair<const char*, const std::string*>{kHungPathValue, &path},
        {kHungTitleValue, &title}}) {
    ui::WriteRegistryString(key.get(), name, *value);
  }
  RegFlushKey(key.get());
}

std::string ReadAndDelete(HKEY key, const char* name) {
  std::string value;
  if (ui::ReadRegistryString(key, name, value)) value = value.substr(0, value.find('\0'));
  RegDeleteValueA(key, name);
  return value;
}

// The question on the watchdog's thread: a message box whose two buttons are renamed as
// it opens, and which answers "Wait" by itself when the call ends meanwhile.
struct Question {
  HHOOK hook = nullptr;
  HWND box = nullptr;
  uint32_t serial = 0;
};
thread_local Question t_question;

LRESULT CALLBACK RenameButtons(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE && !t_question.box) {
    HWND box = reinterpret_cast<HWND>(wp);
    char name[16] = "";
    GetClassNameA(box, name, sizeof name);
    if (lstrcmpA(name, "#32770") == 0) {
      t_question.box = box;
      SetDlgItemTextA(box, IDYES, "Wait");
      SetDlgItemTextA(box, IDNO, "Close Velmora");
    }
  }
  return CallNextHookEx(t_question.hook, code, wp, lp);
}

void CALLBACK CheckCallEnded(HWND, UINT, UINT_PTR, DWORD) {
  guard::WatchedCall call;
  if (t_question.box && (!guard::CurrentWatchedCall(&call) || call.serial != t_question.serial))
    PostMessageA(t_question.box, WM_COMMAND, IDYES, 0);
}

// True when the user chose "Close Velmora".
bool AskUser(const std::string& text, uint32_t serial) {
  t_question = Question{};
  t_question.serial = serial;
  t_question.hook = SetWindowsHookExA(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
  const UINT_PTR timer = SetTimer(nullptr, 0, kPollMs, CheckCallEnded);
  const int answer = ui::ShowMessageBox(nullptr, text, "ORVANE Velmora",
                                        MB_YESNO | MB_ICONWARNING | MB_TOPMOST | MB_SETFOREGROUND);
  if (timer) KillTimer(nullptr, timer);
  if (t_question.hook) UnhookWindowsHookEx(t_question.hook);
  t_question = Question{};
  return answer == IDNO;
}

}  // namespace

class Watchdog::Thread {
 public:
  explicit Thread(Deps deps) : deps_(std::move(deps)) {
    guard::WatchCallsOnThisThread();
    stop_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([this] { Run(); });
  }
  ~Thread() {
    SetEvent(stop_.get());
    thread_.join();
  }
  bool Asking() const { return asking_; }
  // The question stays open: the thread goes on with this object, which is never freed.
  void LeaveAsking() {
    SetEvent(stop_.get());
    thread_.detach();
  }

 private:
  void Run() {
    uint32_t asked_serial = 0;
    DWORD asked_at = 0;
    while (WaitForSingleObject(stop_.get(), kPollMs) == WAIT_TIMEOUT) {
      guard::WatchedCall call;
      if (!guard::CurrentWatchedCall(&call)) continue;
      const DWORD now = GetTickCount();
      if (now - call.started_ms < kWatchdogLimitMs) continue;
      // "Wait" gives the same call as long again before the next question.
      if (call.serial == asked_serial && now - asked_at < kWatchdogLimitMs) continue;
      DWORD_PTR result = 0;
      if (deps_.window &&
          SendMessageTimeoutA(deps_.window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &result))
        continue;  // inside the call, but still answering: a dialog or menu of the library
      guard::WatchedCall still;
      if (!guard::CurrentWatchedCall(&still) || still.serial != call.serial) continue;

      std::string path;
      const std::string title = LibraryTitle(ModuleOf(call.owner), &path);
      asking_ = true;
      const bool close = AskUser(title + " does not answer.", call.serial);
      asking_ = false;
      asked_serial = call.serial;
      asked_at = GetTickCount();
      if (!close) continue;
      if (!guard::CurrentWatchedCall(&still) || still.serial != call.serial) continue;
      // The window thread is still inside the library: what it holds is what it held
      // before the call.
      try {
        if (deps_.save) deps_.save();
      } catch (...) {
        // The program is ended next: a save that fails has no one left to tell, and
        // the end goes on.
      }
      RecordHungLibrary(path, title);
      TerminateProcess(GetCurrentProcess(), 3);
    }
  }

  Deps deps_;
  ui::UniqueHandle stop_;
  std::atomic<bool> asking_{false};
  std::thread thread_;
};

Watchdog::Watchdog(Deps deps) : thread_(std::make_unique<Thread>(std::move(deps))) {}

Watchdog::~Watchdog() {
  // A question still open is not waited for: it ends with the process.
  if (thread_ && thread_->Asking()) {
    thread_->LeaveAsking();
    (void)thread_.release();
  }
}

std::optional<HungLibrary> TakeHungLibrary() {
  ui::UniqueKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                    key.out()) != ERROR_SUCCESS)
    return std::nullopt;
  HungLibrary hung;
  hung.path = ReadAndDelete(key.get(), kHungPathValue);
  hung.title = ReadAndDelete(key.get(), kHungTitleValue);
  key.reset();
  if (hung.path.empty()) return std::nullopt;
  if (hung.title.empty()) hung.title = "The library " + hung.path;
  return hung;
}

}  // namespace velmora
