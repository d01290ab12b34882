#include "UpdaterApp.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstring>

#include "MainWindow.h"

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

int UpdaterApp::Run(int argc, char** argv) {
  QApplication application(argc, argv);  // removes Qt's own options from argv
  QApplication::setApplicationName(QStringLiteral("Tessaramond"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));

  MainWindowSettings settings;
  settings.catalogueDirectory = QApplication::applicationDirPath();
  settings.runUpdateAtStart = HasCommandLineText(argc, argv);

  // Never deleted: a worker may still be blocked in a window request when the
  // modal run ends, and the process ends right after it anyway.
  auto* window = new MainWindow(std::move(settings));
  theMainWindow = window;
  window->exec();
  return 0;
}
