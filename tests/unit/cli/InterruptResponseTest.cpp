// Ctrl-C of `update`: what it does at each moment of a run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "CancelRequest.h"
#include "ConsoleWindow.h"
#include "ControlId.h"
#include "InterruptResponse.h"

namespace {

// A wait for a ready sign takes the request even with the close lock on, as
// after the control module was programmed; outside a wait the lock decides
// (the test below).
TEST(InterruptResponseTest, AWaitIsCalledOffWhateverTheCloseLock) {
  for (const bool lockOn : {false, true}) {
    CancelRequest cancel;
    CancelRequest::Wait wait(cancel);
    EXPECT_EQ(RespondToInterrupt(cancel, [lockOn] { return lockOn; }), InterruptResponse::RunCalledOff) << lockOn;
    // The wait's end finds the request it accepted.
    EXPECT_TRUE(wait.End());
  }
}

// The run puts the close lock on just as a Ctrl-C, taken with the lock off,
// ends the program: the run must not get past the lock, where it begins to
// program, before that end lands. Here the end is the test's look at the run.
TEST(InterruptResponseTest, NoRunBeginsToProgramBetweenTheDecisionToEndAndTheEnd) {
  ConsoleWindow console("", 0, false, false);
  CancelRequest cancel;
  std::atomic<bool> ending{false};
  std::atomic<bool> programming{false};
  std::thread run([&] {
    while (!ending.load()) std::this_thread::yield();
    console.EnableControl(ControlId::kCancel, false);
    programming.store(true);
  });
  std::optional<InterruptResponse> response;
  bool programmedBeforeTheEnd = false;
  AnswerInterrupt(cancel, console, [&](InterruptResponse decided) {
    response = decided;
    ending.store(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    programmedBeforeTheEnd = programming.load();
  });
  run.join();
  EXPECT_EQ(response, InterruptResponse::EndsProgram);
  EXPECT_FALSE(programmedBeforeTheEnd);

  // Once the lock is on, a Ctrl-C outside a wait is refused.
  AnswerInterrupt(cancel, console, [&](InterruptResponse decided) { response = decided; });
  EXPECT_EQ(response, InterruptResponse::Refused);
}

}  // namespace
