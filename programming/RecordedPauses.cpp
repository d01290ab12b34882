#include "RecordedPauses.h"

void RecordedPauses::Pause(std::chrono::milliseconds duration) {
  record_.PauseBegins(duration);
  pauses_.Pause(duration);
}
