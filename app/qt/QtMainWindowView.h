#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include "MainWindowView.h"

class QAbstractButton;
class QComboBox;
class PortComboBox;
class QListWidget;
class QProgressBar;

// The main window drawn by Qt: the layout in dialog units of the window's
// font, black on white, the bitmap buttons, the About and records entries in
// the window's context menu (Linux window managers do not let a program extend the
// system menu) and F1. Events go to the MainWindow it runs.
class QtMainWindowView : public QDialog, public MainWindowView {
  Q_OBJECT
 public:
  explicit QtMainWindowView(QWidget* parent = nullptr);

  // Hands the window's events to `window` (RunModal does this itself);
  // tests that initialise and show the window without a modal run call it.
  void Attach(MainWindow& window);

  // The control with the given id (see ControlId); nullptr for an unknown id.
  QWidget* Control(int controlId) const;

  // MainWindowView
  void RunModal(MainWindow& window) override;
  void OnWindowThread(const std::function<void()>& request) override;
  void CreateLogoButton() override;
  void CreateUpdateButton() override;
  void SetWindowIcon() override;
  void Hide(int controlId) override;
  void Enable(int controlId, bool enabled) override;
  bool IsEnabled(int controlId) override;
  void SetChecked(int controlId, bool checked) override;
  bool IsChecked(int controlId) override;
  void InsertEntry(int controlId, int index, const std::string& text) override;
  void AddEntry(int controlId, const std::string& text) override;
  int EntryCount(int controlId) override;
  std::string EntryText(int controlId, int index) override;
  void Select(int controlId, int index) override;
  int Selection(int controlId) override;
  void AddPortEntry(const std::string& name, const std::string& listText) override;
  void ClearPortEntries() override;
  void AppendLine(const std::string& text) override;
  void ClearLines() override;
  void RepaintLines() override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  bool HasSystemMenu() override { return true; }
  void AddAboutEntry(const std::string& text) override;
  void ShowAboutBox() override;
  void AddRecordsFolderEntry(const std::string& text) override;
  bool OpenFolder(const std::filesystem::path& folder) override;
  void ShowMessageBox(const std::string& text, MessageBoxIcon icon) override;
  void Beep() override;
  void EndModalRun() override;

 public slots:
  // Esc, the close box and the window manager's close all come here.
  void reject() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void CreateTemplateControls();
  void Register(QWidget* control, int controlId);
  QComboBox* Combo(int controlId) const;
  void AttachPortSelector();

  MainWindow* window_ = nullptr;
  QHash<int, QWidget*> controls_;
  QListWidget* messageList_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QString aboutEntryText_;
  QString recordsEntryText_;
};
