#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "DialogueEnd.h"
#include "SerialLine.h"
#include "SimulatorOptions.h"

class SimulatorLog;

// The transfer both boot loaders take after their start sign: block numbers
// 0 to count-1, each followed by its 256 bytes and their sum unless blank,
// then the end markers; and the image saved once every block came.
class BlockReceiver {
 public:
  // `logPrefix` begins every log line; `imageName` is the file in `saveFolder`.
  BlockReceiver(SerialLine& line, SimulatorLog& log, const BlockFaults& faults, std::string logPrefix,
                std::string saveFolder, std::string imageName);

  DialogueEnd Receive(unsigned count);

 private:
  enum class Fill { Ready, Stalled, Stopped };
  enum class BlockKind { Blank, Data, Stopped };

  BlockKind ClassifyBlock(unsigned number, unsigned count);
  DialogueEnd ReceiveData(unsigned number, std::span<std::uint8_t> block);
  DialogueEnd ReceiveEndMarkers(unsigned count);
  // Waits until `count` bytes are there, or until the line has been quiet for `quietLimit`.
  Fill AwaitReceived(std::size_t count, SimulatorClock::duration quietLimit);

  SerialLine& line_;
  SimulatorLog& log_;
  const BlockFaults& faults_;
  const std::string prefix_;
  const std::string saveFolder_;
  const std::string imageName_;
};
