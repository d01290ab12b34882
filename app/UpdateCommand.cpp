#include "UpdateCommand.h"

#include "FirmwareFileSelection.h"
#include "MainWindow.h"
#include "ProgrammingWorker.h"

void RunUpdateCommand(MainWindow& window) {
  window.SaveControlValues();
  if (!LoadFirmwareFiles(window, kFirmwareFolder)) return;
  StartProgrammingWorker(window);
}
