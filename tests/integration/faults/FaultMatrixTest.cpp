// Every failure the simulator can play, through the real command line on a
// real pseudo-terminal: the row's line or box, exit code 1, no success, and
// the port free again at once.
#include <gtest/gtest.h>

#include "FaultRun.h"

namespace {

class FaultMatrixTest : public ::testing::TestWithParam<FaultRow> {};

TEST_P(FaultMatrixTest, EndsAsItsRowSays) {
  // Block 3 carries data; telegram 1 exists.
  const bool telegram = !GetParam().ovenOptions.empty() &&
                        GetParam().ovenOptions.front().find("telegram") != std::string::npos;
  const FaultRunResult result = RunWithFault(GetParam(), telegram ? 1 : 3);
  EXPECT_EQ(Mismatch(GetParam(), result), "") << "cli stderr: " << result.errorOutput
                                              << "\novensim: " << result.ovenLog;
}

INSTANTIATE_TEST_SUITE_P(EveryRow, FaultMatrixTest, ::testing::ValuesIn(FaultRows()),
                         [](const ::testing::TestParamInfo<FaultRow>& row) { return std::string(row.param.name); });

}  // namespace
