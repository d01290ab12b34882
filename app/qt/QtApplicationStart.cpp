#include "QtApplicationStart.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>

#include "CommandLine.h"
#include "QtMainWindowView.h"
#include "UpdaterApp.h"
#include "WorkingFolder.h"

void StartQtApplication(int argc, char** argv, const UpdaterApp& app) {
  const bool startedWithArgument = HasCommandLineArgument(argc, argv);
  const std::string workingFolderProblem = EnterWorkingFolderWhenAsked();
  // Never destroyed, like the window: the worker's pending requests belong to
  // its event queue.
  auto* application = new QApplication(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tessaramond"));
  QApplication::setApplicationVersion(QStringLiteral(TESSARAMOND_VERSION));
  // The classic look: group-box captions on the frame, as the layout was drawn.
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
  (void)application;
  if (!workingFolderProblem.empty()) {
    QMessageBox::warning(nullptr, QStringLiteral("Tessaramond"), QString::fromStdString(workingFolderProblem));
  }
  app.Run(*new QtMainWindowView, startedWithArgument);
}
