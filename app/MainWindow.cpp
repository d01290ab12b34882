#include "MainWindow.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeySequence>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "AboutBox.h"
#include "BitmapButton.h"
#include "CancelRequest.h"
#include "ControlId.h"
#include "DialogUnits.h"
#include "MainWindowTemplate.h"
#include "ProgrammingWorker.h"
#include "TextCatalogue.h"
#include "UpdateCommand.h"

MainWindow* theMainWindow = nullptr;

// The images live in a static library; make sure its resources are registered
// whoever links it.
static void RegisterImages() { Q_INIT_RESOURCE(images); }

namespace {

// Messages of the three instruction lines and of the About entry.
constexpr unsigned kAboutEntryMessage = 101;
#ifdef Q_OS_WIN
// Command id of the About entry in the system menu.
constexpr UINT kAboutBoxCommand = 0x0010;
#endif
constexpr unsigned kInstructionMessages[] = {153, 154, 155};

// The created buttons, placed in pixels of the client area.
constexpr QPoint kLogoTopLeft{220, 15};
constexpr QPoint kUpdateButtonTopLeft{30, 150};

// Not a numbered message: it names a fix that only exists on Linux.
constexpr const char* kPortPermissionHint =
    "Serial ports found that this user may not open: add the user to the group "
    "'dialout' (sudo adduser $USER dialout), log in again and restart the program.";

}  // namespace

MainWindow::MainWindow(MainWindowSettings settings, QWidget* parent)
    : QDialog(parent), settings_(std::move(settings)) {
  RegisterImages();
  if (!settings_.updateCommand) settings_.updateCommand = RunUpdateCommand;
  if (!settings_.portProbe) settings_.portProbe = ProbePorts;
  setWindowTitle(QString::fromLatin1(kMainWindowCaption));
  // A title bar with the system menu and close box; nothing to shrink or enlarge it.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  QIcon icon;
  icon.addFile(QStringLiteral(":/images/icon-128.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/images/icon-128-16.png"), QSize(16, 16));
  setWindowIcon(icon);

  QFont windowFont = font();
  windowFont.setPointSize(kMainWindowFontPoints);
  setFont(windowFont);

  // Black text on white for the window and every control in it.
  QPalette white = palette();
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button,
                                   QPalette::AlternateBase}) {
    white.setColor(role, Qt::white);
  }
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    white.setColor(QPalette::Active, role, Qt::black);
    white.setColor(QPalette::Inactive, role, Qt::black);
  }
  setPalette(white);
  setAutoFillBackground(true);

  const DialogUnits units(windowFont);
  setFixedSize(units.ToPixels(QSize(kMainWindowWidthUnits, kMainWindowHeightUnits)));

  CreateTemplateControls();
  Initialise();

  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, &MainWindow::ShowAboutBox);
}

MainWindow::~MainWindow() {
  if (theMainWindow == this) theMainWindow = nullptr;
}

QWidget* MainWindow::Control(int controlId) const { return controls_.value(controlId, nullptr); }

void MainWindow::CreateTemplateControls() {
  const DialogUnits units(font());
  auto* editionGroup = new QButtonGroup(this);
  auto* modelGroup = new QButtonGroup(this);

  for (const TemplateControl& entry : MainWindowTemplate()) {
    const QString caption = QString::fromUtf8(entry.caption);
    const QRect geometry = units.ToPixels(QRect(entry.x, entry.y, entry.width, entry.height));
    QWidget* widget = nullptr;
    switch (entry.kind) {
      case TemplateControlKind::GroupBox:
        widget = new QGroupBox(caption, this);
        break;
      case TemplateControlKind::ComboBox: {
        auto* combo = new QComboBox(this);
        // A drop-down with an edit field; typing never adds an entry, and the
        // selected entry, not the typed text, is what the program reads.
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        widget = combo;
        break;
      }
      case TemplateControlKind::ListBox: {
        auto* list = new QListWidget(this);
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setSortingEnabled(false);
        list->setFocusPolicy(Qt::NoFocus);
        widget = list;
        break;
      }
      case TemplateControlKind::ProgressBar: {
        auto* bar = new QProgressBar(this);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        widget = bar;
        break;
      }
      case TemplateControlKind::PushButton: {
        auto* button = new QPushButton(caption, this);
        button->setDefault(entry.defaultButton);
        button->setAutoDefault(false);
        widget = button;
        break;
      }
      case TemplateControlKind::CheckBox:
        widget = new QCheckBox(caption, this);
        break;
      case TemplateControlKind::RadioButton: {
        auto* radio = new QRadioButton(caption, this);
        const bool isModel = entry.id == ControlId::kModelKesto || entry.id == ControlId::kModelLumo;
        (isModel ? modelGroup : editionGroup)->addButton(radio, entry.id);
        widget = radio;
        break;
      }
    }
    widget->setGeometry(geometry);
    if (entry.kind == TemplateControlKind::ComboBox) {
      // The template's height includes the dropped-down list; the closed box
      // is one field high.
      widget->resize(geometry.width(), widget->sizeHint().height());
    }
    widget->setVisible(entry.visibleInTemplate);
    if (entry.id != 0) {
      widget->setObjectName(QStringLiteral("control%1").arg(entry.id));
      widget->setProperty("controlId", entry.id);
      controls_.insert(entry.id, widget);
    }
  }

  portSelector_ = qobject_cast<QComboBox*>(Control(ControlId::kComPortSelector));
  languageSelector_ = qobject_cast<QComboBox*>(Control(ControlId::kLanguageSelector));
  editionSelector_ = qobject_cast<QComboBox*>(Control(ControlId::kCustomerEditionSelector));
  messageList_ = qobject_cast<QListWidget*>(Control(ControlId::kMessageList));
  progressBar_ = qobject_cast<QProgressBar*>(Control(ControlId::kProgressBar));
  cancelControl_ = qobject_cast<QAbstractButton*>(Control(ControlId::kCancel));

  // The language entries come with the layout; nothing is selected until
  // initialisation picks English.
  for (const char* language : kLanguageEntries) languageSelector_->addItem(QString::fromLatin1(language));
  languageSelector_->setCurrentIndex(-1);

  connect(qobject_cast<QPushButton*>(Control(ControlId::kUpdateTwin)), &QPushButton::clicked, this,
          &MainWindow::OnUpdate);
  // The hidden "Programmiere SM" button starts the worker directly.
  connect(qobject_cast<QPushButton*>(Control(ControlId::kProgramSmButton)), &QPushButton::clicked,
          this, [this] {
            SaveControlValues();
            StartProgrammingWorker(*this);
          });
}

void MainWindow::CreateBitmapButtons() {
  auto* logo = new BitmapButton(QPixmap(QStringLiteral(":/images/logo-133.png")), QPixmap(), this);
  logo->setText(QStringLiteral("Red. Fan Speed"));  // kept for accessibility; never drawn
  logo->move(kLogoTopLeft);
  logo->setFocusPolicy(Qt::NoFocus);
  logo->setObjectName(QStringLiteral("control%1").arg(ControlId::kLogoButton));
  logo->setProperty("controlId", ControlId::kLogoButton);
  logo->show();
  controls_.insert(ControlId::kLogoButton, logo);

  auto* update = new BitmapButton(QPixmap(QStringLiteral(":/images/update-134.png")),
                                  QPixmap(QStringLiteral(":/images/update-136.png")), this);
  update->move(kUpdateButtonTopLeft);
  update->setObjectName(QStringLiteral("control%1").arg(ControlId::kUpdateButton));
  update->setProperty("controlId", ControlId::kUpdateButton);
  update->show();
  controls_.insert(ControlId::kUpdateButton, update);
  connect(update, &QAbstractButton::clicked, this, &MainWindow::OnUpdate);
}

void MainWindow::Initialise() {
  CreateBitmapButtons();

  auto check = [this](int id, bool checked) {
    qobject_cast<QAbstractButton*>(Control(id))->setChecked(checked);
  };
  check(1015, true);
  check(1017, false);
  check(ControlId::kModelKesto, true);

  for (int id : {1017, 1015, 1020, 1016, 1019, 1023, 1022, 1018, 1024}) Control(id)->hide();

  editionSelector_->insertItem(0, QStringLiteral("Standard"));
  editionSelector_->setCurrentIndex(0);
  editionSelector_->hide();
  Control(ControlId::kCustomerGroupBox)->hide();

  AddAboutEntry();

  for (unsigned number : kInstructionMessages) AppendLine(LoadLocalizedText(number));
  RepaintLines();

  languageSelector_->setCurrentIndex(0);
  // Connected only now, so that selecting English above does not refill the list.
  connect(languageSelector_, &QComboBox::currentIndexChanged, this, &MainWindow::OnLanguageChanged);

  LoadControlValues();

  // Any request the started worker makes waits for the window's event loop,
  // which runs only after the ports below are listed: nothing here may process
  // events, or the worker would read an empty port selection.
  if (settings_.runUpdateAtStart) OnUpdate();

  ProbeComPorts();
}

void MainWindow::AddAboutEntry() {
  // Linux window managers do not let a program extend the system menu, so
  // there the entry ends the window's context menu (and F1 opens the box too).
  aboutEntryText_ = QString::fromStdString(LoadLocalizedText(kAboutEntryMessage));
#ifdef Q_OS_WIN
  if (aboutEntryText_.isEmpty()) return;
  if (HMENU systemMenu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE)) {
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, kAboutBoxCommand,
                reinterpret_cast<const wchar_t*>(aboutEntryText_.utf16()));
  }
#endif
}

#ifdef Q_OS_WIN
bool MainWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  const auto* msg = static_cast<const MSG*>(message);
  if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutBoxCommand) {
    ShowAboutBox();
    *result = 0;
    return true;
  }
  return QDialog::nativeEvent(eventType, message, result);
}
#endif

void MainWindow::ProbeComPorts() {
  const PortProbeResult ports = settings_.portProbe();
  for (const std::string& name : ports.usablePorts) portSelector_->addItem(QString::fromStdString(name));
  portSelector_->setCurrentIndex(portSelector_->count() > 0 ? 0 : -1);
  if (!ports.deniedPorts.empty()) {
    AppendLine(kPortPermissionHint);
    RepaintLines();
  }
}

void MainWindow::LoadControlValues() {
  qobject_cast<QAbstractButton*>(Control(ControlId::kArdmoreCheckBox))->setChecked(ardmoreCheckState_ != 0);
}

void MainWindow::SaveControlValues() {
  ardmoreCheckState_ =
      qobject_cast<QAbstractButton*>(Control(ControlId::kArdmoreCheckBox))->isChecked() ? 1 : 0;
}

void MainWindow::OnUpdate() { settings_.updateCommand(*this); }

void MainWindow::OnLanguageChanged() {
  const LoadedCatalogue catalogue(settings_.catalogueDirectory.toStdU16String(), languageSelector_->currentIndex());
  ClearLines();
  for (unsigned number : kInstructionMessages) AppendLine(catalogue.Text(number));
  RepaintLines();
}

void MainWindow::reject() {
  if (!cancelControl_->isEnabled()) {
    // The close lock: a device is being programmed. Only while a dialogue
    // waits for a module's ready sign may the technician call the run off.
    if (theCancelRequest.Raise()) return;
    ++beepCount_;
    QApplication::beep();
    return;
  }
  QDialog::reject();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (aboutEntryText_.isEmpty()) return;
  QMenu menu(this);
  menu.addSeparator();
  menu.addAction(aboutEntryText_, this, &MainWindow::ShowAboutBox);
  menu.exec(event->globalPos());
}

void MainWindow::ShowAboutBox() {
  AboutBox box(this);
  box.exec();
}

int MainWindow::LanguageIndex() {
  return OnWindowThread([this] { return languageSelector_->currentIndex(); });
}

void MainWindow::AppendLine(const std::string& text) {
  OnWindowThread([this, &text] {
    messageList_->addItem(QString::fromStdString(text));
    // A failure is always the newest line: keep it in view.
    messageList_->scrollToBottom();
  });
}

void MainWindow::ClearLines() {
  OnWindowThread([this] { messageList_->clear(); });
}

void MainWindow::RepaintLines() {
  OnWindowThread([this] { messageList_->viewport()->repaint(); });
}

void MainWindow::SetProgressRange(int minimum, int maximum) {
  OnWindowThread([this, minimum, maximum] { progressBar_->setRange(minimum, maximum); });
}

void MainWindow::SetProgressPosition(int position) {
  // Like the classic progress control, a position beyond the range stands at
  // its end (Qt would ignore it).
  OnWindowThread([this, position] {
    progressBar_->setValue(std::clamp(position, progressBar_->minimum(), progressBar_->maximum()));
  });
}

void MainWindow::EnableControl(int controlId, bool enabled) {
  OnWindowThread([this, controlId, enabled] {
    if (QWidget* control = Control(controlId)) control->setEnabled(enabled);
  });
}

std::string MainWindow::SelectedPortName() {
  return OnWindowThread([this] {
    const int index = portSelector_->currentIndex();
    return index < 0 ? std::string() : portSelector_->itemText(index).toStdString();
  });
}

bool MainWindow::IsLumoChecked() {
  return OnWindowThread(
      [this] { return qobject_cast<QAbstractButton*>(Control(ControlId::kModelLumo))->isChecked(); });
}

std::string MainWindow::LoadLocalizedText(unsigned number) {
  // Only the read of the selection goes to the window's thread; the catalogue
  // is loaded and read on the calling thread, so lookups may overlap.
  return LookupText(settings_.catalogueDirectory.toStdU16String(), LanguageIndex(), number);
}

void MainWindow::ShowMessageBox(const std::string& text, MessageBoxIcon icon) {
  OnWindowThread([this, &text, icon] {
    QMessageBox box(icon == MessageBoxIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    QStringLiteral("Tessaramond"), QString::fromStdString(text), QMessageBox::Ok, this);
    box.exec();
  });
}
