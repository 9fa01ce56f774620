// Program entry: the application object, the nine windows in their order, the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "plugins/plugin_system_win.h"
#include "ui/top_level_window_win.h"
#include "ui/widgets.h"
#include "ui/wide_win.h"


namespace {

// Only the system folder and folders added on purpose: never the working folder or the
// folder of a media file, for every library the program loads from here on.
void RestrictLibrarySearch() {
  using SetDirsFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto set_dirs = kernel ? reinterpret_cast<SetDirsFn>(reinterpret_cast<void*>(
                               GetProcAddress(kernel, "SetDefaultDllDirectories")))
                         : nullptr;
  if (set_dirs) set_dirs(0x00001000 /* LOAD_LIBRARY_SEARCH_DEFAULT_DIRS */);
  SetDllDirectoryW(L"");  // drops the working folder from the legacy search order too
}

// The arguments in UTF-8, whatever the active code page holds.
std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args = velmora::ui::CommandLineArguments();
  if (!args.empty()) args.erase(args.begin());  // the program's own name
  return args;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  RestrictLibrarySearch();
  velmora::RestrictDllSearchPath();

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  velmora::App app;
  app.instance = instance;
  app.title = "ORVANE Velmora";
  app.program_folder = velmora::ExecutableFolder();
  app.arguments = CommandLineArguments();
  velmora::ui::RegisterWidgetClasses(instance);

  // The model, the main window (it makes the player), then the other windows in their order.
  if (!velmora::CreateWindows(app)) return 1;
  velmora::MainWindow* main = app.main_form.get();
  ShowWindow(main->Handle(), show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(main->Handle());

  MSG msg;
  // Wide messages: a character typed into a Unicode window arrives whole.
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (main->PreTranslate(msg)) continue;
    if (velmora::ui::PreTranslateDialogKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  velmora::DestroyWindows(app);
  return static_cast<int>(msg.wParam);
}
