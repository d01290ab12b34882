// tessaramond-cli update against the oven simulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "ChildProcess.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "PtyPair.h"
#include "SerialPort.h"

namespace {

using std::chrono::seconds;

class CliUpdateTest : public ::testing::Test {
 protected:
  // Starts the simulator for one run; false when it gave no port.
  bool StartOven(std::vector<std::string> options) {
    std::vector<std::string> command{OVENSIM_PATH, "--once", "--save", folder_.Path().string()};
    command.insert(command.end(), options.begin(), options.end());
    oven_.emplace(command, folder_.Path().string(), (folder_ / "ovensim.err").string());
    const auto port = oven_->ReadLine();
    if (port) port_ = *port;
    return port.has_value();
  }

  // The oven's pauses are the simulator's to skip.
  ChildProcess& StartCli(std::vector<std::string> arguments) {
    std::vector<std::string> command{CLI_PATH, "update", "--port", port_};
    command.insert(command.end(), arguments.begin(), arguments.end());
    cli_.emplace(command, folder_.Path().string(), (folder_ / "cli.err").string(),
                 std::vector<std::string>{"TESSARAMOND_PAUSE_SCALE=0.001"});
    return *cli_;
  }

  TemporaryFolder folder_;
  std::optional<ChildProcess> oven_;
  std::optional<ChildProcess> cli_;
  std::string port_;
};

TEST_F(CliUpdateTest, AWholeRunDeliversEveryByteOfTheRelease) {
  const FirmwareRelease release(folder_.Path(), 512, 512);
  ASSERT_TRUE(StartOven({}));

  ChildProcess& cli = StartCli({});
  const auto lines = cli.ReadRest();
  EXPECT_EQ(cli.Wait(), 0) << ReadAll(folder_ / "cli.err");

  const std::vector<std::string> tail{"BM Initialisation...", "Upload process succeeded :-)", "[box] Update ok!!!"};
  ASSERT_GE(lines.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()), tail);
  EXPECT_EQ(oven_->Wait(), 0) << ReadAll(folder_ / "ovensim.err");
  EXPECT_TRUE(ReadAll(folder_ / "sm-image.bin") == release.ExpectedSm());
  EXPECT_TRUE(ReadAll(folder_ / "bm-image.bin") == release.ExpectedBm());
  EXPECT_TRUE(ReadAll(folder_ / "language.bin") == release.ExpectedLanguage());
}

struct FailureRow {
  const char* name;
  std::vector<std::string> ovenOptions;
  std::vector<std::string> cliOptions;
  std::vector<std::string> lastLines;  // any one of them
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

class CliUpdateFailureTest : public CliUpdateTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(CliUpdateFailureTest, EndsWithTheRowsLineAndExitCode1) {
  const FirmwareRelease release(folder_.Path(), 16, 16);
  ASSERT_TRUE(StartOven(GetParam().ovenOptions));

  ChildProcess& cli = StartCli(GetParam().cliOptions);
  const auto lines = cli.ReadRest();
  EXPECT_EQ(cli.Wait(), 1);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(std::find(GetParam().lastLines.begin(), GetParam().lastLines.end(), lines.back()),
            GetParam().lastLines.end())
      << lines.back();
}

INSTANTIATE_TEST_SUITE_P(
    SomeFailureRows, CliUpdateFailureTest,
    ::testing::Values(
        FailureRow{"WrongIdentification", {"--identification", "sdzt1"}, {}, {"ERROR: bad verify-string"}},
        FailureRow{"WrongIdentificationInGerman",
                   {"--identification", "DpcT"},
                   {"--language", "deutsch"},
                   {"FEHLER: ungültiger Prüf-String"}},
        FailureRow{"RejectedBlock", {"--reject-block", "3"}, {}, {"ERROR: wrong data/checksum"}},
        FailureRow{"HangUpDuringTheTransfer",
                   {"--hang-up-block", "5"},
                   {},
                   {"ERROR in data-transmission", "ERROR: no answer from device"}},
        FailureRow{"OperatingModuleRejectsABlock", {"--bm-reject-block", "3"}, {}, {"ERROR: wrong data/checksum"}},
        FailureRow{"LanguageTelegramUnanswered", {"--silent-telegram", "1"}, {}, {"ERROR: no answer from device"}}),
    [](const ::testing::TestParamInfo<FailureRow>& row) { return std::string(row.param.name); });

TEST_F(CliUpdateTest, CtrlCCallsOffTheWaitForTheReadySign) {
  const FirmwareRelease release(folder_.Path(), 16, 0);
  ASSERT_TRUE(StartOven({"--no-ready"}));

  ChildProcess& cli = StartCli({});
  const auto waiting = cli.ReadUntil("Switch main-power on...");
  ASSERT_FALSE(waiting.empty());
  ASSERT_EQ(waiting.back(), "Switch main-power on...");
  cli.Signal(SIGINT);
  const auto rest = cli.ReadRest();
  EXPECT_EQ(cli.Wait(), 3);
  EXPECT_EQ(rest, (std::vector<std::string>{"Programming canceled before start"}));
  EXPECT_NE(ReadAll(folder_ / "cli.err").find("cancel accepted"), std::string::npos);
}

TEST_F(CliUpdateTest, APortThatGoesAwayEndsTheWaitForTheReadySign) {
  const FirmwareRelease release(folder_.Path(), 16, 0);
  ASSERT_TRUE(StartOven({"--no-ready"}));

  ChildProcess& cli = StartCli({});
  ASSERT_EQ(cli.ReadUntil("Switch main-power on...").back(), "Switch main-power on...");
  oven_->Signal(SIGKILL);  // the line drops as if the adapter were pulled out
  EXPECT_EQ(cli.ReadRest(std::chrono::seconds(10)), std::vector<std::string>{"Can't open COM-Port !!!"});
  EXPECT_EQ(cli.Wait(std::chrono::seconds(5)), 1);
}

TEST_F(CliUpdateTest, CtrlCDuringTheTransferIsRefused) {
  // At the line's own pace, 40 full blocks take about two seconds.
  const FirmwareRelease release(folder_.Path(), 40, 0);
  ASSERT_TRUE(StartOven({"--pace", "--sm-only"}));

  ChildProcess& cli = StartCli({});
  ASSERT_EQ(cli.ReadUntil("Don't touch anything while programming ;-)").back(),
            "Don't touch anything while programming ;-)");
  cli.Signal(SIGINT);
  const auto rest = cli.ReadRest();
  // The transfer went on to its end; without an operating-module file the
  // run as a whole does not succeed.
  EXPECT_EQ(cli.Wait(), 1);
  EXPECT_NE(std::find(rest.begin(), rest.end(), "Update SM successful"), rest.end());
  EXPECT_NE(ReadAll(folder_ / "cli.err").find("must not be interrupted"), std::string::npos);
}

TEST_F(CliUpdateTest, APortHeldByAnotherProgramIsReportedAndNothingIsSent) {
  const FirmwareRelease release(folder_.Path(), 16, 16);
  ASSERT_TRUE(StartOven({}));
  SerialPort holder;
  ASSERT_TRUE(holder.Open(port_, 57600));

  ChildProcess& cli = StartCli({});
  const auto lines = cli.ReadRest();
  EXPECT_EQ(cli.Wait(), 1);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Can't open COM-Port !!!");
  EXPECT_EQ(ReadAll(folder_ / "ovensim.err"), "");  // not even the update request came
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
    const auto lines = cli.ReadRest();
    EXPECT_EQ(cli.Wait(), 1);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "no BM file loaded"), lines.end()) << port;
    EXPECT_EQ(std::chrono::steady_clock::now() - start < seconds(2), scaled) << port;
    const std::string err = ReadAll(folder_ / "cli.err");
    const std::string note = "TESSARAMOND_PAUSE_SCALE ignored";
    int notes = 0;
    for (auto at = err.find(note); at != std::string::npos; at = err.find(note, at + 1)) ++notes;
    EXPECT_EQ(notes, scaled ? 0 : 1) << port << ": " << err;
  }
}

}  // namespace
