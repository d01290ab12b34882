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
  std::quick_exit(0);
}
