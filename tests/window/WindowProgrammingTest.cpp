// The Qt window through a whole update against the oven simulator: its
// requests served by Qt while a real worker talks to the oven, and the
// "Update ok!!!" box over the finished list. What each failure gives back is
// the dialogues' tests' and the fault matrix's.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <optional>

#include "CancelRequest.h"
#include "ChildProcess.h"
#include "ControlId.h"
#include "FirmwareFileSelection.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "WindowTestSupport.h"
#include "PortProbe.h"
#include "ProgrammingWorker.h"

namespace {

bool IsEnabled(const QtWindow& qt, int id) { return qt.view.Control(id)->isEnabled(); }

// Serves the window's events until `done` holds or the time is up. Unlike
// QTRY_*, whose waits sleep between batches of events, this answers each of
// the worker's requests at once, as the window's own loop does.
bool ServeUntil(const std::function<bool()>& done, int timeoutMs) {
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  check.start(20);
  loop.exec();
  return done();
}

}  // namespace

class WindowProgrammingTest : public QObject {
  Q_OBJECT

  // Set once the worker has made its last request: the window may go then.
  static inline std::atomic<bool> runEnded{false};

  // The simulator on a pty as the only port, and the window in `folder`,
  // whose Update command runs the real one with pauses that take no time.
  std::unique_ptr<QtWindow> Prepare(TemporaryFolder& folder, std::optional<ChildProcess>& oven,
                                      std::vector<std::string> ovenOptions) {
    std::vector<std::string> command{OVENSIM_PATH, "--once", "--save", folder.Path().string()};
    command.insert(command.end(), ovenOptions.begin(), ovenOptions.end());
    oven.emplace(command, folder.Path().string(), (folder / "ovensim.err").string());
    const auto port = oven->ReadLine();
    if (!port) return nullptr;
    qputenv(kPortListVariable, QByteArray::fromStdString(*port));
    QDir::setCurrent(QString::fromStdString(folder.Path().string()));

    MainWindowSettings settings;
    settings.catalogueDirectory = CATALOGUE_DIR;
    settings.updateCommand = [](MainWindow& window) {
      static ScaledPauses noPauses(0.0);
      window.SaveControlValues();
      if (!LoadFirmwareFiles(window, kFirmwareFolder)) return;
      runEnded = false;
      StartProgrammingWorker(
          ProgrammingContext{window, [] { return std::make_unique<SerialPort>(); }, noPauses, theCancelRequest},
          [](RunOutcome) { runEnded = true; });
    };
    auto qt = std::make_unique<QtWindow>(std::move(settings));
    qt->view.show();
    return qt;
  }

 private slots:
  void updateProgramsBothModulesAndUploadsTheLanguageData() {
    TemporaryFolder folder;
    const FirmwareRelease release(folder.Path(), 512, 512);
    std::optional<ChildProcess> oven;
    auto window = Prepare(folder, oven, {});
    QVERIFY(window);

    QString boxText;
    QStringList linesUnderTheBox;
    OnNextModal([&](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal)) boxText = box->text();
      linesUnderTheBox = Lines(window->view);
    });
    qobject_cast<QAbstractButton*>(window->view.Control(ControlId::kUpdateButton))->click();
    QVERIFY(ServeUntil([] { return runEnded.load(); }, 60000));
    QCOMPARE(boxText, QStringLiteral("Update ok!!!"));
    QCOMPARE(linesUnderTheBox.last(), QStringLiteral("Upload process succeeded :-)"));
    QCOMPARE(Lines(window->view).last(), QStringLiteral("Upload process succeeded :-)"));
    QVERIFY(IsEnabled(*window, ControlId::kUpdateButton));
    QVERIFY(IsEnabled(*window, ControlId::kCancel));
    QVERIFY(IsEnabled(*window, ControlId::kLanguageSelector));
    QCOMPARE(qobject_cast<QProgressBar*>(window->view.Control(ControlId::kProgressBar))->value(), 2560);

    QCOMPARE(oven->Wait(), 0);
    QVERIFY(ReadAll(folder / "sm-image.bin") == release.ExpectedSm());
    QVERIFY(ReadAll(folder / "bm-image.bin") == release.ExpectedBm());
    QVERIFY(ReadAll(folder / "language.bin") == release.ExpectedLanguage());
  }
};

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  WindowProgrammingTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "WindowProgrammingTest.moc"
