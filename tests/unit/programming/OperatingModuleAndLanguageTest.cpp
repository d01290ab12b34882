// The operating module's dialogue and the language upload after it, on a
// scripted line with instant pauses, in a scratch working folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "CancelRace.h"
#include "ControlId.h"
#include "FirmwareImages.h"
#include "HexFiles.h"
#include "OperatingModuleProgramming.h"
#include "RecordingPauses.h"
#include "RecordingWindow.h"
#include "ScriptedLine.h"

namespace {

using std::chrono::milliseconds;

const Bytes kClosingTelegram{0x02, 0x01, 0xAC, 0x00, 0xAD, 0x00};
const std::string kAccepted("\x02\x01\xAD\x01\x06\xB5\x00", 7);
const std::string kRepeat("\x02\x01\xAD\x01\x0D\xBC\x00", 7);

class OperatingModuleRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bmImage.Fill(0xFF);
    smFileLoaded = true;
    bmFileLoaded = true;
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.Path());
    std::filesystem::create_directory("Flash");
    // A new run may start the moment a control comes back: the port must be
    // free by then.
    window_.onEnableControl = [this](int id, bool enabled) {
      if (enabled && id != ControlId::kModelLumo && line_.openPorts != 0) backWhilePortHeld_.push_back(id);
    };
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    EXPECT_EQ(backWhilePortHeld_, std::vector<int>{});
  }

  RunOutcome Run() {
    return ProgramBM(ProgrammingContext{window_, [this] { return line_.MakePort(); }, pauses_, cancel_});
  }
  // The writes from the first data telegram on.
  std::vector<Bytes> LanguageWrites() const {
    const auto command = std::find(line_.writes.begin(), line_.writes.end(), Bytes{'-'});
    return std::vector<Bytes>(command == line_.writes.end() ? command : command + 1, line_.writes.end());
  }
  void PutLanguageFile(const std::string& name, std::size_t size) {
    WriteTextFile(std::filesystem::path("Flash") / name, std::string(size, '\0'));
  }

  TemporaryFolder folder_;
  std::filesystem::path previous_;
  ScriptedLine line_;
  RecordingWindow window_;
  RecordingPauses pauses_;
  CancelRequest cancel_;
  std::vector<int> backWhilePortHeld_;
};

TEST_F(OperatingModuleRunTest, AWholeRunFromTheReadySignToUpdateOk) {
  for (std::uint32_t i = 0; i < 256; ++i) bmImage.Store(300 * 256 + i, static_cast<std::uint8_t>(i));
  // Two full telegrams of zeros and a short third one.
  PutLanguageFile("flash_Std.bin", 66 + 66 + 10);
  window_.portName = "";
  line_.Answer("x#!!+");
  line_.Answer(kAccepted + kAccepted + kAccepted);

  EXPECT_EQ(Run(), RunOutcome::Succeeded);

  EXPECT_EQ(line_.opens, (std::vector<std::string>{"COM2"}));
  EXPECT_EQ(line_.openPorts, 0);
  ASSERT_GE(line_.writes.size(), 1u + 512u + 2u + 101u);
  EXPECT_EQ(line_.writes[0], Bytes{'*'});
  EXPECT_EQ(line_.writes[1 + 300], (Bytes{0x01, 0x2C}));  // block 300, high byte first
  EXPECT_EQ(line_.writes[1 + 301], Bytes(bmImage.Block(300).begin(), bmImage.Block(300).end()));
  EXPECT_EQ(line_.writes[1 + 302], Bytes{0x80});
  EXPECT_EQ(line_.writes[1 + 514], (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(line_.writes[1 + 514 + 100], (Bytes{0xFF, 0xFF}));

  const std::vector<Bytes> language = LanguageWrites();
  ASSERT_EQ(language.size(), 5u);
  Bytes first{0x02, 0x01, 0xAD, 0x46, 0, 0, 0, 0};
  first.resize(74, 0x00);
  first.insert(first.end(), {0xF4, 0x00});
  EXPECT_EQ(language[0], first);
  EXPECT_EQ(Bytes(language[1].begin() + 4, language[1].begin() + 8), (Bytes{0x01, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Bytes(language[1].end() - 2, language[1].end()), (Bytes{0xF5, 0x00}));
  // Nothing of the short end is lost: it goes out filled up with 0xFF.
  EXPECT_EQ(Bytes(language[2].begin() + 8, language[2].begin() + 18), Bytes(10, 0x00));
  EXPECT_EQ(Bytes(language[2].begin() + 18, language[2].begin() + 74), Bytes(56, 0xFF));
  EXPECT_EQ(language[3].size(), 76u);
  EXPECT_EQ(Bytes(language[3].begin() + 4, language[3].begin() + 8), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Bytes(language[3].end() - 2, language[3].end()), (Bytes{0xAE, 0x46}));
  EXPECT_EQ(language[4], kClosingTelegram);

  EXPECT_EQ(window_.transcript, (std::vector<std::string>{
                                    RecordingWindow::kCleared, "BM upload in progress...",
                                    RecordingWindow::kCleared, "Kesto FlashUpdate", "Flash upload in progress...",
                                    "BM Initialisation...", "Upload process succeeded :-)",
                                    std::string(RecordingWindow::kBox) + "Update ok!!!"}));
  EXPECT_EQ(window_.boxIcons, std::vector<MessageBoxIcon>{MessageBoxIcon::Information});
  for (int id : {ControlId::kUpdateButton, ControlId::kLanguageSelector, ControlId::kCancel,
                 ControlId::kModelKesto, ControlId::kModelLumo}) {
    EXPECT_TRUE(window_.Enabled(id)) << id;
  }
  EXPECT_EQ(window_.progressRange, (std::pair{0, 2560}));
  EXPECT_EQ(window_.progress.back(), 2560);
  EXPECT_EQ(pauses_.pauses, (std::vector<milliseconds>{milliseconds(8000), milliseconds(8), milliseconds(8),
                                                        milliseconds(8), milliseconds(200),
                                                        milliseconds(25000)}));
}

TEST_F(OperatingModuleRunTest, ACancelRequestAsTheReadySignArrivesIsKeptOrRefusedNeverDropped) {
  const auto rounds = RaceCancelAgainstReadySign(
      [this] { return cancel_.Raise(); },
      [this](const std::function<void()>& signArriving) {
        ScriptedLine line;
        line.Answer("#");  // then no start sign: the run fails unless called off
        line.onByteRead = [&signArriving](std::uint8_t) { signArriving(); };
        RecordingWindow window;
        return ProgramBM(ProgrammingContext{window, [&line] { return line.MakePort(); }, pauses_, cancel_});
      });
  ExpectEachKeptOrRefused(rounds);
}

TEST_F(OperatingModuleRunTest, WithoutItsFileTheDialogueOnlySaysSo) {
  bmFileLoaded = false;
  for (const bool afterControlModule : {true, false}) {
    smFileLoaded = afterControlModule;
    pauses_.pauses.clear();
    window_.transcript.clear();
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_EQ(pauses_.pauses, std::vector<milliseconds>{milliseconds(afterControlModule ? 5000 : 3000)});
    EXPECT_EQ(window_.transcript, (std::vector<std::string>{"no BM file loaded", "Language upload will proceed...",
                                                             RecordingWindow::kCleared}));
    EXPECT_TRUE(window_.Enabled(ControlId::kCancel));
  }
  EXPECT_TRUE(line_.opens.empty());
}

struct FailureRow {
  const char* name;
  std::function<void(ScriptedLine&)> script;
  const char* line;  // nullptr: no line
};
void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

class OperatingModuleFailureTest : public OperatingModuleRunTest,
                                   public ::testing::WithParamInterface<FailureRow> {};

TEST_P(OperatingModuleFailureTest, EndsWithItsLineTheCloseLockOffAndThePortClosed) {
  bmImage.Store(0, 0x12);  // block 0 carries data, the rest is blank
  GetParam().script(line_);

  EXPECT_EQ(Run(), RunOutcome::Failed);

  ASSERT_FALSE(window_.lines.empty());
  if (GetParam().line != nullptr) {
    EXPECT_EQ(window_.lines.back(), GetParam().line);
  } else {
    EXPECT_EQ(window_.lines, std::vector<std::string>{"BM upload in progress..."});
  }
  EXPECT_TRUE(window_.Enabled(ControlId::kCancel));
  EXPECT_FALSE(window_.Enabled(ControlId::kUpdateButton));
  EXPECT_EQ(line_.openPorts, 0);
}

// Writes: 0 '*', 1 number 0, 2 data 0, 3 sum 0, 4-514 numbers 1-511, 515- end markers.
INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, OperatingModuleFailureTest,
    ::testing::Values(
        FailureRow{"PortDoesNotOpen", [](ScriptedLine& l) { l.failOpen = true; }, "Can't open COM-Port !!!"},
        FailureRow{"PortGoneWhileWaiting", [](ScriptedLine& l) { l.hangUpAfterScript = true; },
                   "Can't open COM-Port !!!"},
        FailureRow{"CommandNotWritten",
                   [](ScriptedLine& l) {
                     l.Answer("#");
                     l.failWriteNumber = 0;
                   },
                   "ERROR: can't write to COM"},
        FailureRow{"NoStartSign", [](ScriptedLine& l) { l.Answer("#"); }, "ERROR: no start sign"},
        FailureRow{"WrongStartSign", [](ScriptedLine& l) { l.Answer("#?"); }, "ERROR: wrong start sign"},
        FailureRow{"BlockNumberNotWritten",
                   [](ScriptedLine& l) {
                     l.Answer("#!");
                     l.failWriteNumber = 1;
                   },
                   "ERROR in data-transmission"},
        FailureRow{"BlockSumNotWritten",
                   [](ScriptedLine& l) {
                     l.Answer("#!");
                     l.failWriteNumber = 3;
                   },
                   "ERROR in data-transmission"},
        FailureRow{"NoBlockAnswer", [](ScriptedLine& l) { l.Answer("#!"); }, "ERROR: no answer from device"},
        FailureRow{"BlockRejected", [](ScriptedLine& l) { l.Answer("#!@"); }, "ERROR: wrong data/checksum"},
        FailureRow{"UnexpectedBlockAnswer", [](ScriptedLine& l) { l.Answer("#!?"); }, nullptr},
        FailureRow{"EndMarkerNotWritten",
                   [](ScriptedLine& l) {
                     l.Answer("#!!");
                     l.failWriteNumber = 515 + 100;
                   },
                   "ERROR in data-transmission"}),
    [](const ::testing::TestParamInfo<FailureRow>& row) { return std::string(row.param.name); });

// Reaches the language upload with an empty image: only numbers and end
// markers, no answer to read.
class LanguageUploadTest : public OperatingModuleRunTest {
 protected:
  void ReachUpload(const std::string& readySign) { line_.Answer("#!" + readySign); }
};

// With an empty image, the index of the first language write ('-').
constexpr int kFirstLanguageWrite = 1 + 512 + 101;

TEST_F(LanguageUploadTest, ARepeatRequestSendsTheSameTelegramAndAShortAnswerStaysOne) {
  PutLanguageFile("flash_Std.bin", 66 * 2);
  ReachUpload("+");
  // The second answer is too short to reach the fifth byte: the area still
  // holds the repeat request.
  line_.Answer(kRepeat + "abc");
  line_.Silence();
  line_.Answer(kAccepted + kAccepted);

  EXPECT_EQ(Run(), RunOutcome::Succeeded);

  const std::vector<Bytes> language = LanguageWrites();
  ASSERT_EQ(language.size(), 6u);
  EXPECT_EQ(language[0], language[1]);
  EXPECT_EQ(language[1], language[2]);
  EXPECT_EQ(language[3][4], 0x01);
  // The last block, the upload's start, telegrams 0 and 1, the end: a repeat
  // does not move the bar.
  EXPECT_EQ(std::vector<int>(window_.progress.end() - 5, window_.progress.end()),
            (std::vector<int>{511, 0, 0, 1, 2560}));
}

TEST_F(LanguageUploadTest, TheLumoReadySignChoosesTheBetaFileWhateverTheButtons) {
  PutLanguageFile("flash_StdBeta.bin", 0);
  ReachUpload("9");
  EXPECT_EQ(Run(), RunOutcome::Succeeded);
  EXPECT_EQ(window_.transcript[3], "Lumo Flash Update ");
  EXPECT_EQ(LanguageWrites().size(), 2u);  // the end and the closing telegram
  EXPECT_EQ(window_.progress.back(), 2560);
}

struct LanguageFailureRow {
  const char* name;
  std::function<void(ScriptedLine&)> script;
  const char* fileName;  // nullptr: none; "dir": a folder in its place
  std::vector<std::string> tail;  // the transcript's end
  bool newRunPossible;            // Update button and language selector back
};
void PrintTo(const LanguageFailureRow& row, std::ostream* out) { *out << row.name; }

class LanguageUploadFailureTest : public LanguageUploadTest,
                                  public ::testing::WithParamInterface<LanguageFailureRow> {};

TEST_P(LanguageUploadFailureTest, EndsWithItsReportAndNeverWithSuccess) {
  const LanguageFailureRow& row = GetParam();
  if (row.fileName != nullptr && std::string(row.fileName) == "dir") {
    std::filesystem::create_directory("Flash/flash_Std.bin");
  } else if (row.fileName != nullptr) {
    PutLanguageFile(row.fileName, 66);
  }
  ReachUpload("+");
  row.script(line_);

  EXPECT_EQ(Run(), RunOutcome::Failed);

  ASSERT_GE(window_.transcript.size(), row.tail.size());
  EXPECT_EQ(std::vector<std::string>(window_.transcript.end() - static_cast<long>(row.tail.size()),
                                     window_.transcript.end()),
            row.tail);
  EXPECT_EQ(std::count(window_.lines.begin(), window_.lines.end(), "Upload process succeeded :-)"), 0);
  EXPECT_TRUE(window_.Enabled(ControlId::kCancel));
  EXPECT_EQ(window_.Enabled(ControlId::kUpdateButton), row.newRunPossible);
  EXPECT_EQ(window_.Enabled(ControlId::kLanguageSelector), row.newRunPossible);
  EXPECT_EQ(line_.openPorts, 0);
}

const std::string kBox = RecordingWindow::kBox;
#if defined(_WIN32)
// Windows will not open a folder as a file: the open itself fails.
const std::string kFolderInPlaceReport =
    kBox + "Error opening the language file Flash/flash_Std.bin: Permission denied";
#else
// A folder opens here, and its first read fails.
const std::string kFolderInPlaceReport = kBox + "Fehler aufgetreten";
#endif

INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, LanguageUploadFailureTest,
    ::testing::Values(
        LanguageFailureRow{"CommandNotWritten",
                           [](ScriptedLine& l) { l.failWriteNumber = kFirstLanguageWrite; },
                           "flash_Std.bin",
                           {"Flash upload in progress...", "ERROR: can't write to COM"},
                           false},
        LanguageFailureRow{"FileMissing",
                           [](ScriptedLine&) {},
                           nullptr,
                           {"Flash upload in progress...",
                            kBox + "Error opening the language file Flash/flash_Std.bin: "
                                   "No such file or directory"},
                           true},
        LanguageFailureRow{"FileUnreadable", [](ScriptedLine&) {}, "dir",
                           {"Flash upload in progress...", kFolderInPlaceReport}, true},
        LanguageFailureRow{"TelegramNotWritten",
                           [](ScriptedLine& l) { l.failWriteNumber = kFirstLanguageWrite + 1; },
                           "flash_Std.bin",
                           {"Flash upload in progress...", kBox + "Error while sending"},
                           true},
        LanguageFailureRow{"NoAnswer", [](ScriptedLine&) {}, "flash_Std.bin",
                           {"Flash upload in progress...", "ERROR: no answer from device"}, true},
        LanguageFailureRow{"EndTelegramNotWritten",
                           [](ScriptedLine& l) {
                             l.Answer(kAccepted);
                             l.failWriteNumber = kFirstLanguageWrite + 2;
                           },
                           "flash_Std.bin",
                           {"Flash upload in progress...", kBox + "Error while sending"},
                           true},
        LanguageFailureRow{"ClosingTelegramNotWritten",
                           [](ScriptedLine& l) {
                             l.Answer(kAccepted);
                             l.failWriteNumber = kFirstLanguageWrite + 3;
                           },
                           "flash_Std.bin",
                           {"BM Initialisation...", kBox + "Error while sending"},
                           true}),
    [](const ::testing::TestParamInfo<LanguageFailureRow>& row) { return std::string(row.param.name); });

TEST_F(LanguageUploadTest, ACancelRequestEndsTheWaitForTheLanguageReadySign) {
  line_.Answer("#!");
  line_.onEmptyRead = [this](int) { cancel_.Raise(); };
  EXPECT_EQ(Run(), RunOutcome::Cancelled);
  EXPECT_EQ(window_.lines.back(), "Programming canceled before start");
  EXPECT_TRUE(window_.Enabled(ControlId::kCancel));
  EXPECT_EQ(line_.openPorts, 0);
}

}  // namespace
