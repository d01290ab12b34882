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
