// The auto update against a local server: the information file, the questions, the
// installer written byte for byte and started with the program folder, and every way a
// transfer can go wrong ending without a written or started installer.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "harness/harness.h"
#include "harness/local_http_server.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

struct UpdateSettings {
  std::string update_url;
  std::string version = "0.91";
  bool use_proxy = false;
  std::string host, port;
};

void WriteUpdateSettings(const UpdateSettings& s) {
  registry::ClearSettings();
  registry::WriteString("design", "Default");
  registry::WriteDword("Randomdesign", 0);
  registry::WriteDword("Multiple", 0);
  registry::WriteDword("Nag", 0);
  registry::WriteDword("loop", 1);
  registry::WriteDword("autoplay", 1);
  registry::WriteString("Version", s.version);
  registry::WriteDword("UseProxy", s.use_proxy);
  registry::WriteString("Host", s.host);
  registry::WriteString("Port", s.port);
  registry::WriteString("UpdateUrl", s.update_url);
}

std::string Info(const std::string& version, const std::string& url, const std::string& extra = "") {
  return "[Main]\r\nversion=" + version + "\r\nurl=" + url + "\r\n" + extra;
}

class AutoUpdate : public ::testing::Test {
 protected:
  void Start(const UpdateSettings& s) {
    WriteUpdateSettings(s);
    ASSERT_TRUE(player_->Start(folder_));
    ASSERT_TRUE(player_->WaitForMainWindow());
    ASSERT_TRUE(player_->WaitForStartup());
    options_ = player_->FindWindowOfClassWait("TForm2");
    updater_ = player_->FindWindowOfClassWait("TForm7");
    ASSERT_TRUE(options_ && updater_);
  }
  void Restart(const UpdateSettings& s) {
    ASSERT_TRUE(player_->Close());
    player_ = std::make_unique<PlayerProcess>();
    Start(s);
  }
  // "Check Now !" as a click does it, without waiting for the check (it asks questions).
  void CheckNow() {
    PostMessageA(options_, WM_COMMAND, MAKEWPARAM(ids::upCheckNow, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(options_, ids::upCheckNow)));
  }
  std::string WindowStatus() { return ControlText(updater_, ids::updStatus); }
  // The message box the player shows now; its text in *text.
  HWND WaitForBox(std::string* text, int timeout_ms = kDefaultTimeoutMs) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
          for (HWND w : TopLevelWindowsOf(player_->Pid()))
            if (ClassNameOf(w) == "#32770" && IsWindowVisible(w)) {
              *text = WindowText(GetDlgItem(w, 0xFFFF));
              if (!text->empty()) box = w;
              return box != nullptr;
            }
          return false;
        },
        timeout_ms);
    return box;
  }
  // Waits for the box with `want` and answers it with `button` (IDYES, IDNO, IDOK).
  void Answer(const std::string& want, int button) {
    std::string text;
    HWND box = WaitForBox(&text);
    ASSERT_TRUE(box) << "no box for " << want
                     << "; requests: " << ::testing::PrintToString(server_.RequestLines())
                     << ", window status \"" << WindowStatus() << "\", page status \""
                     << ControlText(options_, ids::upStatus)
                     << "\", windows:" << DescribeWindowsOf(player_->Pid())
                     << ", settings: " << StoredSettings();
    ASSERT_EQ(text, want);
    PostMessageA(box, WM_COMMAND, button, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
  }
  std::string StoredSettings() {
    std::string seen;
    for (const std::string& name : registry::ValueNames()) {
      const std::optional<uint32_t> number = registry::ReadDword(name);
      const std::optional<std::string> text = registry::ReadString(name);
      seen += " " + name + "=" +
              (number ? std::to_string(*number)
               : text ? "\"" + *text + "\""
                      : "?");
    }
    return seen;
  }
  bool NoBox() {
    std::string text;
    return WaitForBox(&text, 300) == nullptr;
  }

  LocalHttpServer server_;
  TestFolder folder_;
  std::unique_ptr<PlayerProcess> player_ = std::make_unique<PlayerProcess>();
  HWND options_ = nullptr, updater_ = nullptr;
};

TEST_F(AutoUpdate, SameVersionSaysSoAndNewerAsksThenWritesTheInstallerExactly) {
  Start({server_.Url("/info.ini")});
  EXPECT_EQ(WindowText(updater_), "Auto Updating");
  RECT client{};
  GetClientRect(updater_, &client);
  EXPECT_EQ(client.right, 345);
  EXPECT_EQ(client.bottom, 65);
  EXPECT_FALSE(GetWindowLongA(updater_, GWL_STYLE) & WS_SYSMENU);
  EXPECT_EQ(ControlText(options_, ids::upStatus), "Sleeping ...");

  server_.Set("/info.ini", {200, Info("0.91", server_.Url("/setup.exe"))});
  CheckNow();
  Answer("No new version ...", IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(updater_); }));
  EXPECT_EQ(ControlText(options_, ids::upStatus), "Starting Auto Update");

  // Zero bytes, bare line feeds and a lone carriage return come through untouched.
  const std::string body("MZ\0\0\n\n\r\0line\nend\xff", 16);
  server_.Set("/info.ini", {200, Info("0.92", server_.Url("/setup.exe"))});
  server_.Set("/setup.exe", {200, body});
  CheckNow();
  std::string text;
  ASSERT_TRUE(WaitForBox(&text));
  EXPECT_EQ(WindowStatus(), "Version : 0.92 is available");
  EXPECT_TRUE(IsWindowVisible(updater_));
  Answer("Do you want to update ?", IDYES);
  Answer("Download complete ... process installation ?", IDNO);
  Answer("Install.exe is available in " + folder_.File("Temp\\install.exe"), IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(updater_); }));
  EXPECT_EQ(folder_.ReadFile("Temp\\install.exe"), body);
  EXPECT_FALSE(folder_.Exists("Temp\\install.exe.part"));
  EXPECT_NE(folder_.ReadFile("Temp\\info.ini").find("version=0.92"), std::string::npos);
}

TEST_F(AutoUpdate, YesStartsTheVerifiedInstallerWithTheProgramFolder) {
  const std::string installer = ReadWholeFile(TestPluginsFolder() + "\\installer_probe.exe");
  ASSERT_FALSE(installer.empty());
  Start({server_.Url("/info.ini")});
  server_.Set("/info.ini", {200, Info("1.0", server_.Url("/setup.exe"))});
  server_.Set("/setup.exe", {200, installer});
  CheckNow();
  Answer("Do you want to update ?", IDYES);
  Answer("Download complete ... process installation ?", IDYES);
  ASSERT_TRUE(WaitUntil([&] { return folder_.Exists("Temp\\installer_args.txt"); }));
  EXPECT_TRUE(WaitUntil([&] {
    const std::string args = folder_.ReadFile("Temp\\installer_args.txt");
    return args.size() > folder_.Path().size() + 2 &&
           args.substr(args.size() - folder_.Path().size() - 2) == "\"" + folder_.Path() + "\"";
  })) << folder_.ReadFile("Temp\\installer_args.txt");
  EXPECT_EQ(WindowStatus(), "Updating now ...");
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(updater_); }));
}

TEST_F(AutoUpdate, AFailedRefusedOrUnverifiedTransferWritesAndStartsNothing) {
  Start({server_.Url("/info.ini")});
  struct Case {
    const char* name;
    std::string info;
    LocalHttpServer::Reply installer;
    int info_status;
    const char* reason;
  } cases[] = {
      {"information 404", Info("9.0", server_.Url("/setup.exe")), {200, "MZ"}, 404,
       "the server answered 404"},
      {"installer 404", Info("9.0", server_.Url("/setup.exe")), {404, "MZ not found"}, 200,
       "the server answered 404"},
      {"checksum", Info("9.0", server_.Url("/setup.exe"), "sha256=" + std::string(64, '0') + "\r\n"),
       {200, "MZ"}, 200, "the installer does not match its checksum"},
      {"no url", "[Main]\r\nversion=9.0\r\n", {200, "MZ"}, 200,
       "the update information names no installer"},
      {"redirect away from the web", Info("9.0", server_.Url("/setup.exe")),
       {302, "", false, "file:///C:/windows/notepad.exe"}, 200, "refused"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    server_.Set("/info.ini", {c.info_status, c.info});
    server_.Set("/setup.exe", c.installer);
    CheckNow();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(updater_); }));
    if (c.info_status == 200) Answer("Do you want to update ?", IDYES);
    ASSERT_TRUE(WaitUntil([&] { return WindowStatus().rfind("Update failed : ", 0) == 0; }))
        << WindowStatus();
    EXPECT_NE(WindowStatus().find(c.reason), std::string::npos) << WindowStatus();
    EXPECT_TRUE(NoBox());  // neither "No new version ..." nor "Download complete ..."
    EXPECT_FALSE(folder_.Exists("Temp\\install.exe"));
    EXPECT_FALSE(folder_.Exists("Temp\\install.exe.part"));
    // The window stays with the reason until Cancel, which then hides it.
    EXPECT_TRUE(IsWindowVisible(updater_));
    Click(updater_, ids::updCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(updater_); }));
  }
}

TEST_F(AutoUpdate, CancelDuringASlowTransferReturnsAtOnce) {
  Start({server_.Url("/info.ini")});
  server_.Set("/info.ini", {200, Info("9.0", server_.Url("/setup.exe"))});
  server_.Set("/setup.exe", {200, std::string(1 << 20, 'x'), true});
  CheckNow();
  Answer("Do you want to update ?", IDYES);
  ASSERT_TRUE(WaitUntil([&] { return server_.RequestLines().size() >= 2; }));
  ASSERT_TRUE(WaitUntil([&] { return WindowStatus() == "Downloading update ..."; }));
  // The player answers while the transfer hangs.
  ASSERT_TRUE(SendRegistered(player_->MainWindow(), "VelmoraNumberFiles", 2000).has_value());
  const DWORD start = GetTickCount();
  Click(updater_, ids::updCancel);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(updater_); }, 3000));
  EXPECT_LT(GetTickCount() - start, 3000u);
  EXPECT_TRUE(NoBox());
  EXPECT_FALSE(folder_.Exists("Temp\\install.exe"));
  EXPECT_TRUE(player_->Close());
}

TEST_F(AutoUpdate, ThroughTheProxyOnlyWhenCheckedWithAHost) {
  const std::string port = std::to_string(server_.Port());
  server_.Set("/info.ini", {200, Info("0.91", "")});
  // The server plays the proxy: the request reaches it in absolute form.
  Start({"http://update.example.invalid/info.ini", "0.91", true, "127.0.0.1", port});
  CheckNow();
  Answer("No new version ...", IDOK);
  EXPECT_EQ(ControlText(options_, ids::upStatus), "Using Proxy Setup");
  ASSERT_FALSE(server_.RequestLines().empty());
  const std::string line = server_.RequestLines().back();
  EXPECT_EQ(line.rfind("GET http://update.example.invalid", 0), 0u) << line;
  EXPECT_NE(line.find("/info.ini "), std::string::npos) << line;
  // Unchecked, and checked with an empty host: straight to the server.
  for (bool use_proxy : {false, true}) {
    Restart({server_.Url("/info.ini"), "0.91", use_proxy, "", port});
    CheckNow();
    Answer("No new version ...", IDOK);
    EXPECT_EQ(server_.RequestLines().back().rfind("GET /info.ini ", 0), 0u)
        << server_.RequestLines().back();
  }
}

}  // namespace
}  // namespace velmora::e2e
