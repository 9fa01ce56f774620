// End-to-end test harness: runs velmora.exe (under wine or on Windows) and drives it only
// through what any other program could use — its window found by title, registered
// messages, WM_COPYDATA, dropped files, files in its folder, the registry and the standard
// query messages of its controls (ids in ui/control_ids.h).
//
// Environment:
//   VELMORA_DIST         program folder to copy per test (default: <exe dir>\..\dist)
//   VELMORA_TESTPLUGINS  folder of the test plug-ins (default: <exe dir>\..\testplugins)
//   VELMORA_AUDIO_SINK   file the ALSA sink writes wave-out samples to (Windows path,
//                        e.g. Z:\tmp\run\sink.raw); set by scripts/wine_env.sh
//   VELMORA_E2E_KEEP=1   keep each test's program folder for inspection
//
// Every waiting function polls with a timeout; nothing synchronises by sleeping a fixed time.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora::e2e {

// Default timeout for things the player does on its own (start-up takes ~0.5 s + design).
constexpr int kDefaultTimeoutMs = 10000;

// Polls `predicate` every 20 ms (pumping this thread's messages) until it returns true or
// `timeout_ms` passes. Returns the predicate's last result.
bool WaitUntil(const std::function<bool()>& predicate, int timeout_ms = kDefaultTimeoutMs);

// Folder of the running e2e executable, without trailing backslash.
std::string ExeFolder();
std::string DistFolder();         // see VELMORA_DIST
std::string TestPluginsFolder();  // see VELMORA_TESTPLUGINS

// Whole-file helpers on absolute paths. ReadWholeFile returns "" for a missing file.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
// Lines of a text file, "\r\n" or "\n" separated, without the line ends.
std::vector<std::string> ReadLines(const std::string& path);

// A fresh copy of the program folder for one test, deleted in the destructor (unless
// VELMORA_E2E_KEEP=1). Lives under %TEMP%\velmora-e2e\<unique>\velmora, so the path holds
// no blanks and the executable keeps its 11-character name "\velmora.exe".
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  // Program folder, without trailing backslash (e.g. C:\users\x\Temp\velmora-e2e\12-3\velmora).
  const std::string& Path() const { return path_; }
  // Path() + "\" + relative (relative may contain sub-folders, either slash).
  std::string File(const std::string& relative) const;
  std::string ExePath() const { return File("velmora.exe"); }

  // Copies <testplugins>\<plugin_dll> into Library\ as `as_name` (default: same name) and,
  // when `ini` is given, writes Library\<as_name without .dll>.ini with that text.
  // Example: AddPlugin("probe.dll", "probe_a.dll", "extensions=MP3\nlength_ms=3000\n").
  void AddPlugin(const std::string& plugin_dll, const std::string& as_name = "",
                 const std::optional<std::string>& ini = std::nullopt);
  // Writes a file relative to the program folder, creating parent folders.
  void WriteFile(const std::string& relative, const std::string& content) const;
  std::string ReadFile(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  void Remove(const std::string& relative) const;
  // Creates an (empty unless given) file anywhere below the folder and returns its full path;
  // handy for "audio files" that only the probe plug-in opens.
  std::string MakeMediaFile(const std::string& relative, const std::string& content = "x") const;

 private:
  std::string root_;  // the unique folder holding `velmora`
  std::string path_;
};

// Settings under HKEY_CURRENT_USER\Software\velmora (the player's key). `subkey` is a path
// below that key ("" = the key itself).
namespace registry {
void ClearSettings();  // deletes the whole key tree; a missing key is fine
bool SettingsKeyExists();
std::optional<uint32_t> ReadDword(const std::string& name, const std::string& subkey = "");
std::optional<std::string> ReadString(const std::string& name, const std::string& subkey = "");
void WriteDword(const std::string& name, uint32_t value, const std::string& subkey = "");
void WriteString(const std::string& name, const std::string& value, const std::string& subkey = "");
std::vector<std::string> ValueNames(const std::string& subkey = "");
}  // namespace registry

struct LaunchOptions {
  std::string arguments;               // appended after the quoted executable path
  std::vector<std::string> extra_env;  // "NAME=value" entries added to (or replacing in) the
                                       // inherited environment
  // Start without any wave-out device: wine's sound drivers are disabled for velmora.exe
  // until this PlayerProcess is destroyed (wine only; one player at a time).
  bool no_audio_device = false;
  // `arguments` is UTF-8 and reaches the player whole, whatever the code page (CreateProcessW).
  bool utf8_arguments = false;
};

// One velmora.exe process. The destructor kills it if it still runs, so a failing test
// never leaves a player behind.
class PlayerProcess {
 public:
  PlayerProcess() = default;
  ~PlayerProcess();
  PlayerProcess(const PlayerProcess&) = delete;
  PlayerProcess& operator=(const PlayerProcess&) = delete;

  // Starts <folder>\velmora.exe; the working directory is the program folder.
  bool Start(const TestFolder& folder, const LaunchOptions& options = {});
  bool Start(const std::string& exe_path, const LaunchOptions& options);

  // Waits for the top-level window titled "ORVANE Velmora" (class TForm1) of this process.
  HWND WaitForMainWindow(int timeout_ms = kDefaultTimeoutMs);
  // Any top-level window of this process with this class (and title, when not null).
  HWND FindWindowOfClass(const char* class_name, const char* title = nullptr) const;
  HWND FindWindowOfClassWait(const char* class_name, int timeout_ms = kDefaultTimeoutMs);
  HWND MainWindow() const { return main_window_; }

  // Waits until the deferred start-up has finished: the status line reads "Done" or later
  // and the position slider is visible.
  bool WaitForStartup(int timeout_ms = kDefaultTimeoutMs);

  bool Running() const;
  // Waits for the process to end; returns its exit code, or nothing on timeout.
  std::optional<DWORD> WaitForExit(int timeout_ms = kDefaultTimeoutMs);
  // Posts WM_CLOSE to the main window and waits for the process to end.
  bool Close(int timeout_ms = kDefaultTimeoutMs);
  void Kill();

  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return process_; }

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_window_ = nullptr;
};

// Top-level windows of a process (visible or not).
std::vector<HWND> TopLevelWindowsOf(DWORD pid);
// " [class \"text\"]" per top-level window of the process (" hidden" when not shown), for logs.
std::string DescribeWindowsOf(DWORD pid);
std::string WindowText(HWND hwnd);
std::string ClassNameOf(HWND hwnd);

// Controls by id (ui/control_ids.h). All return neutral values when the control is missing.
HWND Control(HWND parent, int id);
std::string ControlText(HWND parent, int id);
bool IsControlEnabled(HWND parent, int id);
bool IsControlVisible(HWND parent, int id);
int SliderPos(HWND parent, int id);                  // TBM_GETPOS
int SliderMax(HWND parent, int id);                  // TBM_GETRANGEMAX
int CheckState(HWND parent, int id);                 // BM_GETCHECK
int ListCount(HWND parent, int id);                  // LB_GETCOUNT (-1 when missing)
std::string ListText(HWND parent, int id, int row);  // LB_GETTEXT
std::vector<std::string> ListItems(HWND parent, int id);

// Names in any script: UTF-8 here, UTF-16 where they meet Windows.
std::wstring WideOf(const std::string& utf8);
std::string Utf8Of(const std::wstring& wide);
// Text in this process's code page as UTF-8 (what the player, which runs with UTF-8 as its
// code page, writes where it writes 8-bit text).
std::string Utf8FromCodePage(const std::string& text);
// Window text and list rows read in UTF-16 (WM_GETTEXT, LB_GETTEXT), as UTF-8.
std::string WideWindowText(HWND hwnd);
std::string WideListText(HWND parent, int id, int row);
// Files named in UTF-8: a copy of `source` at `target`; whether a file exists.
bool CopyFileUtf8(const std::string& source, const std::string& target);
bool FileExistsUtf8(const std::string& path);
// A drop of files named in UTF-8 (a wide DROPFILES block).
bool DropFilesUtf8(HWND hwnd, const std::vector<std::string>& paths, POINT at = {10, 10});
std::vector<int> ListSelection(HWND parent, int id);  // rows with LB_GETSEL true
// A tree-view control's nodes, depth first in display order (depth 0 for top-level nodes),
// read from the owning process's memory.
struct TreeNode {
  std::string text;
  int depth = 0;
  HTREEITEM item = nullptr;
};
std::vector<TreeNode> TreeNodes(HWND parent, int id);
// Selects the first node with this text as a click would (TVM_SELECTITEM); false when none.
bool SelectTreeNode(HWND parent, int id, const std::string& text);
// Saves a part of the screen as a 24-bit BMP file (pictures for a person to look at).
void SaveScreenBmp(const std::string& path, RECT r);
// The entries of a drop-down combo box, read the way any program can: select each one and
// read the text it puts in the edit field (the text shown before is put back).
std::vector<std::string> ComboItems(HWND combo);
// The design chooser's name list and its hidden list of kinds hold one entry per design; the
// library scan may still be adding to both, so this waits until their counts agree.
bool WaitChooserListsAgree(HWND chooser, int timeout_ms = kDefaultTimeoutMs);
// `text` in lower case (file names compared without regard to case).
std::string LowerText(std::string text);
// Clicks a button-like control as a user would (BM_CLICK, sent).
void Click(HWND parent, int id);
// Waits until a control's text equals `expected`.
bool WaitForControlText(HWND parent, int id, const std::string& expected,
                        int timeout_ms = kDefaultTimeoutMs);

// External control. Registers `name` (e.g. "VelmoraPlay") and sends it with a timeout;
// returns the result, or nothing when the send failed or timed out.
std::optional<LRESULT> SendRegistered(HWND hwnd, const char* name, int timeout_ms = 10000);
// WM_COPYDATA with dwData 255 and lpData = text with its terminating zero. cbData is the
// text length (without the zero) unless `cb_data_override` is given.
std::optional<LRESULT> SendCopyData(HWND hwnd, const std::string& text,
                                    std::optional<DWORD> cb_data_override = std::nullopt,
                                    int timeout_ms = 10000);
// Posts WM_DROPFILES with a DROPFILES block (8-bit names) as the shell does.
bool DropFiles(HWND hwnd, const std::vector<std::string>& paths, POINT at = {10, 10});

// The probe plug-in's call log: <program folder>\probe.log by default; one line per call,
// "<dll name>: <entry> <arguments>" (e.g. "probe_a.dll: load C:\x\a.mp3").
class ProbeLog {
 public:
  explicit ProbeLog(const TestFolder& folder, const std::string& file_name = "probe.log");
  std::vector<std::string> Lines() const;
  // Lines with the "<dll>: " prefix removed, optionally only from one dll.
  std::vector<std::string> Calls(const std::string& dll = "") const;
  // Number of calls whose entry name (first word after the prefix) is `entry`.
  int Count(const std::string& entry, const std::string& dll = "") const;
  bool Contains(const std::string& call_line) const;  // exact match of a Calls() line
  bool WaitFor(const std::string& call_line, int timeout_ms = kDefaultTimeoutMs) const;
  bool WaitForCount(const std::string& entry, int count, int timeout_ms = kDefaultTimeoutMs) const;
  void Clear() const;
  std::string Path() const { return path_; }

 private:
  std::string path_;
};

// The file behind wine's only wave-out device. scripts/wine_env.sh configures ALSA to append
// everything played to VELMORA_AUDIO_SINK as raw signed 16-bit little-endian stereo at
// 44100 Hz (a "plug" conversion in front of the "file" plug-in, whose slave is the "null"
// device; so whatever format the player opens, the file holds this one). The samples are
// taken at real-time speed (wine may run up to ~0.3 s ahead in its own buffer). The file
// only grows; an AudioSink object looks at what was appended after its creation or last
// Reset().
class AudioSink {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;

  AudioSink();                           // marks the current end of the file
  static bool Available();               // VELMORA_AUDIO_SINK is set
  static std::string Path();             // Windows path of the sink file
  void Reset();                          // forget what was written so far
  uint64_t Size() const;                 // bytes written since the mark
  std::vector<int16_t> Samples() const;  // interleaved L,R since the mark
  int Peak() const;                      // largest |sample| since the mark (0 = silence/nothing)
  bool WaitForBytes(uint64_t bytes, int timeout_ms = kDefaultTimeoutMs) const;

 private:
  uint64_t base_ = 0;
};

}  // namespace velmora::e2e
