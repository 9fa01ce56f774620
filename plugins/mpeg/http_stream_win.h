// An http:// MP3 stream through WinINet, with Icecast/SHOUTcast metadata taken out of
// the audio. Connected and buffered on a thread of its own (never on the player's window
// thread), read by the output thread.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "plugins/mpeg/mpeg_decoder.h"
#include "plugins/mpeg/mpeg_stream.h"
#include "plugins/mpeg/win_handles_win.h"

namespace velmora::mpeg {

struct ProxySettings {
  bool use = false;
  std::string host, port, user, password;
};

// The player's proxy settings (HKCU\Software\velmora: UseProxy, Host, Port, User, Password).
ProxySettings ReadProxySettings();

class HttpStream : public ByteSource, public std::enable_shared_from_this<HttpStream> {
 public:
  enum class State { connecting, ready, failed };

  HttpStream() = default;
  ~HttpStream() override;

  // Connects on a thread of the plug-in's own and returns at once. That thread reads the
  // response headers, finds the first frames (then the state is ready) and keeps a buffer
  // of audio filled ahead of the reader. Made with make_shared; started once.
  void Start(const std::string& url, const ProxySettings& proxy);
  State CurrentState() const;

  // Known once the state is ready (empty or zero before).
  std::string Name() const;  // icy-name, may be empty
  FrameHeader FirstFrame() const;

  // The stream's current title from its metadata ("" until the reader reaches audio that
  // came after one), and a counter that changes whenever the title does.
  std::string Title() const;
  unsigned TitleVersion() const { return title_version_.load(); }

  // Ends the stream at once, from any thread: a blocked Read returns, reads then report
  // the end, and the network thread lets go as soon as the network lets it.
  void Abort();

  // Waits until audio is buffered, the stream has ended or Abort.
  long Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t, int) override { return -1; }

 private:
  void Run(std::string url, ProxySettings proxy);  // the network thread
  bool Connect(const std::string& url, const ProxySettings& proxy);
  // One network read, demuxed into `audio`; titles with their offsets (counted from
  // `base` + the size of `audio` before the call) into `titles`. False at the end.
  bool Receive(std::string* audio, uint64_t base,
               std::deque<std::pair<uint64_t, std::string>>* titles);
  void CloseHandles();

  // Handles: used by the network thread, closed by Abort to cut a wait short.
  std::mutex handle_mutex_;
  UniqueInternet session_;
  UniqueInternet request_;
  std::atomic<bool> aborted_{false};
  IcyDemuxer demuxer_{0};  // network thread only

  // Shared between the network thread and the reader.
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::connecting;
  bool ended_ = false;
  std::string buffer_;  // audio not yet read, from buffer_pos_ on
  size_t buffer_pos_ = 0;
  uint64_t read_total_ = 0, received_total_ = 0;         // audio bytes since the start
  std::deque<std::pair<uint64_t, std::string>> titles_;  // (audio offset, title) ahead
  std::string name_;
  FrameHeader first_;

  mutable std::mutex title_mutex_;
  std::string title_;
  std::atomic<unsigned> title_version_{0};
};

}  // namespace velmora::mpeg
