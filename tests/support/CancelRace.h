#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

#include "ProgrammingContext.h"

// One round of a race between a run and a cancel request.
struct CancelRaceRound {
  bool accepted = false;  // what the raise was told
  RunOutcome outcome = RunOutcome::Failed;
};

// Runs `run` round after round on the calling thread while a second thread
// calls `raise` once per round, the moment the run's ready sign arrives. The
// run calls the function it is given from within the read that brings the
// sign, and that read lingers there: less after a round whose request was
// accepted, more after one refused. So the requests come to land around the
// end of that read, where the wait ends, half of them before and half after.
// Stops after `most` rounds or, on a busy machine, after about a second.
inline std::vector<CancelRaceRound> RaceCancelAgainstReadySign(
    const std::function<bool()>& raise, const std::function<RunOutcome(const std::function<void()>&)>& run,
    int most = 2000) {
  std::vector<CancelRaceRound> rounds(static_cast<std::size_t>(most));
  std::atomic<int> ready{-1};     // the raiser watches for this round's sign
  std::atomic<int> arrived{-1};   // the sign of this round is being read
  std::atomic<int> finished{-1};  // the run of this round has ended
  std::atomic<int> raised{-1};    // the request of this round has gone out
  std::atomic<bool> stop{false};
  std::thread raiser([&] {
    for (int round = 0;; ++round) {
      ready.store(round);
      // Spins, to meet the sign at once; but gives way now and then, so that
      // on a busy machine the run's own thread is not kept off a core.
      for (int spins = 1; arrived.load() < round && finished.load() < round; ++spins) {
        if (stop.load()) return;
        if (spins % (1 << 18) == 0) std::this_thread::yield();
      }
      rounds[static_cast<std::size_t>(round)].accepted = raise();
      raised.store(round);
    }
  });
  // Spins; in steps of a tenth, from the few that part the read's end from
  // the wait's end on two free cores to the millions that outlast a time
  // slice when the two threads share one core.
  double linger = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  int round = 0;
  for (; round < most && (round < 200 || std::chrono::steady_clock::now() < deadline); ++round) {
    while (ready.load() < round) std::this_thread::yield();
    rounds[static_cast<std::size_t>(round)].outcome = run([&arrived, round, linger] {
      arrived.store(round);
      std::atomic<int> spins{0};
      while (spins.fetch_add(1, std::memory_order_relaxed) < static_cast<int>(linger)) {
      }
    });
    finished.store(round);
    while (raised.load() < round) std::this_thread::yield();
    linger = rounds[static_cast<std::size_t>(round)].accepted ? linger / 1.1 : linger * 1.1 + 1;
  }
  while (ready.load() < round) std::this_thread::yield();
  stop.store(true);
  raiser.join();
  rounds.resize(static_cast<std::size_t>(round));
  return rounds;
}

// Every accepted request called its run off and every refused one let it go
// on; and the rounds met the wait's end, with requests on both sides of it.
inline void ExpectEachKeptOrRefused(const std::vector<CancelRaceRound>& rounds) {
  int accepted = 0;
  int broken = 0;
  for (const CancelRaceRound& round : rounds) {
    accepted += round.accepted ? 1 : 0;
    broken += (round.outcome == RunOutcome::Cancelled) != round.accepted ? 1 : 0;
  }
  EXPECT_EQ(broken, 0) << "of " << rounds.size() << " rounds, " << accepted << " requests accepted";
  if (accepted == 0 || accepted == static_cast<int>(rounds.size())) {
    GTEST_SKIP() << "no request met the wait's end (" << accepted << " of " << rounds.size()
                 << " accepted): the second thread never ran alongside";
  }
}
