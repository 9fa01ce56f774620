// Checks of the MPEG plug-in library driven directly through its exported entries (the
// way the player calls them), with the audio it plays read back from the ALSA sink file.
// Run by tests/e2e/mpeg_run.sh under wine. Environment:
//   VELMORA_MPEG_DLL     the library (default <exe dir>\..\dist\Library\mpeg.dll)
//   VELMORA_MPEG_MEDIA   folder made by tests/media/make_media.sh (Windows path)
//   VELMORA_AUDIO_SINK   file the wave-out device writes to (raw s16le stereo 44.1 kHz)
//   VELMORA_EXPECT_NO_DEVICE=1  the run has no wave-out device (only NoDevice checks run)
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "plugins/input_plugin_abi.h"
#include "sound_measure.h"

namespace {

std::string Env(const char* name) {
  char buf[1024];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof(buf));
  return n && n < sizeof(buf) ? std::string(buf, n) : "";
}

std::string ExeFolder() {
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string s(buf, n);
  return s.substr(0, s.find_last_of('\\'));
}

std::string DllPath() {
  std::string p = Env("VELMORA_MPEG_DLL");
  return p.empty() ? ExeFolder() + "\\..\\dist\\Library\\mpeg.dll" : p;
}

std::string Media(const std::string& name) { return Env("VELMORA_MPEG_MEDIA") + "\\" + name; }

bool NoDeviceRun() { return Env("VELMORA_EXPECT_NO_DEVICE") == "1"; }

void Pump(DWORD ms) {
  DWORD until = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return false;
    Pump(10);
  }
  return true;
}

// The library with its entries, loaded and initialised as the player does.
class Plugin {
 public:
  Plugin() {
    module_ = LoadLibraryA(DllPath().c_str());
    if (!module_) return;
    folder_ = "C:\\";
    folder_text_ = folder_.c_str();
    Get<PluginInitFn>("init")(&folder_text_);
  }
  ~Plugin() {
    if (!module_) return;
    Get<PluginVoidFn>("deinit")();
    FreeLibrary(module_);
  }
  bool Loaded() const { return module_ != nullptr; }

  template <typename F>
  F Get(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  std::string Load(const std::string& path) {
    path_ = path;
    path_text_ = path_.c_str();
    const char* t = Get<PluginLoadFn>("load")(&path_text_);
    return t ? t : "(null)";
  }
  std::string WebLoad(const std::string& url) {
    path_ = url;
    path_text_ = path_.c_str();
    const char* t = Get<PluginWebLoadFn>("webload")(&path_text_);
    return t ? t : "(null)";
  }
  void Play() {
    // The player hands over its display name here, not the path.
    display_ = "0some title";
    path_text_ = display_.c_str();
    Get<PluginPlayFn>("play")(&path_text_);
  }
  std::string Text(const char* entry) const {
    const char* t = Get<PluginTextFn>(entry)();
    return t ? t : "(null)";
  }
  bool Flag(const char* entry) const { return (Get<PluginFlagFn>(entry)() & 0xFF) != 0; }
  int32_t Int(const char* entry) const { return Get<PluginIntFn>(entry)(); }
  void Call(const char* entry) const { Get<PluginVoidFn>(entry)(); }
  void JumpTo(int32_t ms) const { Get<PluginJumpFn>("jumpto")(ms); }
  bool WaitEnded(DWORD timeout_ms) const {
    return WaitUntil([&] { return Flag("ended"); }, timeout_ms);
  }

 private:
  HMODULE module_ = nullptr;
  std::string folder_, path_, display_;
  const char* folder_text_ = nullptr;
  const char* path_text_ = nullptr;
};

// --- the sink file -------------------------------------------------------------------------

// Starts the sink file afresh. Whoever writes it may keep writing at its old offset (the
// gap reads as silence) or reopen it; FindAudible copes with both.
void TruncateSink() {
  HANDLE f = CreateFileA(Env("VELMORA_AUDIO_SINK").c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  SetEndOfFile(f);
  CloseHandle(f);
}

uint64_t SinkSize() {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(Env("VELMORA_AUDIO_SINK").c_str(), GetFileExInfoStandard, &a)) return 0;
  return (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// Left-channel samples written since `from` bytes (from 0 when the file was started anew).
std::vector<int16_t> SinkLeft(uint64_t from) {
  HANDLE f = CreateFileA(Env("VELMORA_AUDIO_SINK").c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  std::vector<int16_t> left;
  if (f == INVALID_HANDLE_VALUE) return left;
  LARGE_INTEGER size;
  GetFileSizeEx(f, &size);
  uint64_t total = static_cast<uint64_t>(size.QuadPart);
  if (from > total) from = 0;
  from -= from % 4;
  std::vector<int16_t> raw(static_cast<size_t>((total - from) / 2));
  LARGE_INTEGER pos;
  pos.QuadPart = static_cast<LONGLONG>(from);
  SetFilePointerEx(f, pos, nullptr, FILE_BEGIN);
  DWORD got = 0;
  ReadFile(f, raw.data(), static_cast<DWORD>(raw.size() * 2), &got, nullptr);
  CloseHandle(f);
  raw.resize(got / 2);
  for (size_t i = 0; i + 1 < raw.size(); i += 2) left.push_back(raw[i]);
  return left;
}

constexpr double kRate = 44100.0;

// The part between the first and the last sample above the noise floor; its seconds
// leave out the holes of silence (2 ms or more) wine puts in front of what it hands the
// device when it holds less than a period at its turn.
struct Audible {
  size_t begin = 0, end = 0, holes = 0;
  double Seconds() const { return (end - begin - holes) / kRate; }
};

Audible FindAudible(const std::vector<int16_t>& s, int threshold = 300) {
  Audible a;
  size_t i = 0;
  while (i < s.size() && std::abs(s[i]) < threshold) ++i;
  size_t j = s.size();
  while (j > i && std::abs(s[j - 1]) < threshold) --j;
  a.begin = i;
  a.end = j;
  a.holes = velmora::e2e::sound::SilentSamples(s, i, j, 88, threshold);
  return a;
}

using velmora::e2e::sound::Frequency;

class MpegPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("VELMORA_MPEG_MEDIA").empty()) GTEST_SKIP() << "VELMORA_MPEG_MEDIA is not set";
    if (NoDeviceRun()) GTEST_SKIP() << "no wave-out device in this run";
    ASSERT_TRUE(plugin_.Loaded()) << DllPath();
  }
  bool HaveSink() const { return !Env("VELMORA_AUDIO_SINK").empty(); }
  Plugin plugin_;
};

TEST_F(MpegPluginTest, DescribesItselfAndExportsEveryEntryUndecorated) {
  EXPECT_EQ(plugin_.Text("extension"), "MP3,MP2,MP1");
  for (const char* e : {"dllname", "author", "version", "date", "support", "info"}) {
    EXPECT_FALSE(plugin_.Text(e).empty()) << e;
  }
  for (const char* e : {"load", "play", "pause", "stop", "init", "deinit", "showoptionspopup",
                        "playing", "length", "jumpto", "getposition", "paused", "ended", "bitrate",
                        "layer", "frequence", "showid3", "webload"}) {
    EXPECT_NE(plugin_.Get<void*>(e), nullptr) << e;
  }
}

TEST_F(MpegPluginTest, TitleComesFromEachTagVersionElseTheFileName) {
  EXPECT_EQ(plugin_.Load(Media("tag_v2.mp3")), "Second Artist - Second Title");
  EXPECT_EQ(plugin_.Load(Media("tag_v1.mp3")), "First Artist - First Title");
  EXPECT_EQ(plugin_.Load(Media("tag_both.mp3")), "Both Artist - Both Title");
  EXPECT_EQ(plugin_.Load(Media("tag_title_only.mp3")), "Only Title");
  EXPECT_EQ(plugin_.Load(Media("sine_1k_5s.mp3")), "sine_1k_5s.mp3");
  // Frames the reader must not trust: encoding 0xFF is skipped, odd UTF-16 loses its
  // last byte, never more.
  EXPECT_EQ(plugin_.Load(Media("bad_encoding.mp3")), "bad_encoding.mp3");
  EXPECT_EQ(plugin_.Load(Media("odd_utf16.mp3")), "Odd");
}

// An ID3v2.3 text frame.
std::string Frame23(const char* id, const std::string& body) {
  const auto n = static_cast<uint32_t>(body.size());
  std::string frame(id, 4);
  for (int shift : {24, 16, 8, 0}) frame += static_cast<char>((n >> shift) & 0xFF);
  return frame + std::string(2, '\0') + body;
}

std::string Utf16Bytes(const std::u16string& text, bool big_endian) {
  std::string bytes;
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST_F(MpegPluginTest, AgreedUtf8NamesOpenAnyFileAndTitlesComeBackAsTheirCharacters) {
  // "Кир - 日本語 café 🎵": the artist in UTF-16BE, the title in UTF-16 with a mark.
  const std::string frames =
      Frame23("TPE1", "\x02" + Utf16Bytes(u"\u041A\u0438\u0440", true)) +
      Frame23("TIT2", "\x01\xFF\xFE" +
                          Utf16Bytes(u"\u65E5\u672C\u8A9E caf\u00E9 \U0001F3B5", false));
  const auto size = static_cast<uint32_t>(frames.size());
  std::string file = "ID3\x03";
  file += std::string(2, '\0');
  for (int shift : {21, 14, 7, 0}) file += static_cast<char>((size >> shift) & 0x7F);
  file += frames;
  HANDLE sine = CreateFileA(Media("sine_1k_5s.mp3").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(sine, INVALID_HANDLE_VALUE);
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(sine, buffer, sizeof buffer, &got, nullptr) && got > 0) file.append(buffer, got);
  CloseHandle(sine);
  // Named in Cyrillic and Japanese, which the code page of this program cannot hold.
  const std::string folder = Media("");  // ASCII
  const std::wstring wide_name =
      std::wstring(folder.begin(), folder.end()) + L"\u041A\u0438\u0440 \u65E5\u672C.mp3";
  HANDLE out = CreateFileW(wide_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
  CloseHandle(out);

  EXPECT_TRUE(plugin_.Flag("utf8names"));
  EXPECT_EQ(plugin_.Load(Media("\xD0\x9A\xD0\xB8\xD1\x80 \xE6\x97\xA5\xE6\x9C\xAC.mp3")),
            "\xD0\x9A\xD0\xB8\xD1\x80 - \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E caf\xC3\xA9 "
            "\xF0\x9F\x8E\xB5");
  // The file was opened and its frames scanned.
  EXPECT_TRUE(WaitUntil([&] { return plugin_.Int("length") > 4000; }, 10000));
  DeleteFileW(wide_name.c_str());
}

TEST_F(MpegPluginTest, LengthAndDisplayTextsOfEachKind) {
  struct Case {
    const char* file;
    int length_ms;
    const char* khz;
    const char* kbps;
    const char* layer;
  };
  const Case cases[] = {
      {"sine_1k_5s.mp3", 5000, "44 kHz", "128 kbps", "Layer 3"},
      {"tag_both.mp3", 5000, "44 kHz", "128 kbps", "Layer 3"},
      {"sine_1k_5s.mp2", 5000, "44 kHz", "192 kbps", "Layer 2"},
      {"mono_22k.mp3", 3000, "22 kHz", "64 kbps", "Layer 3"},
      {"vbr_10s.mp3", 10000, "44 kHz", nullptr, "Layer 3"},
      {"vbr_10s_noinfo.mp3", 10000, "44 kHz", nullptr, "Layer 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    plugin_.Load(Media(c.file));
    EXPECT_NEAR(plugin_.Int("length"), c.length_ms, 100);
    EXPECT_EQ(plugin_.Text("frequence"), c.khz);
    EXPECT_EQ(plugin_.Text("layer"), c.layer);
    if (c.kbps) EXPECT_EQ(plugin_.Text("bitrate"), c.kbps);
  }
  // VBR shows the average over the file, whether or not it has an Info header.
  plugin_.Load(Media("vbr_10s.mp3"));
  std::string with_info = plugin_.Text("bitrate");
  plugin_.Load(Media("vbr_10s_noinfo.mp3"));
  int a = std::atoi(with_info.c_str()), b = std::atoi(plugin_.Text("bitrate").c_str());
  EXPECT_GT(a, 64);
  EXPECT_NEAR(a, b, 4);
}

TEST_F(MpegPluginTest, FilesThatAreNotMpegAudioShowTheirNameAndEndAtOnce) {
  for (const char* name :
       {"random.mp3", "empty.mp3", "one_byte.mp3", "all_ff.mp3", "wave_renamed.mp3", "huge_id3.mp3",
        "small_tag.mp3", "tags_only.mp3", "does_not_exist.mp3"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(plugin_.Load(Media(name)), name);
    EXPECT_EQ(plugin_.Int("length"), 0);
    plugin_.Play();
    EXPECT_TRUE(plugin_.WaitEnded(1000));
    EXPECT_FALSE(plugin_.Flag("playing"));
    EXPECT_FALSE(plugin_.Flag("paused"));
    plugin_.JumpTo(1000);  // harmless
    plugin_.Call("pause");
    EXPECT_FALSE(plugin_.Flag("paused"));
  }
}

TEST_F(MpegPluginTest, CutAndRateChangingFilesPlayToTheirEndAndSurviveSeeks) {
  plugin_.Load(Media("cut_mid_frame.mp3"));
  EXPECT_GT(plugin_.Int("length"), 500);
  plugin_.Play();
  EXPECT_TRUE(plugin_.WaitEnded(10000));
  for (const char* name : {"rate_change_noinfo.mp3", "rate_change_info.mp3"}) {
    SCOPED_TRACE(name);
    plugin_.Load(Media(name));
    int32_t len = plugin_.Int("length");
    EXPECT_GT(len, 4000);
    plugin_.Play();
    plugin_.JumpTo(len - 300);
    Pump(100);
    plugin_.JumpTo(1000);
    Pump(100);
    plugin_.JumpTo(len + 5000);  // beyond the end
    EXPECT_TRUE(plugin_.WaitEnded(15000));
    EXPECT_FALSE(plugin_.Flag("playing"));
  }
}

TEST_F(MpegPluginTest, SinePlaysAsA1kHzToneOfFiveSeconds) {
  if (!HaveSink()) GTEST_SKIP() << "VELMORA_AUDIO_SINK is not set";
  ASSERT_EQ(plugin_.Load(Media("sine_1k_5s.mp3")), "sine_1k_5s.mp3");
  TruncateSink();
  uint64_t before = 0;
  plugin_.Play();
  EXPECT_TRUE(plugin_.Flag("playing"));
  ASSERT_TRUE(plugin_.WaitEnded(20000));
  EXPECT_FALSE(plugin_.Flag("playing"));
  EXPECT_NEAR(plugin_.Int("getposition"), 5000, 50);
  Pump(300);  // let the device hand over its last period
  std::vector<int16_t> s = SinkLeft(before);
  Audible a = FindAudible(s);
  EXPECT_NEAR(a.Seconds(), 5.0, 0.05);
  EXPECT_NEAR(Frequency(s, a.begin, a.end), 1000.0, 10.0);
}

TEST_F(MpegPluginTest, PauseStopsTheSamplesAndPlayResumesThem) {
  if (!HaveSink()) GTEST_SKIP() << "VELMORA_AUDIO_SINK is not set";
  plugin_.Load(Media("steps_10s.mp3"));
  TruncateSink();
  uint64_t before = 0;
  plugin_.Play();
  ASSERT_TRUE(WaitUntil([&] { return plugin_.Int("getposition") > 300; }, 5000));
  plugin_.Call("pause");
  // What the player's position timer expects: not playing, not ended, paused.
  EXPECT_TRUE(plugin_.Flag("paused"));
  EXPECT_FALSE(plugin_.Flag("playing"));
  Pump(300);
  uint64_t paused_size = SinkSize();
  int32_t paused_pos = plugin_.Int("getposition");
  Pump(1000);
  EXPECT_LE(SinkSize() - paused_size, 4096u) << "samples kept arriving while paused";
  EXPECT_NEAR(plugin_.Int("getposition"), paused_pos, 20);
  EXPECT_FALSE(plugin_.Flag("ended"));
  plugin_.Call("pause");
  EXPECT_FALSE(plugin_.Flag("paused"));
  EXPECT_TRUE(plugin_.Flag("playing"));
  ASSERT_TRUE(plugin_.WaitEnded(30000));
  EXPECT_GT(SinkSize(), paused_size + 100000);
  Pump(300);
  // Nothing lost or repeated across the pause: still ten seconds, ending on 1200 Hz.
  std::vector<int16_t> s = SinkLeft(before);
  Audible a = FindAudible(s);
  EXPECT_NEAR(a.Seconds(), 10.0, 0.05);
  EXPECT_NEAR(Frequency(s, a.end - 44100 + 2000, a.end - 2000), 1200.0, 12.0);
}

TEST_F(MpegPluginTest, StopLoadAndPlayWhilePausedStartAfresh) {
  auto expect_state = [&](bool playing, bool paused, bool ended) {
    EXPECT_EQ(plugin_.Flag("playing"), playing);
    EXPECT_EQ(plugin_.Flag("paused"), paused);
    EXPECT_EQ(plugin_.Flag("ended"), ended);
  };
  auto play_and_pause = [&] {
    plugin_.Play();
    ASSERT_TRUE(WaitUntil([&] { return plugin_.Int("getposition") > 200; }, 5000));
    plugin_.Call("pause");
    expect_state(false, true, false);
  };
  plugin_.Load(Media("steps_10s.mp3"));
  {
    SCOPED_TRACE("stop");
    play_and_pause();
    plugin_.Call("stop");
    expect_state(false, false, false);
    EXPECT_EQ(plugin_.Int("getposition"), 0);
    plugin_.Call("pause");  // nothing to resume
    expect_state(false, false, false);
  }
  {
    SCOPED_TRACE("load");
    play_and_pause();
    EXPECT_EQ(plugin_.Load(Media("sine_1k_5s.mp3")), "sine_1k_5s.mp3");
    expect_state(false, false, false);
    EXPECT_EQ(plugin_.Int("length"), 5000);
  }
  {
    SCOPED_TRACE("play");
    play_and_pause();
    plugin_.Play();  // the same file from its start
    expect_state(true, false, false);
    EXPECT_LT(plugin_.Int("getposition"), 200);
    EXPECT_TRUE(plugin_.WaitEnded(20000));
    expect_state(false, false, true);
  }
}

TEST_F(MpegPluginTest, JunkBeforeTheFramesAndFreeFormatFramesArePlayed) {
  // 128 KB of bytes that are no MPEG audio in front of the sine; and the sine as
  // free-format frames (no bit rate in the header).
  for (const char* name : {"junk_128k.mp3", "free_format.mp3"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(plugin_.Load(Media(name)), name);
    EXPECT_NEAR(plugin_.Int("length"), 5000, 100);
    EXPECT_EQ(plugin_.Text("layer"), "Layer 3");
    EXPECT_EQ(plugin_.Text("frequence"), "44 kHz");
    TruncateSink();
    plugin_.Play();
    ASSERT_TRUE(plugin_.WaitEnded(20000));
    if (!HaveSink()) continue;
    Pump(300);
    std::vector<int16_t> s = SinkLeft(0);
    Audible a = FindAudible(s);
    EXPECT_NEAR(a.Seconds(), 5.0, 0.1);
    EXPECT_NEAR(Frequency(s, a.begin, a.end), 1000.0, 10.0);
  }
}

TEST_F(MpegPluginTest, SeekToTheMiddleContinuesFromTheMiddle) {
  if (!HaveSink()) GTEST_SKIP() << "VELMORA_AUDIO_SINK is not set";
  plugin_.Load(Media("steps_10s.mp3"));
  ASSERT_EQ(plugin_.Int("length"), 10000);
  TruncateSink();
  uint64_t before = 0;
  plugin_.Play();
  plugin_.JumpTo(plugin_.Int("length") / 2);
  EXPECT_NEAR(plugin_.Int("getposition"), 5000, 100);
  ASSERT_TRUE(plugin_.WaitEnded(30000));
  Pump(300);
  std::vector<int16_t> s = SinkLeft(before);
  Audible a = FindAudible(s);
  // At most what was queued before the seek, then exactly seconds 5 to 10.
  ASSERT_GT(a.Seconds(), 4.9);
  EXPECT_LT(a.Seconds(), 5.6);
  size_t second = 44100;
  for (int k = 0; k < 5; ++k) {
    size_t from = a.end - (5 - k) * second + 2000;
    EXPECT_NEAR(Frequency(s, from, from + second - 4000), 800.0 + 100 * k, 8.0)
        << "second " << 5 + k;
  }
}

TEST_F(MpegPluginTest, StopAndDeinitWhilePlayingAreImmediate) {
  plugin_.Load(Media("vbr_10s.mp3"));
  plugin_.Play();
  Pump(200);
  DWORD t0 = GetTickCount();
  plugin_.Call("stop");
  EXPECT_LT(GetTickCount() - t0, 1000u);
  EXPECT_FALSE(plugin_.Flag("playing"));
  EXPECT_FALSE(plugin_.Flag("ended"));
  EXPECT_EQ(plugin_.Int("getposition"), 0);
  plugin_.Play();  // the same file again after a stop
  EXPECT_TRUE(plugin_.Flag("playing"));
  Pump(100);
  plugin_.Call("deinit");
  EXPECT_FALSE(plugin_.Flag("playing"));
}

// --- the ID3 window ------------------------------------------------------------------------

std::string Id3WindowText() {
  HWND w = FindWindowA("VelmoraMpegWindow", "ID3 Tags");
  if (!w) return "(no window)";
  if (!IsWindowVisible(w)) return "(hidden)";
  char buf[4096] = {};
  GetDlgItemTextA(w, 100, buf, sizeof(buf));
  return buf;
}

TEST_F(MpegPluginTest, Id3WindowListsTheFieldsOfBothVersions) {
  plugin_.Load(Media("tag_v2.mp3"));
  plugin_.Call("showid3");
  std::string text = Id3WindowText();
  for (const char* want :
       {"Title: Second Title", "Artist: Second Artist", "Album: The Album", "Year: 2001",
        "Track: 7", "Genre: Jazz", "Comment: A comment", "ID3v1: none"}) {
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  }
  plugin_.Load(Media("tag_v1.mp3"));
  plugin_.Call("showid3");
  text = Id3WindowText();
  for (const char* want : {"ID3v2: none", "Title: First Title", "Album: Old Album", "Year: 1999",
                           "Track: 3", "Genre: Rock", "Comment: Old comment"}) {
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  }
}

// --- streams -------------------------------------------------------------------------------

// A one-connection-at-a-time HTTP server on 127.0.0.1 sending an MP3 file over and over,
// with icy metadata every `metaint` bytes when the client asks for it.
class IcyServer {
 public:
  struct Options {
    std::string body_file;  // the MP3 looped as the stream
    std::string name = "Test Radio";
    int metaint = 8192;
    uint64_t close_after = 0;  // audio bytes, then the server hangs up (0 = never)
    bool send_html = false;
  };
  explicit IcyServer(Options o) : o_(std::move(o)) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    int len = sizeof(addr);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listen(listener_, 4);
    HANDLE f = CreateFileA(o_.body_file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      body_.resize(GetFileSize(f, nullptr));
      DWORD got = 0;
      ReadFile(f, &body_[0], static_cast<DWORD>(body_.size()), &got, nullptr);
      CloseHandle(f);
    }
    thread_ = std::thread([this] { Serve(); });
  }
  ~IcyServer() {
    stop_ = true;
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    WSACleanup();
  }
  int Port() const { return port_; }
  std::string Url(const std::string& path = "/live") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::string LastRequest() {
    std::lock_guard<std::mutex> lock(m_);
    return request_;
  }
  // Titles sent so far switch from "Song A" to "Song B" after this many metadata blocks.
  static constexpr int kBlocksOfA = 6;

 private:
  void Serve() {
    while (!stop_) {
      SOCKET c = accept(listener_, nullptr, nullptr);
      if (c == INVALID_SOCKET) return;
      Handle(c);
      closesocket(c);
    }
  }
  bool SendAll(SOCKET c, const char* p, size_t n) {
    while (n) {
      int r = send(c, p, static_cast<int>(std::min<size_t>(n, 65536)), 0);
      if (r <= 0) return false;
      p += r;
      n -= static_cast<size_t>(r);
    }
    return true;
  }
  void Handle(SOCKET c) {
    std::string req;
    char buf[2048];
    while (req.find("\r\n\r\n") == std::string::npos) {
      int r = recv(c, buf, sizeof(buf), 0);
      if (r <= 0) return;
      req.append(buf, static_cast<size_t>(r));
    }
    {
      std::lock_guard<std::mutex> lock(m_);
      request_ = req;
    }
    if (o_.send_html) {
      std::string page = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><body>" +
                         std::string(20000, 'x') + "</body></html>";
      SendAll(c, page.data(), page.size());
      return;
    }
    bool meta = req.find("Icy-MetaData: 1") != std::string::npos ||
                req.find("icy-metadata: 1") != std::string::npos;
    std::string head =
        "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: " + o_.name + "\r\n";
    if (meta) head += "icy-metaint: " + std::to_string(o_.metaint) + "\r\n";
    head += "\r\n";
    if (!SendAll(c, head.data(), head.size()) || body_.empty()) return;
    uint64_t sent = 0;
    size_t pos = 0;
    int blocks = 0;
    while (!stop_ && (o_.close_after == 0 || sent < o_.close_after)) {
      size_t chunk = meta ? static_cast<size_t>(o_.metaint) : 8192;
      std::string out;
      while (out.size() < chunk) {
        size_t take = std::min(chunk - out.size(), body_.size() - pos);
        out.append(body_, pos, take);
        pos = (pos + take) % body_.size();
      }
      sent += out.size();
      if (meta) {
        std::string text = std::string("StreamTitle='") +
                           (blocks < kBlocksOfA ? "Song A" : "Song B") + "';StreamUrl='';";
        text.resize((text.size() + 15) / 16 * 16, '\0');
        out.push_back(static_cast<char>(text.size() / 16));
        out += text;
        ++blocks;
      }
      if (!SendAll(c, out.data(), out.size())) return;
    }
  }

  Options o_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::string body_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex m_;
  std::string request_;
};

std::string StreamTitle(Plugin& p) { return p.Text("streamtitle"); }

TEST_F(MpegPluginTest, StreamPlaysWithItsNameAndTheTitleFollowsTheMetadata) {
  IcyServer server({Media("sine_1k_5s.mp3")});
  // webload only starts the connection: the title is the address, the facts of the
  // stream come once it is connected.
  EXPECT_EQ(plugin_.WebLoad(server.Url()), server.Url());
  EXPECT_TRUE(WaitUntil([&] { return plugin_.Text("frequence") == "44 kHz"; }, 10000));
  EXPECT_EQ(plugin_.Text("layer"), "Layer 3");
  EXPECT_EQ(plugin_.Int("length"), 0);
  TruncateSink();
  uint64_t before = 0;
  plugin_.Play();
  EXPECT_TRUE(plugin_.Flag("playing"));
  EXPECT_TRUE(WaitUntil([&] { return StreamTitle(plugin_) == "Song A"; }, 10000));
  EXPECT_TRUE(WaitUntil([&] { return StreamTitle(plugin_) == "Song B"; }, 20000));
  plugin_.Call("showid3");
  EXPECT_NE(Id3WindowText().find("Now playing: Song B"), std::string::npos) << Id3WindowText();
  EXPECT_NE(Id3WindowText().find("Name: Test Radio"), std::string::npos) << Id3WindowText();
  EXPECT_FALSE(plugin_.Flag("ended"));
  DWORD t0 = GetTickCount();
  plugin_.Call("stop");
  EXPECT_LT(GetTickCount() - t0, 2000u);
  EXPECT_FALSE(plugin_.Flag("playing"));
  if (HaveSink()) {
    std::vector<int16_t> s = SinkLeft(before);
    Audible a = FindAudible(s);
    ASSERT_GT(a.Seconds(), 1.0);
    EXPECT_NEAR(Frequency(s, a.begin, a.begin + 44100), 1000.0, 10.0);
  }
}

TEST_F(MpegPluginTest, StreamThatTheServerClosesEnds) {
  IcyServer::Options o{Media("sine_1k_5s.mp3")};
  o.close_after = 40000;
  IcyServer server(o);
  plugin_.WebLoad(server.Url());
  plugin_.Play();
  EXPECT_TRUE(plugin_.WaitEnded(15000));
  EXPECT_FALSE(plugin_.Flag("playing"));
}

TEST_F(MpegPluginTest, StreamThatIsNotAudioOrNotThereEndsAtOnce) {
  IcyServer::Options o{Media("sine_1k_5s.mp3")};
  o.send_html = true;
  IcyServer server(o);
  std::string url = server.Url("/page.html");
  EXPECT_EQ(plugin_.WebLoad(url), url);
  plugin_.Play();
  EXPECT_TRUE(plugin_.WaitEnded(2000));
  // Nobody listens on port 1.
  EXPECT_EQ(plugin_.WebLoad("http://127.0.0.1:1/x"), "http://127.0.0.1:1/x");
  plugin_.Play();
  EXPECT_TRUE(plugin_.WaitEnded(2000));
}

// Accepts connections and never sends a byte.
class SilentServer {
 public:
  SilentServer() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    int len = sizeof(addr);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listen(listener_, 4);
    thread_ = std::thread([this] {
      for (;;) {
        SOCKET c = accept(listener_, nullptr, nullptr);
        if (c == INVALID_SOCKET) return;
        clients_.push_back(c);
        ++accepted_;
      }
    });
  }
  ~SilentServer() {
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    for (SOCKET c : clients_) closesocket(c);
    WSACleanup();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/live"; }
  int Accepted() const { return accepted_.load(); }

 private:
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::vector<SOCKET> clients_;
  std::atomic<int> accepted_{0};
};

TEST_F(MpegPluginTest, AServerThatNeverAnswersBlocksNoEntryAndStopEndsTheWait) {
  SilentServer server;
  // The aim is well under 100 ms per entry; the bounds allow for a loaded machine and are
  // still far below the network's 10 s timeouts.
  DWORD t0 = GetTickCount();
  EXPECT_EQ(plugin_.WebLoad(server.Url()), server.Url());
  EXPECT_EQ(plugin_.Text("frequence"), "");
  plugin_.Play();
  EXPECT_LT(GetTickCount() - t0, 2000u);
  ASSERT_TRUE(WaitUntil([&] { return server.Accepted() >= 1; }, 10000));
  EXPECT_TRUE(plugin_.Flag("playing"));  // connecting
  EXPECT_EQ(plugin_.Int("getposition"), 0);
  t0 = GetTickCount();
  plugin_.Call("stop");
  EXPECT_LT(GetTickCount() - t0, 2000u);
  EXPECT_FALSE(plugin_.Flag("playing"));
  EXPECT_FALSE(plugin_.Flag("ended"));
  // A second connection that is still waiting when the library is closed.
  plugin_.WebLoad(server.Url());
  ASSERT_TRUE(WaitUntil([&] { return server.Accepted() >= 2; }, 10000));
  t0 = GetTickCount();
  plugin_.Call("deinit");
  EXPECT_LT(GetTickCount() - t0, 2000u);
}

struct ProxyRegistry {
  HKEY key = nullptr;
  explicit ProxyRegistry(int port) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\velmora", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    DWORD one = 1;
    RegSetValueExA(key, "UseProxy", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof(one));
    Set("Host", "127.0.0.1");
    Set("Port", std::to_string(port));
    Set("User", "user");
    Set("Password", "pass");
  }
  void Set(const char* name, const std::string& v) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                   static_cast<DWORD>(v.size() + 1));
  }
  ~ProxyRegistry() {
    DWORD zero = 0;
    RegSetValueExA(key, "UseProxy", 0, REG_DWORD, reinterpret_cast<BYTE*>(&zero), sizeof(zero));
    RegCloseKey(key);
  }
};

TEST_F(MpegPluginTest, StreamGoesThroughThePlayersProxyWhenItIsOn) {
  // The test server plays the proxy: the request must reach it in absolute form.
  IcyServer server({Media("sine_1k_5s.mp3")});
  {
    ProxyRegistry proxy(server.Port());
    plugin_.WebLoad("http://radio.example.invalid:8000/live");
  }
  ASSERT_TRUE(WaitUntil([&] { return plugin_.Text("frequence") == "44 kHz"; }, 10000));
  std::string req = server.LastRequest();
  EXPECT_EQ(req.find("GET http://radio.example.invalid:8000/live"), 0u) << req;
  EXPECT_NE(req.find("Proxy-Authorization: Basic dXNlcjpwYXNz"), std::string::npos) << req;
  plugin_.Play();
  EXPECT_TRUE(plugin_.Flag("playing"));
  plugin_.Call("stop");
}

// --- no wave-out device (a run of its own) --------------------------------------------------

TEST(MpegPluginNoDevice, PlayingEndsAtOnceAndSaysWhy) {
  if (!NoDeviceRun()) GTEST_SKIP() << "only in the run without a wave-out device";
  Plugin plugin;
  ASSERT_TRUE(plugin.Loaded());
  EXPECT_EQ(plugin.Load(Media("sine_1k_5s.mp3")), "sine_1k_5s.mp3");
  EXPECT_EQ(plugin.Int("length"), 5000);
  plugin.Play();
  EXPECT_TRUE(plugin.WaitEnded(3000));
  EXPECT_FALSE(plugin.Flag("playing"));
  // The plug-in's own note, shown without taking the focus.
  EXPECT_TRUE(WaitUntil(
      [] {
        HWND w = FindWindowA("VelmoraMpegWindow", "MPEG plug-in");
        return w && IsWindowVisible(w);
      },
      3000));
  // Still usable: the next file loads and ends the same way.
  EXPECT_EQ(plugin.Load(Media("tag_v2.mp3")), "Second Artist - Second Title");
  plugin.Play();
  EXPECT_TRUE(plugin.WaitEnded(3000));
}

}  // namespace
