#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DialogueEnd.h"
#include "SimulatorOptions.h"

class SerialLine;
class SimulatorLog;

// The oven's receiver of language data, right after the BM's end markers:
// ready sign until the upload command '-', numbered 76-byte data telegrams
// each answered, the end telegram (the data are saved then) and the closing
// telegram that completes the run.
class LanguageReceiver {
 public:
  LanguageReceiver(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options);

  DialogueEnd Run();

 private:
  enum class Arrival { Whole, Short, Silent, Stopped };

  DialogueEnd ReceiveTelegrams();
  DialogueEnd ReceiveEndTelegram(std::uint32_t accepted);
  DialogueEnd AwaitClosingTelegram();
  // Waits for `count` bytes; Short when fewer came and the line fell quiet,
  // Silent when none came for as long as the PC ever pauses.
  Arrival AwaitTelegramBytes(std::size_t count);
  // Throws away what is left of a broken telegram and asks for it again;
  // false when stopped.
  bool AskAgainForBrokenTelegram();

  SerialLine& line_;
  SimulatorLog& log_;
  const LanguageFaults& faults_;
  const char readySign_;
  const std::string saveFolder_;
  std::vector<std::uint8_t> data_;
};
