// The Qt window driving a programming run against the oven simulator: its
// requests served by Qt while a real worker talks to the oven.
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

  // A few rows of the fault matrix, for what only the window shows: the
  // controls each failure gives back.
  void failuresLeaveTheirControls_data() {
    QTest::addColumn<QStringList>("ovenOptions");
    QTest::addColumn<bool>("languageFile");
    QTest::addColumn<QString>("report");  // the last line, or the box's text
    QTest::addColumn<bool>("updateBack");
    QTest::addColumn<bool>("languageBack");
    QTest::newRow("control module rejects a block")
        << QStringList{"--reject-block", "2"} << true << "ERROR: wrong data/checksum" << true << false;
    QTest::newRow("operating module rejects a block")
        << QStringList{"--bm-reject-block", "2"} << true << "ERROR: wrong data/checksum" << false << false;
    QTest::newRow("language telegram unanswered")
        << QStringList{"--silent-telegram", "1"} << true << "ERROR: no answer from device" << true << true;
    QTest::newRow("language file missing")
        << QStringList{} << false
        << "Error opening the language file Flash/flash_Std.bin: No such file or directory" << true << true;
  }

  void failuresLeaveTheirControls() {
    QFETCH(QStringList, ovenOptions);
    QFETCH(bool, languageFile);
    QFETCH(QString, report);
    TemporaryFolder folder;
    const FirmwareRelease release(folder.Path(), 8, 8);
    if (!languageFile) std::filesystem::remove(folder / "Flash" / "flash_Std.bin");
    std::optional<ChildProcess> oven;
    std::vector<std::string> options;
    for (const QString& option : ovenOptions) options.push_back(option.toStdString());
    auto window = Prepare(folder, oven, options);
    QVERIFY(window);

    // Only the missing file's row ends with a box; a watch for one that never
    // comes would outlive this test.
    QString boxText;
    if (!languageFile) {
      OnNextModal([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) boxText = box->text();
      });
    }
    qobject_cast<QAbstractButton*>(window->view.Control(ControlId::kUpdateButton))->click();
    QVERIFY(ServeUntil([] { return runEnded.load(); }, 20000));
    QCOMPARE(languageFile ? Lines(window->view).last() : boxText, report);
    QVERIFY(!Lines(window->view).contains(QStringLiteral("Upload process succeeded :-)")));
    QVERIFY(IsEnabled(*window, ControlId::kCancel));
    QTEST(IsEnabled(*window, ControlId::kUpdateButton), "updateBack");
    QTEST(IsEnabled(*window, ControlId::kLanguageSelector), "languageBack");
  }
};

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  WindowProgrammingTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "WindowProgrammingTest.moc"
