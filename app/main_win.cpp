// Program entry: the application object, the nine windows in their order, the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "plugins/plugin_system_win.h"
#include "ui/paced_steps_win.h"
#include "ui/top_level_window_win.h"
#include "ui/widgets.h"

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
  SetDllDirectoryA("");  // drops the working folder from the legacy search order too
}

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
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

  // The loop also makes the scrolling title's steps when they fall due.
  const int code = velmora::ui::RunMessageLoop([main](MSG& msg) {
    return main->PreTranslate(msg) || velmora::ui::PreTranslateDialogKey(msg);
  });

  velmora::DestroyWindows(app);
  return code;
}
