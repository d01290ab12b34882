// The worker's run through the control module's and the operating module's
// dialogues and the language upload, on a scripted line with instant pauses,
// in a scratch working folder: every byte it writes and everything it asks of
// the window, in order.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <thread>

#include "FirmwareImages.h"
#include "HexFiles.h"
#include "OperatingModuleProgramming.h"
#include "ProgrammingWorker.h"
#include "ScriptedLine.h"

namespace {

using std::chrono::milliseconds;
using namespace std::chrono_literals;
using namespace Shown;

const Bytes kUpdateRequest{0x02, 0x01, 0xAC, 0x00, 0xAD, 0x00};
const std::string kAccepted("\x02\x01\xAD\x01\x06\xB5\x00", 7);
const std::string kRepeat("\x02\x01\xAD\x01\x0D\xBC\x00", 7);
const Recording kStart{"-Language"};
const Recording kTransfer = Join({kSmWaiting, kSmStarted});
const Recording kBmTransfer = Join({kBmWaiting, kBmStarted});
// A blank operating-module image, up to the upload.
const Recording kToUpload = Join({kBmTransfer, {ProgressTo(511)}});
// The operating module's dialogue without its file.
const Recording kNoBmFile{"no BM file loaded", "Language upload will proceed...", "<clear>", "+Cancel"};
// With a blank operating-module image, the index of the first language write ('-').
constexpr int kFirstLanguageWrite = 1 + 512 + 101;

void FillBlock(HexImage& image, std::size_t block, std::uint8_t value) {
  for (std::size_t i = 0; i < HexImage::kBlockSize; ++i) {
    image.Store(static_cast<std::uint32_t>(block * HexImage::kBlockSize + i), value);
  }
}

// A block transfer's writes: every number, with the data and the sum of the
// blocks in `sums`, then the end markers.
void AddBlockWrites(std::vector<Bytes>& writes, const HexImage& image, int blocks,
                    const std::map<int, std::uint8_t>& sums) {
  for (int n = 0; n < blocks; ++n) {
    writes.push_back({static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF)});
    if (const auto sum = sums.find(n); sum != sums.end()) {
      const auto block = image.Block(static_cast<std::size_t>(n));
      writes.emplace_back(block.begin(), block.end());
      writes.push_back({sum->second});
    }
  }
  writes.insert(writes.end(), 101, Bytes{0xFF, 0xFF});
}

Bytes Telegram(const Bytes& counter, const Bytes& data, const Bytes& sum) {
  Bytes telegram{0x02, 0x01, 0xAD, 0x46};
  for (const Bytes* part : {&counter, &data, &sum}) telegram.insert(telegram.end(), part->begin(), part->end());
  return telegram;
}

class DialogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    smImage.Fill(0xFF);
    bmImage.Fill(0xFF);
    smFileLoaded = bmFileLoaded = true;
    std::filesystem::create_directory("Flash");
  }
  void PutLanguageFile(const std::string& name, std::size_t size) {
    WriteTextFile(std::filesystem::path("Flash") / name, std::string(size, '\0'));
  }

  TemporaryFolder folder_;
  WorkingDirectory here_{folder_.Path()};
  ScriptedRun run_;
};

struct WholeRunRow {
  const char* name;
  const char* controlModule;  // its identification, start sign and answers to the blocks with data
  int blocks;                 // that it takes
  char readySign;              // of the language upload
  bool lumoChecked;
  const char* file;
  Recording shown;  // from the language upload's ready sign to its first telegram
};
void PrintTo(const WholeRunRow& row, std::ostream* out) { *out << row.name; }

class ControlModuleToLanguageUploadTest : public DialogueTest, public ::testing::WithParamInterface<WholeRunRow> {};

TEST_P(ControlModuleToLanguageUploadTest, EveryByteFromTheUpdateRequestToUpdateOk) {
  const WholeRunRow& row = GetParam();
  FillBlock(smImage, 0, 0x01);
  smImage.Store(247 * 256 + 17, 0x00);
  for (std::uint32_t i = 0; i < 256; ++i) smImage.Store(507 * 256 + i, static_cast<std::uint8_t>(i));
  FillBlock(smImage, 508, 0x55);  // beyond either module
  for (std::uint32_t i = 0; i < 256; ++i) bmImage.Store(300 * 256 + i, static_cast<std::uint8_t>(i));
  // Two full telegrams of zeros and a short third one.
  PutLanguageFile(row.file, 66 + 66 + 10);
  run_.window.lumoChecked = row.lumoChecked;
  // The technician clears the port selection once the run has read it: the
  // control module keeps the name read, the operating module takes its default.
  run_.window.laterPortName = "";

  std::vector<Bytes> expected{kUpdateRequest, {'<'}};
  AddBlockWrites(expected, smImage, row.blocks, {{0, 0x00}, {247, 0x01}, {507, 0x80}});
  expected.push_back({'*'});
  AddBlockWrites(expected, bmImage, 512, {{300, 0x80}});
  // Ready signs left in the port from before are purged: as each module's
  // port opens, and as the upload begins after the last end marker.
  run_.line.waitingAtOpen[1] = ">";
  run_.line.waitingAtOpen[2] = "#";
  run_.line.arrivingAfterWrite[static_cast<int>(expected.size()) - 1] = "9";
  // Noise and silence before a sign are passed over. The first telegram is
  // asked for again, then answered too short to reach the fifth byte: the
  // answer area still holds the repeat request.
  run_.line.Answer("x<");
  run_.line.Silence();
  run_.line.Answer(">" + std::string(row.controlModule) + "x#!!" + row.readySign + kRepeat + "abc");
  run_.line.Silence();
  run_.line.Answer(kAccepted + kAccepted + kAccepted);

  EXPECT_EQ(ProgrammingWorker(run_.Context()), RunOutcome::Succeeded);

  Bytes last(10, 0x00);
  last.resize(66, 0xFF);  // nothing of the short end is lost: it goes out filled up
  const Bytes first = Telegram({0, 0, 0, 0}, Bytes(66, 0x00), {0xF4, 0x00});
  expected.insert(expected.end(), {{'-'}, first, first, first, Telegram({1, 0, 0, 0}, Bytes(66, 0x00), {0xF5, 0x00}),
                                   Telegram({2, 0, 0, 0}, last, {0xBE, 0x38}),
                                   Telegram({0xFF, 0xFF, 0xFF, 0xFF}, Bytes(66, 0xFF), {0xAE, 0x46}), kUpdateRequest});
  EXPECT_EQ(run_.line.writes, expected);
  EXPECT_EQ(run_.line.opens, (std::vector<std::string>{"COM1", "COM1", "COM2"}));
  // A repeat does not move the progress bar.
  EXPECT_EQ(run_.window.Events(), Join({kTransfer, {ProgressTo(row.blocks - 1)}, kSmDone, kToUpload, row.shown,
                                        {ProgressTo(2)}, kUploadDone}));
  // The silence in the wait for a ready sign takes a read's time: a read that
  // fails at once, as on a port that has gone, does not make the wait spin.
  const std::vector<milliseconds>& pauses = run_.pauses.pauses;
  ASSERT_FALSE(pauses.empty());
  EXPECT_GT(pauses.front(), 2900ms);
  // Then one after each block; the upload's after its command, each answer,
  // before the end telegram and for the initialisation.
  std::vector<milliseconds> expectedPauses(static_cast<std::size_t>(row.blocks), 0ms);
  expectedPauses.insert(expectedPauses.end(), {8000ms, 8ms, 8ms, 8ms, 8ms, 8ms, 200ms, 25000ms});
  EXPECT_EQ(std::vector<milliseconds>(pauses.begin() + 1, pauses.end()), expectedPauses);
}

const Recording kLumoUpload{"<clear>", "Lumo Flash Update ", "Flash upload in progress...", "-Cancel",
                            "range 0-2560", "at 0"};

// Both control modules. The oven's line decides the language file and the
// title: the Lumo line's own ready sign, or the model button as the
// technician left it.
INSTANTIATE_TEST_SUITE_P(
    EveryLine, ControlModuleToLanguageUploadTest,
    ::testing::Values(WholeRunRow{"Kesto", "DpcT4!!!!", 508, '+', false, "flash_Std.bin", kUploadStarted},
                      WholeRunRow{"LumoButtonChecked", "SDZT1!!!", 248, '+', true, "flash_StdBeta.bin", kLumoUpload},
                      WholeRunRow{"LumoOven", "DpcT4!!!!", 508, '9', false, "flash_StdBeta.bin",
                                  Join({{"<clear>", "Lumo Flash Update ", "+Lumo (port held)"},
                                        Recording(kLumoUpload.begin() + 2, kLumoUpload.end())})}),
    kRowName);

using OperatingModuleRunTest = DialogueTest;
TEST_F(OperatingModuleRunTest, WithoutItsFileTheDialogueOnlySaysSo) {
  bmFileLoaded = false;
  for (const bool afterControlModule : {true, false}) {
    ScriptedRun run;
    smFileLoaded = afterControlModule;
    EXPECT_EQ(ProgramBM(run.Context()), RunOutcome::Failed);
    EXPECT_EQ(run.pauses.pauses, std::vector<milliseconds>{afterControlModule ? 5000ms : 3000ms});
    EXPECT_EQ(run.window.Events(), kNoBmFile);
    EXPECT_TRUE(run.line.opens.empty());
  }
}

// The dialogue runs round after round while a second thread raises a request
// once per round, the moment the ready sign arrives. The read that brings the
// sign lingers there: less after a round whose request was accepted, more
// after one refused. So the requests come to land around the end of that
// read, where the wait ends, half of them before and half after. Every
// accepted request must call its run off and every refused one let it go on.
TEST_F(OperatingModuleRunTest, ACancelRequestAsTheReadySignArrivesIsKeptOrRefusedNeverDropped) {
  constexpr int kMostRounds = 2000;
  std::vector<char> accepted(kMostRounds);  // what each round's request was told
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
      accepted[static_cast<std::size_t>(round)] = run_.cancel.Raise();
      raised.store(round);
    }
  });
  // Spins; in steps of a tenth, from the few that part the read's end from
  // the wait's end on two free cores to the millions that outlast a time
  // slice when the two threads share one core.
  double linger = 0;
  int round = 0;
  int acceptedRounds = 0;
  int broken = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (; round < kMostRounds && (round < 200 || std::chrono::steady_clock::now() < deadline); ++round) {
    while (ready.load() < round) std::this_thread::yield();
    ScriptedLine line;
    line.Answer("#");  // then no start sign: the run fails unless called off
    line.onByteRead = [&arrived, round, linger](std::uint8_t) {
      arrived.store(round);
      std::atomic<int> spins{0};
      while (spins.fetch_add(1, std::memory_order_relaxed) < static_cast<int>(linger)) {
      }
    };
    RecordingWindow window;
    const RunOutcome outcome = ProgramBM({window, [&line] { return line.MakePort(); }, run_.pauses, run_.cancel});
    finished.store(round);
    while (raised.load() < round) std::this_thread::yield();
    const bool kept = accepted[static_cast<std::size_t>(round)] != 0;
    acceptedRounds += kept ? 1 : 0;
    broken += (outcome == RunOutcome::Cancelled) != kept ? 1 : 0;
    linger = kept ? linger / 1.1 : linger * 1.1 + 1;
  }
  while (ready.load() < round) std::this_thread::yield();
  stop.store(true);
  raiser.join();
  EXPECT_EQ(broken, 0) << "of " << round << " rounds, " << acceptedRounds << " requests accepted";
  if (acceptedRounds == 0 || acceptedRounds == round) {
    GTEST_SKIP() << "no request met the wait's end (" << acceptedRounds << " of " << round
                 << " accepted): the second thread never ran alongside";
  }
}

using ControlModuleRunTest = DialogueTest;
TEST_F(ControlModuleRunTest, AThreadThatCannotStartIsReported) {
  RunOutcome outcome = RunOutcome::Succeeded;
  StartProgrammingWorker(
      run_.Context(), [&outcome](RunOutcome ended) { outcome = ended; }, [](std::function<void()>) { return false; });
  EXPECT_EQ(outcome, RunOutcome::Failed);
  EXPECT_EQ(run_.window.Events(), Recording{"ERROR: Couldn't start new thread!"});
  EXPECT_TRUE(run_.line.opens.empty());
}

// The far end's answers, the write that fails (-1: none), what the window is
// asked, and the writes tried, the failed one included: none after a failure.
struct FailureRow {
  const char* name;
  std::string answers;
  int failedWrite;
  Recording shown;
  std::size_t writes;
  std::function<void(ScriptedRun&)> setUp = [](ScriptedRun&) {};
  RunOutcome outcome = RunOutcome::Failed;
};
void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

class FailureTest : public DialogueTest, public ::testing::WithParamInterface<FailureRow> {
 protected:
  // Plays the row after `before`, which the window shows as `shownBefore`.
  void Play(RunOutcome (*dialogue)(const ProgrammingContext&), const std::string& before,
            const Recording& shownBefore) {
    const FailureRow& row = GetParam();
    row.setUp(run_);
    // One telegram; where the row left no room for it, there is none.
    PutLanguageFile("flash_Std.bin", 66);
    run_.line.Answer(before + row.answers);
    run_.line.failWriteNumber = row.failedWrite;
    EXPECT_EQ(dialogue(run_.Context()), row.outcome);
    EXPECT_EQ(run_.window.Events(), Join({shownBefore, row.shown}));
    EXPECT_EQ(run_.line.writes.size(), row.writes);
  }
};
Recording Ended(const Recording& before, const Recording& end) { return Join({before, end, {"+Cancel"}}); }
void CancelWhileWaiting(ScriptedRun& r) { r.line.onEmptyRead = [&r](int) { r.cancel.Raise(); }; }

using ControlModuleFailureTest = FailureTest;
TEST_P(ControlModuleFailureTest, EndsAsItsRowSays) {
  // Blocks 0 and 2 carry data; block 1 is blank.
  FillBlock(smImage, 0, 0x11);
  FillBlock(smImage, 2, 0x22);
  Play(ProgrammingWorker, "", {});
}

// Writes of a run: 0 update request, 1 '<', 2 number 0, 3 data 0, 4 sum 0,
// 5 number 1, 6 number 2, 7 data 2, 8 sum 2, 9-513 numbers 3-507, 514- end markers.
INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, ControlModuleFailureTest,
    ::testing::Values(
        // The ready sign ends a wait on a port the run should not have opened.
        FailureRow{"NoPortSelected", ">", -1, Ended(kStart, {"Can't open COM-Port !!!"}), 0,
                   [](ScriptedRun& r) { r.window.portName = ""; }},
        FailureRow{"UpdateRequestNotWritten", "", 0, Ended(kStart, {"ERROR: can't write to COM"}), 1},
        FailureRow{"PortDoesNotOpenAgain", "", -1, Ended(kStart, {"Can't open COM-Port !!!"}), 1,
                   [](ScriptedRun& r) { r.line.failOpenNumber = 1; }},
        FailureRow{"CancelledWhileWaiting", "", -1,
                   Join({kSmWaiting, {"-Cancel", "Programming canceled before start", "+Cancel"}}), 1,
                   CancelWhileWaiting, RunOutcome::Cancelled},
        FailureRow{"NoFiles", "", -1, Join({kStart, {"no SM file loaded"}, kNoBmFile}), 1,
                   [](ScriptedRun&) { smFileLoaded = bmFileLoaded = false; }},
        FailureRow{"OnlyAnOperatingModuleFileCancelledWhileWaiting", "", -1,
                   Ended(Join({kStart, {"no SM file loaded", "Switch main-power on..."}, kBmWaiting}),
                         {"Programming canceled before start"}),
                   1, [](ScriptedRun& r) { smFileLoaded = false; CancelWhileWaiting(r); }, RunOutcome::Cancelled},
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
    kRowName);

// The block failures that only the control module's table has end alike here.
using OperatingModuleFailureTest = FailureTest;
TEST_P(OperatingModuleFailureTest, EndsAsItsRowSays) {
  bmImage.Store(0, 0x12);  // block 0 carries data, the rest is blank
  Play(ProgramBM, "", {});
}

// Writes: 0 '*', 1 number 0, 2 data 0, 3 sum 0, 4-514 numbers 1-511, 515- end markers.
INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, OperatingModuleFailureTest,
    ::testing::Values(
        FailureRow{"PortDoesNotOpen", "", -1, Ended({}, {"Can't open COM-Port !!!"}), 0,
                   [](ScriptedRun& r) { r.line.failOpenNumber = 0; }},
        FailureRow{"PortGoneWhileWaiting", "", -1, Ended(kBmWaiting, {"Can't open COM-Port !!!"}), 0,
                   [](ScriptedRun& r) { r.line.hangUpAfterScript = true; }},
        FailureRow{"CommandNotWritten", "#", 0, Ended(kBmTransfer, {"ERROR: can't write to COM"}), 1},
        FailureRow{"NoStartSign", "#", -1, Ended(kBmTransfer, {"ERROR: no start sign"}), 1},
        FailureRow{"WrongStartSign", "#?", -1, Ended(kBmTransfer, {"ERROR: wrong start sign"}), 1},
        FailureRow{"BlockNumberNotWritten", "#!", 1, Ended(kBmTransfer, {"at 0", "ERROR in data-transmission"}), 2},
        FailureRow{"UnexpectedBlockAnswer", "#!?", -1, Ended(kBmTransfer, {"at 0"}), 4},
        FailureRow{"EndMarkerNotWritten", "#!!", 515 + 100,
                   Ended(kBmTransfer, {ProgressTo(511), "ERROR in data-transmission"}), 616}),
    kRowName);

// With a blank image: after the operating module's "#!".
using LanguageUploadFailureTest = FailureTest;
TEST_P(LanguageUploadFailureTest, EndsAsItsRowSays) { Play(ProgramBM, "#!", kToUpload); }

#if defined(_WIN32)
// Windows will not open a folder as a file: the open itself fails.
const std::string kFolderInPlaceReport =
    "<error box> Error opening the language file Flash/flash_Std.bin: Permission denied";
#else
// A folder opens here, and its first read fails.
const std::string kFolderInPlaceReport = "<error box> Fehler aufgetreten";
#endif
const std::string kSendError = "<error box> Error while sending";
constexpr std::size_t kCommand = kFirstLanguageWrite + 1;  // writes up to the upload command

INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, LanguageUploadFailureTest,
    ::testing::Values(
        FailureRow{"CancelledWhileWaiting", "", -1, Ended({}, {"Programming canceled before start"}),
                   kFirstLanguageWrite, CancelWhileWaiting, RunOutcome::Cancelled},
        FailureRow{"CommandNotWritten", "+", kFirstLanguageWrite,
                   Ended(kUploadStarted, {"ERROR: can't write to COM"}), kCommand},
        FailureRow{"FileMissing", "+", -1,
                   Join({kUploadStarted, kNewRun,
                         {"<error box> Error opening the language file Flash/flash_Std.bin: "
                          "No such file or directory"}}),
                   kCommand, [](ScriptedRun&) { std::filesystem::remove("Flash"); }},
        FailureRow{"FileUnreadable", "+", -1, Join({kUploadStarted, kNewRun, {kFolderInPlaceReport}}), kCommand,
                   [](ScriptedRun&) { std::filesystem::create_directory("Flash/flash_Std.bin"); }},
        FailureRow{"TelegramNotWritten", "+", kFirstLanguageWrite + 1,
                   Join({kUploadStarted, {"at 0"}, kNewRun, {kSendError}}), kCommand + 1},
        FailureRow{"NoAnswer", "+", -1, Join({kUploadStarted, {"at 0", "ERROR: no answer from device"}, kNewRun}),
                   kCommand + 1},
        FailureRow{"EndTelegramNotWritten", "+" + kAccepted, kFirstLanguageWrite + 2,
                   Join({kUploadStarted, {"at 0"}, kNewRun, {kSendError}}), kCommand + 2},
        FailureRow{"ClosingTelegramNotWritten", "+" + kAccepted, kFirstLanguageWrite + 3,
                   Join({kUploadStarted, {"at 0", "at 2560", "BM Initialisation..."}, kNewRun, {kSendError}}),
                   kCommand + 3}),
    kRowName);

}  // namespace
