#pragma once

#include <chrono>
#include <vector>

#include "Pauses.h"

// Notes each pause and returns at once.
class RecordingPauses : public Pauses {
 public:
  void Pause(std::chrono::milliseconds duration) override { pauses.push_back(duration); }
  std::vector<std::chrono::milliseconds> pauses;
};
