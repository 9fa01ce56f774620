#include "options/shell_integration_win.h"
#include "ui/handles_win.h"
#include "ui/wide_win.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

namespace velmora {

namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kUserClasses[] = "Software\\Classes\\";
constexpr char kShortcutName[] = "Velmora MP3 Player.lnk";
constexpr char kProgramsSubFolder[] = "Velmora MP3 Player";

std::string SystemMessage(LONG code) {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
  std::string s = text;
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.'))
    s.pop_back();
  return s.empty() ? "error " + std::to_string(code) : s;
}

// Writes keys below the classes root, moving to the user's own classes for good once the
// machine-wide root refuses a write.
class ClassesWriter {
 public:
  LONG Write(const ClassKeyWrite& w) {
    if (!per_user_) {
      const LONG r = WriteBelow(HKEY_CLASSES_ROOT, w.key, w.value);
      if (r != ERROR_ACCESS_DENIED) return r;
      per_user_ = true;
    }
    return WriteBelow(HKEY_CURRENT_USER, kUserClasses + w.key, w.value);
  }
  bool PerUser() const { return per_user_; }

 private:
  static LONG WriteBelow(HKEY root, const std::string& key, const std::string& value) {
    ui::UniqueKey k;
    LONG r =
        RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.out(), nullptr);
    if (r != ERROR_SUCCESS) return r;
    return RegSetValueExA(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
  }
  bool per_user_ = false;
};

std::string ShellFolder(const char* value_name, int csidl) {
  ui::UniqueKey key;
  std::string folder;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE, key.out()) ==
      ERROR_SUCCESS)
    ui::ReadRegistryString(key.get(), value_name, folder);
  if (folder.empty()) {
    folder = ui::ShellFolder(csidl | CSIDL_FLAG_CREATE);
  }
  return folder;
}

// Saves one shortcut to `program_path` as `file`; false when it was not written.
bool SaveShortcut(const std::string& program_path, const std::string& file) {
  const std::wstring wide = ui::Widen(file);
  if (file.empty() || wide.size() > MAX_PATH) return false;
  const HRESULT com = CoInitialize(nullptr);
  bool saved = false;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(ui::Widen(program_path).c_str());
    link->SetDescription(L"The Ultimate MP3 Player");
    link->SetShowCmd(SW_SHOW);
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      saved = SUCCEEDED(persist->Save(wide.c_str(), TRUE));
      persist->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  // Trust the file, not only the answer.
  return saved && ui::FileAttributes(file) != INVALID_FILE_ATTRIBUTES;
}

bool CreateShortcut(const std::string& program_path, const char* value_name, int csidl,
                    const char* sub_folder, const char* done_text, const StatusOut& status) {
  std::string folder = ShellFolder(value_name, csidl);
  if (folder.empty()) {
    status(std::string("Could not create link : no ") + value_name + " folder");
    return false;
  }
  if (sub_folder) {
    folder += std::string("\\") + sub_folder;
    ui::MakeFolder(folder);  // it may exist already
  }
  const std::string file = folder + "\\" + kShortcutName;
  if (!SaveShortcut(program_path, file)) {
    status("Could not create link " + file);
    return false;
  }
  status(done_text);
  return true;
}

}  // namespace

bool RegisterFileTypes(const FileTypePlan& plan, const StatusOut& status) {
  ClassesWriter writer;
  bool all = true, any = false;
  for (const ClassKeyWrite& w : plan.shared) {
    const LONG r = writer.Write(w);
    if (r != ERROR_SUCCESS) {
      status("Could not register " + w.key + " : " + SystemMessage(r));
      all = false;
      break;
    }
    any = true;
  }
  if (all) {
    for (const FileTypePlan::Extension& e : plan.extensions) {
      LONG r = ERROR_SUCCESS;
      for (const ClassKeyWrite& w : e.writes) {
        r = writer.Write(w);
        if (r != ERROR_SUCCESS) break;
        any = true;
      }
      if (r == ERROR_SUCCESS) {
        status("Registered Filetype : " + e.extension +
               (writer.PerUser() ? " (for this user)" : ""));
      } else {
        status("Could not register Filetype : " + e.extension + " : " + SystemMessage(r));
        all = false;
      }
    }
  }
  if (any) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return all;
}

bool CreateProgramsShortcut(const std::string& program_path, const StatusOut& status) {
  return CreateShortcut(program_path, "Programs", CSIDL_PROGRAMS, kProgramsSubFolder,
                        "Link created ...", status);
}

bool CreateDesktopShortcut(const std::string& program_path, const StatusOut& status) {
  return CreateShortcut(program_path, "Desktop", CSIDL_DESKTOPDIRECTORY, nullptr,
                        "Desktop Link created ...", status);
}

}  // namespace velmora
