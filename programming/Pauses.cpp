#include "Pauses.h"

#include <thread>

#if defined(__linux__)
#include <sys/prctl.h>
#endif

Pauses::~Pauses() = default;

void ThreadPauses::Pause(std::chrono::milliseconds duration) {
#if defined(__linux__)
  // Linux lets a sleep end up to the thread's timer slack late, 50 us unless
  // set: over the 2560 pauses of 8 ms in the language upload that adds up.
  thread_local const bool exact = ::prctl(PR_SET_TIMERSLACK, 1UL) == 0;
  static_cast<void>(exact);
#endif
  if (duration.count() <= 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(duration);
  }
}

void ScaledPauses::Pause(std::chrono::milliseconds duration) {
  ThreadPauses().Pause(std::chrono::milliseconds(
      static_cast<std::chrono::milliseconds::rep>(static_cast<double>(duration.count()) * factor_)));
}
