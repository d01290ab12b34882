#pragma once

#include "Pauses.h"
#include "RunRecord.h"

// The pauses of a recorded run: each is written into the run's record as it
// begins, then taken as the real pauses take it.
class RecordedPauses : public Pauses {
 public:
  RecordedPauses(Pauses& pauses, RunRecord& record) : pauses_(pauses), record_(record) {}
  void Pause(std::chrono::milliseconds duration) override;

 private:
  Pauses& pauses_;
  RunRecord& record_;
};
