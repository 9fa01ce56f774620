// What filtering a large playlist by typed words costs per keystroke: folding 100,000
// display names once, then the query "cafe tone" typed letter by letter (each step
// narrowing the previous result), then the query cleared and typed again fresh.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "playlist/jump_filter.h"

namespace {

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main() {
  using velmora::JumpFilter;
  const char* words[] = {"Tone",
                         "Caf\xE9",
                         "Night",
                         "Bl\xFC"
                         "e",
                         "River",
                         "Song",
                         "Live",
                         "Remix",
                         "Sunday",
                         "Echo",
                         "Noir",
                         "Stra\xDF"
                         "e"};
  std::vector<std::string> names;
  constexpr size_t kEntries = 100000;
  names.reserve(kEntries);
  for (size_t i = 0; i < kEntries; ++i) {
    names.push_back("Artist " + std::to_string(i % 997) + " - " + words[i % 13] + " " +
                    words[(i / 13) % 13] + " " + std::to_string(i) + ".mp3");
  }

  JumpFilter filter;
  auto start = std::chrono::steady_clock::now();
  filter.SetNames(names);
  std::printf("fold %zu names (once per playlist change): %.1f ms\n", kEntries, MsSince(start));

  const std::string query = "cafe tone";
  double worst = 0;
  for (size_t n = 1; n <= query.size(); ++n) {
    start = std::chrono::steady_clock::now();
    const size_t rows = filter.Filter(query.substr(0, n)).size();
    const double ms = MsSince(start);
    if (ms > worst) worst = ms;
    std::printf("  \"%s\": %zu rows, %.2f ms\n", query.substr(0, n).c_str(), rows, ms);
  }
  std::printf("typed letter by letter: slowest keystroke %.2f ms (target: under 50 ms)\n", worst);

  start = std::chrono::steady_clock::now();
  filter.Filter("");
  const double cleared = MsSince(start);
  start = std::chrono::steady_clock::now();
  const size_t rows = filter.Filter("zzz cafe tone").size();
  std::printf("cleared: %.2f ms; three words at once over all names: %zu rows, %.2f ms\n", cleared,
              rows, MsSince(start));
  return 0;
}
