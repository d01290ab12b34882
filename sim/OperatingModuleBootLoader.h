#pragma once

#include "BlockReceiver.h"
#include "DialogueEnd.h"
#include "SimulatorOptions.h"

class SerialLine;
class SimulatorLog;

// The boot loader of the oven's operating module (BM), reached through the
// control module: ready sign '#' until the programming command '*', start
// sign, 512 numbered blocks and the end markers, and the saved image.
class OperatingModuleBootLoader {
 public:
  OperatingModuleBootLoader(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options);

  DialogueEnd Run();

 private:
  SerialLine& line_;
  SimulatorLog& log_;
  const OperatingModuleFaults& faults_;
  const bool once_;
  BlockReceiver blocks_;
};
