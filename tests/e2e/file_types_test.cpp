// The FileType/Icons page: the registry entries of a registration read back, and the two
// shortcuts resolved through the shell.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/main_window_ids_win.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

std::string ClassesDefault(const std::string& key) {
  char value[1024] = {};
  LONG size = sizeof value;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return "<none>";
  return value;
}

void DeleteClasses(const std::string& key) {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\Classes\\" + key).c_str());
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}

struct Shortcut {
  std::string target, description;
};

std::optional<Shortcut> ReadShortcut(const std::string& file) {
  wchar_t wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
  std::optional<Shortcut> out;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return out;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
      char target[MAX_PATH] = {}, description[MAX_PATH] = {};
      link->GetPath(target, MAX_PATH, nullptr, 0);
      link->GetDescription(description, MAX_PATH);
      out = Shortcut{target, description};
    }
    persist->Release();
  }
  link->Release();
  return out;
}

class FileTypes : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    for (const char* key :
         {"Velmora File", "Velmora MP3 File", "Velmora MP2 File", ".MP3", ".MP2", ".WSZ"})
      DeleteClasses(key);
    registry::ClearSettings();
    folder_.Remove("Library\\openaudio.dll");  // the MPEG plug-in's types only
    ASSERT_TRUE(player_.Start(folder_));
    main_ = player_.WaitForMainWindow();
    ASSERT_TRUE(player_.WaitForStartup());
    // The start-up's one-shot status (the makers' address) comes first.
    ASSERT_TRUE(WaitUntil([&] { return ControlText(main_, ids::banner2).rfind("http", 0) == 0; }));
    // "Register Filetype" opens the page.
    PostMessageA(main_, WM_COMMAND, main_menu::kRegister, 0);
    options_ = player_.FindWindowOfClassWait("TForm2");
    ASSERT_TRUE(options_);
    // The shipped MPEG plug-in's types.
    ASSERT_TRUE(WaitUntil([&] { return ListCount(options_, ids::ListBox1) == 3; }));
  }
  void TearDown() override {
    for (const char* key :
         {"Velmora File", "Velmora MP3 File", "Velmora MP2 File", ".MP3", ".MP2", ".WSZ"})
      DeleteClasses(key);
    CoUninitialize();
  }
  void Select(int row, bool selected) {
    SendMessageA(Control(options_, ids::ListBox1), LB_SETSEL, selected, row);
  }
  void ChooseIcon(int position) {
    HWND bar = Control(options_, ids::TrackBar1);
    SendMessageA(bar, TBM_SETPOS, TRUE, position);
    SendMessageA(options_, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(bar));
  }
  std::string Status() { return ControlText(main_, ids::banner2); }

  TestFolder folder_;
  PlayerProcess player_;
  HWND main_ = nullptr, options_ = nullptr;
};

TEST_F(FileTypes, RegisteringWritesTheKeysOfTheChosenIcon) {
  const std::string command = "\"" + folder_.ExePath() + "\" \"%1\"";
  // Our three icons, by name: disc, note, wave; position 1 is the program's own icon.
  EXPECT_EQ(SliderMax(options_, ids::TrackBar1), 4);
  EXPECT_EQ(ListItems(options_, ids::ListBox1), (std::vector<std::string>{"MP3", "MP2", "MP1"}));

  Select(0, true);
  Select(1, true);
  ChooseIcon(2);
  Click(options_, ids::ftRegister);
  EXPECT_EQ(Status(), "Registered Filetype : MP2");
  for (const char* e : {"MP3", "MP2"}) {
    const std::string type = std::string("Velmora ") + e + " File";
    EXPECT_EQ(ClassesDefault(type), type);
    EXPECT_EQ(ClassesDefault(type + "\\DefaultIcon"), folder_.Path() + "\\icons\\disc.ico");
    EXPECT_EQ(ClassesDefault(type + "\\shell\\open\\command"), command);
    EXPECT_EQ(ClassesDefault(std::string(".") + e), type);
  }
  EXPECT_EQ(ClassesDefault("Velmora File"), "<none>");

  // An icon added while the page is open counts at the next change.
  folder_.WriteFile("Icons\\added.ico", folder_.ReadFile("Icons\\disc.ico"));
  ChooseIcon(1);
  EXPECT_EQ(SliderMax(options_, ids::TrackBar1), 5);

  Select(1, false);  // MP3 only
  Click(options_, ids::ftRegister);
  EXPECT_EQ(Status(), "Registered Filetype : MP3");
  EXPECT_EQ(ClassesDefault("Velmora File"), "Velmora File");
  EXPECT_EQ(ClassesDefault("Velmora File\\shell\\open\\command"), command);
  EXPECT_EQ(ClassesDefault(".MP3"), "Velmora File");
  EXPECT_EQ(ClassesDefault(".MP2"), "Velmora MP2 File");
  EXPECT_EQ(ClassesDefault(".WSZ"), "<none>");

  // Skin archives are registered with the others when asked.
  Click(options_, ids::ftSkins);
  Click(options_, ids::ftRegister);
  EXPECT_EQ(Status(), "Registered Filetype : WSZ");
  EXPECT_EQ(ClassesDefault(".WSZ"), "Velmora File");
}

TEST_F(FileTypes, BothShortcutsResolveToThePlayerAndTheProgramsOneTwice) {
  const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Velmora MP3 Player.lnk";
  const std::string programs =
      ShellFolder(CSIDL_PROGRAMS) + "\\Velmora MP3 Player\\Velmora MP3 Player.lnk";
  DeleteFileA(desktop.c_str());
  DeleteFileA(programs.c_str());

  Click(options_, ids::ftDesktop);
  EXPECT_EQ(Status(), "Desktop Link created ...");
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(SendCopyData(main_, "$waiting"), 0);
    Click(options_, ids::ftPrograms);
    EXPECT_EQ(Status(), "Link created ...") << round;
  }
  for (const std::string& file : {desktop, programs}) {
    auto link = ReadShortcut(file);
    ASSERT_TRUE(link) << file;
    EXPECT_EQ(link->description, "The Ultimate MP3 Player");
    EXPECT_EQ(_stricmp(link->target.c_str(), folder_.ExePath().c_str()), 0) << link->target;
  }
  DeleteFileA(desktop.c_str());
  DeleteFileA(programs.c_str());
}

}  // namespace
}  // namespace velmora::e2e
