#include "Win32ApplicationStart.h"

#include <commctrl.h>

#include "CommandLine.h"
#include "UpdaterApp.h"
#include "Win32MainWindowView.h"

void StartWin32Application(HINSTANCE instance, const UpdaterApp& app) {
  const bool startedWithArgument = HasTextAfterProgramName(GetCommandLineW());
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  // Never destroyed: a worker may still be in one of its requests when the
  // process ends.
  app.Run(*new Win32MainWindowView(instance), startedWithArgument);
}
