// The application's error handler, the error list and errors.log.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "app/error_relay.h"
#include "fakes/player_fakes.h"

namespace velmora {
namespace {

using fakes::PlayerRig;

std::string TempPath(const std::string& name) {
  // A name of this run's own: other runs of the suite on the machine share the folder.
  static const std::string run = std::to_string(std::random_device{}());
  return testing::TempDir() + "velmora_player_" + run + "_" + name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ErrorHandler, ShowsAndRecordsEveryError) {
  PlayerRig rig;
  fakes::RecordingSink sink;
  // The error list tells its observers of each line as it comes.
  struct Observer : ErrorListObserver {
    std::vector<std::string> lines;
    void ErrorAdded(const std::string& line) override { lines.push_back(line); }
  } observer;
  rig.player->Errors().AddObserver(&observer);
  rig.player->HandleError("List index out of bounds (5)");
  EXPECT_EQ(rig.window.status, "Error : List index out of bounds (5)");
  rig.display.SetDesignSink(&sink);
  rig.player->HandleError("second");
  EXPECT_EQ(sink.statuses.back(), "Error : second");
  EXPECT_EQ(rig.player->ErrorList(),
            (std::vector<std::string>{"List index out of bounds (5)", "second"}));
  EXPECT_EQ(observer.lines, rig.player->ErrorList());
  rig.player->Errors().RemoveObserver(&observer);
}

// Failures of the windows made before the player reach its error list, in order; while
// no player is attached they wait instead of vanishing.
TEST(ErrorHandler, ReportsBeforeThePlayerReachItsListOnceItIsAttached) {
  ErrorRelay relay;
  relay.Run([] { throw std::runtime_error("Cannot load picture"); });
  relay.Report("second");
  PlayerRig rig;
  {
    ErrorRelay::Attachment attached(relay, *rig.player);
    EXPECT_EQ(rig.player->ErrorList(),
              (std::vector<std::string>{"Cannot load picture", "second"}));
    relay.Report("third");
  }
  relay.Report("after");  // the player is going: kept, not sent to it
  EXPECT_EQ(rig.player->ErrorList().size(), 3u);
  ErrorRelay::Attachment again(relay, *rig.player);
  EXPECT_EQ(rig.player->ErrorList().back(), "after");
}

// The one boundary every handler runs through: what escapes is recorded, nothing more.
TEST(ErrorHandler, TheBoundaryRecordsWhatEscapesAndSurvivesAFailingReport) {
  PlayerRig rig;
  ErrorSink& errors = *rig.player;
  EXPECT_TRUE(errors.Run([] {}));
  EXPECT_FALSE(errors.Run([] { throw std::runtime_error("Cannot open file x"); }));
  EXPECT_FALSE(errors.Run([] { throw 42; }));
  EXPECT_EQ(rig.player->ErrorList(),
            (std::vector<std::string>{"Cannot open file x", "Unknown error"}));
  EXPECT_EQ(rig.window.status, "Error : Unknown error");

  struct FailingSink : ErrorSink {
    void Report(const std::string&) override { throw std::runtime_error("no room"); }
  } failing;
  EXPECT_FALSE(failing.Run([] { throw std::runtime_error("x"); }));  // and nothing escapes
}

TEST(ErrorHandler, AStaleIndexEndsPlayInTheErrorList) {
  PlayerRig rig;
  rig.AddFiles({"a.mp3"});
  rig.playlist.SetCurrentIndex(4);
  rig.player->Play();
  ASSERT_EQ(rig.player->ErrorList().size(), 1u);
  EXPECT_EQ(rig.window.status.rfind("Error : ", 0), 0u);
  EXPECT_EQ(rig.plugin.Count("play"), 0u);
}

TEST(ErrorLog, ThreeErrorsAreAppendedBelowEarlierContent) {
  const std::string path = TempPath("errors.log");
  {
    std::ofstream old(path, std::ios::binary | std::ios::trunc);
    old << "Errors on 01/02/2003 at 10:00:00\r\nold line\r\n";
  }
  PlayerRig rig;
  for (const char* e : {"one", "two", "three"}) rig.player->HandleError(e);
  rig.player->WriteErrorLog(path, "05/06/2024", "12:34:56");
  EXPECT_EQ(ReadAll(path),
            "Errors on 01/02/2003 at 10:00:00\r\nold line\r\n"
            "Errors on 05/06/2024 at 12:34:56\r\none\r\ntwo\r\nthree\r\n");
  std::remove(path.c_str());
}

TEST(ErrorLog, AnEmptyListLeavesTheFileAsItWasOrCreatesItEmpty) {
  const std::string existing = TempPath("existing.log");
  const std::string fresh = TempPath("fresh.log");
  {
    std::ofstream old(existing, std::ios::binary | std::ios::trunc);
    old << "kept\r\n";
  }
  std::remove(fresh.c_str());
  AppendErrorLog(existing, {}, "d", "t");
  AppendErrorLog(fresh, {}, "d", "t");
  EXPECT_EQ(ReadAll(existing), "kept\r\n");
  EXPECT_TRUE(std::ifstream(fresh).good());
  EXPECT_EQ(ReadAll(fresh), "");
  EXPECT_EQ(FormatErrorLog({}, "d", "t"), "");
  std::remove(existing.c_str());
  std::remove(fresh.c_str());
}

TEST(ErrorLog, AnUnwritablePathThrows) {
  EXPECT_THROW(AppendErrorLog(TempPath("no/such/folder/errors.log"), {"x"}, "d", "t"),
               std::runtime_error);
}

}  // namespace
}  // namespace velmora
