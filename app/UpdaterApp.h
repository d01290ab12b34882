#pragma once

// The application: builds the one main window, runs it modally, and reports
// the exit code. Nothing is stored between runs.
class UpdaterApp {
 public:
  int Run(int argc, char** argv);
};
