#include "options/update_check.h"

#include <algorithm>

#include "design/ini_file.h"
#include "options/sha256.h"

namespace velmora {

bool IsNewerVersion(const std::string& offered, const std::string& installed) {
  const size_t common = std::min(offered.size(), installed.size());
  for (size_t i = 0; i < common; ++i) {
    const auto a = static_cast<unsigned char>(offered[i]);
    const auto b = static_cast<unsigned char>(installed[i]);
    if (a != b) return a > b;
  }
  return offered.size() > installed.size();
}

std::optional<UpdateInfo> ParseUpdateInfo(const std::string& text) {
  if (text.size() > kMaxUpdateInfoBytes) return std::nullopt;
  const IniFile ini = IniFile::Parse(text);
  UpdateInfo info;
  info.version = ini.ReadString("Main", "version", "");
  info.url = ini.ReadString("Main", "url", "");
  info.sha256 = ToLowerAscii(ini.ReadString("Main", "sha256", ""));
  return info;
}

bool IsWebUrl(const std::string& url) {
  const std::string lower = ToLowerAscii(url);
  for (const char* scheme : {"http://", "https://"}) {
    const std::string s = scheme;
    if (lower.compare(0, s.size(), s) == 0) {
      const size_t host_end = lower.find_first_of("/?#", s.size());
      return (host_end == std::string::npos ? lower.size() : host_end) > s.size();
    }
  }
  return false;
}

void UpdateCheck::Fail(const std::string& reason) {
  port_.SetWindowStatus("Update failed : " + reason);
  port_.ReportError("Update failed : " + reason);
}

std::optional<std::string> UpdateCheck::Fetch(const std::string& url, size_t max_bytes) {
  in_flight_ = true;
  HttpOutcome outcome = port_.Get(url, route_, max_bytes);
  in_flight_ = false;
  switch (outcome.kind) {
    case HttpOutcome::Kind::cancelled:
      // The window goes at once; the aborted transfer is an error as any failed one is.
      port_.SetWindowStatus("Cancelled");
      port_.HideUpdateWindow();
      port_.ReportError(kAbortedOnRequest);
      return std::nullopt;
    case HttpOutcome::Kind::failed:
      Fail(outcome.reason.empty() ? "no answer from " + url : outcome.reason);
      return std::nullopt;
    case HttpOutcome::Kind::ok: break;
  }
  if (outcome.status < 200 || outcome.status > 299) {
    Fail("the server answered " + std::to_string(outcome.status) + " for " + url);
    return std::nullopt;
  }
  if (outcome.body.size() > max_bytes) {
    Fail("the answer from " + url + " is too large");
    return std::nullopt;
  }
  return std::move(outcome.body);
}

void UpdateCheck::CheckForUpdate(const Request& request) {
  if (running_) return;  // one check at a time
  running_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{running_};

  port_.SetPageStatus("Starting Auto Update");
  route_ = {};
  if (request.use_proxy) {
    port_.SetPageStatus("Using Proxy Setup");
    // A checked box with an empty host goes direct.
    route_.host = request.proxy_host;
    route_.port = request.proxy_port.empty() ? "80" : request.proxy_port;
  }
  port_.SetWindowStatus("Starting Checking informations ...");
  port_.ShowUpdateWindow();

  if (!IsWebUrl(request.information_url)) {
    Fail("the update address is not http or https: " + request.information_url);
    return;
  }
  const std::optional<std::string> text = Fetch(request.information_url, kMaxUpdateInfoBytes);
  if (!text) return;
  port_.SaveInformation(*text);
  const std::optional<UpdateInfo> info = ParseUpdateInfo(*text);
  if (!info) {
    Fail("the update information is too large");
    return;
  }
  if (!IsNewerVersion(info->version, request.installed_version)) {
    port_.Inform("No new version ...");
    port_.HideUpdateWindow();
    return;
  }
  port_.SetWindowStatus("Version : " + info->version + " is available");
  // On No the window stays with its status; Cancel hides it.
  if (!port_.AskYesNo("Do you want to update ?")) return;

  if (info->url.empty()) {
    Fail("the update information names no installer");
    return;
  }
  if (!IsWebUrl(info->url)) {
    Fail("the installer address is not http or https: " + info->url);
    return;
  }
  port_.SetWindowStatus("Downloading update ...");
  const std::optional<std::string> installer = Fetch(info->url, kMaxInstallerBytes);
  if (!installer) return;
  if (installer->empty()) {
    Fail("the installer is empty");
    return;
  }
  if (!info->sha256.empty() && Sha256Hex(*installer) != info->sha256) {
    Fail("the installer does not match its checksum");
    return;
  }
  if (!port_.SaveInstaller(*installer)) {
    Fail(port_.InstallerPath() + " could not be written");
    return;
  }
  if (port_.AskYesNo("Download complete ... process installation ?")) {
    port_.SetWindowStatus("Updating now ...");
    if (!port_.StartInstaller()) {
      Fail(port_.InstallerPath() + " could not be started");
      return;
    }
  } else {
    port_.Inform("Install.exe is available in " + port_.InstallerPath());
  }
  port_.HideUpdateWindow();
}

void UpdateCheck::Cancel() {
  if (in_flight_)
    port_.AbortGet();
  else
    port_.HideUpdateWindow();
}

}  // namespace velmora
