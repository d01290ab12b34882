// The window driving a programming run against the oven simulator, and the
// window's side of the close lock and the cancel request.
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
#include "MainWindow.h"
#include "WindowTestSupport.h"
#include "PortProbe.h"
#include "ProgrammingWorker.h"

namespace {

bool IsEnabled(const MainWindow& window, int id) { return window.Control(id)->isEnabled(); }

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
  std::unique_ptr<MainWindow> Prepare(TemporaryFolder& folder, std::optional<ChildProcess>& oven,
                                      std::vector<std::string> ovenOptions) {
    std::vector<std::string> command{OVENSIM_PATH, "--once", "--save", folder.Path().string()};
    command.insert(command.end(), ovenOptions.begin(), ovenOptions.end());
    oven.emplace(command, folder.Path().string(), (folder / "ovensim.err").string());
    const auto port = oven->ReadLine();
    if (!port) return nullptr;
    qputenv(kPortListVariable, QByteArray::fromStdString(*port));
    QDir::setCurrent(QString::fromStdString(folder.Path().string()));

    MainWindowSettings settings;
    settings.catalogueDirectory = QStringLiteral(CATALOGUE_DIR);
    settings.updateCommand = [](MainWindow& window) {
      static ScaledPauses noPauses(0.0);
      window.SaveControlValues();
      if (!LoadFirmwareFiles(window, kFirmwareFolder)) return;
      runEnded = false;
      StartProgrammingWorker(
          ProgrammingContext{window, [] { return std::make_unique<SerialPort>(); }, noPauses, theCancelRequest},
          [](RunOutcome) { runEnded = true; });
    };
    auto window = std::make_unique<MainWindow>(std::move(settings));
    window->show();
    return window;
  }

  // A shown window without ports whose Update does nothing.
  static std::unique_ptr<MainWindow> IdleWindow() {
    qputenv(kPortListVariable, "");
    MainWindowSettings settings;
    settings.catalogueDirectory = QStringLiteral(CATALOGUE_DIR);
    settings.updateCommand = [](MainWindow&) {};
    auto window = std::make_unique<MainWindow>(std::move(settings));
    window->show();
    return window;
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
      linesUnderTheBox = Lines(*window);
    });
    qobject_cast<QAbstractButton*>(window->Control(ControlId::kUpdateButton))->click();
    QVERIFY(ServeUntil([] { return runEnded.load(); }, 60000));
    QCOMPARE(boxText, QStringLiteral("Update ok!!!"));
    QCOMPARE(linesUnderTheBox.last(), QStringLiteral("Upload process succeeded :-)"));
    QCOMPARE(Lines(*window).last(), QStringLiteral("Upload process succeeded :-)"));
    QVERIFY(IsEnabled(*window, ControlId::kUpdateButton));
    QVERIFY(IsEnabled(*window, ControlId::kCancel));
    QVERIFY(IsEnabled(*window, ControlId::kLanguageSelector));
    QCOMPARE(qobject_cast<QProgressBar*>(window->Control(ControlId::kProgressBar))->value(), 2560);

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
    qobject_cast<QAbstractButton*>(window->Control(ControlId::kUpdateButton))->click();
    QVERIFY(ServeUntil([] { return runEnded.load(); }, 20000));
    QCOMPARE(languageFile ? Lines(*window).last() : boxText, report);
    QVERIFY(!Lines(*window).contains(QStringLiteral("Upload process succeeded :-)")));
    QVERIFY(IsEnabled(*window, ControlId::kCancel));
    QTEST(IsEnabled(*window, ControlId::kUpdateButton), "updateBack");
    QTEST(IsEnabled(*window, ControlId::kLanguageSelector), "languageBack");
  }

  void closeKeysRaiseTheCancelRequestOnlyDuringAWaitForAReadySign() {
    auto idle = IdleWindow();
    MainWindow& window = *idle;
    window.EnableControl(ControlId::kCancel, false);

    window.reject();  // the close lock, and no wait: only a beep
    QCOMPARE(window.BeepCount(), 1);
    {
      const CancelRequest::Wait wait(theCancelRequest);
      window.reject();
      QCOMPARE(window.BeepCount(), 1);
      QVERIFY(theCancelRequest.Take());
    }
    QVERIFY(window.isVisible());
  }

  void theNewestLineIsAlwaysInView() {
    auto idle = IdleWindow();
    MainWindow& window = *idle;
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (int i = 0; i < 30; ++i) window.AppendLine("line " + std::to_string(i));
    auto* list = qobject_cast<QListWidget*>(window.Control(ControlId::kMessageList));
    QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->item(list->count() - 1))));
  }
};

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  WindowProgrammingTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "WindowProgrammingTest.moc"
