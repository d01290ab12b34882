#include "QtMainWindowView.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QIcon>
#include <QKeySequence>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QThread>
#include <QUrl>

#include "AboutBox.h"
#include "BitmapButton.h"
#include "ControlId.h"
#include "DialogUnits.h"
#include "MainWindow.h"
#include "MainWindowTemplate.h"
#include "PathText.h"
#include "PortComboBox.h"

// The images live in a static library; make sure its resources are registered
// whoever links it.
static void RegisterImages() { Q_INIT_RESOURCE(images); }

namespace {

// The created buttons, placed in pixels of the client area.
constexpr QPoint kLogoTopLeft{220, 15};
constexpr QPoint kUpdateButtonTopLeft{30, 150};

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QtMainWindowView::QtMainWindowView(QWidget* parent) : QDialog(parent) {
  RegisterImages();
  setWindowTitle(QString::fromLatin1(kMainWindowCaption));
  // A title bar with the system menu and close box; nothing to shrink or enlarge it.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

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
}

void QtMainWindowView::Attach(MainWindow& window) {
  if (window_ != nullptr) return;
  window_ = &window;
  connect(qobject_cast<QPushButton*>(Control(ControlId::kUpdateTwin)), &QPushButton::clicked, this,
          [this] { window_->OnUpdate(); });
  connect(qobject_cast<QPushButton*>(Control(ControlId::kProgramSmButton)), &QPushButton::clicked, this,
          [this] { window_->OnProgramSm(); });
  connect(Combo(ControlId::kLanguageSelector), &QComboBox::currentIndexChanged, this,
          [this] { window_->OnLanguageChanged(); });
  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, [this] { window_->OnHelpKey(); });
  AttachPortSelector();
}

void QtMainWindowView::AttachPortSelector() {
  connect(qobject_cast<PortComboBox*>(Control(ControlId::kComPortSelector)), &PortComboBox::listOpening, this,
          [this] { window_->OnPortListOpening(); });
}

void QtMainWindowView::RunModal(MainWindow& window) {
  Attach(window);
  window.Initialise();
  exec();
}

void QtMainWindowView::OnWindowThread(const std::function<void()>& request) {
  // A blocking queued call from the window's own thread would deadlock.
  if (QThread::currentThread() == thread()) {
    request();
    return;
  }
  QMetaObject::invokeMethod(this, request, Qt::BlockingQueuedConnection);
}

QWidget* QtMainWindowView::Control(int controlId) const { return controls_.value(controlId, nullptr); }

QComboBox* QtMainWindowView::Combo(int controlId) const { return qobject_cast<QComboBox*>(Control(controlId)); }

void QtMainWindowView::Register(QWidget* control, int controlId) {
  control->setObjectName(QStringLiteral("control%1").arg(controlId));
  control->setProperty("controlId", controlId);
  controls_.insert(controlId, control);
}

void QtMainWindowView::CreateTemplateControls() {
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
        auto* combo = entry.id == ControlId::kComPortSelector ? new PortComboBox(this) : new QComboBox(this);
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
        messageList_ = list;
        widget = list;
        break;
      }
      case TemplateControlKind::ProgressBar: {
        auto* bar = new QProgressBar(this);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        progressBar_ = bar;
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
    if (entry.id != 0) Register(widget, entry.id);
  }

  // The language entries come with the layout; nothing is selected until
  // initialisation picks English.
  QComboBox* languages = Combo(ControlId::kLanguageSelector);
  for (const char* language : kLanguageEntries) languages->addItem(QString::fromLatin1(language));
  languages->setCurrentIndex(-1);
}

void QtMainWindowView::CreateLogoButton() {
  auto* logo = new BitmapButton(QPixmap(QStringLiteral(":/images/logo-133.png")), QPixmap(), this);
  logo->setText(QStringLiteral("Red. Fan Speed"));  // kept for accessibility; never drawn
  logo->move(kLogoTopLeft);
  logo->setFocusPolicy(Qt::NoFocus);
  Register(logo, ControlId::kLogoButton);
  logo->show();
}

void QtMainWindowView::CreateUpdateButton() {
  auto* update = new BitmapButton(QPixmap(QStringLiteral(":/images/update-134.png")),
                                  QPixmap(QStringLiteral(":/images/update-136.png")), this);
  update->move(kUpdateButtonTopLeft);
  Register(update, ControlId::kUpdateButton);
  update->show();
  connect(update, &QAbstractButton::clicked, this, [this] {
    if (window_ != nullptr) window_->OnUpdate();
  });
}

void QtMainWindowView::SetWindowIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/images/icon-128.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/images/icon-128-16.png"), QSize(16, 16));
  setWindowIcon(icon);
}

void QtMainWindowView::Hide(int controlId) {
  if (QWidget* control = Control(controlId)) control->hide();
}

void QtMainWindowView::Enable(int controlId, bool enabled) {
  if (QWidget* control = Control(controlId)) control->setEnabled(enabled);
}

bool QtMainWindowView::IsEnabled(int controlId) {
  QWidget* control = Control(controlId);
  return control != nullptr && control->isEnabled();
}

void QtMainWindowView::SetChecked(int controlId, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(Control(controlId))) button->setChecked(checked);
}

bool QtMainWindowView::IsChecked(int controlId) {
  auto* button = qobject_cast<QAbstractButton*>(Control(controlId));
  return button != nullptr && button->isChecked();
}

void QtMainWindowView::InsertEntry(int controlId, int index, const std::string& text) {
  if (QComboBox* combo = Combo(controlId)) combo->insertItem(index, FromUtf8(text));
}

void QtMainWindowView::AddEntry(int controlId, const std::string& text) {
  if (QComboBox* combo = Combo(controlId)) combo->addItem(FromUtf8(text));
}

int QtMainWindowView::EntryCount(int controlId) {
  QComboBox* combo = Combo(controlId);
  return combo != nullptr ? combo->count() : 0;
}

std::string QtMainWindowView::EntryText(int controlId, int index) {
  QComboBox* combo = Combo(controlId);
  return combo != nullptr ? combo->itemText(index).toStdString() : std::string();
}

void QtMainWindowView::Select(int controlId, int index) {
  if (QComboBox* combo = Combo(controlId)) combo->setCurrentIndex(index);
}

int QtMainWindowView::Selection(int controlId) {
  QComboBox* combo = Combo(controlId);
  return combo != nullptr ? combo->currentIndex() : -1;
}

void QtMainWindowView::AddPortEntry(const std::string& name, const std::string& listText) {
  qobject_cast<PortComboBox*>(Control(ControlId::kComPortSelector))->AddPort(FromUtf8(name), FromUtf8(listText));
}

void QtMainWindowView::ClearPortEntries() { Combo(ControlId::kComPortSelector)->clear(); }

void QtMainWindowView::AppendLine(const std::string& text) {
  messageList_->addItem(FromUtf8(text));
  messageList_->scrollToBottom();
}

void QtMainWindowView::ClearLines() { messageList_->clear(); }

void QtMainWindowView::RepaintLines() { messageList_->viewport()->repaint(); }

void QtMainWindowView::SetProgressRange(int minimum, int maximum) { progressBar_->setRange(minimum, maximum); }

void QtMainWindowView::SetProgressPosition(int position) { progressBar_->setValue(position); }

void QtMainWindowView::AddAboutEntry(const std::string& text) { aboutEntryText_ = FromUtf8(text); }

void QtMainWindowView::ShowAboutBox() {
  AboutBox box(this);
  box.exec();
}

void QtMainWindowView::AddRecordsFolderEntry(const std::string& text) { recordsEntryText_ = FromUtf8(text); }

bool QtMainWindowView::OpenFolder(const std::filesystem::path& folder) {
  // The desktop's own way (xdg-open on Linux), started without waiting.
  return QDesktopServices::openUrl(QUrl::fromLocalFile(FromUtf8(PathText(folder))));
}

void QtMainWindowView::ShowMessageBox(const std::string& text, MessageBoxIcon icon) {
  QMessageBox box(icon == MessageBoxIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  QStringLiteral("Tessaramond"), FromUtf8(text), QMessageBox::Ok, this);
  box.exec();
}

void QtMainWindowView::Beep() { QApplication::beep(); }

void QtMainWindowView::EndModalRun() { QDialog::reject(); }

void QtMainWindowView::reject() {
  if (window_ != nullptr) window_->OnCancel();
}

void QtMainWindowView::contextMenuEvent(QContextMenuEvent* event) {
  if ((aboutEntryText_.isEmpty() && recordsEntryText_.isEmpty()) || window_ == nullptr) return;
  // As the system menu of the Windows window ends: each entry after a separator.
  QMenu menu(this);
  if (!recordsEntryText_.isEmpty()) {
    menu.addSeparator();
    menu.addAction(recordsEntryText_, this, [this] { window_->OnOpenRecordsFolder(); });
  }
  if (!aboutEntryText_.isEmpty()) {
    menu.addSeparator();
    menu.addAction(aboutEntryText_, this, [this] { window_->OnAboutCommand(); });
  }
  menu.exec(event->globalPos());
}
