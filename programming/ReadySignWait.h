#pragma once

#include <cstdint>
#include <initializer_list>

#include "ProgrammingContext.h"

struct ReadySignWaitEnd {
  enum class How { Arrived, Cancelled, LineDown } how;
  std::uint8_t sign = 0;  // when Arrived
};

// Reads byte after byte until one of `signs` arrives, ignoring every other
// byte and every read that brings nothing: a module speaks only once the
// technician has switched it on, so there is no limit. After each read a
// cancel request is taken, and a line that has gone (the adapter pulled out)
// ends the wait too, since no sign can come any more; the caller then ends
// the run. The caller marks the wait with a CancelRequest::Wait before it
// tells the technician what to do, so that a request made as soon as the
// instruction shows is not lost; this ends it, and a request that came in
// up to that moment, even as the sign arrived, makes the end Cancelled.
ReadySignWaitEnd WaitForReadySign(const ProgrammingContext& run, SerialPort& port,
                                  std::initializer_list<std::uint8_t> signs, CancelRequest::Wait& marked);
