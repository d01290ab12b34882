// The real start of the window, with an Update command that only says it ran.
// Started with any argument (Qt's own options and an empty one included) it
// must say so; started without, the window is closed again unpressed.
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

#include "MainWindow.h"
#include "QtApplicationStart.h"
#include "UpdaterApp.h"

namespace {

void CloseSoonAfterStart() {
  QTimer::singleShot(0, [] {
    if (theMainWindow != nullptr) theMainWindow->OnCancel();
  });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(CloseSoonAfterStart)

int main(int argc, char** argv) {
  StartQtApplication(argc, argv, UpdaterApp([](MainWindow&) { std::puts("Update pressed"); }));
}
