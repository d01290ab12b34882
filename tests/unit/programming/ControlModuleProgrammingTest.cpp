// The worker's run up to the hand-over to the operating module, on a scripted
// line: every byte it writes, every line it shows and the controls it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "ControlId.h"
#include "FirmwareImages.h"
#include "ProgrammingWorker.h"
#include "RecordingPauses.h"
#include "RecordingWindow.h"
#include "ScriptedLine.h"
#include "ServiceTelegram.h"

namespace {

using std::chrono::milliseconds;

const Bytes kUpdateRequest{0x02, 0x01, 0xAC, 0x00, 0xAD, 0x00};
const std::string kSwitchOn = "Switch main-power on...";
const std::vector<std::string> kStarted{kSwitchOn, "Start charater found...", "SM upload in progress...",
                                        "Programming started...",
                                        "Don't touch anything while programming ;-)"};

void FillBlock(HexImage& image, std::size_t block, std::uint8_t value) {
  for (std::size_t i = 0; i < HexImage::kBlockSize; ++i) {
    image.Store(static_cast<std::uint32_t>(block * HexImage::kBlockSize + i), value);
  }
}

Bytes BlockBytes(std::size_t block) {
  const auto bytes = smImage.Block(block);
  return Bytes(bytes.begin(), bytes.end());
}

class ControlModuleRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    smImage.Fill(0xFF);
    smFileLoaded = true;
    // The operating module's dialogue then only says that its file is missing.
    bmFileLoaded = false;
    // A new run may start the moment a control comes back: the port must be
    // free by then.
    window_.onEnableControl = [this](int id, bool enabled) {
      if (enabled && line_.openPorts != 0) backWhilePortHeld_.push_back(id);
    };
  }
  void TearDown() override { EXPECT_EQ(backWhilePortHeld_, std::vector<int>{}); }

  RunOutcome Run() { return ProgrammingWorker(Context()); }
  ProgrammingContext Context() {
    return ProgrammingContext{window_, [this] { return line_.MakePort(); }, pauses_, cancel_};
  }
  bool Enabled(int controlId) { return window_.Enabled(controlId); }

  ScriptedLine line_;
  RecordingWindow window_;
  RecordingPauses pauses_;
  CancelRequest cancel_;
  std::vector<int> backWhilePortHeld_;
};

TEST_F(ControlModuleRunTest, SendsEveryByteOfAFullRunInOrder) {
  FillBlock(smImage, 0, 0x01);                  // sum 0x00
  smImage.Store(258 * 256 + 17, 0x00);          // one byte not blank: sum 0x01
  for (int i = 0; i < 256; ++i) smImage.Store(static_cast<std::uint32_t>(507 * 256 + i), static_cast<std::uint8_t>(i));
  FillBlock(smImage, 508, 0x55);                // beyond what "DpcT4" takes
  // Noise and silence before the ready sign are passed over.
  line_.Answer("x<");
  line_.Silence();
  line_.Answer(">DpcT4!!!!");
  // The technician picks another port once the run has read its own: the
  // control module's dialogue stays on the port the update request went to.
  const auto watch = window_.onEnableControl;
  window_.onEnableControl = [this, watch](int id, bool enabled) {
    watch(id, enabled);
    if (id == ControlId::kLanguageSelector && !enabled) window_.portName = "COM9";
  };

  // Without an operating-module file the run as a whole does not succeed.
  EXPECT_EQ(Run(), RunOutcome::Failed);

  std::vector<Bytes> expected{kUpdateRequest, {'<'}};
  for (int n = 0; n < 508; ++n) {
    expected.push_back({static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF)});
    if (n == 0 || n == 258 || n == 507) expected.push_back(BlockBytes(static_cast<std::size_t>(n)));
    if (n == 0) expected.push_back({0x00});
    if (n == 258) expected.push_back({0x01});
    if (n == 507) expected.push_back({0x80});
  }
  for (int i = 0; i < 101; ++i) expected.push_back({0xFF, 0xFF});
  ASSERT_EQ(line_.writes.size(), expected.size());
  EXPECT_EQ(line_.writes[258 + 2 + 2], (Bytes{0x01, 0x02}));  // block 258, high byte first
  EXPECT_EQ(line_.writes, expected);

  EXPECT_EQ(line_.opens, (std::vector<std::string>{"COM1", "COM1"}));
  EXPECT_EQ(line_.openPorts, 0);
  // At the hand-over: exactly the three lines, and the bar back at 0.
  const std::vector<std::string> tail(window_.transcript.end() - 7, window_.transcript.end());
  EXPECT_EQ(tail, (std::vector<std::string>{RecordingWindow::kCleared, "Update SM successful",
                                            "Please reset the Pellandrix by press ",
                                            "the On/Off button for 4 seconds", "no BM file loaded",
                                            "Language upload will proceed...", RecordingWindow::kCleared}));
  EXPECT_EQ(window_.progressRange, (std::pair{0, 512}));
  ASSERT_EQ(window_.progress.size(), 510u);
  EXPECT_EQ(window_.progress[508], 507);
  EXPECT_EQ(window_.progress.back(), 0);
  EXPECT_FALSE(Enabled(ControlId::kLanguageSelector));
  const auto lockOn = std::find(window_.controlChanges.begin(), window_.controlChanges.end(),
                                std::pair{ControlId::kCancel, false});
  EXPECT_NE(lockOn, window_.controlChanges.end());
  EXPECT_EQ(std::count(pauses_.pauses.begin(), pauses_.pauses.end(), milliseconds(0)), 508);
  EXPECT_EQ(pauses_.pauses.back(), milliseconds(5000));
}

TEST_F(ControlModuleRunTest, TheSmallModuleTakes248Blocks) {
  FillBlock(smImage, 247, 0x12);
  FillBlock(smImage, 248, 0x34);  // never sent
  line_.Answer(">SDZT1!!");

  Run();

  ASSERT_EQ(line_.writes.size(), 2u + 248u + 2u + 101u);
  EXPECT_EQ(line_.writes[2 + 247], (Bytes{0x00, 0xF7}));
  EXPECT_EQ(line_.writes[2 + 248], BlockBytes(247));
  EXPECT_EQ(line_.writes[2 + 250], (Bytes{0xFF, 0xFF}));
}

TEST_F(ControlModuleRunTest, WithoutControlModuleFileTheOperatingModuleFollows) {
  smFileLoaded = false;
  EXPECT_EQ(Run(), RunOutcome::Failed);
  EXPECT_EQ(line_.writes, (std::vector<Bytes>{kUpdateRequest}));
  EXPECT_EQ(window_.transcript, (std::vector<std::string>{"no SM file loaded", "no BM file loaded",
                                                           "Language upload will proceed...",
                                                           RecordingWindow::kCleared}));

  // With an operating-module file the technician is told to switch on, and
  // its dialogue waits on a port of its own.
  bmFileLoaded = true;
  window_.transcript.clear();
  line_.onEmptyRead = [this](int) { cancel_.Raise(); };
  EXPECT_EQ(Run(), RunOutcome::Cancelled);
  EXPECT_EQ(window_.transcript, (std::vector<std::string>{"no SM file loaded", kSwitchOn,
                                                           "Programming canceled before start"}));
  EXPECT_EQ(line_.opens.size(), 3u);
}

enum class Phase { Start, Waiting, Transfer };

struct FailureRow {
  const char* name;
  std::function<void(ScriptedLine&)> script;
  Phase phase;
  const char* line;  // nullptr: the row ends without a line
  bool updateEnabled;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

class ControlModuleFailureTest : public ControlModuleRunTest,
                                 public ::testing::WithParamInterface<FailureRow> {};

TEST_P(ControlModuleFailureTest, EndsWithItsOneLineAndControls) {
  // Block 0 and 2 carry data; block 1 is blank.
  FillBlock(smImage, 0, 0x11);
  FillBlock(smImage, 2, 0x22);
  GetParam().script(line_);

  EXPECT_EQ(Run(), RunOutcome::Failed);

  std::vector<std::string> expected;
  if (GetParam().phase == Phase::Waiting) expected = {kSwitchOn};
  if (GetParam().phase == Phase::Transfer) expected = kStarted;
  if (GetParam().line != nullptr) expected.push_back(GetParam().line);
  EXPECT_EQ(window_.lines, expected);
  EXPECT_EQ(Enabled(ControlId::kUpdateButton), GetParam().updateEnabled);
  EXPECT_TRUE(Enabled(ControlId::kCancel));
  EXPECT_FALSE(Enabled(ControlId::kLanguageSelector));
  EXPECT_EQ(line_.openPorts, 0);
}

// Writes of a run: 0 update request, 1 '<', 2 number 0, 3 data 0, 4 sum 0,
// 5 number 1, 6 number 2, 7 data 2, 8 sum 2, 9-513 numbers 3-507, 514- end markers.
INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, ControlModuleFailureTest,
    ::testing::Values(
        FailureRow{"PortDoesNotOpen", [](ScriptedLine& l) { l.failOpenNumber = 0; }, Phase::Start,
                   "Can't open COM-Port !!!", false},
        FailureRow{"UpdateRequestNotWritten", [](ScriptedLine& l) { l.failWriteNumber = 0; }, Phase::Start,
                   "ERROR: can't write to COM", false},
        FailureRow{"PortDoesNotOpenAgain", [](ScriptedLine& l) { l.failOpenNumber = 1; }, Phase::Start,
                   "Can't open COM-Port !!!", false},
        FailureRow{"AnswerNotWritten",
                   [](ScriptedLine& l) {
                     l.Answer(">");
                     l.failWriteNumber = 1;
                   },
                   Phase::Waiting, "ERROR: can't write to COM", false},
        FailureRow{"PortGoneWhileWaiting",
                   [](ScriptedLine& l) {
                     l.Answer("x");
                     l.hangUpAfterScript = true;
                   },
                   Phase::Waiting, "Can't open COM-Port !!!", false},
        FailureRow{"NoIdentification", [](ScriptedLine& l) { l.Answer(">"); }, Phase::Waiting,
                   "ERROR: TimeOut", false},
        FailureRow{"WrongIdentification", [](ScriptedLine& l) { l.Answer(">sdzt1!"); }, Phase::Waiting,
                   "ERROR: bad verify-string", false},
        FailureRow{"ShortIdentification", [](ScriptedLine& l) { l.Answer(">DpcT"); }, Phase::Waiting,
                   "ERROR: bad verify-string", false},
        FailureRow{"NoStartSign", [](ScriptedLine& l) { l.Answer(">DpcT4"); }, Phase::Waiting,
                   "ERROR: no start sign", false},
        FailureRow{"WrongStartSign", [](ScriptedLine& l) { l.Answer(">DpcT4?"); }, Phase::Waiting,
                   "ERROR: wrong start sign", false},
        FailureRow{"BlockNumberNotWritten",
                   [](ScriptedLine& l) {
                     l.Answer(">DpcT4!");
                     l.failWriteNumber = 2;
                   },
                   Phase::Transfer, "ERROR in data-transmission", false},
        FailureRow{"BlockDataNotWritten",
                   [](ScriptedLine& l) {
                     l.Answer(">DpcT4!");
                     l.failWriteNumber = 3;
                   },
                   Phase::Transfer, "ERROR in data-transmission", true},
        FailureRow{"BlockSumNotWritten",
                   [](ScriptedLine& l) {
                     l.Answer(">DpcT4!!");
                     l.failWriteNumber = 8;
                   },
                   Phase::Transfer, "ERROR in data-transmission", true},
        FailureRow{"NoBlockAnswer", [](ScriptedLine& l) { l.Answer(">DpcT4!!"); }, Phase::Transfer,
                   "ERROR: no answer from device", true},
        FailureRow{"BlockRejected", [](ScriptedLine& l) { l.Answer(">DpcT4!!@"); }, Phase::Transfer,
                   "ERROR: wrong data/checksum", true},
        FailureRow{"UnexpectedBlockAnswer", [](ScriptedLine& l) { l.Answer(">DpcT4!?"); },
                   Phase::Transfer, nullptr, true},
        FailureRow{"EndMarkerNotWritten",
                   [](ScriptedLine& l) {
                     l.Answer(">DpcT4!!!");
                     l.failWriteNumber = 514 + 49;
                   },
                   Phase::Transfer, "ERROR in data-transmission", true}),
    [](const ::testing::TestParamInfo<FailureRow>& row) { return std::string(row.param.name); });

TEST_F(ControlModuleRunTest, ACancelRequestEndsTheWaitForTheReadySign) {
  // Nothing ever comes; the technician calls the run off after a while.
  line_.Answer("x");
  line_.onEmptyRead = [this](int count) {
    if (count == 3) {
      EXPECT_TRUE(cancel_.Raise());
    }
  };

  EXPECT_EQ(Run(), RunOutcome::Cancelled);

  EXPECT_EQ(window_.lines, (std::vector<std::string>{kSwitchOn, "Programming canceled before start"}));
  EXPECT_EQ(line_.emptyReads, 3);
  EXPECT_EQ(line_.writes, (std::vector<Bytes>{kUpdateRequest}));
  EXPECT_EQ(line_.openPorts, 0);
  const std::vector<std::pair<int, bool>> lastChanges(window_.controlChanges.end() - 2,
                                                      window_.controlChanges.end());
  EXPECT_EQ(lastChanges, (std::vector<std::pair<int, bool>>{{ControlId::kCancel, false},
                                                             {ControlId::kCancel, true}}));
  // Reads that fail at once, as on a port that has gone, do not spin.
  EXPECT_EQ(std::count_if(pauses_.pauses.begin(), pauses_.pauses.end(),
                          [](milliseconds pause) { return pause > milliseconds(2900); }),
            2);
  // Outside the wait a request is refused and nothing is left pending.
  EXPECT_FALSE(cancel_.Raise());
  EXPECT_FALSE(cancel_.Take());
}

TEST_F(ControlModuleRunTest, AThreadThatCannotStartIsReported) {
  RunOutcome outcome = RunOutcome::Succeeded;
  StartProgrammingWorker(
      Context(), [&outcome](RunOutcome ended) { outcome = ended; },
      [](std::function<void()>) { return false; });
  EXPECT_EQ(outcome, RunOutcome::Failed);
  EXPECT_EQ(window_.lines, (std::vector<std::string>{"ERROR: Couldn't start new thread!"}));
  EXPECT_TRUE(line_.opens.empty());
}

TEST(ServiceTelegramTest, SumsEverythingButStxLowByteFirst) {
  EXPECT_EQ(BuildServiceTelegram(ServiceTelegram::kUpdateRequestCommand), kUpdateRequest);
  const Bytes data{0xFF, 0xFF};
  // 0x01 + 0x10 + 0x02 + 0xFF + 0xFF = 0x0211
  EXPECT_EQ(BuildServiceTelegram(0x10, data), (Bytes{0x02, 0x01, 0x10, 0x02, 0xFF, 0xFF, 0x11, 0x02}));
}

}  // namespace
