// What Qt itself does for the window: where the controls stand, how they
// look, the keys and menus, and the worker's requests carried out on the
// window's thread. The behaviour behind it is tested without a display.
#include <QAbstractButton>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "AboutBox.h"
#include "BitmapButton.h"
#include "ControlId.h"
#include "DialogUnits.h"
#include "MainWindowTemplate.h"
#include "MainWindow.h"
#include "PortProbe.h"
#include "PtyPair.h"
#include "QtMainWindowView.h"

namespace {

// The Qt window with its behaviour, initialised as the program's start-up
// does it but without the modal run, so a test can drive it.
struct QtWindow {
  explicit QtWindow(MainWindowSettings settings) : window(view, std::move(settings)) {
    view.Attach(window);
    window.Initialise();
  }
  QtMainWindowView view;
  MainWindow window;
};

// The message list's lines, top to bottom.
QStringList Lines(const QtMainWindowView& view) {
  auto* list = qobject_cast<QListWidget*>(view.Control(ControlId::kMessageList));
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// Runs a check on the next modal box that opens, then closes it.
void OnNextModal(std::function<void(QWidget*)> check) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, check] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      check(modal);
      modal->close();
    }
  });
  timer->start();
}

const std::filesystem::path kCatalogues = CATALOGUE_DIR;

std::unique_ptr<QtWindow> MakeWindow(const std::string& ports, MainWindowSettings settings = {}) {
  qputenv(kPortListVariable, QByteArray::fromStdString(ports));
  if (settings.catalogueDirectory.empty()) settings.catalogueDirectory = kCatalogues;
  if (!settings.updateCommand) settings.updateCommand = [](MainWindow&) {};
  return std::make_unique<QtWindow>(std::move(settings));
}

// The context menu's entries, "-" for a separator; `chooseLast` is given its
// last entry once the menu has closed.
QStringList ContextMenu(QtMainWindowView& view, const std::function<void(QAction*)>& chooseLast = {}) {
  QStringList entries;
  QTimer::singleShot(50, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    for (QAction* action : menu->actions()) entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QAction* last = menu->actions().last();
    menu->close();
    if (chooseLast) chooseLast(last);
  });
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), view.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&view, &click);
  return entries;
}

QImage Face(const char* resource) { return QPixmap(QString::fromLatin1(resource)).toImage(); }

}  // namespace

class QtMainWindowViewTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsStandWhereTheirDialogUnitsPutThemAndTheNewestLineIsInView() {
    PtyPair first;
    PtyPair second;
    auto qt = MakeWindow(first.Path() + ":/dev/tessaramond-no-such-port:" + second.Path());
    QtMainWindowView& view = qt->view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QCOMPARE(view.windowTitle(), QStringLiteral("Quendraflox Kesto V5.16"));
    const DialogUnits units(view.font());
    QCOMPARE(view.size(), units.ToPixels(QSize(299, 159)));
    QCOMPARE(view.minimumSize(), view.maximumSize());
    QVERIFY(!(view.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(view.palette().color(QPalette::Window), QColor(Qt::white));

    const QList<int> shown{1001, 1021, 1004, 1005};
    for (const TemplateControl& entry : MainWindowTemplate()) {
      if (entry.id == 0) continue;
      QWidget* control = view.Control(entry.id);
      QVERIFY2(control != nullptr, qPrintable(QString::number(entry.id)));
      const QRect expected = units.ToPixels(QRect(entry.x, entry.y, entry.width, entry.height));
      QCOMPARE(control->pos(), expected.topLeft());
      // A closed combo box is one field high; the template's height counts the list.
      if (entry.kind != TemplateControlKind::ComboBox) QCOMPARE(control->size(), expected.size());
      QCOMPARE(control->isVisible(), shown.contains(entry.id));
      QCOMPARE(control->palette().color(control->backgroundRole()), QColor(Qt::white));
    }

    const QRect logo = view.Control(ControlId::kLogoButton)->geometry();
    const QRect update = view.Control(ControlId::kUpdateButton)->geometry();
    QCOMPARE(logo, QRect(220, 15, 119, 41));
    QCOMPARE(update, QRect(30, 150, 100, 40));
    auto* language = qobject_cast<QComboBox*>(view.Control(ControlId::kLanguageSelector));
    QCOMPARE(language->currentText(), QStringLiteral("English"));
    auto* ports = qobject_cast<QComboBox*>(view.Control(ControlId::kComPortSelector));
    QCOMPARE(ports->count(), 2);
    QCOMPARE(ports->currentText(), QString::fromStdString(first.Path()).mid(5));  // pts/N

    // The newest line is always in view.
    for (int i = 0; i < 30; ++i) qt->window.AppendLine("line " + std::to_string(i));
    auto* list = qobject_cast<QListWidget*>(view.Control(ControlId::kMessageList));
    QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->item(list->count() - 1))));
  }

  // As a technician meets the selector: the closed box names the port, the
  // list that drops down shows what each port is, and the list is made anew
  // as it opens.
  void thePortListShowsWhatEachPortIsAndIsMadeAnewAsItOpens() {
    const FoundPort s4{"ttyS4", "/dev/ttyS4"};
    const FoundPort usb0{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART, FTDI, A10K4ZQ"};
    PortProbeResult present{{s4, usb0}, {}};
    auto qt = MakeWindow("", {.portProbe = [&present] { return present; }});
    QtMainWindowView& view = qt->view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* ports = qobject_cast<QComboBox*>(view.Control(ControlId::kComPortSelector));
    ports->setCurrentIndex(1);

    // An adapter plugged in while the window was open.
    present.usablePorts.insert(present.usablePorts.begin(), {"ttyACM0", "/dev/ttyACM0"});
    ports->setFocus();
    QTest::keyClick(ports, Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView* list = ports->view();
    QTRY_VERIFY(list->isVisible());
    QCOMPARE(ports->count(), 3);
    QCOMPARE(ports->currentIndex(), 2);
    QCOMPARE(ports->lineEdit()->text(), QStringLiteral("ttyUSB0"));

    // The adapter's line shows its description, and the list is wide enough
    // for it; the plain port's line ends at its name.
    const QString adapterLine = QStringLiteral("ttyUSB0 \u2014 FT232R USB UART, FTDI, A10K4ZQ");
    QVERIFY(list->width() > list->fontMetrics().horizontalAdvance(adapterLine));
    const int pastTheName = list->fontMetrics().horizontalAdvance(QStringLiteral("ttyUSB0")) + 10;
    const auto inkPast = [&](int row) {
      const QImage line = list->viewport()->grab(list->visualRect(ports->model()->index(row, 0))).toImage();
      const QColor ground = line.pixelColor(line.width() - 1, line.height() / 2);
      for (int y = 0; y < line.height(); ++y) {
        for (int x = pastTheName; x < line.width(); ++x) {
          const QColor ink = line.pixelColor(x, y);
          if (std::abs(ink.lightness() - ground.lightness()) > 96) return true;
        }
      }
      return false;
    };
    QVERIFY(inkPast(2));
    QVERIFY(!inkPast(1));

    ports->hidePopup();
    QCOMPARE(ports->currentText(), QStringLiteral("ttyUSB0"));
    QCOMPARE(qt->window.SelectedPortName(), std::string("/dev/ttyUSB0"));
  }

  void updateButtonShows134WhenUpAnd136WhenPressedFocusedOrDisabled() {
    int runs = 0;
    auto qt = MakeWindow("", {.updateCommand = [&runs](MainWindow&) { ++runs; }});
    qt->view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&qt->view));
    auto* update = qobject_cast<BitmapButton*>(qt->view.Control(ControlId::kUpdateButton));
    const QImage up = Face(":/images/update-134.png");
    const QImage other = Face(":/images/update-136.png");
    QVERIFY(up != other);

    update->clearFocus();
    QCOMPARE(update->CurrentFace().toImage(), up);
    QCOMPARE(update->grab().toImage().convertToFormat(up.format()), up);
    update->setDown(true);
    QCOMPARE(update->CurrentFace().toImage(), other);
    update->setDown(false);
    update->setFocus();
    QTRY_VERIFY(update->hasFocus());
    QCOMPARE(update->CurrentFace().toImage(), other);
    update->clearFocus();
    update->setEnabled(false);
    QCOMPARE(update->CurrentFace().toImage(), other);
    update->setEnabled(true);

    QTest::mouseClick(update, Qt::LeftButton);
    QCOMPARE(runs, 1);
    qobject_cast<QAbstractButton*>(qt->view.Control(ControlId::kUpdateTwin))->click();
    QCOMPARE(runs, 2);
  }

  void closeKeysAndTheCloseBoxGoThroughTheCloseLock() {
    auto qt = MakeWindow("");
    QtMainWindowView& view = qt->view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    qt->window.EnableControl(ControlId::kCancel, false);
    QTest::keyClick(&view, Qt::Key_Escape);
    QVERIFY(!view.close());  // the close box and the window manager's close
    QVERIFY(view.isVisible());
    QCOMPARE(qt->window.BeepCount(), 2);

    qt->window.EnableControl(ControlId::kCancel, true);
    QTest::keyClick(&view, Qt::Key_Escape);
    QVERIFY(!view.isVisible());
    QCOMPARE(view.result(), int(QDialog::Rejected));
    QCOMPARE(qt->window.BeepCount(), 2);
  }

  void theContextMenuAndF1OpenTheAboutBoxInTheWindowsFontWhenThereIsAnAboutText() {
    auto qt = MakeWindow("");
    QtMainWindowView& view = qt->view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QString version;
    QFont aboutFont;
    const auto checkAboutBox = [&](QWidget* modal) {
      QVERIFY(qobject_cast<AboutBox*>(modal) != nullptr);
      QCOMPARE(modal->windowTitle(), QStringLiteral("About Quendraflox"));
      if (auto* line = modal->findChild<QLabel*>(QStringLiteral("versionLine"))) version = line->text();
      QVERIFY(modal->findChild<QAbstractButton*>(QStringLiteral("okButton")) != nullptr);
      aboutFont = modal->font();
    };
    OnNextModal(checkAboutBox);
    QTest::keyClick(&view, Qt::Key_F1);
    QCOMPARE(version, QStringLiteral("Quendraflox Version 5.2"));
    QCOMPARE(aboutFont, view.font());

    version.clear();
    const QStringList entries = ContextMenu(view, [&](QAction* about) {
      OnNextModal(checkAboutBox);
      about->trigger();
    });
    QCOMPARE(entries, (QStringList{QStringLiteral("-"), QStringLiteral("Update &records..."), QStringLiteral("-"),
                                   QStringLiteral("&About Tessaramond...")}));
    QCOMPARE(version, QStringLiteral("Quendraflox Version 5.2"));

    // Without message 101's text: no About entry, and F1 opens nothing.
    auto without = MakeWindow("", {.catalogueDirectory = CATALOGUE_WITHOUT_ABOUT_DIR});
    without->view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&without->view));
    QCOMPARE(ContextMenu(without->view), (QStringList{QStringLiteral("-"), QStringLiteral("Update &records...")}));
    bool opened = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&opened] {
      if (QWidget* open = QApplication::activeModalWidget()) {
        opened = true;
        open->close();
      }
    });
    watch.start(10);
    QTest::keyClick(&without->view, Qt::Key_F1);
    QTest::qWait(50);
    QVERIFY(!opened);
  }

  void requestsFromAWorkerThreadAreCarriedOutOnTheWindowsThread() {
    auto qt = MakeWindow("");
    QtMainWindowView& view = qt->view;
    MainWindow& window = qt->window;
    std::atomic<bool> done{false};
    std::string workerLine;
    std::thread worker([&] {
      window.ClearLines();
      window.AppendLine("SM file found");
      window.SetProgressRange(0, 512);
      window.SetProgressPosition(300);
      window.EnableControl(ControlId::kUpdateButton, false);
      window.RepaintLines();
      workerLine = window.LoadLocalizedText(154);
      window.ShowMessageBox("Update ok!!!", MessageBoxIcon::Information);
      done = true;
    });
    QString boxText;
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    QWidget* boxOwner = nullptr;
    OnNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box != nullptr);
      QCOMPARE(box->thread(), view.thread());
      boxText = box->text();
      boxIcon = box->icon();
      boxOwner = box->parentWidget();
    });
    QTRY_VERIFY(done.load());
    worker.join();

    QCOMPARE(Lines(view), QStringList{QStringLiteral("SM file found")});
    auto* bar = qobject_cast<QProgressBar*>(view.Control(ControlId::kProgressBar));
    QCOMPARE(bar->maximum(), 512);
    QCOMPARE(bar->value(), 300);
    QVERIFY(!view.Control(ControlId::kUpdateButton)->isEnabled());
    QCOMPARE(workerLine, std::string("2. Connect the PC via RS232 to the SM"));
    QCOMPARE(boxText, QStringLiteral("Update ok!!!"));
    QCOMPARE(boxIcon, QMessageBox::Information);
    QCOMPARE(boxOwner, &view);
  }
};

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QtMainWindowViewTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "QtMainWindowViewTest.moc"
