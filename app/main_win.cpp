// Program entry: the application object (the model, then the nine windows in their order),
// the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "plugins/plugin_system_win.h"
#include "ui/top_level_window_win.h"
#include "ui/widgets.h"

namespace {

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  return args;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  velmora::RestrictDllSearchPath();

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  velmora::ui::RegisterWidgetClasses(instance);
  velmora::App app(instance, velmora::ExecutableFolder(), CommandLineArguments());
  if (!app.CreateWindows()) return 1;
  velmora::MainWindow* main = &app.Main();
  ShowWindow(main->Handle(), show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(main->Handle());

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (main->PreTranslate(msg)) continue;
    if (velmora::ui::PreTranslateDialogKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }

  return static_cast<int>(msg.wParam);
}
