// A whole update through the window: runs what tessaramond's main runs
// (UpdaterApp), presses Update once the main window is exposed, and lets the
// real Update command and programming worker take Hex/ and Flash/ of the
// working folder to the first port of TESSARAMOND_PORTS (ovensim), with the
// oven's fixed pauses scaled by --pause-scale (default 0.01) as the tests do.
// Meanwhile a 1 ms timer on the UI thread notes how late each of its turns
// comes: the longest gap is the longest the window did not answer, and the UI
// thread's CPU time within it tells its own work from waiting for a core
// (the other programs of a busy machine). Closes the final message box, then
// prints one line and ends:
//   window_run_bench: outcome=succeeded box="Update ok!!!" run_ms=... ticks=...
//   longest_gap_ms=... longest_gap_cpu_ms=... busiest_gap_ms=... busiest_gap_cpu_ms=...
//   busiest_line="..." peak_rss_kb=...
//   stalls=ms/cpu ms@"last line"|...
// Exit status 0 after a run that ended with "Update ok!!!", else 1.
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "CancelRequest.h"
#include "ControlId.h"
#include "FirmwareFileSelection.h"
#include "MainWindow.h"
#include "Pauses.h"
#include "ProgrammingWorker.h"
#include "QtApplicationStart.h"
#include "QtMainWindowView.h"
#include "UpdaterApp.h"

namespace {

// The Qt window of the one main window; nullptr before start-up made it.
QtMainWindowView* TheView() {
  return theMainWindow != nullptr ? dynamic_cast<QtMainWindowView*>(&theMainWindow->View()) : nullptr;
}

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

double pauseScale = 0.01;
std::atomic<int> outcome{-1};
QString boxText;
Clock::time_point runStart;

// The longest gaps between the turns of a timer on the UI thread, each with
// the message list's last line when the gap ended.
class StallProbe : public QObject {
 public:
  struct Gap {
    double ms;
    double cpuMs;  // the UI thread's own CPU time within the gap
    std::string lastLine;
  };

  void Start() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    last_ = Clock::now();
    lastCpu_ = ThreadCpuMs();
    timer_.start();
  }
  void Stop() { timer_.stop(); }

  const std::vector<Gap>& Longest() const { return longest_; }
  // The gap in which the UI thread itself worked longest.
  const Gap& Busiest() const { return busiest_; }
  long Ticks() const { return ticks_; }

 private:
  void Tick() {
    const auto now = Clock::now();
    const double cpu = ThreadCpuMs();
    const double gap = Ms(now - last_);
    const double gapCpu = cpu - lastCpu_;
    last_ = now;
    lastCpu_ = cpu;
    ++ticks_;
    if (gapCpu > busiest_.cpuMs) busiest_ = {gap, gapCpu, LastLine()};
    if (longest_.size() < 5 || gap > longest_.back().ms) {
      longest_.push_back({gap, gapCpu, LastLine()});
      std::sort(longest_.begin(), longest_.end(), [](const Gap& a, const Gap& b) { return a.ms > b.ms; });
      if (longest_.size() > 5) longest_.pop_back();
    }
  }

  static double ThreadCpuMs() {
    timespec time{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
  }

  static std::string LastLine() {
    auto* list = qobject_cast<QListWidget*>(TheView()->Control(ControlId::kMessageList));
    return list->count() > 0 ? list->item(list->count() - 1)->text().toStdString() : std::string();
  }

  QTimer timer_;
  Clock::time_point last_;
  double lastCpu_ = 0;
  long ticks_ = 0;
  std::vector<Gap> longest_;
  Gap busiest_{0, 0, {}};
};

StallProbe* probe = nullptr;

long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// On the UI thread once the worker has made its last request.
void Finish() {
  probe->Stop();
  const char* names[] = {"succeeded", "failed", "cancelled"};
  const int result = outcome.load();
  std::string stalls;
  for (const auto& gap : probe->Longest()) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%.2f/%.2f@", stalls.empty() ? "" : "|", gap.ms, gap.cpuMs);
    stalls += text + ("\"" + gap.lastLine + "\"");
  }
  const bool ok = result == static_cast<int>(RunOutcome::Succeeded) && boxText == QStringLiteral("Update ok!!!");
  const auto& longest = probe->Longest();
  std::printf("window_run_bench: outcome=%s box=\"%s\" run_ms=%.0f ticks=%ld longest_gap_ms=%.2f "
              "longest_gap_cpu_ms=%.2f busiest_gap_ms=%.2f busiest_gap_cpu_ms=%.2f busiest_line=\"%s\" "
              "peak_rss_kb=%ld stalls=%s\n",
              result >= 0 && result < 3 ? names[result] : "none", boxText.toStdString().c_str(),
              Ms(Clock::now() - runStart), probe->Ticks(), longest.empty() ? 0.0 : longest.front().ms,
              longest.empty() ? 0.0 : longest.front().cpuMs, probe->Busiest().ms, probe->Busiest().cpuMs,
              probe->Busiest().lastLine.c_str(), PeakResidentKb(), stalls.c_str());
  std::fflush(nullptr);
  std::quick_exit(ok ? 0 : 1);
}

// The real Update command with the oven's pauses scaled.
void UpdateWithScaledPauses(MainWindow& window) {
  static ScaledPauses pauses(pauseScale);
  window.SaveControlValues();
  if (!LoadFirmwareFiles(window, kFirmwareFolder)) {
    // No run starts: end here rather than wait for one.
    outcome = static_cast<int>(RunOutcome::Failed);
    QMetaObject::invokeMethod(TheView(), &Finish, Qt::QueuedConnection);
    return;
  }
  StartProgrammingWorker(
      ProgrammingContext{window, [] { return std::make_unique<SerialPort>(); }, pauses, theCancelRequest},
      [](RunOutcome result) {
        outcome = static_cast<int>(result);
        QMetaObject::invokeMethod(TheView(), &Finish, Qt::QueuedConnection);
      });
}

// Closes each message box the run shows, as the technician's OK would.
void CloseMessageBoxes() {
  auto* watch = new QTimer;
  watch->setInterval(5);
  QObject::connect(watch, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxText = box->text();
      box->close();
    }
  });
  watch->start();
}

class PressUpdateWhenExposed : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (theMainWindow == nullptr || event->type() != QEvent::Expose || watched != TheView()->windowHandle()) {
      return false;
    }
    QCoreApplication::instance()->removeEventFilter(this);
    QTimer::singleShot(0, [] {
      probe = new StallProbe;
      CloseMessageBoxes();
      runStart = Clock::now();
      probe->Start();
      qobject_cast<QAbstractButton*>(TheView()->Control(ControlId::kUpdateButton))->click();
    });
    return false;
  }
};

void Prepare() { QCoreApplication::instance()->installEventFilter(new PressUpdateWhenExposed); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Prepare)

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "--pause-scale") == 0) {
    pauseScale = std::atof(argv[2]);
    argc = 1;  // nothing after the program's name: no Update at start
  }
  StartQtApplication(argc, argv, UpdaterApp(UpdateWithScaledPauses));
}
