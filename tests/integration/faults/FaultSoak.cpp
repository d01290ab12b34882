// Runs updates against the simulator with a random fault at a random block
// or telegram each, and checks that every run ends as the fault matrix says.
// The seed is printed; the same seed and count repeat the same runs.
//   fault_soak [--seed S] [--runs N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "FaultRun.h"

int main(int argc, char** argv) {
  unsigned long seed = static_cast<unsigned long>(std::chrono::system_clock::now().time_since_epoch().count());
  int runs = 30;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
  }
  // Each line as it comes, also into a pipe.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::printf("fault soak: seed %lu, %d runs; repeat with: %s --seed %lu --runs %d\n", seed, runs, argv[0], seed,
              runs);

  std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
  const auto& rows = FaultRows();
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    const FaultRow& row = rows[random() % rows.size()];
    const int k = static_cast<int>(random() % (IsTelegramFault(row) ? kReleaseTelegrams : kReleaseDataBlocks));
    const std::string mismatch = RunWithFault(row, k);
    std::printf("run %d: %s, K=%d: %s\n", run, row.name, k, mismatch.empty() ? "as expected" : mismatch.c_str());
    if (!mismatch.empty()) ++failures;
  }
  std::printf("fault soak: %d of %d runs ended otherwise than expected (seed %lu)\n", failures, runs, seed);
  return failures == 0 ? 0 : 1;
}
