#include "UpdaterApp.h"

#include <cstdio>
#include <cstdlib>

#include "ExecutableDirectory.h"
#include "MainWindow.h"
#include "MainWindowView.h"
#include "TextCatalogue.h"

void UpdaterApp::RunMainWindow(MainWindowView& view, bool startedWithArgument) const {
  MainWindowSettings settings;
  settings.catalogueDirectory = CatalogueDirectory(ExecutableDirectory());
  settings.runUpdateAtStart = startedWithArgument;
  settings.updateCommand = updateCommand_;
  auto* window = new MainWindow(view, std::move(settings));
  theMainWindow = window;
  view.RunModal(*window);
}

void UpdaterApp::Run(MainWindowView& view, bool startedWithArgument) const {
  RunMainWindow(view, startedWithArgument);
  std::fflush(nullptr);
  // _Exit, not quick_exit: mingw-w64's C runtime (msvcrt) has no quick_exit,
  // and with no at_quick_exit handler registered the two end alike.
  std::_Exit(0);
}
