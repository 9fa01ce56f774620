#include "app/registry_store_win.h"
#include "ui/wide_win.h"

#include <vector>

namespace velmora {

RegistryStore::RegistryStore(const char* subkey) : subkey_(subkey) {}

HKEY RegistryStore::Key() {
  if (!key_) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_READ | KEY_WRITE, &k) ==
        ERROR_SUCCESS)
      key_.reset(k);
  }
  return key_.get();
}

bool RegistryStore::KeyExists() { return Key() != nullptr; }

bool RegistryStore::CreateKey() {
  if (Key()) return true;
  HKEY k = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return false;
  key_.reset(k);
  return true;
}

bool RegistryStore::HasValue(const std::string& name) {
  HKEY k = Key();
  return k &&
         RegQueryValueExA(k, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string RegistryStore::ReadString(const std::string& name) {
  HKEY k = Key();
  std::string value;
  // Read in UTF-16: a value holding a name outside the code page comes back whole.
  if (!k || !ui::ReadRegistryString(k, name.c_str(), value))
    throw SettingsError("Invalid data type for '" + name + "'");
  return value.substr(0, value.find('\0'));  // stops at the terminating zero
}

int32_t RegistryStore::ReadInt(const std::string& name) {
  HKEY k = Key();
  DWORD type = 0, value = 0, size = sizeof(value);
  if (!k ||
      RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    throw SettingsError("Invalid data type for '" + name + "'");
  return static_cast<int32_t>(value);
}

bool RegistryStore::ReadBool(const std::string& name) { return ReadInt(name) != 0; }

void RegistryStore::WriteString(const std::string& name, const std::string& value) {
  HKEY k = Key();
  if (!k || !ui::WriteRegistryString(k, name.c_str(), value))
    throw SettingsError("Failed to set data for '" + name + "'");
}

void RegistryStore::WriteInt(const std::string& name, int32_t value) {
  HKEY k = Key();
  DWORD v = static_cast<DWORD>(value);
  if (!k || RegSetValueExA(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                           sizeof(v)) != ERROR_SUCCESS)
    throw SettingsError("Failed to set data for '" + name + "'");
}

void RegistryStore::WriteBool(const std::string& name, bool value) {
  WriteInt(name, value ? 1 : 0);
}

}  // namespace velmora
