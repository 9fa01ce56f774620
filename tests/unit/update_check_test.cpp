// The auto update's rules: version order by text, the information file, the installer's
// checksum, and the course of a check against a scripted network and user.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "options/sha256.h"
#include "options/update_check.h"

namespace velmora {
namespace {

TEST(UpdateVersion, ComparesAsTextByteByByte) {
  EXPECT_TRUE(IsNewerVersion("0.92", "0.91"));
  EXPECT_TRUE(IsNewerVersion("1.0", "0.91"));
  EXPECT_FALSE(IsNewerVersion("0.100", "0.91"));
  EXPECT_FALSE(IsNewerVersion("0.91", "0.91"));
  EXPECT_FALSE(IsNewerVersion("0.9", "0.91"));   // a beginning of the other is smaller
  EXPECT_TRUE(IsNewerVersion("0.911", "0.91"));
  EXPECT_TRUE(IsNewerVersion("0.1", ""));        // anything beats an empty installed version
  EXPECT_FALSE(IsNewerVersion("", ""));
  EXPECT_TRUE(IsNewerVersion("0.9\xe9", "0.9z"));  // bytes compare unsigned
}

TEST(UpdateInformation, ReadsMainWithIniRulesAndRefusesMoreThan64KB) {
  auto info = ParseUpdateInfo("; release\r\n[MAIN]\r\nVersion = 0.92 \r\nurl=http://x/i.exe\r\n"
                              "SHA256=ABCDEF\r\n[Other]\r\nversion=9\r\n");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->version, "0.92");
  EXPECT_EQ(info->url, "http://x/i.exe");
  EXPECT_EQ(info->sha256, "abcdef");
  info = ParseUpdateInfo("[Main]\nversion=1.0\n");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->url, "");
  EXPECT_EQ(info->sha256, "");
  std::string big = "[Main]\nversion=1.0\n";
  big.resize(kMaxUpdateInfoBytes, ';');
  EXPECT_TRUE(ParseUpdateInfo(big));
  EXPECT_FALSE(ParseUpdateInfo(big + ";"));
}

TEST(UpdateInformation, OnlyWebAddressesAreFetched) {
  EXPECT_TRUE(IsWebUrl("http://a/b"));
  EXPECT_TRUE(IsWebUrl("HTTPS://a"));
  EXPECT_FALSE(IsWebUrl("http://"));
  EXPECT_FALSE(IsWebUrl("file://C:/x.exe"));
  EXPECT_FALSE(IsWebUrl("ftp://a/b"));
  EXPECT_FALSE(IsWebUrl(""));
}

TEST(Sha256, KnownDigestsAcrossBlockBoundaries) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  Sha256 million;
  const std::string chunk(1000, 'a');
  for (int i = 0; i < 1000; ++i) million.Update(chunk.data(), chunk.size());
  EXPECT_EQ(million.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Records what the check does; answers GETs and questions from scripts.
class ScriptedPort : public UpdatePort {
 public:
  void SetPageStatus(const std::string& t) override { log.push_back("page: " + t); }
  void SetWindowStatus(const std::string& t) override { log.push_back("window: " + t); }
  void ShowUpdateWindow() override { log.push_back("show"); }
  void HideUpdateWindow() override { log.push_back("hide"); }
  bool AskYesNo(const std::string& q) override {
    log.push_back("ask: " + q);
    bool yes = answers.empty() ? false : answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  void Inform(const std::string& m) override { log.push_back("inform: " + m); }
  void ReportError(const std::string& m) override { log.push_back("error: " + m); }
  HttpOutcome Get(const std::string& url, const ProxyRoute& proxy, size_t) override {
    log.push_back("get " + url + (proxy.host.empty() ? "" : " via " + proxy.host + ":" + proxy.port));
    if (during_get) during_get();
    HttpOutcome o = responses.empty() ? HttpOutcome{} : responses.front();
    if (!responses.empty()) responses.pop_front();
    return o;
  }
  void AbortGet() override { log.push_back("abort"); }
  bool SaveInformation(const std::string&) override { return true; }
  bool SaveInstaller(const std::string& body) override {
    saved = body;
    log.push_back("save installer");
    return true;
  }
  std::string InstallerPath() const override { return "C:\\V\\temp\\install.exe"; }
  bool StartInstaller() override {
    log.push_back("start");
    return true;
  }
  bool Has(const std::string& line) const {
    for (const auto& l : log)
      if (l == line) return true;
    return false;
  }
  bool HasPrefix(const std::string& prefix) const {
    for (const auto& l : log)
      if (l.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }

  std::vector<std::string> log;
  std::deque<HttpOutcome> responses;
  std::deque<bool> answers;
  std::function<void()> during_get;
  std::string saved;
};

HttpOutcome Ok(const std::string& body, int status = 200) {
  return {HttpOutcome::Kind::ok, status, body, ""};
}

UpdateCheck::Request Check() { return {"http://up.test/info.ini", "0.91", false, "", ""}; }

TEST(UpdateCheckCourse, SameVersionSaysSoAndHides) {
  ScriptedPort port;
  UpdateCheck check(port);
  port.responses = {Ok("[Main]\nversion=0.91\nurl=http://up.test/i.exe\n")};
  check.CheckForUpdate(Check());
  EXPECT_EQ(port.log, (std::vector<std::string>{"page: Starting Auto Update",
                                                "window: Starting Checking informations ...",
                                                "show", "get http://up.test/info.ini",
                                                "inform: No new version ...", "hide"}));
  EXPECT_FALSE(check.Running());
}

TEST(UpdateCheckCourse, NewerVersionDownloadsVerifiesAndStartsOnYes) {
  ScriptedPort port;
  UpdateCheck check(port);
  const std::string body("MZ\0\n\n\r\0x", 8);
  port.responses = {Ok("[Main]\nversion=0.92\nurl=http://up.test/i.exe\nsha256=" +
                       Sha256Hex(body) + "\n"),
                    Ok(body)};
  port.answers = {true, true};
  check.CheckForUpdate(Check());
  EXPECT_EQ(port.saved, body);
  EXPECT_EQ(port.log, (std::vector<std::string>{
                          "page: Starting Auto Update",
                          "window: Starting Checking informations ...", "show",
                          "get http://up.test/info.ini", "window: Version : 0.92 is available",
                          "ask: Do you want to update ?", "window: Downloading update ...",
                          "get http://up.test/i.exe", "save installer",
                          "ask: Download complete ... process installation ?",
                          "window: Updating now ...", "start", "hide"}));
}

TEST(UpdateCheckCourse, NoAnswerWithoutAGoodInstallerWritesOrStartsAnything) {
  const std::string info = "[Main]\nversion=1.0\nurl=http://up.test/i.exe\n";
  struct Case {
    const char* name;
    std::deque<HttpOutcome> responses;
  } cases[] = {
      {"information 404", {Ok("[Main]\nversion=9\n", 404)}},
      {"information failed", {HttpOutcome{HttpOutcome::Kind::failed, 0, "", "refused"}}},
      {"information too large", {Ok(std::string(kMaxUpdateInfoBytes + 1, ';'))}},
      {"installer 404", {Ok(info), Ok("<html>not found</html>", 404)}},
      {"installer failed", {Ok(info), HttpOutcome{HttpOutcome::Kind::failed, 0, "MZ", "reset"}}},
      {"installer empty", {Ok(info), Ok("")}},
      {"checksum mismatch", {Ok(info + "sha256=" + Sha256Hex("other") + "\n"), Ok("MZ")}},
      {"no url", {Ok("[Main]\nversion=1.0\n")}},
      {"not a web url", {Ok("[Main]\nversion=1.0\nurl=file://C:/evil.exe\n")}},
  };
  for (auto& c : cases) {
    ScriptedPort port;
    UpdateCheck check(port);
    port.responses = c.responses;
    port.answers = {true, true};
    check.CheckForUpdate(Check());
    EXPECT_FALSE(port.Has("save installer")) << c.name;
    EXPECT_FALSE(port.Has("start")) << c.name;
    EXPECT_FALSE(port.HasPrefix("inform:")) << c.name;  // neither "No new version" nor success
    EXPECT_FALSE(port.HasPrefix("ask: Download complete")) << c.name;
    EXPECT_TRUE(port.HasPrefix("window: Update failed : ")) << c.name;
    EXPECT_TRUE(port.HasPrefix("error: Update failed : ")) << c.name;
    EXPECT_FALSE(port.HasPrefix("get file:")) << c.name;
  }
}

TEST(UpdateCheckCourse, CancelAbortsTheRequestInFlightElseHidesTheWindow) {
  ScriptedPort port;
  UpdateCheck check(port);
  check.Cancel();
  EXPECT_EQ(port.log, (std::vector<std::string>{"hide"}));
  port.log.clear();
  port.during_get = [&] { check.Cancel(); };
  port.responses = {HttpOutcome{HttpOutcome::Kind::cancelled, 0, "", ""}};
  check.CheckForUpdate(Check());
  EXPECT_TRUE(port.Has("abort"));
  EXPECT_FALSE(port.HasPrefix("inform:"));
  // Hidden at once, then the abort is in the error list as every failed transfer is.
  ASSERT_GE(port.log.size(), 2u);
  EXPECT_EQ(port.log[port.log.size() - 2], "hide");
  EXPECT_EQ(port.log.back(), "error: Connection aborted on request");
}

TEST(UpdateCheckCourse, ProxyOnlyWhenCheckedWithAHost) {
  for (auto [use, host, want] :
       {std::tuple<bool, const char*, const char*>{true, "proxy.lan", " via proxy.lan:8080"},
        {true, "", ""},
        {false, "proxy.lan", ""}}) {
    ScriptedPort port;
    UpdateCheck check(port);
    port.responses = {Ok("[Main]\nversion=0.91\n")};
    check.CheckForUpdate({"http://up.test/info.ini", "0.91", use, host, "8080"});
    EXPECT_TRUE(port.Has(std::string("get http://up.test/info.ini") + want)) << host << use;
    EXPECT_EQ(port.Has("page: Using Proxy Setup"), use);
  }
}

}  // namespace
}  // namespace velmora
