// The worker's run up to the hand-over to the operating module, on a scripted
// line: every byte it writes and everything it asks of the window, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "FirmwareImages.h"
#include "ProgrammingWorker.h"
#include "ScriptedLine.h"

namespace {

using std::chrono::milliseconds;
using namespace Shown;

const Bytes kUpdateRequest{0x02, 0x01, 0xAC, 0x00, 0xAD, 0x00};
const Recording kStart{"-Language"};
const Recording kTransfer = Join({kSmWaiting, kSmStarted});
// The operating module's dialogue without its file.
const Recording kNoBmFile{"no BM file loaded", "Language upload will proceed...", "<clear>", "+Cancel"};

void FillBlock(HexImage& image, std::size_t block, std::uint8_t value) {
  for (std::size_t i = 0; i < HexImage::kBlockSize; ++i) {
    image.Store(static_cast<std::uint32_t>(block * HexImage::kBlockSize + i), value);
  }
}

class ControlModuleRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    smImage.Fill(0xFF);
    smFileLoaded = true;
    // The operating module's dialogue then only says that its file is missing.
    bmFileLoaded = false;
  }
  ScriptedRun run_;
};

TEST_F(ControlModuleRunTest, SendsTheBlocksTheModuleTakesAndHandsOver) {
  FillBlock(smImage, 0, 0x01);
  smImage.Store(247 * 256 + 17, 0x00);
  for (std::uint32_t i = 0; i < 256; ++i) smImage.Store(507 * 256 + i, static_cast<std::uint8_t>(i));
  FillBlock(smImage, 508, 0x55);  // beyond either module
  const std::map<int, std::uint8_t> sums{{0, 0x00}, {247, 0x01}, {507, 0x80}};
  for (const auto& [identification, blocks] : {std::pair{"DpcT4", 508}, std::pair{"SDZT1", 248}}) {
    SCOPED_TRACE(identification);
    ScriptedRun run;
    // A ready sign left in the port from before is purged as it opens; noise
    // and silence before the real one are passed over.
    run.line.waitingAtOpen[1] = ">";
    run.line.Answer("x<");
    run.line.Silence();
    run.line.Answer(std::string(">") + identification + "!!!!");
    // The technician picks another port once the run has read its own.
    run.window.laterPortName = "COM9";

    // Without an operating-module file the run as a whole does not succeed.
    EXPECT_EQ(ProgrammingWorker(run.Context()), RunOutcome::Failed);

    std::vector<Bytes> expected{kUpdateRequest, {'<'}};
    for (int n = 0; n < blocks; ++n) {
      expected.push_back({static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF)});
      if (const auto sum = sums.find(n); sum != sums.end()) {
        expected.emplace_back(smImage.Block(n).begin(), smImage.Block(n).end());
        expected.push_back({sum->second});
      }
    }
    expected.insert(expected.end(), 101, Bytes{0xFF, 0xFF});
    EXPECT_EQ(run.line.writes, expected);
    EXPECT_EQ(run.line.opens, (std::vector<std::string>{"COM1", "COM1"}));
    EXPECT_EQ(run.window.Events(), Join({kTransfer, {ProgressTo(blocks - 1)}, kSmDone, kNoBmFile}));
    EXPECT_EQ(std::count(run.pauses.pauses.begin(), run.pauses.pauses.end(), milliseconds(0)), blocks);
    ASSERT_FALSE(run.pauses.pauses.empty());
    EXPECT_EQ(run.pauses.pauses.back(), milliseconds(5000));
  }
}

struct FailureRow {
  const char* name;
  const char* answers;  // what the far end sends
  int failedWrite;      // -1: none
  Recording shown;
  std::size_t writes;  // tried, the failed one included: none after a failure
  std::function<void(ScriptedRun&)> setUp = [](ScriptedRun&) {};
  RunOutcome outcome = RunOutcome::Failed;
};
void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

class ControlModuleFailureTest : public ControlModuleRunTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(ControlModuleFailureTest, EndsAsItsRowSays) {
  // Blocks 0 and 2 carry data; block 1 is blank.
  FillBlock(smImage, 0, 0x11);
  FillBlock(smImage, 2, 0x22);
  run_.line.Answer(GetParam().answers);
  run_.line.failWriteNumber = GetParam().failedWrite;
  GetParam().setUp(run_);
  EXPECT_EQ(ProgrammingWorker(run_.Context()), GetParam().outcome);
  EXPECT_EQ(run_.window.Events(), GetParam().shown);
  EXPECT_EQ(run_.line.writes.size(), GetParam().writes);
}

Recording Ended(const Recording& before, const Recording& end) { return Join({before, end, {"+Cancel"}}); }

// Writes of a run: 0 update request, 1 '<', 2 number 0, 3 data 0, 4 sum 0,
// 5 number 1, 6 number 2, 7 data 2, 8 sum 2, 9-513 numbers 3-507, 514- end markers.
INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, ControlModuleFailureTest,
    ::testing::Values(
        FailureRow{"PortDoesNotOpen", "", -1, Ended(kStart, {"Can't open COM-Port !!!"}), 0,
                   [](ScriptedRun& r) { r.line.failOpenNumber = 0; }},
        // The ready sign ends a wait on a port the run should not have opened.
        FailureRow{"NoPortSelected", ">", -1, Ended(kStart, {"Can't open COM-Port !!!"}), 0,
                   [](ScriptedRun& r) { r.window.portName = ""; }},
        FailureRow{"UpdateRequestNotWritten", "", 0, Ended(kStart, {"ERROR: can't write to COM"}), 1},
        FailureRow{"PortDoesNotOpenAgain", "", -1, Ended(kStart, {"Can't open COM-Port !!!"}), 1,
                   [](ScriptedRun& r) { r.line.failOpenNumber = 1; }},
        FailureRow{"NoFiles", "", -1, Join({kStart, {"no SM file loaded"}, kNoBmFile}), 1,
                   [](ScriptedRun&) { smFileLoaded = false; }},
        FailureRow{"OnlyAnOperatingModuleFileCancelledWhileWaiting", "", -1,
                   Ended(Join({kStart, {"no SM file loaded", "Switch main-power on..."}, kBmWaiting}),
                         {"Programming canceled before start"}),
                   1,
                   [](ScriptedRun& r) {
                     smFileLoaded = false;
                     bmFileLoaded = true;
                     r.line.onEmptyRead = [&r](int) { r.cancel.Raise(); };
                   },
                   RunOutcome::Cancelled},
        FailureRow{"AnswerNotWritten", ">", 1, Ended(kSmWaiting, {"ERROR: can't write to COM"}), 2},
        FailureRow{"PortGoneWhileWaiting", "x", -1, Ended(kSmWaiting, {"Can't open COM-Port !!!"}), 1,
                   [](ScriptedRun& r) { r.line.hangUpAfterScript = true; }},
        FailureRow{"NoIdentification", ">", -1, Ended(kSmWaiting, {"ERROR: TimeOut"}), 2},
        FailureRow{"WrongIdentification", ">sdzt1!", -1, Ended(kSmWaiting, {"ERROR: bad verify-string"}), 2},
        FailureRow{"ShortIdentification", ">DpcT", -1, Ended(kSmWaiting, {"ERROR: bad verify-string"}), 2},
        FailureRow{"NoStartSign", ">DpcT4", -1, Ended(kSmWaiting, {"ERROR: no start sign"}), 2},
        FailureRow{"WrongStartSign", ">DpcT4?", -1, Ended(kSmWaiting, {"ERROR: wrong start sign"}), 2},
        FailureRow{"BlockNumberNotWritten", ">DpcT4!", 2, Ended(kTransfer, {"at 0", "ERROR in data-transmission"}), 3},
        FailureRow{"BlockDataNotWritten", ">DpcT4!", 3,
                   Ended(kTransfer, {"at 0", "ERROR in data-transmission", "+Update"}), 4},
        FailureRow{"BlockSumNotWritten", ">DpcT4!!", 8,
                   Ended(kTransfer, {"at 0..2", "ERROR in data-transmission", "+Update"}), 9},
        FailureRow{"NoBlockAnswer", ">DpcT4!!", -1,
                   Ended(kTransfer, {"at 0..2", "ERROR: no answer from device", "+Update"}), 9},
        FailureRow{"BlockRejected", ">DpcT4!!@", -1,
                   Ended(kTransfer, {"at 0..2", "ERROR: wrong data/checksum", "+Update"}), 9},
        FailureRow{"UnexpectedBlockAnswer", ">DpcT4!?", -1, Ended(kTransfer, {"at 0", "+Update"}), 5},
        FailureRow{"EndMarkerNotWritten", ">DpcT4!!!", 514 + 49,
                   Ended(kTransfer, {"at 0..507", "ERROR in data-transmission", "+Update"}), 564}),
    [](const ::testing::TestParamInfo<FailureRow>& row) { return std::string(row.param.name); });

TEST_F(ControlModuleRunTest, ACancelRequestEndsTheWaitForTheReadySign) {
  // Nothing ever comes; the technician calls the run off after a while.
  run_.line.onEmptyRead = [this](int count) {
    if (count == 3) {
      EXPECT_TRUE(run_.cancel.Raise());
    }
  };
  EXPECT_EQ(ProgrammingWorker(run_.Context()), RunOutcome::Cancelled);
  EXPECT_EQ(run_.window.Events(),
            Join({kSmWaiting, {"-Cancel", "Programming canceled before start", "+Cancel"}}));
  EXPECT_EQ(run_.line.emptyReads, 3);
  EXPECT_EQ(run_.line.writes, std::vector<Bytes>{kUpdateRequest});
  // Reads that fail at once, as on a port that has gone, do not spin.
  EXPECT_EQ(std::count_if(run_.pauses.pauses.begin(), run_.pauses.pauses.end(),
                          [](milliseconds pause) { return pause > milliseconds(2900); }),
            2);
  // Outside the wait a request is refused and nothing is left pending.
  EXPECT_FALSE(run_.cancel.Raise());
  EXPECT_FALSE(run_.cancel.Take());
}

TEST_F(ControlModuleRunTest, AThreadThatCannotStartIsReported) {
  RunOutcome outcome = RunOutcome::Succeeded;
  StartProgrammingWorker(
      run_.Context(), [&outcome](RunOutcome ended) { outcome = ended; }, [](std::function<void()>) { return false; });
  EXPECT_EQ(outcome, RunOutcome::Failed);
  EXPECT_EQ(run_.window.Events(), Recording{"ERROR: Couldn't start new thread!"});
  EXPECT_TRUE(run_.line.opens.empty());
}

}  // namespace
