#include "OperatingModuleProgramming.h"

#include "ControlId.h"
#include "FirmwareImages.h"

RunOutcome ProgramBM(const ProgrammingContext& run) {
  // The operating module's dialogue is not in this build yet, so the run ends
  // here. The close lock is released, or the window could not be closed.
  run.window.EnableControl(ControlId::kCancel, true);
  return smFileLoaded ? RunOutcome::Succeeded : RunOutcome::Failed;
}
