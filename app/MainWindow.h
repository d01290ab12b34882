#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "PortProbe.h"
#include "WindowRequests.h"

class MainWindowView;
class MainWindow;

struct MainWindowSettings {
  // Folder of english.qm, deutsch.qm and francais.qm.
  std::filesystem::path catalogueDirectory{};
  // The command line held an argument: run the Update command at start-up.
  bool runUpdateAtStart = false;
  // What the Update button runs; empty means the real Update command. Tests
  // put their own here.
  std::function<void(MainWindow&)> updateCommand{};
  // How the serial ports are found; empty means the real probe.
  std::function<PortProbeResult()> portProbe{};
};

// The one main window: what it does, whichever toolkit draws it. It runs the
// initialisation, reacts to the window's events (Update, a language change,
// the close keys, the About entry) and serves the programming worker's
// requests: from any thread, each is carried out on the window's thread and
// returns once done.
class MainWindow : public WindowRequests {
 public:
  MainWindow(MainWindowView& view, MainWindowSettings settings);

  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The initialisation steps, run by the view before the window is first
  // shown. Nothing here lets the window take messages, so a worker started by
  // the start-up Update sees the window only once it is complete.
  void Initialise();

  // Events, passed on by the view on the window's thread.
  void OnUpdate();             // the Update button 1029 and its hidden twin 1003
  void OnProgramSm();          // the hidden button 1010
  void OnLanguageChanged();    // a selection change in the language selector
  void OnCancel();             // Esc, the close box, Close in the system menu, Alt+F4
  void OnAboutCommand();       // the About entry
  void OnHelpKey();            // F1: the About box, where the About entry exists
  void OnPortListOpening();    // the port selector's list is about to drop down
  void OnOpenRecordsFolder();  // the records entry beside the About entry

  // The About entry as start-up made it; empty when there is none.
  const std::string& AboutEntryText() const { return aboutEntryText_; }
  // How often the close lock refused a close (each refusal also beeps).
  int BeepCount() const { return beepCount_.load(); }
  // The state of check box 1011 as the window's data exchange keeps it.
  int ArdmoreCheckState() const { return ardmoreCheckState_; }
  // Copies the controls' values into the window's members.
  void SaveControlValues();

  MainWindowView& View() { return view_; }

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

 private:
  void AddAboutEntry();
  void AddRecordsFolderEntry();
  void AppendInstructionLines(const std::function<std::string(unsigned)>& text);
  void ProbeComPorts();
  void ShowPorts(std::vector<FoundPort> ports, int selection);
  void LoadControlValues();

  MainWindowView& view_;
  MainWindowSettings settings_;
  bool initialising_ = false;
  std::string aboutEntryText_;
  int ardmoreCheckState_ = 0;
  // The progress range last set: a position beyond it stands at its end.
  int progressMinimum_ = 0;
  int progressMaximum_ = 100;
  std::atomic<int> beepCount_{0};
  // The ports behind the port selector's entries, index for index: the
  // selector shows their names, the worker gets their paths. Used on the
  // window's thread only.
  std::vector<FoundPort> ports_;
};

// The one main window, set at start-up before it initialises and never
// changed afterwards.
extern MainWindow* theMainWindow;
