#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "CancelRequest.h"
#include "Pauses.h"
#include "RunEvents.h"
#include "SerialPort.h"
#include "WindowRequests.h"

// The oven's service line runs at this rate, in every dialogue.
inline constexpr std::uint32_t kOvenBaudRate = 57600;

// How a programming run ended, for the command line's exit code; the window
// only shows the lines.
enum class RunOutcome { Succeeded, Failed, Cancelled };

// Everything a programming run reaches outside itself. The product gives the
// real window, ports, sleeps and the process-wide cancel request; tests give
// stand-ins.
struct ProgrammingContext {
  WindowRequests& window;
  // A new port, not yet open. Each dialogue makes its own.
  std::function<std::unique_ptr<SerialPort>()> makePort;
  Pauses& pauses;
  CancelRequest& cancel;
  // Who hears of the run's steps besides the window (its record); none when
  // null.
  RunEvents* events = nullptr;

  RunEvents& Events() const { return events != nullptr ? *events : NoRunEvents(); }
};
