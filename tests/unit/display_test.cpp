#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/display.h"

namespace velmora {
namespace {

struct RecordingView : MainView {
  std::vector<std::string> calls;
  std::string status;
  int32_t position = 0;
  void SetStatusText(const std::string& t) override {
    status = t;
    calls.push_back("status:" + t);
  }
  void SetPositionTimeText(const std::string& t) override { calls.push_back("postime:" + t); }
  void SetPositionValue(int32_t v) override {
    position = v;
    calls.push_back("pos:" + std::to_string(v));
  }
  void SetPositionMax(int32_t v) override { calls.push_back("max:" + std::to_string(v)); }
  void SetTotalTimeText(const std::string& t) override { calls.push_back("total:" + t); }
  void SetSongTitle(const std::string& t) override { calls.push_back("title:" + t); }
  void SetFrequencyText(const std::string& t) override { calls.push_back("freq:" + t); }
  void SetLayerText(const std::string& t) override { calls.push_back("layer:" + t); }
  void SetBitrateText(const std::string& t) override { calls.push_back("bitrate:" + t); }
};

struct RecordingSink : DesignSink {
  std::vector<std::string> calls;
  bool fail = false;
  void Record(const std::string& c) {
    calls.push_back(c);
    if (fail) throw std::runtime_error("library fault");
  }
  void OnStatus(const std::string& t) override { Record("OnStatus:" + t); }
  void OnPositionTime(const std::string& t) override { Record("OnPositionTime:" + t); }
  void OnPosition(int32_t v) override { Record("OnPosition:" + std::to_string(v)); }
  void OnTotalTime(const std::string& t) override { Record("OnTotalTime:" + t); }
  void OnPositionMax(int32_t v) override { Record("OnPositionMax:" + std::to_string(v)); }
  void OnSongTitle(const std::string& t) override { Record("OnSongTitle:" + t); }
  void OnFrequency(const std::string& t) override { Record("OnFrequency:" + t); }
  void OnLayer(const std::string& t) override { Record("OnLayer:" + t); }
  void OnBitrate(const std::string& t) override { Record("OnBitrate:" + t); }
  void OnCurrentIndex(int32_t v) override { Record("OnCurrentIndex:" + std::to_string(v)); }
};

TEST(TwoDigits, FormatsMinutesAndSeconds) {
  EXPECT_EQ(TwoDigits(0), "00");
  EXPECT_EQ(TwoDigits(5), "05");
  EXPECT_EQ(TwoDigits(10), "10");
  EXPECT_EQ(TwoDigits(125), "125");
  EXPECT_EQ(TwoDigits(-3), "0-3");
}

TEST(Display, WithoutLibraryEverythingReachesTheWindow) {
  RecordingView view;
  Playlist playlist;
  Display display(view, playlist);
  display.ShowStatus("x");
  display.ShowPositionTime("01:00");
  display.ShowPosition(7);
  display.ShowTotalTime("03:20");
  playlist.SetCurrentIndex(3);
  EXPECT_EQ(view.status, "x");
  EXPECT_EQ(view.calls,
            (std::vector<std::string>{"status:x", "postime:01:00", "pos:7", "total:03:20"}));
}

TEST(Display, ActiveLibraryTakesStatusTimeAndPositionAndSharesTheRest) {
  RecordingView view;
  RecordingSink sink;
  Playlist playlist;
  Display display(view, playlist);
  display.ShowStatus("before");
  view.calls.clear();
  display.SetDesignSink(&sink);
  display.ShowStatus("x");
  display.ShowPositionTime("00:10");
  display.ShowPosition(4);
  display.ShowTotalTime("03:20");
  display.SetPositionMax(100);
  display.ShowSongTitle("t");
  display.ShowFrequency("44 kHz");
  display.ShowLayer("Layer 3");
  display.ShowBitrate("128 kbps");
  EXPECT_EQ(view.status, "before");
  EXPECT_EQ(display.WindowStatus(), "before");  // what the window shows, not the library
  EXPECT_EQ(view.calls,
            (std::vector<std::string>{"total:03:20", "max:100", "title:t", "freq:44 kHz",
                                      "layer:Layer 3", "bitrate:128 kbps"}));
  EXPECT_EQ(sink.calls.size(), 9u);
  EXPECT_EQ(sink.calls.front(), "OnStatus:x");
  // The index comes from the playlist, whoever sets it.
  playlist.SetCurrentIndex(4);
  EXPECT_EQ(sink.calls.back(), "OnCurrentIndex:4");
}

TEST(Display, FaultInsideTheLibraryIsSwallowed) {
  RecordingView view;
  RecordingSink sink;
  sink.fail = true;
  Playlist playlist;
  Display display(view, playlist);
  display.SetDesignSink(&sink);
  EXPECT_NO_THROW(display.ShowStatus("x"));
  EXPECT_NO_THROW(display.ShowTotalTime("03:20"));
  EXPECT_NO_THROW(playlist.SetCurrentIndex(1));
  EXPECT_EQ(view.calls, (std::vector<std::string>{"total:03:20"}));
}

}  // namespace
}  // namespace velmora
