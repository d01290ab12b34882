#pragma once

#include <functional>

#include "ProgrammingContext.h"
#include "WindowRequests.h"

// Starts a function on a new thread that nobody waits for; false when no
// thread could be started.
using ThreadStarter = std::function<bool(std::function<void()> body)>;
bool StartDetachedThread(std::function<void()> body);

// Starts the programming run on its own thread with the window as its only
// way to the technician, the real ports, pauses and cancel request, and
// returns at once.
void StartProgrammingWorker(WindowRequests& window);

// The same with everything given. `onEnd` is called with the outcome once the
// run is over and its ports are released, on the run's thread; or, when the
// thread cannot start, on the caller's after message 144.
void StartProgrammingWorker(const ProgrammingContext& run, std::function<void(RunOutcome)> onEnd,
                            const ThreadStarter& startThread = StartDetachedThread);

// The run itself: the update request, then the control module's dialogue and
// the ones it hands over to. Returns when all of them have ended.
RunOutcome ProgrammingWorker(const ProgrammingContext& run);
