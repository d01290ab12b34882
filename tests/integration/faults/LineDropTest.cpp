// The line drops while tessaramond-cli waits for the oven: the run must end at
// once with the report of that wait, not after read time-outs piling up and
// never in an endless loop on a dead port.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "ChildProcess.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "RunRecording.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace Shown;

struct LineDropRow {
  const char* name;
  std::vector<std::string> ovenOptions;
  // The program is in the wait once it printed these lines and the simulator
  // logged this text.
  Recording before;
  std::string logged;
  std::string report;
};
void PrintTo(const LineDropRow& row, std::ostream* out) { *out << row.name; }

class LineDropTest : public ::testing::TestWithParam<LineDropRow> {};

TEST_P(LineDropTest, EndsTheRunAtOnceWithTheWaitsReport) {
  const LineDropRow& row = GetParam();
  TemporaryFolder folder;
  const FirmwareRelease release(folder.Path(), 16, 16);
  std::vector<std::string> command{OVENSIM_PATH};
  command.insert(command.end(), row.ovenOptions.begin(), row.ovenOptions.end());
  ChildProcess oven(command, folder.Path().string(), (folder / "ovensim.err").string());
  const auto port = oven.ReadLine();
  ASSERT_TRUE(port);
  ChildProcess cli({CLI_PATH, "update", "--port", *port}, folder.Path().string(), (folder / "cli.err").string(),
                   {"TESSARAMOND_PAUSE_SCALE=0.001"});

  ASSERT_EQ(cli.FirstDifference(ConsoleLines(Join({kFilesFound, row.before})), false), "");
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (ReadAll(folder / "ovensim.err").find(row.logged) == std::string::npos && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // Well inside the wait, then the line drops.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  oven.Signal(SIGKILL);
  const Clock::time_point dropped = Clock::now();
  // A single read time-out would take 3 s.
  EXPECT_EQ(cli.FirstDifference({row.report}, true, std::chrono::milliseconds(2500)), "");
  EXPECT_LT(Clock::now() - dropped, std::chrono::milliseconds(2500));
  EXPECT_EQ(cli.Wait(std::chrono::seconds(5)), 1);
}

const Recording kSmStartedShown = Join({kSmWaiting, kSmStarted});
const Recording kSmDoneShown = Join({kSmStartedShown, kSmDone});
const Recording kBmStartedShown = Join({kSmDoneShown, kBmWaiting, kBmStarted});

INSTANTIATE_TEST_SUITE_P(
    EveryWait, LineDropTest,
    ::testing::Values(
        LineDropRow{"ControlModuleReadySign", {"--no-ready"}, kSmWaiting, "", "Can't open COM-Port !!!"},
        LineDropRow{"Identification", {"--no-identification"}, kSmWaiting, "fault: no identification", "ERROR: TimeOut"},
        LineDropRow{"BlockAnswer", {"--silent-block", "3"}, kSmStartedShown, "no answer to block 3",
                    "ERROR: no answer from device"},
        LineDropRow{"OperatingModuleReadySign", {"--no-bm-ready"}, kSmDoneShown, "", "Can't open COM-Port !!!"},
        LineDropRow{"LanguageReadySign", {"--no-language-ready"}, kBmStartedShown, "BM: 512 blocks received",
                    "Can't open COM-Port !!!"},
        LineDropRow{"TelegramAnswer", {"--silent-telegram", "1"}, Join({kBmStartedShown, kUploadStarted}),
                    "no answer to telegram 1", "ERROR: no answer from device"}),
    [](const ::testing::TestParamInfo<LineDropRow>& row) { return std::string(row.param.name); });

}  // namespace
