// A Windows-style INI file read the way the platform's profile functions read it:
// section and key names match without regard to letter case, the first occurrence of a
// key wins, values are trimmed and lose one pair of enclosing quotes, ';' starts a
// comment line. Integers follow the design files' rules: decimal, or hexadecimal after
// '$' (or "0x"); anything else, or a value outside 32 bits, gives the caller's default.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace velmora {

class IniFile {
 public:
  static IniFile Parse(const std::string& text);

  std::optional<std::string> Value(const std::string& section, const std::string& key) const;
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

 private:
  // lower-case "section\nkey" -> value
  std::map<std::string, std::string> values_;
};

// Integer text as the design files write it; nullopt when it is not one.
std::optional<int32_t> ParseIniInteger(const std::string& text);

std::string ToLowerAscii(std::string s);

}  // namespace velmora
