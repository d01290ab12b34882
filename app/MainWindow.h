#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include <atomic>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include <QMetaObject>
#include <QThread>

#include "PortProbe.h"
#include "WindowRequests.h"

class QComboBox;
class QListWidget;
class QProgressBar;
class QAbstractButton;

class MainWindow;

struct MainWindowSettings {
  // Folder of english.qm, deutsch.qm and francais.qm.
  QString catalogueDirectory;
  // The command line held an argument: run the Update command at start-up.
  bool runUpdateAtStart = false;
  // What the Update button runs; empty means the real Update command. Tests
  // put their own here.
  std::function<void(MainWindow&)> updateCommand;
  // How the serial ports are found; empty means the real probe.
  std::function<PortProbeResult()> portProbe;
};

// The one main window. It also serves the window requests of the programming
// worker: from any thread, each request is carried out on the window's thread
// and returns once done.
class MainWindow : public QDialog, public WindowRequests {
  Q_OBJECT
 public:
  explicit MainWindow(MainWindowSettings settings, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The control with the given id (see ControlId); nullptr for an unknown id.
  QWidget* Control(int controlId) const;

  // The About entry as start-up made it; empty when the language had no text.
  const QString& AboutEntryText() const { return aboutEntryText_; }

  // How often the close lock refused a close (each refusal also beeps).
  int BeepCount() const { return beepCount_.load(); }

  // The state of check box 1011 as the window's data exchange keeps it.
  int ArdmoreCheckState() const { return ardmoreCheckState_; }
  // Copies the controls' values into the window's members.
  void SaveControlValues();

  void ShowAboutBox();
  // The Update command, as a click of the Update button runs it.
  void OnUpdate();

  // WindowRequests
  void AppendLine(const std::string& text) override;
  void ClearLines() override;
  void RepaintLines() override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void EnableControl(int controlId, bool enabled) override;
  std::string SelectedPortName() override;
  bool IsLumoChecked() override;
  std::string LoadLocalizedText(unsigned number) override;
  void ShowMessageBox(const std::string& text, MessageBoxIcon icon) override;

 public slots:
  // Esc, the close box and the window manager's close all come here.
  void reject() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
#ifdef Q_OS_WIN
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

 private slots:
  void OnLanguageChanged();

 private:
  void CreateTemplateControls();
  void CreateBitmapButtons();
  void Initialise();
  void AddAboutEntry();
  void ProbeComPorts();
  void LoadControlValues();
  int LanguageIndex();

  // Runs f on the window's thread and returns its result. A blocking queued
  // call from the window's own thread would deadlock, so that case calls
  // directly.
  template <typename F>
  auto OnWindowThread(F&& f) -> std::invoke_result_t<F> {
    using Result = std::invoke_result_t<F>;
    if (QThread::currentThread() == thread()) return f();
    if constexpr (std::is_void_v<Result>) {
      QMetaObject::invokeMethod(this, std::forward<F>(f), Qt::BlockingQueuedConnection);
    } else {
      Result result{};
      QMetaObject::invokeMethod(this, std::forward<F>(f), Qt::BlockingQueuedConnection, &result);
      return result;
    }
  }

  MainWindowSettings settings_;
  QHash<int, QWidget*> controls_;
  QComboBox* portSelector_ = nullptr;
  QComboBox* languageSelector_ = nullptr;
  QComboBox* editionSelector_ = nullptr;
  QListWidget* messageList_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QAbstractButton* cancelControl_ = nullptr;
  QString aboutEntryText_;
  int ardmoreCheckState_ = 0;
  std::atomic<int> beepCount_{0};
};

// The one main window, set at start-up before it runs and never changed.
extern MainWindow* theMainWindow;
