#pragma once

#include <functional>

class MainWindow;
class MainWindowView;

// The application: builds the one main window, makes it theMainWindow, runs
// it modally, and ends the process when the modal run ends. Nothing is stored
// between runs.
class UpdaterApp {
 public:
  UpdaterApp() = default;
  // Runs the given command instead of the Update command (tests).
  explicit UpdaterApp(std::function<void(MainWindow&)> updateCommand)
      : updateCommand_(std::move(updateCommand)) {}

  // Start-up on the toolkit's window `view`; returns when the modal run ends.
  // The window is never destroyed: a worker may still be in one of its
  // requests.
  void RunMainWindow(MainWindowView& view, bool startedWithArgument) const;

  // The same, then ends the process with exit code 0 at once: a worker thread
  // may still be blocked on the port or in a window request, so nothing it
  // might touch is torn down.
  [[noreturn]] void Run(MainWindowView& view, bool startedWithArgument) const;

 private:
  std::function<void(MainWindow&)> updateCommand_;
};
