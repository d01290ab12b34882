// Started with an argument, so the Update command runs at start-up. Our
// command leaves two workers behind, one blocked in a read that never ends and
// one making window requests without pause, and closes the window shortly
// after. The process must still end at once with exit code 0.
#include <unistd.h>

#include <QTimer>

#include <thread>

#include "MainWindow.h"
#include "MainWindowView.h"
#include "QtApplicationStart.h"
#include "QtMainWindowView.h"
#include "UpdaterApp.h"

int main(int argc, char** argv) {
  StartQtApplication(argc, argv, UpdaterApp([](MainWindow& window) {
    static int neverWritten[2];
    if (::pipe(neverWritten) == 0) {
      std::thread([] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(neverWritten[0], &byte, 1);
      }).detach();
    }
    std::thread([&window] {
      for (;;) {
        window.AppendLine("still working");
        window.SetProgressPosition(1);
      }
    }).detach();
    auto& view = dynamic_cast<QtMainWindowView&>(window.View());
    QTimer::singleShot(300, &view, [&view] { view.reject(); });
  }));
}
