#pragma once

#include <cstdint>
#include <functional>

#include "SerialLine.h"

class SimulatorLog;

enum class ReadySignAnswer { Answered, UpdateRequest, Unanswered, Stopped };

// Puts a ready sign on the line about every 100 ms through `send` (an empty
// one plays an oven that never sends it) until the PC answers with `answer`;
// other bytes are ignored, but an update request means the PC began a new
// run. Consumes what it read, through the answer or the request. Gives up at
// `giveUpAt`, throwing away the signs the PC has not read.
ReadySignAnswer AwaitReadySignAnswer(SerialLine& line, SimulatorLog& log, std::uint8_t answer,
                                     const std::function<void()>& send,
                                     SimulatorClock::time_point giveUpAt = SimulatorClock::time_point::max());
