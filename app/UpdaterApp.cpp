#include "UpdaterApp.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MainWindow.h"
#include "TextCatalogue.h"

namespace {

// Any text after the program's name runs the Update command at start-up;
// blank arguments do not count, and the content is never looked at.
bool HasCommandLineText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strspn(argv[i], " \t") != std::strlen(argv[i])) return true;
  }
  return false;
}

}  // namespace

void UpdaterApp::Run(int argc, char** argv) {
  // Never destroyed, like the window below: the worker's pending requests
  // belong to its event queue.
  auto* application = new QApplication(argc, argv);  // removes Qt's own options from argv
  QApplication::setApplicationName(QStringLiteral("Tessaramond"));
  QApplication::setApplicationVersion(QStringLiteral(TESSARAMOND_VERSION));
  // The classic look: group-box captions on the frame, as the layout was drawn.
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));

  MainWindowSettings settings;
  settings.catalogueDirectory = QString::fromStdU16String(
      CatalogueDirectory(QApplication::applicationDirPath().toStdU16String()).u16string());
  settings.runUpdateAtStart = HasCommandLineText(argc, argv);
  settings.updateCommand = updateCommand_;

  auto* window = new MainWindow(std::move(settings));
  theMainWindow = window;
  window->exec();

  (void)application;
  std::fflush(nullptr);
  std::quick_exit(0);
}
