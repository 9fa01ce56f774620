// The name a library of the 8-bit contract gets, on a fake system whose code page holds
// Latin-1 only and whose files may have short aliases.
#include <gtest/gtest.h>

#include <map>

#include "plugins/plugin_names.h"
#include "ui/utf8.h"

namespace velmora {
namespace {

class Latin1System : public LegacyNames {
 public:
  bool utf8 = false;
  std::map<std::string, std::string> aliases;

  bool CodePageIsUtf8() const override { return utf8; }
  std::optional<std::string> ToCodePage(const std::string& text) const override {
    std::string out;
    for (char16_t c : ui::Utf8ToUtf16(text)) {
      if (c > 0xFF) return std::nullopt;
      out.push_back(static_cast<char>(c));
    }
    return out;
  }
  std::string ToCodePageLossy(const std::string& text) const override {
    std::string out;
    for (char16_t c : ui::Utf8ToUtf16(text)) out.push_back(c > 0xFF ? '?' : static_cast<char>(c));
    return out;
  }
  std::string ShortAlias(const std::string& path) const override {
    const auto it = aliases.find(path);
    return it == aliases.end() ? std::string() : it->second;
  }
  std::string FromCodePage(const std::string&) const override { return {}; }
  std::string FromSystemCodePage(const std::string&) const override { return {}; }
};

TEST(ShortNameChoice, CodePageFormThenShortAliasThenLossy) {
  Latin1System system;
  const std::string kyoto = "C:\\m\\\xE4\xBA\xAC\xE9\x83\xBD.mp3";      // 京都.mp3
  const std::string emoji = "C:\\m\\caf\xC3\xA9 \xF0\x9F\x8E\xB5.mp3";  // café 🎵.mp3
  system.aliases[kyoto] = "C:\\m\\A1B2~1.MP3";

  EXPECT_EQ(NameForLegacyLibrary("C:\\m\\plain.mp3", system), "C:\\m\\plain.mp3");
  EXPECT_EQ(NameForLegacyLibrary("C:\\m\\caf\xC3\xA9.mp3", system), "C:\\m\\caf\xE9.mp3");
  EXPECT_EQ(NameForLegacyLibrary(kyoto, system), "C:\\m\\A1B2~1.MP3");
  // No alias (short names off, or not a file): the library gets what the code page holds.
  EXPECT_EQ(NameForLegacyLibrary(emoji, system), "C:\\m\\caf\xE9 ??.mp3");

  system.utf8 = true;  // the manifest took effect: every name passes as it is
  EXPECT_EQ(NameForLegacyLibrary(kyoto, system), kyoto);
  EXPECT_EQ(NameForLegacyLibrary(emoji, system), emoji);
}

}  // namespace
}  // namespace velmora
