#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "SerialLine.h"
#include "SimulatorOptions.h"

class SimulatorLog;

// The boot loader of the oven's control module (SM), from the first ready
// sign after the update request through the numbered blocks and the end
// markers to the saved image, or to the fault it was told to play.
class ControlModuleBootLoader {
 public:
  enum class End { Completed, Fault, ProtocolError, Stopped, HungUp };

  ControlModuleBootLoader(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options);

  End Run();

 private:
  enum class Fill { Ready, Stalled, Stopped };
  enum class BlockKind { Blank, Data, Stopped };

  // Sends the ready sign until '<' comes; false when stopped.
  bool AwaitAnswerSign();
  void SendReadySign();
  End ReceiveBlocks(unsigned count);
  BlockKind ClassifyBlock(unsigned number, unsigned count);
  End ReceiveData(unsigned number, std::span<std::uint8_t> block);
  End ReceiveEndMarkers(unsigned count);
  // Waits until `count` bytes are there, or until the line has been quiet for `quietLimit`.
  Fill AwaitReceived(std::size_t count, SimulatorClock::duration quietLimit);
  void SaveImage(std::span<const std::uint8_t> image);

  SerialLine& line_;
  SimulatorLog& log_;
  const ControlModuleFaults& faults_;
  const std::string identification_;
  const std::string saveFolder_;
  std::minstd_rand noise_;
};
