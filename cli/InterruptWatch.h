#pragma once

#include <functional>

// Takes Ctrl-C (SIGINT) away from its default of ending the process at once
// and hands each press to `onInterrupt` on a thread of its own, where it may
// print and decide. Call before any other thread starts, so that every thread
// inherits the blocked signal.
void WatchInterrupts(std::function<void()> onInterrupt);

// From now on Ctrl-C is ignored; returns once no call of the handler runs, so
// that what the handler uses may go.
void StopWatchingInterrupts();
