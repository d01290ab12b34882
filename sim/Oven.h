#pragma once

#include "ControlModuleBootLoader.h"

class SerialLine;
class SimulatorLog;
struct SimulatorOptions;

// The oven as the PC meets it on the line: an update request wakes the control
// module's boot loader. The operating module's boot loader and the language
// receiver take their turns after it once they are played too.
class Oven {
 public:
  Oven(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options);

  // Plays dialogues until stopped or hung up, or after the first with --once.
  // Gives the exit status: 1 when the PC broke the protocol, else 0.
  int Run();

 private:
  // Discards everything up to the next update request; false when stopped.
  bool AwaitUpdateRequest();

  SerialLine& line_;
  SimulatorLog& log_;
  const bool once_;
  ControlModuleBootLoader controlModule_;
};
