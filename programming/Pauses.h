#pragma once

#include <chrono>

// The pauses of the programming dialogues. The product sleeps; tests pass
// over them, so that a run with half a minute of pauses takes no time.
class Pauses {
 public:
  virtual ~Pauses();
  // A pause of 0 ms gives up the rest of the thread's time slice.
  virtual void Pause(std::chrono::milliseconds duration) = 0;
};

// Sleeps the calling thread.
class ThreadPauses : public Pauses {
 public:
  void Pause(std::chrono::milliseconds duration) override;
};

// Sleeps a fixed share of each pause: against the oven simulator, whose
// modules need no time to get ready. Never for a real oven.
class ScaledPauses : public Pauses {
 public:
  explicit ScaledPauses(double factor) : factor_(factor) {}
  void Pause(std::chrono::milliseconds duration) override;

 private:
  double factor_;
};
