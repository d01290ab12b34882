#pragma once

#include <cstdint>

#include "ProgrammingContext.h"

enum class ReadySignResult { Arrived, Cancelled };

// Reads byte after byte until `sign` arrives, ignoring every other byte and
// every read that brings nothing: a module speaks only once the technician has
// switched it on, so there is no limit. After each read a cancel request is
// taken; the caller then ends the run. The caller marks the wait with a
// CancelRequest::Wait before it tells the technician what to do, so that a
// request made as soon as the instruction shows is not lost.
ReadySignResult WaitForReadySign(const ProgrammingContext& run, SerialPort& port, std::uint8_t sign,
                                 const CancelRequest::Wait& marked);
