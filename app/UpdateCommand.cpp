#include "UpdateCommand.h"

#include "MainWindow.h"

void RunUpdateCommand(MainWindow& window) {
  // The firmware reader and the worker are not in this build yet; the start-up
  // run and the button already reach this point, which they will fill.
  window.SaveControlValues();
}
