// The window driving a programming run against the oven simulator, and the
// window's side of the close lock and the cancel request.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QProgressBar>
#include <QtTest>

#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#include "CancelRequest.h"
#include "ChildProcess.h"
#include "ControlId.h"
#include "HexFiles.h"
#include "MainWindow.h"
#include "PortProbe.h"
#include "UpdateCommand.h"

namespace {

QStringList Lines(const MainWindow& window) {
  auto* list = qobject_cast<QListWidget*>(window.Control(ControlId::kMessageList));
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

bool IsEnabled(const MainWindow& window, int id) { return window.Control(id)->isEnabled(); }

}  // namespace

class WindowProgrammingTest : public QObject {
  Q_OBJECT

  // A control-module file of random data in `dataBlocks` blocks, the
  // simulator on a pty as the only port, and the window in the folder.
  std::unique_ptr<MainWindow> Prepare(TemporaryFolder& folder, std::optional<ChildProcess>& oven,
                                      std::vector<std::string> ovenOptions, std::size_t dataBlocks,
                                      std::vector<std::uint8_t>& image) {
    image.assign(0x20000, 0xFF);
    std::mt19937 random(11);
    for (std::size_t i = 0; i < dataBlocks * 256; ++i) image[i] = static_cast<std::uint8_t>(random());
    std::filesystem::create_directory(folder / "Hex");
    WriteTextFile(folder / "Hex" / "sm.hex", ImageHexText(image, "/SM"));

    std::vector<std::string> command{OVENSIM_PATH, "--once", "--save", folder.Path().string()};
    command.insert(command.end(), ovenOptions.begin(), ovenOptions.end());
    oven.emplace(command, folder.Path().string(), (folder / "ovensim.err").string());
    const auto port = oven->ReadLine();
    if (!port) return nullptr;
    qputenv(kPortListVariable, QByteArray::fromStdString(*port));
    QDir::setCurrent(QString::fromStdString(folder.Path().string()));

    MainWindowSettings settings;
    settings.catalogueDirectory = QStringLiteral(CATALOGUE_DIR);
    settings.updateCommand = RunUpdateCommand;
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
  void updateProgramsTheSimulatedControlModule() {
    TemporaryFolder folder;
    std::optional<ChildProcess> oven;
    std::vector<std::uint8_t> image;
    auto window = Prepare(folder, oven, {}, 512, image);
    QVERIFY(window);

    qobject_cast<QAbstractButton*>(window->Control(ControlId::kUpdateButton))->click();
    QTRY_COMPARE_WITH_TIMEOUT(Lines(*window),
                              (QStringList{QStringLiteral("Update SM successful"),
                                           QStringLiteral("Please reset the Pellandrix by press "),
                                           QStringLiteral("the On/Off button for 4 seconds")}),
                              30000);
    QCOMPARE(qobject_cast<QProgressBar*>(window->Control(ControlId::kProgressBar))->value(), 0);
    // The run's last request: the window may go once it is served.
    QTRY_VERIFY(IsEnabled(*window, ControlId::kCancel));
    QCOMPARE(oven->Wait(), 0);
    const std::string received = ReadAll(folder / "sm-image.bin");
    QCOMPARE(received.size(), std::size_t{508 * 256});
    QVERIFY(std::equal(received.begin(), received.end(), image.begin(),
                       [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
  }

  void aRejectedBlockGivesTheUpdateButtonBack() {
    TemporaryFolder folder;
    std::optional<ChildProcess> oven;
    std::vector<std::uint8_t> image;
    auto window = Prepare(folder, oven, {"--reject-block", "2"}, 8, image);
    QVERIFY(window);

    qobject_cast<QAbstractButton*>(window->Control(ControlId::kUpdateButton))->click();
    QTRY_COMPARE_WITH_TIMEOUT(Lines(*window).last(), QStringLiteral("ERROR: wrong data/checksum"), 20000);
    QTRY_VERIFY(IsEnabled(*window, ControlId::kCancel));
    QVERIFY(IsEnabled(*window, ControlId::kUpdateButton));
    QVERIFY(!IsEnabled(*window, ControlId::kLanguageSelector));
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
