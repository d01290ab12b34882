// The window's start: runs what tessaramond's main runs (UpdaterApp: the
// application, the style, the catalogues, the main window with its port
// probe, the modal run) and ends the process once the main window is exposed
// and painted. Prints CLOCK_MONOTONIC times, which the caller subtracts from
// its own reading taken before it started this program:
//   window_start_bench: loaded=NS application=NS shown=NS exposed=NS painted=NS cpu_ms=MS
// (cpu_ms: the process's CPU time at the expose; the rest of the wait is for
// the disk, the display server or a core).
// loaded: this program's static initialisation, after the shared libraries;
// application: the QApplication is constructed; shown: the main window's
// Show event; exposed: its first Expose; painted: the first turn of the event
// loop after that Expose, whose handling painted and flushed the window.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "MainWindow.h"
#include "QtApplicationStart.h"
#include "QtMainWindowView.h"
#include "UpdaterApp.h"

namespace {

// The Qt window of the one main window; nullptr before start-up made it.
QtMainWindowView* TheView() {
  return theMainWindow != nullptr ? dynamic_cast<QtMainWindowView*>(&theMainWindow->View()) : nullptr;
}

long long Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

const long long loaded = Now();
long long application = 0;
long long shown = 0;
long long exposed = 0;
double exposedCpuMs = 0;

double ProcessCpuMs() {
  timespec time{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
  return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

class FirstExposeWatch : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (theMainWindow == nullptr) return false;
    if (shown == 0 && event->type() == QEvent::Show && watched == TheView()) shown = Now();
    if (exposed == 0 && event->type() == QEvent::Expose && watched == TheView()->windowHandle()) {
      exposed = Now();
      exposedCpuMs = ProcessCpuMs();
      QTimer::singleShot(0, [] {
        std::printf("window_start_bench: loaded=%lld application=%lld shown=%lld exposed=%lld painted=%lld cpu_ms=%.1f\n",
                    loaded, application, shown, exposed, Now(), exposedCpuMs);
        std::fflush(nullptr);
        std::quick_exit(0);
      });
    }
    return false;
  }
};

void WatchForFirstExpose() {
  application = Now();
  QCoreApplication::instance()->installEventFilter(new FirstExposeWatch);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchForFirstExpose)

int main(int argc, char** argv) { StartQtApplication(argc, argv, UpdaterApp()); }
