// Program entry: the application object (the model, then the nine windows in their order),
// the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "plugins/plugin_system_win.h"
#include "ui/paced_steps_win.h"
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

  // The loop also makes the scrolling title's steps when they fall due.
  return velmora::ui::RunMessageLoop([main](MSG& msg) {
    return main->PreTranslate(msg) || velmora::ui::PreTranslateDialogKey(msg);
  });
}
