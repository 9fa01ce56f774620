// The settings key HKEY_CURRENT_USER\Software\velmora as a SettingsStore.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "ui/handles_win.h"

namespace velmora {

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
  ui::UniqueKey key_;
};

}  // namespace velmora
