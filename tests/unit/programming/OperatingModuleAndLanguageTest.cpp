// The operating module's dialogue and the language upload after it, on a
// scripted line with instant pauses, in a scratch working folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "CancelRace.h"
#include "FirmwareImages.h"
#include "HexFiles.h"
#include "OperatingModuleProgramming.h"
#include "ScriptedLine.h"

namespace {

using std::chrono::milliseconds;
using namespace Shown;

const std::string kAccepted("\x02\x01\xAD\x01\x06\xB5\x00", 7);
const std::string kRepeat("\x02\x01\xAD\x01\x0D\xBC\x00", 7);
// A blank image, up to the upload.
const Recording kToUpload = Join({kBmWaiting, kBmStarted, {ProgressTo(511)}});
// With a blank image, the index of the first language write ('-').
constexpr int kFirstLanguageWrite = 1 + 512 + 101;

Bytes Telegram(const Bytes& counter, const Bytes& data, const Bytes& sum) {
  Bytes telegram{0x02, 0x01, 0xAD, 0x46};
  for (const Bytes* part : {&counter, &data, &sum}) telegram.insert(telegram.end(), part->begin(), part->end());
  return telegram;
}

class OperatingModuleRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bmImage.Fill(0xFF);
    smFileLoaded = true;
    bmFileLoaded = true;
    std::filesystem::create_directory("Flash");
  }
  RunOutcome Run() { return ProgramBM(run_.Context()); }
  // The writes after the upload command.
  std::vector<Bytes> LanguageWrites() const {
    const auto command = std::find(run_.line.writes.begin(), run_.line.writes.end(), Bytes{'-'});
    return std::vector<Bytes>(command == run_.line.writes.end() ? command : command + 1, run_.line.writes.end());
  }
  void PutLanguageFile(const std::string& name, std::size_t size) {
    WriteTextFile(std::filesystem::path("Flash") / name, std::string(size, '\0'));
  }

  TemporaryFolder folder_;
  WorkingDirectory here_{folder_.Path()};
  ScriptedRun run_;
};

struct UploadRow {
  const char* name;
  char readySign;
  bool lumoChecked;
  const char* file;
  Recording shown;  // from the ready sign to the first telegram
};
void PrintTo(const UploadRow& row, std::ostream* out) { *out << row.name; }

class LanguageUploadTest : public OperatingModuleRunTest, public ::testing::WithParamInterface<UploadRow> {};

TEST_P(LanguageUploadTest, FromTheReadySignToUpdateOk) {
  const UploadRow& row = GetParam();
  for (std::uint32_t i = 0; i < 256; ++i) bmImage.Store(300 * 256 + i, static_cast<std::uint8_t>(i));
  // Two full telegrams of zeros and a short third one.
  PutLanguageFile(row.file, 66 + 66 + 10);
  run_.window.portName = "";
  run_.window.lumoChecked = row.lumoChecked;
  // Ready signs left in the port from before are purged: when it opens, and
  // as the upload begins after the last end marker.
  run_.line.waitingAtOpen[0] = "#";
  run_.line.arrivingAfterWrite[1 + 512 + 2 + 100] = "9";
  run_.line.Answer(std::string("x#!!") + row.readySign + kAccepted + kAccepted + kAccepted);

  EXPECT_EQ(Run(), RunOutcome::Succeeded);

  EXPECT_EQ(run_.line.opens, (std::vector<std::string>{"COM2"}));
  std::vector<Bytes> expected{{'*'}};
  for (int n = 0; n < 512; ++n) {
    expected.push_back({static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF)});
    if (n == 300) expected.insert(expected.end(), {Bytes(bmImage.Block(300).begin(), bmImage.Block(300).end()), {0x80}});
  }
  expected.insert(expected.end(), 101, Bytes{0xFF, 0xFF});
  Bytes last(10, 0x00);
  last.resize(66, 0xFF);  // nothing of the short end is lost: it goes out filled up
  expected.insert(expected.end(), {{'-'},
                                   Telegram({0, 0, 0, 0}, Bytes(66, 0x00), {0xF4, 0x00}),
                                   Telegram({1, 0, 0, 0}, Bytes(66, 0x00), {0xF5, 0x00}),
                                   Telegram({2, 0, 0, 0}, last, {0xBE, 0x38}),
                                   Telegram({0xFF, 0xFF, 0xFF, 0xFF}, Bytes(66, 0xFF), {0xAE, 0x46}),
                                   {0x02, 0x01, 0xAC, 0x00, 0xAD, 0x00}});
  EXPECT_EQ(run_.line.writes, expected);
  EXPECT_EQ(run_.window.Events(), Join({kToUpload, row.shown, {ProgressTo(2)}, kUploadDone}));
  EXPECT_EQ(run_.pauses.pauses, (std::vector<milliseconds>{milliseconds(8000), milliseconds(8), milliseconds(8),
                                                           milliseconds(8), milliseconds(200), milliseconds(25000)}));
}

const Recording kLumoUpload{"<clear>", "Lumo Flash Update ", "Flash upload in progress...", "-Cancel",
                            "range 0-2560", "at 0"};

// The oven's line decides the file and the title: the Lumo line's own ready
// sign, or the model button as the technician left it.
INSTANTIATE_TEST_SUITE_P(
    EveryLine, LanguageUploadTest,
    ::testing::Values(UploadRow{"Kesto", '+', false, "flash_Std.bin", kUploadStarted},
                      UploadRow{"LumoButtonChecked", '+', true, "flash_StdBeta.bin", kLumoUpload},
                      UploadRow{"LumoOven", '9', false, "flash_StdBeta.bin",
                                Join({{"<clear>", "Lumo Flash Update ", "+Lumo (port held)"},
                                      Recording(kLumoUpload.begin() + 2, kLumoUpload.end())})}),
    [](const ::testing::TestParamInfo<UploadRow>& row) { return std::string(row.param.name); });

TEST_F(OperatingModuleRunTest, ARepeatRequestSendsTheSameTelegramAgainAndAShortAnswerIsOneToo) {
  PutLanguageFile("flash_Std.bin", 66 * 2);
  // The second answer is too short to reach the fifth byte: the answer area
  // still holds the repeat request.
  run_.line.Answer("#!+" + kRepeat + "abc");
  run_.line.Silence();
  run_.line.Answer(kAccepted + kAccepted);

  EXPECT_EQ(Run(), RunOutcome::Succeeded);

  const std::vector<Bytes> language = LanguageWrites();
  ASSERT_EQ(language.size(), 6u);
  EXPECT_EQ(language[0], language[1]);
  EXPECT_EQ(language[1], language[2]);
  EXPECT_EQ(language[3][4], 0x01);
  // A repeat does not move the progress bar.
  EXPECT_EQ(run_.window.Events(), Join({kToUpload, kUploadStarted, {ProgressTo(1)}, kUploadDone}));
}

TEST_F(OperatingModuleRunTest, ACancelRequestAsTheReadySignArrivesIsKeptOrRefusedNeverDropped) {
  CancelRequest cancel;
  const auto rounds = RaceCancelAgainstReadySign(
      [&cancel] { return cancel.Raise(); },
      [this, &cancel](const std::function<void()>& signArriving) {
        ScriptedLine line;
        line.Answer("#");  // then no start sign: the run fails unless called off
        line.onByteRead = [&signArriving](std::uint8_t) { signArriving(); };
        RecordingWindow window;
        return ProgramBM(ProgrammingContext{window, [&line] { return line.MakePort(); }, run_.pauses, cancel});
      });
  ExpectEachKeptOrRefused(rounds);
}

TEST_F(OperatingModuleRunTest, WithoutItsFileTheDialogueOnlySaysSo) {
  bmFileLoaded = false;
  for (const bool afterControlModule : {true, false}) {
    ScriptedRun run;
    smFileLoaded = afterControlModule;
    EXPECT_EQ(ProgramBM(run.Context()), RunOutcome::Failed);
    EXPECT_EQ(run.pauses.pauses, std::vector<milliseconds>{milliseconds(afterControlModule ? 5000 : 3000)});
    EXPECT_EQ(run.window.Events(),
              (Recording{"no BM file loaded", "Language upload will proceed...", "<clear>", "+Cancel"}));
    EXPECT_TRUE(run.line.opens.empty());
  }
}

// The far end's answers, the write that fails (-1: none), and what the window
// is asked.
struct FailureRow {
  const char* name;
  std::string answers;
  int failedWrite;
  Recording shown;
  std::function<void(ScriptedRun&)> setUp = [](ScriptedRun&) {};
  RunOutcome outcome = RunOutcome::Failed;
  const char* languageFile = "flash_Std.bin";  // nullptr: none; "dir": a folder in its place
};
void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

class FailureTest : public OperatingModuleRunTest, public ::testing::WithParamInterface<FailureRow> {
 protected:
  void Run(const std::string& before) {
    const FailureRow& row = GetParam();
    if (row.languageFile != nullptr && std::string(row.languageFile) == "dir") {
      std::filesystem::create_directory("Flash/flash_Std.bin");
    } else if (row.languageFile != nullptr) {
      PutLanguageFile(row.languageFile, 66);
    }
    run_.line.Answer(before + row.answers);
    run_.line.failWriteNumber = row.failedWrite;
    row.setUp(run_);
    EXPECT_EQ(ProgramBM(run_.Context()), row.outcome);
  }
};
Recording Ended(const Recording& before, const Recording& end) { return Join({before, end, {"+Cancel"}}); }
void CancelWhileWaiting(ScriptedRun& r) {
  r.line.onEmptyRead = [&r](int) { r.cancel.Raise(); };
}

using OperatingModuleFailureTest = FailureTest;
TEST_P(OperatingModuleFailureTest, EndsAsItsRowSays) {
  bmImage.Store(0, 0x12);  // block 0 carries data, the rest is blank
  Run("");
  EXPECT_EQ(run_.window.Events(), GetParam().shown);
}

const Recording kBmTransfer = Join({kBmWaiting, kBmStarted});

// Writes: 0 '*', 1 number 0, 2 data 0, 3 sum 0, 4-514 numbers 1-511, 515- end markers.
INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, OperatingModuleFailureTest,
    ::testing::Values(
        FailureRow{"PortDoesNotOpen", "", -1, Ended({}, {"Can't open COM-Port !!!"}),
                   [](ScriptedRun& r) { r.line.failOpenNumber = 0; }},
        FailureRow{"PortGoneWhileWaiting", "", -1, Ended(kBmWaiting, {"Can't open COM-Port !!!"}),
                   [](ScriptedRun& r) { r.line.hangUpAfterScript = true; }},
        FailureRow{"CancelledWhileWaiting", "", -1, Ended(kBmWaiting, {"Programming canceled before start"}),
                   CancelWhileWaiting, RunOutcome::Cancelled},
        FailureRow{"CommandNotWritten", "#", 0, Ended(kBmTransfer, {"ERROR: can't write to COM"})},
        FailureRow{"NoStartSign", "#", -1, Ended(kBmTransfer, {"ERROR: no start sign"})},
        FailureRow{"WrongStartSign", "#?", -1, Ended(kBmTransfer, {"ERROR: wrong start sign"})},
        FailureRow{"BlockNumberNotWritten", "#!", 1, Ended(kBmTransfer, {"at 0", "ERROR in data-transmission"})},
        FailureRow{"BlockSumNotWritten", "#!", 3, Ended(kBmTransfer, {"at 0", "ERROR in data-transmission"})},
        FailureRow{"NoBlockAnswer", "#!", -1, Ended(kBmTransfer, {"at 0", "ERROR: no answer from device"})},
        FailureRow{"BlockRejected", "#!@", -1, Ended(kBmTransfer, {"at 0", "ERROR: wrong data/checksum"})},
        FailureRow{"UnexpectedBlockAnswer", "#!?", -1, Ended(kBmTransfer, {"at 0"})},
        FailureRow{"EndMarkerNotWritten", "#!!", 515 + 100,
                   Ended(kBmTransfer, {ProgressTo(511), "ERROR in data-transmission"})}),
    [](const ::testing::TestParamInfo<FailureRow>& row) { return std::string(row.param.name); });

// With a blank image: after the operating module's "#!".
using LanguageUploadFailureTest = FailureTest;
TEST_P(LanguageUploadFailureTest, EndsAsItsRowSays) {
  Run("#!");
  EXPECT_EQ(run_.window.Events(), Join({kToUpload, GetParam().shown}));
}

#if defined(_WIN32)
// Windows will not open a folder as a file: the open itself fails.
const std::string kFolderInPlaceReport =
    "<error box> Error opening the language file Flash/flash_Std.bin: Permission denied";
#else
// A folder opens here, and its first read fails.
const std::string kFolderInPlaceReport = "<error box> Fehler aufgetreten";
#endif
const std::string kSendError = "<error box> Error while sending";

INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, LanguageUploadFailureTest,
    ::testing::Values(
        FailureRow{"CancelledWhileWaiting", "", -1, Ended({}, {"Programming canceled before start"}),
                   CancelWhileWaiting, RunOutcome::Cancelled},
        FailureRow{"CommandNotWritten", "+", kFirstLanguageWrite,
                   Ended(kUploadStarted, {"ERROR: can't write to COM"})},
        FailureRow{"FileMissing", "+", -1,
                   Join({kUploadStarted, kNewRun,
                         {"<error box> Error opening the language file Flash/flash_Std.bin: No such file or directory"}}),
                   [](ScriptedRun&) {}, RunOutcome::Failed, nullptr},
        FailureRow{"FileUnreadable", "+", -1, Join({kUploadStarted, kNewRun, {kFolderInPlaceReport}}),
                   [](ScriptedRun&) {}, RunOutcome::Failed, "dir"},
        FailureRow{"TelegramNotWritten", "+", kFirstLanguageWrite + 1,
                   Join({kUploadStarted, {"at 0"}, kNewRun, {kSendError}})},
        FailureRow{"NoAnswer", "+", -1, Join({kUploadStarted, {"at 0", "ERROR: no answer from device"}, kNewRun})},
        FailureRow{"EndTelegramNotWritten", "+" + kAccepted, kFirstLanguageWrite + 2,
                   Join({kUploadStarted, {"at 0"}, kNewRun, {kSendError}})},
        FailureRow{"ClosingTelegramNotWritten", "+" + kAccepted, kFirstLanguageWrite + 3,
                   Join({kUploadStarted, {"at 0", "at 2560", "BM Initialisation..."}, kNewRun, {kSendError}})}),
    [](const ::testing::TestParamInfo<FailureRow>& row) { return std::string(row.param.name); });

}  // namespace
