// Every failure the simulator can play, through the Update command and the
// real serial port on its pseudo-terminal: all the window is asked in order,
// the run failed, and the port free again at once.
#include <gtest/gtest.h>

#include "FaultRun.h"

namespace {

class FaultMatrixTest : public ::testing::TestWithParam<FaultRow> {};

TEST_P(FaultMatrixTest, EndsAsItsRowSays) {
  // Block 3 carries data; telegram 1 exists.
  EXPECT_EQ(RunWithFault(GetParam(), IsTelegramFault(GetParam()) ? 1 : 3), "");
}

INSTANTIATE_TEST_SUITE_P(EveryRow, FaultMatrixTest, ::testing::ValuesIn(FaultRows()), kRowName);

}  // namespace
