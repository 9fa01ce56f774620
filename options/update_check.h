// The auto update's rules and its course, apart from the window system: which version is
// newer, what the update information file says, and the check itself (information file,
// question, installer, question, start) against a narrow port that the update window
// provides (status texts, questions, the HTTP client, the temp folder).
//
// A transfer that fails, is cancelled or answers with an error status is never taken for
// a success: nothing is written from it and nothing is started.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace velmora {

// Versions are compared as texts, byte by byte (unsigned), the first difference deciding;
// a text that begins the other is the smaller. So "0.92" and "1.0" are newer than "0.91",
// "0.100" is not, and every non-empty text is newer than an empty installed version.
bool IsNewerVersion(const std::string& offered, const std::string& installed);

// The [Main] section of an update information file.
struct UpdateInfo {
  std::string version;
  std::string url;     // the installer; empty when the file names none
  std::string sha256;  // lower-case hex of the installer; empty when the file names none
};

// The largest update information file taken (a larger answer is refused unread).
inline constexpr size_t kMaxUpdateInfoBytes = 64 * 1024;
// The largest installer taken.
inline constexpr size_t kMaxInstallerBytes = 256u * 1024 * 1024;
// The error a cancelled transfer ends with.
inline constexpr char kAbortedOnRequest[] = "Connection aborted on request";

// Reads the file with the platform's INI rules (names without regard to case, values
// trimmed). nullopt when it is larger than kMaxUpdateInfoBytes.
std::optional<UpdateInfo> ParseUpdateInfo(const std::string& text);

// "http://..." or "https://..." (scheme without regard to case) with a host.
bool IsWebUrl(const std::string& url);

// The outcome of one GET.
struct HttpOutcome {
  enum class Kind { ok, failed, cancelled };
  Kind kind = Kind::failed;
  int status = 0;      // the HTTP status, when an answer came
  std::string body;    // the whole body (only meaningful for ok)
  std::string reason;  // why it failed
};

// Where a request goes: through host:port when host is not empty, else direct.
struct ProxyRoute {
  std::string host, port;
};

// What the check needs of the windows, the network and the files.
class UpdatePort {
 public:
  virtual ~UpdatePort() = default;
  virtual void SetPageStatus(const std::string& text) = 0;    // the options page's status
  virtual void SetWindowStatus(const std::string& text) = 0;  // the update window's status
  virtual void ShowUpdateWindow() = 0;
  virtual void HideUpdateWindow() = 0;
  virtual bool AskYesNo(const std::string& question) = 0;
  virtual void Inform(const std::string& message) = 0;
  virtual void ReportError(const std::string& message) = 0;  // status line and error list
  // One GET, returning when it has ended; window messages keep running meanwhile (so
  // AbortGet may be called from inside). A body larger than max_bytes fails it.
  virtual HttpOutcome Get(const std::string& url, const ProxyRoute& proxy, size_t max_bytes) = 0;
  virtual void AbortGet() = 0;
  // temp\info.ini, replacing an earlier one.
  virtual bool SaveInformation(const std::string& body) = 0;
  // temp\install.exe: written under a temporary name and moved into place once complete.
  virtual bool SaveInstaller(const std::string& body) = 0;
  virtual std::string InstallerPath() const = 0;
  virtual bool StartInstaller() = 0;
};

// The check as the user sees it. One check at a time; Cancel aborts the request in flight,
// and with none in flight hides the update window.
class UpdateCheck {
 public:
  struct Request {
    std::string information_url;
    std::string installed_version;
    bool use_proxy = false;
    std::string proxy_host, proxy_port;
  };

  explicit UpdateCheck(UpdatePort& port) : port_(port) {}

  void CheckForUpdate(const Request& request);
  void Cancel();
  bool Running() const { return running_; }

 private:
  // The GET with the checks every answer gets; nullopt (after telling the user) when the
  // transfer did not deliver a usable body.
  std::optional<std::string> Fetch(const std::string& url, size_t max_bytes);
  void Fail(const std::string& reason);

  UpdatePort& port_;
  ProxyRoute route_;
  bool running_ = false;
  bool in_flight_ = false;
};

}  // namespace velmora
