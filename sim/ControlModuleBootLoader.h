#pragma once

#include <random>
#include <string>

#include "BlockReceiver.h"
#include "DialogueEnd.h"
#include "SimulatorOptions.h"

class SerialLine;
class SimulatorLog;

// The boot loader of the oven's control module (SM), from the first ready
// sign after the update request through the numbered blocks and the end
// markers to the saved image, or to the fault it was told to play.
class ControlModuleBootLoader {
 public:
  using End = DialogueEnd;

  ControlModuleBootLoader(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options);

  End Run();

 private:
  void SendReadySign();

  SerialLine& line_;
  SimulatorLog& log_;
  const ControlModuleFaults& faults_;
  const std::string identification_;
  BlockReceiver blocks_;
  std::minstd_rand noise_;
};
