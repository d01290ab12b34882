#include "Pauses.h"

#include <thread>

Pauses::~Pauses() = default;

void ThreadPauses::Pause(std::chrono::milliseconds duration) {
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
