#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "vis/vis_host.h"
#include "vis/vis_sound.h"

namespace velmora {
namespace {

// One plug-in library made of plain functions: three modules, whose entries record what
// they see. A "fault" is an exception thrown out of the entry.
struct PluginState {
  VisHeader header{};
  VisModule modules[3]{};
  bool fault_init = false, fault_render = false;
  int32_t init_result = 0;
  std::atomic<bool> hang_render{false};  // Render waits while this holds
  std::atomic<int> renders{0};
  std::atomic<bool> wave_ok{true};  // every render saw the expected waveform
  unsigned char expect_left = 0, expect_right = 0;
  VisModule* init_record = nullptr;
  VisModule* quit_record = nullptr;
  void* quit_user_data = nullptr;
  void* init_parent = nullptr;
  int quits = 0;
  unsigned char seen_spectrum[2][576]{};  // the record's spectrum at the last render
  unsigned char seen_waveform[2][576]{};
};
PluginState* g_plugin = nullptr;
int g_user_state = 0;

VisModule* GetModule(int32_t index) {
  return index >= 0 && index < 3 ? &g_plugin->modules[index] : nullptr;
}
VisHeader* GetHeader() { return &g_plugin->header; }
int32_t Init(VisModule* m) {
  if (g_plugin->fault_init) throw std::runtime_error("Init faults");
  g_plugin->init_record = m;
  g_plugin->init_parent = m->hwndParent;
  m->userData = &g_user_state;  // the module keeps its state in its record
  return g_plugin->init_result;
}
int32_t Render(VisModule* m) {
  if (g_plugin->fault_render) throw std::runtime_error("Render faults");
  while (g_plugin->hang_render) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  for (int i = 0; i < 576; i += 2) {
    if (m->waveformData[0][i] != g_plugin->expect_left || m->waveformData[0][i + 1] != 0 ||
        m->waveformData[1][i] != g_plugin->expect_right || m->waveformData[1][i + 1] != 0)
      g_plugin->wave_ok = false;
  }
  std::memcpy(g_plugin->seen_spectrum, m->spectrumData, sizeof m->spectrumData);
  std::memcpy(g_plugin->seen_waveform, m->waveformData, sizeof m->waveformData);
  ++g_plugin->renders;
  return 0;
}
void Quit(VisModule* m) {
  ++g_plugin->quits;
  g_plugin->quit_record = m;
  g_plugin->quit_user_data = m->userData;
}

struct FakeLibraries : VisLibraries {
  std::map<std::string, VisGetHeaderFn> files;  // loadable paths and their header entry
  int loaded = 0;
  Handle Load(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return nullptr;
    ++loaded;
    return &it->second;
  }
  void Release(Handle) override { --loaded; }
  VisGetHeaderFn HeaderEntry(Handle library) override {
    return *static_cast<VisGetHeaderFn*>(library);
  }
  bool Guarded(Handle, const std::function<void()>& call) override {
    try {
      call();
      return true;
    } catch (...) {
      return false;
    }
  }
  size_t TextLength(const char* text, size_t limit) override { return strnlen(text, limit); }
  void Read(void* to, const void* record, size_t size) override { std::memcpy(to, record, size); }
  void Write(void* record, const void* from, size_t size) override {
    std::memcpy(record, from, size);
  }
};

struct FakeLevels : VisLevels {
  std::atomic<bool> readable{true};
  int32_t left = 0, right = 0;
  int opens = 0, closes = 0;
  void Open() override { ++opens; }
  void Close() override { ++closes; }
  bool Read(int32_t* l, int32_t* r) override {
    if (!readable) return false;
    *l = left;
    *r = right;
    return true;
  }
  bool offer_sound = false;
  int16_t sound[2][576]{};
  bool ReadSound(int16_t samples[2][576], int* count) override {
    if (!offer_sound) return false;
    std::memcpy(samples, sound, sizeof sound);
    *count = 576;
    return true;
  }
};

class VisHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_plugin = &plugin;
    plugin.header = {0x101, "Test plug-in", &GetModule};
    const char* names[3] = {"Scope", "Bars", "Dots"};
    for (int i = 0; i < 3; ++i) {
      plugin.modules[i].description = names[i];
      plugin.modules[i].delayMs = 1;
      plugin.modules[i].Init = &Init;
      plugin.modules[i].Render = &Render;
      plugin.modules[i].Quit = &Quit;
    }
    libraries.files["vis.dll"] = &GetHeader;
    libraries.files["other.dll"] = nullptr;
  }
  void TearDown() override { g_plugin = nullptr; }
  void WaitForRenders(int n) {
    for (int i = 0; i < 5000 && plugin.renders < n; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  PluginState plugin;
  FakeLibraries libraries;
  FakeLevels levels;
  std::atomic<int> failures{0};
  VisHost host{{libraries, levels, [this] { ++failures; }, nullptr}};
};

TEST_F(VisHostTest, ListsTheModulesInIndexOrderAndDescribesOnlyVisualisationLibraries) {
  std::string description;
  EXPECT_TRUE(host.Describe("vis.dll", &description));
  EXPECT_EQ(description, "Test plug-in");
  EXPECT_FALSE(host.Describe("other.dll", &description));
  EXPECT_FALSE(host.Describe("missing.dll", &description));
  std::vector<std::string> modules;
  ASSERT_TRUE(host.ListModules("vis.dll", &modules));
  EXPECT_EQ(modules, (std::vector<std::string>{"Scope", "Bars", "Dots"}));
  EXPECT_EQ(libraries.loaded, 0) << "every library is released after listing";

  // Descriptions are cut to 255 characters, however long the library's text is.
  const std::string long_name(100000, 'n');
  plugin.header.description = long_name.c_str();
  plugin.modules[1].description = long_name.c_str();
  ASSERT_TRUE(host.Describe("vis.dll", &description));
  EXPECT_EQ(description, long_name.substr(0, 255));
  ASSERT_TRUE(host.ListModules("vis.dll", &modules));
  EXPECT_EQ(modules[1], long_name.substr(0, 255));
}

TEST_F(VisHostTest, RendersTheLevelsAndQuitsWithTheRecordInitSaw) {
  levels.left = 100;
  levels.right = 40 + 256;  // only the low 8 bits go into the waveform
  plugin.expect_left = 100;
  plugin.expect_right = 40;
  int parent = 0;
  host.Start("vis.dll", "Bars", &parent);
  ASSERT_TRUE(host.Running());
  ASSERT_TRUE(host.WorkerActive());
  EXPECT_EQ(plugin.init_record, &plugin.modules[1]);
  EXPECT_EQ(plugin.init_parent, &parent);
  EXPECT_EQ(levels.opens, 1);
  WaitForRenders(5);
  host.Stop();
  EXPECT_GE(plugin.renders, 5);
  EXPECT_TRUE(plugin.wave_ok);
  EXPECT_EQ(plugin.quits, 1);
  EXPECT_EQ(plugin.quit_record, plugin.init_record);
  EXPECT_EQ(plugin.quit_user_data, &g_user_state) << "Quit sees what Init stored";
  EXPECT_EQ(levels.closes, 1);
  EXPECT_EQ(libraries.loaded, 0);
  EXPECT_FALSE(host.Running());
}

TEST_F(VisHostTest, ThePlayingSoundFillsOnlyTheSpectrumChannelsTheModuleAsksFor) {
  levels.offer_sound = true;
  for (int i = 0; i < 576; ++i) {
    levels.sound[0][i] = static_cast<int16_t>(20000 * std::sin(0.3 * i));
    levels.sound[1][i] = static_cast<int16_t>(3000 * std::sin(1.1 * i));
  }
  // 2 (as today), 1, 0 and a value out of range (taken as 2); what is not asked for keeps
  // what the module put there.
  for (int32_t channels : {2, 1, 0, 9}) {
    VisModule& module = plugin.modules[0];
    std::memset(module.spectrumData, 0xAB, sizeof module.spectrumData);
    module.spectrumNch = channels;
    plugin.renders = 0;
    ASSERT_TRUE(host.Start("vis.dll", "Scope", nullptr));
    WaitForRenders(2);
    host.Stop();
    ASSERT_GE(plugin.renders, 2);
    const int asked = std::min(channels, 2);
    VisModule expected{};
    FillFromSamples(expected, levels.sound, 576, asked);
    if (asked < 2) std::memset(expected.spectrumData[asked], 0xAB, 576 * (2 - asked));
    for (int ch = 0; ch < 2; ++ch) {
      EXPECT_EQ(std::memcmp(plugin.seen_spectrum[ch], expected.spectrumData[ch], 576), 0)
          << channels << " " << ch;
      EXPECT_EQ(std::memcmp(plugin.seen_waveform[ch], expected.waveformData[ch], 576), 0);
    }
  }
}

TEST_F(VisHostTest, WithASleepThePauseIsSleptInSlicesBetweenWhichAStopIsSeen) {
  std::mutex mutex;
  std::vector<int> slept;
  VisHost sleeping{{libraries, levels, [this] { ++failures; }, nullptr, [&](int ms) {
                      {
                        std::lock_guard<std::mutex> lock(mutex);
                        slept.push_back(ms);
                      }
                      std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }}};
  plugin.modules[0].delayMs = 120;
  sleeping.Start("vis.dll", "Scope", nullptr);
  WaitForRenders(3);
  {
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_GE(slept.size(), 6u);
    EXPECT_EQ(std::vector<int>(slept.begin(), slept.begin() + 6),
              (std::vector<int>{50, 50, 20, 50, 50, 20}));
  }
  // A pause of a minute, made of 1200 slices here: the stop ends it long before.
  plugin.modules[0].delayMs = 60000;
  const int renders = plugin.renders;
  WaitForRenders(renders + 2);
  EXPECT_TRUE(sleeping.Stop());
}

TEST_F(VisHostTest, AStartWithoutHeaderModuleOrInitCountsAsRunningWithoutAWorker) {
  host.Start("", "Bars", nullptr);
  EXPECT_FALSE(host.Running()) << "no chosen library";
  host.Start("missing.dll", "Bars", nullptr);
  EXPECT_FALSE(host.Running()) << "a library that cannot be loaded";

  for (const char* path : {"other.dll", "vis.dll"}) {
    host.Start(path, "No such module", nullptr);
    EXPECT_TRUE(host.Running()) << path;
    EXPECT_FALSE(host.WorkerActive()) << path;
    host.Stop();
    EXPECT_FALSE(host.Running());
    EXPECT_EQ(libraries.loaded, 0);
  }
  plugin.modules[2].Init = nullptr;
  host.Start("vis.dll", "Dots", nullptr);
  EXPECT_TRUE(host.Running());
  EXPECT_FALSE(host.WorkerActive());
  host.Stop();
  EXPECT_EQ(plugin.quits, 1) << "a found module is quit even without Init";
}

TEST_F(VisHostTest, StopEndsAWorkerWhoseMeterCanNeverBeRead) {
  levels.readable = false;
  host.Start("vis.dll", "Scope", nullptr);
  ASSERT_TRUE(host.WorkerActive());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  host.Stop();  // returns: the wait for a reading sees the stop request
  EXPECT_EQ(plugin.renders, 0);
  EXPECT_EQ(plugin.quits, 1);
}

TEST_F(VisHostTest, AModuleWhoseInitFaultsOrFailsDoesNotRunAndAFaultingRenderEndsTheRun) {
  plugin.fault_init = true;
  EXPECT_FALSE(host.Start("vis.dll", "Scope", nullptr));
  plugin.fault_init = false;
  plugin.init_result = 1;
  EXPECT_FALSE(host.Start("vis.dll", "Scope", nullptr));
  EXPECT_FALSE(host.Running()) << "the next command tries a start again";
  EXPECT_FALSE(host.WorkerActive());
  EXPECT_EQ(plugin.quits, 0) << "a module that did not start is not quit";
  EXPECT_EQ(plugin.renders, 0);
  EXPECT_EQ(libraries.loaded, 0);

  plugin.init_result = 0;
  plugin.fault_render = true;
  host.Start("vis.dll", "Scope", nullptr);
  for (int i = 0; i < 5000 && failures == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(failures, 1);
  host.Stop();
  EXPECT_EQ(plugin.quits, 1);
  EXPECT_EQ(libraries.loaded, 0);
}

TEST_F(VisHostTest, StopLeavesARenderThatDoesNotReturnBehindWithinASecond) {
  plugin.hang_render = true;
  ASSERT_TRUE(host.Start("vis.dll", "Scope", nullptr));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(host.Stop());
  const auto took = std::chrono::steady_clock::now() - before;
  EXPECT_LT(took, std::chrono::milliseconds(kStopWaitMs + 500));
  EXPECT_FALSE(host.Running());
  EXPECT_EQ(plugin.quits, 0) << "no Quit while the worker may be inside Render";
  EXPECT_EQ(libraries.loaded, 1) << "the library stays loaded";

  // The next run starts afresh; the one left behind ends by itself once Render returns.
  plugin.hang_render = false;
  ASSERT_TRUE(host.Start("vis.dll", "Bars", nullptr));
  WaitForRenders(3);
  EXPECT_TRUE(host.Stop());
  EXPECT_EQ(plugin.quits, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

}  // namespace
}  // namespace velmora
