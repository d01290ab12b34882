// tessaramond-cli update against the oven simulator on a pseudo-terminal: what
// it prints, line by line as it comes, and what the oven receives.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "ChildProcess.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "PtyPair.h"
#include "RunRecording.h"
#include "SerialPort.h"

namespace {

using std::chrono::seconds;
using namespace Shown;

class CliUpdateTest : public ::testing::Test {
 protected:
  // Starts the simulator; false when it gave no port.
  bool StartOven(std::vector<std::string> options) {
    std::vector<std::string> command{OVENSIM_PATH, "--save", folder_.Path().string()};
    command.insert(command.end(), options.begin(), options.end());
    oven_.emplace(command, folder_.Path().string(), (folder_ / "ovensim.err").string());
    const auto port = oven_->ReadLine();
    if (port) port_ = *port;
    return port.has_value();
  }
  std::string OvenLog() { return ReadAll(folder_ / "ovensim.err"); }

  // The oven's pauses are the simulator's to skip.
  ChildProcess& StartCli(std::vector<std::string> arguments) {
    std::vector<std::string> command{CLI_PATH, "update", "--port", port_};
    command.insert(command.end(), arguments.begin(), arguments.end());
    cli_.emplace(command, folder_.Path().string(), (folder_ / "cli.err").string(),
                 std::vector<std::string>{"TESSARAMOND_PAUSE_SCALE=0.001"});
    return *cli_;
  }
  std::string CliErrors() { return ReadAll(folder_ / "cli.err"); }

  TemporaryFolder folder_;
  std::optional<ChildProcess> oven_;
  std::optional<ChildProcess> cli_;
  std::string port_;
};

const std::vector<std::string> kSmDoneShown = ConsoleLines(Join({kFilesFound, kSmWaiting, kSmStarted, kSmDone}));
const std::vector<std::string> kBmStartedShown =
    ConsoleLines(Join({kFilesFound, kSmWaiting, kSmStarted, kSmDone, kBmWaiting, kBmStarted}));

TEST_F(CliUpdateTest, AWholeRunWithARepeatRequestDeliversEveryByteOfTheRelease) {
  const FirmwareRelease release(folder_.Path(), 512, 512);
  ASSERT_TRUE(StartOven({"--repeat", "1"}));

  ChildProcess& cli = StartCli({});
  EXPECT_EQ(cli.FirstDifference(Join({kBmStartedShown, ConsoleLines(Join({kUploadStarted, kUploadDone}))})), "");
  EXPECT_EQ(cli.Wait(), 0) << CliErrors();
  // The oven found nothing amiss after asking for telegram 1 again.
  oven_->Signal(SIGTERM);
  EXPECT_EQ(oven_->Wait(), 0) << OvenLog();
  EXPECT_NE(OvenLog().find("asking for telegram 1 again"), std::string::npos);
  EXPECT_TRUE(ReadAll(folder_ / "sm-image.bin") == release.ExpectedSm());
  EXPECT_TRUE(ReadAll(folder_ / "bm-image.bin") == release.ExpectedBm());
  EXPECT_TRUE(ReadAll(folder_ / "language.bin") == release.ExpectedLanguage());
}

// A wait of the run, and what ends it: a Ctrl-C or the line dropping.
struct WaitRow {
  const char* name;
  std::vector<std::string> ovenOptions;
  std::size_t operatingModuleBlocks;  // 0: no file
  std::vector<std::string> cliOptions;
  // The program is in the wait once it printed these lines and the simulator
  // logged this text.
  std::vector<std::string> before;
  std::string ovenLogged;
  int signal;  // SIGINT to the program, SIGKILL to the simulator
  std::vector<std::string> after;
  int exitCode;
  std::string note = "";  // on standard error
};
void PrintTo(const WaitRow& row, std::ostream* out) { *out << row.name; }

class CliWaitTest : public CliUpdateTest, public ::testing::WithParamInterface<WaitRow> {};

// Ctrl-C calls a run off in each wait for a ready sign, even with the close
// lock on, and is refused while a module is being programmed; the wait ends
// with its next read, within 3 s. A line that drops ends a wait at once, not
// after a read's 3 s, and never in an endless loop on a dead port.
TEST_P(CliWaitTest, EndsAsTheMomentAllows) {
  using Clock = std::chrono::steady_clock;
  const WaitRow& row = GetParam();
  const FirmwareRelease release(folder_.Path(), 40, row.operatingModuleBlocks);
  ASSERT_TRUE(StartOven(row.ovenOptions));
  ChildProcess& cli = StartCli(row.cliOptions);
  ASSERT_EQ(cli.FirstDifference(row.before, false), "");
  const auto deadline = Clock::now() + seconds(10);
  while (OvenLog().find(row.ovenLogged) == std::string::npos && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // Well inside the wait.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  (row.signal == SIGINT ? cli : *oven_).Signal(row.signal);
  const auto limit = row.signal == SIGINT ? seconds(5) : std::chrono::milliseconds(2500);
  const Clock::time_point signalled = Clock::now();
  EXPECT_EQ(cli.FirstDifference(row.after, true, limit), "");
  EXPECT_LT(Clock::now() - signalled, limit);
  EXPECT_EQ(cli.Wait(seconds(5)), row.exitCode);
  EXPECT_NE(CliErrors().find(row.note), std::string::npos) << CliErrors();
}

const std::vector<std::string> kCalledOff{"Programming canceled before start"};

INSTANTIATE_TEST_SUITE_P(
    EveryWait, CliWaitTest,
    ::testing::Values(
        WaitRow{"ControlModuleReadySignCtrlCInGerman", {"--no-ready"}, 0, {"--language", "deutsch"},
                {"SM-Datei gefunden", "Hauptschalter einschalten..."}, "", SIGINT,
                {"Programmierung vor dem Start abgebrochen"}, 3, "cancel accepted"},
        WaitRow{"OperatingModuleReadySignCtrlCUnderTheCloseLock", {"--no-bm-ready"}, 16, {}, kSmDoneShown,
                "sm-image.bin", SIGINT, kCalledOff, 3, "cancel accepted"},
        WaitRow{"LanguageReadySignCtrlCUnderTheCloseLock", {"--no-language-ready"}, 16, {}, kBmStartedShown,
                "bm-image.bin", SIGINT, kCalledOff, 3, "cancel accepted"},
        // At the line's own pace, 40 full blocks take about two seconds.
        WaitRow{"TransferCtrlC", {"--pace", "--sm-only"}, 0, {},
                ConsoleLines(Join({{"SM file found"}, kSmWaiting, kSmStarted})), "", SIGINT,
                ConsoleLines(Join({kSmDone, {"no BM file loaded", "Language upload will proceed...", "<clear>"}})), 1,
                "must not be interrupted"},
        // The dialogues' tables play a line gone in every wait; on the real
        // line, one wait for a sign and one for an answer.
        WaitRow{"LanguageReadySignLineDrop", {"--no-language-ready"}, 16, {}, kBmStartedShown,
                "BM: 512 blocks received", SIGKILL, {"Can't open COM-Port !!!"}, 1},
        WaitRow{"TelegramAnswerLineDrop", {"--silent-telegram", "1"}, 16, {},
                Join({kBmStartedShown, ConsoleLines(kUploadStarted)}), "no answer to telegram 1", SIGKILL,
                {"ERROR: no answer from device"}, 1}),
    kRowName);

// Nothing reaches the oven when the port is another program's, or when a
// firmware file cannot be opened: the command ends with its file-error box.
TEST_F(CliUpdateTest, NothingIsSentWhenThePortIsHeldOrAFileCannotBeOpened) {
  const FirmwareRelease release(folder_.Path(), 16, 16);
  ASSERT_TRUE(StartOven({}));
  {
    SerialPort holder;
    ASSERT_TRUE(holder.Open(port_, 57600));
    ChildProcess& cli = StartCli({});
    EXPECT_EQ(cli.FirstDifference({"SM file found", "BM file found", "Can't open COM-Port !!!"}), "");
    EXPECT_EQ(cli.Wait(), 1);
  }
  std::filesystem::create_symlink(folder_ / "nowhere", folder_ / "Hex" / "0.hex");
  ChildProcess& cli = StartCli({});
  EXPECT_EQ(cli.FirstDifference({"[error box] The file Hex/0.hex cannot be opened: No such file or directory"}), "");
  EXPECT_EQ(cli.Wait(), 1);
  EXPECT_EQ(OvenLog(), "");  // not even the update request came
}

// The oven's pauses are cut only on a pseudo-terminal, also one named through
// a link. /dev/tty is the same pty here, the program's controlling terminal,
// but no pty by its name: there the 3 s pause after "no BM file loaded" is
// waited in full.
TEST_F(CliUpdateTest, ThePauseScaleHoldsOnlyOnAPseudoTerminal) {
  PtyPair line;
  const std::string link = (folder_ / "oven").string();
  std::filesystem::create_symlink(line.Path(), link);
  for (const auto& [port, scaled] : {std::pair<std::string, bool>{link, true}, {"/dev/tty", false}}) {
    const auto start = std::chrono::steady_clock::now();
    ChildProcess cli({CLI_PATH, "update", "--port", port}, folder_.Path().string(), (folder_ / "cli.err").string(),
                     {"TESSARAMOND_PAUSE_SCALE=0.001"}, line.Path());
    EXPECT_EQ(cli.FirstDifference({"no SM file loaded", "no BM file loaded", "Language upload will proceed...", ""}),
              "")
        << port;
    EXPECT_EQ(cli.Wait(), 1);
    EXPECT_EQ(std::chrono::steady_clock::now() - start < seconds(2), scaled) << port;
    // Said once, or not at all.
    const std::string err = CliErrors();
    const auto note = err.find("TESSARAMOND_PAUSE_SCALE ignored");
    EXPECT_EQ(note == std::string::npos, scaled) << port << ": " << err;
    EXPECT_EQ(note, err.rfind("TESSARAMOND_PAUSE_SCALE ignored")) << port << ": " << err;
  }
}

}  // namespace
