#include "UpdateCommand.h"

#include "CancelRequest.h"
#include "MainWindow.h"
#include "RecordedUpdate.h"

void RunUpdateCommand(MainWindow& window) {
  window.SaveControlValues();
  static ThreadPauses pauses;
  StartRecordedUpdate({window, [] { return std::make_unique<SerialPort>(); }, pauses, theCancelRequest},
                      {.program = "window"});
}
