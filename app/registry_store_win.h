// The settings key HKEY_CURRENT_USER\Software\velmora as a SettingsStore.
#pragma once

#include <windows.h>

#include "app/settings.h"

namespace velmora {

// An open registry key, closed with its owner.
class UniqueHkey {
 public:
  UniqueHkey() = default;
  explicit UniqueHkey(HKEY key) : key_(key) {}
  ~UniqueHkey() { Reset(); }
  UniqueHkey(UniqueHkey&& other) noexcept : key_(other.Release()) {}
  UniqueHkey& operator=(UniqueHkey&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHkey(const UniqueHkey&) = delete;
  UniqueHkey& operator=(const UniqueHkey&) = delete;

  HKEY Get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  HKEY Release() {
    HKEY k = key_;
    key_ = nullptr;
    return k;
  }
  void Reset(HKEY key = nullptr) {
    if (key_) RegCloseKey(key_);
    key_ = key;
  }

 private:
  HKEY key_ = nullptr;
};

class RegistryStore : public SettingsStore {
 public:
  // The key below HKEY_CURRENT_USER, "Software\velmora" for the player.
  explicit RegistryStore(const char* subkey = "Software\\velmora");

  bool KeyExists() override;
  bool CreateKey() override;
  bool HasValue(const std::string& name) override;
  std::string ReadString(const std::string& name) override;
  int32_t ReadInt(const std::string& name) override;
  bool ReadBool(const std::string& name) override;
  void WriteString(const std::string& name, const std::string& value) override;
  void WriteInt(const std::string& name, int32_t value) override;
  void WriteBool(const std::string& name, bool value) override;

 private:
  // Opens the key on first use (never creating it).
  HKEY Key();

  std::string subkey_;
  UniqueHkey key_;
};

}  // namespace velmora
