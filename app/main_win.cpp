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
#include "ui/wide_win.h"

namespace {

// The arguments in UTF-8, whatever the active code page holds.
std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args = velmora::ui::CommandLineArguments();
  if (!args.empty()) args.erase(args.begin());  // the program's own name
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
  // Wide messages: a character typed into a Unicode window arrives whole.
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (main->PreTranslate(msg)) continue;
    if (velmora::ui::PreTranslateDialogKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  return static_cast<int>(msg.wParam);
}
