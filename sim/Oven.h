#pragma once

#include "ControlModuleBootLoader.h"
#include "DialogueEnd.h"
#include "LanguageReceiver.h"
#include "OperatingModuleBootLoader.h"

class SerialLine;
class SimulatorLog;
struct SimulatorOptions;

// The oven as the PC meets it on the line: an update request begins a run,
// in which the control module's boot loader, the operating module's and the
// language receiver take their turns.
class Oven {
 public:
  Oven(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options);

  // Plays runs until stopped or hung up, or after the first with --once.
  // Gives the exit status: 1 when the PC broke the protocol, else 0.
  int Run();

 private:
  // Discards everything up to the next update request; false when stopped.
  bool AwaitUpdateRequest();
  // One run, from after the update request; stops at the first dialogue that
  // does not complete.
  DialogueEnd PlayRun();

  SerialLine& line_;
  SimulatorLog& log_;
  const bool once_;
  const bool controlModule_;
  const bool smOnly_;
  ControlModuleBootLoader controlModuleBootLoader_;
  OperatingModuleBootLoader operatingModuleBootLoader_;
  LanguageReceiver languageReceiver_;
};
