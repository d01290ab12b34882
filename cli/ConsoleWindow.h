#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "WindowRequests.h"

// The window requests served on a terminal: message-list lines go to standard
// output as they are appended, a cleared list as an empty line, message boxes
// as marked lines, and the progress as a bar on standard error when that is a
// terminal. Safe to call from any thread.
class ConsoleWindow : public WindowRequests {
 public:
  // `languageIndex` as the window's language selector counts: 0 english,
  // 1 deutsch, 2 francais; `lumo` as the model button Lumo.
  ConsoleWindow(std::string portName, int languageIndex, bool lumo, bool showProgressBar);
  ~ConsoleWindow() override;

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

  // Calls `decide` with the close lock (the run has disabled the Cancel
  // control) and holds the lock as it is until `decide` returns: a run that
  // would put it on to begin programming waits, so a decision to end the
  // program, taken on the lock being off, holds until the end lands.
  void DecideOnCloseLock(const std::function<void(bool closeLockOn)>& decide);
  // A line of the command line's own on standard error.
  void Note(const std::string& text);
  // Takes the progress bar off the terminal.
  void EndProgressBar();

 private:
  void PrintLine(const std::string& text);
  void EraseBar();
  void DrawBar();

  const std::string portName_;
  const int languageIndex_;
  std::atomic<bool> lumo_;
  const bool showProgressBar_;
  std::mutex closeLockMutex_;  // guards cancelEnabled_
  bool cancelEnabled_ = true;
  std::mutex mutex_;  // guards the terminal and the progress state
  int progressMinimum_ = 0;
  int progressMaximum_ = 100;
  int progressPosition_ = 0;
  bool barActive_ = false;  // the run has set a range
  bool barShown_ = false;
};
