#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "AboutBox.h"
#include "ControlId.h"
#include "MainWindow.h"
#include "WindowTestSupport.h"
#include "PortProbe.h"
#include "PtyPair.h"
#include "UpdateCommand.h"

namespace {

const QString kCatalogues = QStringLiteral(CATALOGUE_DIR);

// The window shows port names as QStrings.
class Pty : public PtyPair {
 public:
  QString Path() const { return QString::fromStdString(PtyPair::Path()); }
};

QComboBox* Combo(const MainWindow& window, int id) { return qobject_cast<QComboBox*>(window.Control(id)); }
QAbstractButton* Button(const MainWindow& window, int id) {
  return qobject_cast<QAbstractButton*>(window.Control(id));
}

const QStringList kEnglishInstructions{QStringLiteral("1. Switch off the main power from unit"),
                                       QStringLiteral("2. Connect the PC via RS232 to the SM"),
                                       QStringLiteral("3. Disconnect the X12 from SM")};


}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> MakeWindow(const QString& ports, MainWindowSettings settings = {}) {
    qputenv(kPortListVariable, ports.toUtf8());
    if (settings.catalogueDirectory.isEmpty()) settings.catalogueDirectory = kCatalogues;
    if (!settings.updateCommand) settings.updateCommand = [](MainWindow&) {};
    return std::make_unique<MainWindow>(std::move(settings));
  }

 private slots:
  void controlsAndStatesAfterStartUp() {
    Pty first;
    Pty second;
    auto window = MakeWindow(first.Path() + ":/dev/tessaramond-no-such-port:" + second.Path());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QCOMPARE(window->windowTitle(), QStringLiteral("Quendraflox Kesto V5.16"));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));

    const QList<int> shown{1001, 1021, 1004, 1005, 1029, 1031};
    const QList<int> hidden{2,    1003, 1009, 1010, 1011, 1015, 1016, 1017, 1018, 1019,
                            1020, 1022, 1023, 1024, 1026, 1027, 1028, 1030};
    for (int id : shown + hidden) {
      QWidget* control = window->Control(id);
      QVERIFY2(control != nullptr, qPrintable(QString::number(id)));
      QCOMPARE(control->isVisible(), shown.contains(id));
      QCOMPARE(control->palette().color(control->backgroundRole()), QColor(Qt::white));
    }
    QCOMPARE(window->palette().color(QPalette::Window), QColor(Qt::white));

    QVERIFY(Button(*window, 1015)->isChecked());
    QVERIFY(!Button(*window, 1017)->isChecked());
    QVERIFY(Button(*window, ControlId::kModelKesto)->isChecked());
    QVERIFY(!Button(*window, ControlId::kModelLumo)->isChecked());
    QVERIFY(!window->IsLumoChecked());
    QVERIFY(!Button(*window, ControlId::kArdmoreCheckBox)->isChecked());
    QCOMPARE(window->ArdmoreCheckState(), 0);

    QComboBox* edition = Combo(*window, ControlId::kCustomerEditionSelector);
    QCOMPARE(edition->count(), 1);
    QCOMPARE(edition->currentText(), QStringLiteral("Standard"));
    QComboBox* language = Combo(*window, ControlId::kLanguageSelector);
    QCOMPARE(language->count(), 3);
    QCOMPARE(language->itemText(2), QStringLiteral("Francais"));
    QCOMPARE(language->currentIndex(), 0);

    for (int id : {ControlId::kUpdateButton, ControlId::kLanguageSelector, ControlId::kCancel}) {
      QVERIFY(window->Control(id)->isEnabled());
    }
    QCOMPARE(Lines(*window), kEnglishInstructions);
    QCOMPARE(qobject_cast<QProgressBar*>(window->Control(ControlId::kProgressBar))->value(), 0);
    QCOMPARE(window->AboutEntryText(), QStringLiteral("&About Tessaramond..."));

    // The port probe kept the two ptys, in the listed order, and selected the first.
    QComboBox* ports = Combo(*window, ControlId::kComPortSelector);
    QCOMPARE(ports->count(), 2);
    QCOMPARE(ports->itemText(0), first.Path());
    QCOMPARE(ports->itemText(1), second.Path());
    QCOMPARE(window->SelectedPortName(), first.Path().toStdString());
  }

  void createdButtonsStandWhereTheLayoutWantsThem() {
    Pty pty;
    auto window = MakeWindow(pty.Path());
    const QRect logo = window->Control(ControlId::kLogoButton)->geometry();
    const QRect update = window->Control(ControlId::kUpdateButton)->geometry();
    QCOMPARE(logo, QRect(220, 15, 119, 41));
    QCOMPARE(update, QRect(30, 150, 100, 40));

    const QRect list = window->Control(ControlId::kMessageList)->geometry();
    const QRect progress = window->Control(ControlId::kProgressBar)->geometry();
    QRect comGroup;
    QRect languageGroup;
    for (auto* group : window->findChildren<QGroupBox*>()) {
      if (group->title() == QLatin1String("COM port")) comGroup = group->geometry();
      if (group->title() == QLatin1String("Language")) languageGroup = group->geometry();
    }
    QVERIFY(logo.left() > comGroup.right());
    QVERIFY(logo.bottom() < list.top());
    QVERIFY(update.top() > languageGroup.bottom());
    QVERIFY(update.bottom() < progress.top());
    QVERIFY(update.right() < list.left());
    QVERIFY(window->rect().contains(logo) && window->rect().contains(progress));
  }

  void noPortFoundLeavesTheSelectorEmptyWithoutAMessage() {
    auto window = MakeWindow(QStringLiteral("/dev/tessaramond-no-such-port"));
    QCOMPARE(Combo(*window, ControlId::kComPortSelector)->count(), 0);
    QCOMPARE(Combo(*window, ControlId::kComPortSelector)->currentIndex(), -1);
    QCOMPARE(window->SelectedPortName(), std::string());
    QCOMPARE(Lines(*window), kEnglishInstructions);
  }

  void portsWithoutPermissionAddAHintAfterTheInstructions() {
    MainWindowSettings settings;
    settings.portProbe = [] { return PortProbeResult{{"/dev/ttyS4"}, {"/dev/ttyUSB0"}}; };
    auto window = MakeWindow(QString(), std::move(settings));
    const QStringList lines = Lines(*window);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.mid(0, 3), kEnglishInstructions);
    QVERIFY(lines[3].contains(QLatin1String("dialout")));
    QCOMPARE(window->SelectedPortName(), std::string("/dev/ttyS4"));
  }

  void languageChangeRefillsTheListFromTheChosenCatalogue() {
    auto window = MakeWindow(QString());
    window->AppendLine("a line of an earlier run");
    Combo(*window, ControlId::kLanguageSelector)->setCurrentIndex(1);
    QCOMPARE(Lines(*window), (QStringList{QStringLiteral("1. Hauptschalter des Geräts ausschalten"),
                                          QString::fromStdString(window->LoadLocalizedText(154)),
                                          QString::fromStdString(window->LoadLocalizedText(155))}));
    QVERIFY(Lines(*window)[1] != kEnglishInstructions[1]);
    QCOMPARE(window->AboutEntryText(), QStringLiteral("&About Tessaramond..."));

    Combo(*window, ControlId::kLanguageSelector)->setCurrentIndex(0);
    QCOMPARE(Lines(*window), kEnglishInstructions);
  }

  void missingCatalogueFallsBackToTheBuiltInTable() {
    QTemporaryDir onlyGerman;
    QVERIFY(QFile::copy(QDir(kCatalogues).filePath(QStringLiteral("deutsch.qm")),
                        QDir(onlyGerman.path()).filePath(QStringLiteral("deutsch.qm"))));
    MainWindowSettings settings;
    settings.catalogueDirectory = onlyGerman.path();
    auto window = MakeWindow(QString(), std::move(settings));
    QCOMPARE(Lines(*window), kEnglishInstructions);
    QCOMPARE(window->AboutEntryText(), QStringLiteral("&About Tessaramond..."));
    // The built-in table has this one in German.
    QCOMPARE(window->LoadLocalizedText(116), std::string("Fehler beim Öffnen der Sprachen-Datei "));

    Combo(*window, ControlId::kLanguageSelector)->setCurrentIndex(1);
    QCOMPARE(Lines(*window)[0], QStringLiteral("1. Hauptschalter des Geräts ausschalten"));
    Combo(*window, ControlId::kLanguageSelector)->setCurrentIndex(2);
    QCOMPARE(Lines(*window), kEnglishInstructions);
  }

  void missingNumberGivesTheEmptyTextAndLeavesOutTheAboutEntry() {
    MainWindowSettings settings;
    settings.catalogueDirectory = QStringLiteral(CATALOGUE_WITHOUT_ABOUT_DIR);
    auto window = MakeWindow(QString(), std::move(settings));
    QCOMPARE(window->AboutEntryText(), QString());
    QCOMPARE(window->LoadLocalizedText(160), std::string());
    QCOMPARE(window->LoadLocalizedText(124), std::string());
    QCOMPARE(Lines(*window), kEnglishInstructions);
  }

  void closeLockBeepsUntilTheCancelControlIsEnabledAgain() {
    auto window = MakeWindow(QString());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    window->EnableControl(ControlId::kCancel, false);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(window->isVisible());
    QVERIFY(!window->close());  // the close box and the window manager's close
    QVERIFY(window->isVisible());
    QCOMPARE(window->BeepCount(), 2);

    window->EnableControl(ControlId::kCancel, true);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Rejected));
    QCOMPARE(window->BeepCount(), 2);
  }

  void workerRequestDuringInitialisationSeesTheFinalPortSelection() {
    Pty first;
    Pty second;
    std::thread worker;
    std::atomic<bool> answered{false};
    std::string port = "not asked";
    MainWindowSettings settings;
    settings.runUpdateAtStart = true;
    settings.updateCommand = [&](MainWindow& window) {
      // The command must run after the instruction lines were added.
      QCOMPARE(Lines(window), kEnglishInstructions);
      worker = std::thread([&window, &port, &answered] {
        port = window.SelectedPortName();
        answered = true;
      });
    };
    auto window = MakeWindow(first.Path() + ":" + second.Path(), std::move(settings));
    QVERIFY(worker.joinable());
    QVERIFY(!answered);  // served only once the window's event loop runs
    QTRY_VERIFY(answered.load());
    worker.join();
    QCOMPARE(QString::fromStdString(port), first.Path());
  }

  void requestsFromAWorkerThreadAreServedOnTheWindowThread() {
    auto window = MakeWindow(QString());
    std::atomic<bool> done{false};
    std::string germanLine;
    std::thread worker([&] {
      window->ClearLines();
      window->AppendLine("SM file found");
      window->SetProgressRange(0, 512);
      window->SetProgressPosition(300);
      window->EnableControl(ControlId::kUpdateButton, false);
      window->EnableControl(ControlId::kCancel, false);
      window->RepaintLines();
      for (int i = 0; i < 50; ++i) germanLine = window->LoadLocalizedText(154);
      window->ShowMessageBox("Update ok!!!", MessageBoxIcon::Information);
      done = true;
    });
    QString boxText;
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    OnNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box != nullptr);
      boxText = box->text();
      boxIcon = box->icon();
    });
    // Lookups on this thread while the worker looks up its own.
    for (int i = 0; i < 50 && !done; ++i) {
      QCOMPARE(window->LoadLocalizedText(160), std::string("SM file found"));
      QTest::qWait(1);
    }
    QTRY_VERIFY(done.load());
    worker.join();

    QCOMPARE(Lines(*window), QStringList{QStringLiteral("SM file found")});
    auto* bar = qobject_cast<QProgressBar*>(window->Control(ControlId::kProgressBar));
    QCOMPARE(bar->maximum(), 512);
    QCOMPARE(bar->value(), 300);
    QVERIFY(!window->Control(ControlId::kUpdateButton)->isEnabled());
    QVERIFY(!window->Control(ControlId::kCancel)->isEnabled());
    QCOMPARE(germanLine, std::string("2. Connect the PC via RS232 to the SM"));
    QCOMPARE(boxText, QStringLiteral("Update ok!!!"));
    QCOMPARE(boxIcon, QMessageBox::Information);
  }

  void aboutBoxShowsTheVersionAndOk() {
    auto window = MakeWindow(QString());
    QString version;
    QString fileVersion;
    bool hasOk = false;
    OnNextModal([&](QWidget* modal) {
      QVERIFY(qobject_cast<AboutBox*>(modal) != nullptr);
      QCOMPARE(modal->windowTitle(), QStringLiteral("About Quendraflox"));
      if (auto* line = modal->findChild<QLabel*>(QStringLiteral("versionLine"))) version = line->text();
      if (auto* line = modal->findChild<QLabel*>(QStringLiteral("fileVersionLine"))) fileVersion = line->text();
      hasOk = modal->findChild<QAbstractButton*>(QStringLiteral("okButton")) != nullptr;
    });
    window->ShowAboutBox();
    QCOMPARE(version, QStringLiteral("Quendraflox Version 5.2"));
    QCOMPARE(fileVersion, QStringLiteral("File version 1.0.0.1"));
    QVERIFY(hasOk);
  }

  void updateButtonShowsItsFacesAndRunsTheCommand() {
    int runs = 0;
    MainWindowSettings settings;
    settings.updateCommand = [&runs](MainWindow&) { ++runs; };
    auto window = MakeWindow(QString(), std::move(settings));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* update = Button(*window, ControlId::kUpdateButton);
    QTest::mouseClick(update, Qt::LeftButton);
    QCOMPARE(runs, 1);
    qobject_cast<QAbstractButton*>(window->Control(ControlId::kUpdateTwin))->click();
    QCOMPARE(runs, 2);
    QVERIFY(!update->grab().isNull());
  }

  void updateCommandReportsTheFilesItFoundAndFileErrorsInABox() {
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Hex")));
    const auto put = [&](const char* name, const char* text) {
      QFile file(folder.filePath(QStringLiteral("Hex/") + QLatin1String(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(text);
    };
    put("a.hex", ":0300000011223396\n/SM\n");
    put("b.hex", ":00000001FF\n/SM\n");
    put("c.hex", "/BM\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());

    MainWindowSettings settings;
    settings.updateCommand = RunUpdateCommand;
    auto window = MakeWindow(QString(), std::move(settings));
    auto* update = Button(*window, ControlId::kUpdateButton);
    update->click();
    // No port is selected, so the worker it starts ends at once.
    QTRY_COMPARE(Lines(*window).mid(3), (QStringList{QStringLiteral("Hex/a.hex: Checksum error!"),
                                                     QStringLiteral("SM file found"),
                                                     QStringLiteral("BM file found"),
                                                     QStringLiteral("Can't open COM-Port !!!")}));
    QVERIFY(!update->isEnabled());

    // A file that cannot be opened stops the command with a box naming it;
    // the technician can try again at once.
    QVERIFY(QFile::link(QStringLiteral("nowhere"), QStringLiteral("Hex/0.hex")));
    update->setEnabled(true);
    QString boxText;
    OnNextModal([&](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal)) boxText = box->text();
    });
    update->click();
    QDir::setCurrent(previous);
    QCOMPARE(boxText, QStringLiteral("The file Hex/0.hex cannot be opened: No such file or directory"));
    QVERIFY(update->isEnabled());
  }
};

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
