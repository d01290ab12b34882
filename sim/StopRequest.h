#pragma once

#include <signal.h>

// SIGINT and SIGTERM ask the simulator to stop. Both stay blocked except while
// the line waits (ppoll unblocks them), so a request can never slip in between
// the check and the wait and leave the simulator asleep.
class StopRequest {
 public:
  StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  bool Requested() const;
  // The signal mask to wait with: the one from before, signals deliverable.
  const sigset_t& WaitMask() const { return waitMask_; }

 private:
  sigset_t waitMask_{};
};
