#pragma once

#include <functional>

class MainWindow;

// The application: builds the one main window, runs it modally, and ends the
// process when the modal run ends. Nothing is stored between runs.
class UpdaterApp {
 public:
  UpdaterApp() = default;
  // Runs the given command instead of the Update command (tests).
  explicit UpdaterApp(std::function<void(MainWindow&)> updateCommand)
      : updateCommand_(std::move(updateCommand)) {}

  // Never returns: a worker thread may still be blocked on the port or in a
  // window request when the window closes, so the process ends right there,
  // with exit code 0, before anything it might touch is torn down.
  [[noreturn]] void Run(int argc, char** argv);

 private:
  std::function<void(MainWindow&)> updateCommand_;
};
