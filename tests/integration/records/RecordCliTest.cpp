// The record that tessaramond-cli update keeps of each run against the oven
// simulator, and `tessaramond-cli records`, which lists them.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "ChildProcess.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "RecordFiles.h"

namespace {

namespace fs = std::filesystem;

struct UpdateResult {
  int exitCode = -1;
  std::vector<std::string> lines;
  std::string errors;
};

// One update of the release in `folder` against a fresh simulator, its
// records kept in the state folder `state`; `signal` (Ctrl-C) once
// `interruptAfter` has been printed. The simulator is ended only after the
// update: with --once it may close the line while the closing telegram's
// write is still draining.
UpdateResult Update(const fs::path& folder, const fs::path& state, std::vector<std::string> ovenOptions,
                    const std::string& interruptAfter = {}, int signal = SIGINT) {
  ovenOptions.insert(ovenOptions.begin(), OVENSIM_PATH);
  ChildProcess oven(ovenOptions, folder.string(), (folder / "ovensim.err").string());
  const auto port = oven.ReadLine();
  if (!port) return {};
  ChildProcess cli({CLI_PATH, "update", "--port", *port}, folder.string(), (folder / "cli.err").string(),
                   {"TESSARAMOND_PAUSE_SCALE=0.001", "XDG_STATE_HOME=" + state.string()});
  // Without a line to wait for, the whole output.
  UpdateResult result;
  result.lines = cli.ReadUntil(interruptAfter.empty() ? "\n" : interruptAfter);
  if (!interruptAfter.empty()) cli.Signal(signal);
  for (const std::string& line : cli.ReadRest()) result.lines.push_back(line);
  result.exitCode = cli.Wait();
  oven.Signal(SIGTERM);
  result.errors = ReadAll(folder / "cli.err");
  return result;
}

// The lines tessaramond-cli printed, as the record writes them.
std::vector<std::string> AsRecorded(const std::vector<std::string>& printed) {
  std::vector<std::string> recorded;
  for (const std::string& line : printed) {
    recorded.push_back(line.empty()                      ? "list cleared"
                       : line.starts_with("[box] ")       ? "box: " + line.substr(6)
                       : line.starts_with("[error box] ") ? "error box: " + line.substr(12)
                                                          : "line: " + line);
  }
  return recorded;
}

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// `tessaramond-cli records` with the state folder `state`: its lines.
std::vector<std::string> Listed(const fs::path& state) {
  ChildProcess records({CLI_PATH, "records"}, state.string(), (state / "records.err").string(),
                       {"XDG_STATE_HOME=" + state.string()});
  auto lines = records.ReadRest();
  EXPECT_EQ(records.Wait(), 0);
  return lines;
}

struct RecordRow {
  const char* name;
  std::vector<std::string> ovenOptions;
  std::string interruptAfter;
  int exitCode;
  // Events the record must hold, by their beginnings, in this order; the
  // last is its end, which `records` lists as the outcome.
  std::vector<std::string> recordHolds;
};

void PrintTo(const RecordRow& row, std::ostream* out) { *out << row.name; }

class RecordCliTest : public ::testing::TestWithParam<RecordRow> {};

// Each run twice: with a records folder, then with one that cannot be made,
// which must change nothing of the run.
TEST_P(RecordCliTest, TheRecordHoldsTheRunAndAFolderThatCannotBeWrittenChangesNothing) {
  const RecordRow& row = GetParam();
  const TemporaryFolder folder;
  const FirmwareRelease release(folder.Path(), 16, 16);

  const UpdateResult recorded = Update(folder.Path(), folder / "state", row.ovenOptions, row.interruptAfter);
  EXPECT_EQ(recorded.exitCode, row.exitCode) << recorded.errors;
  const auto records = RecordsIn(folder / "state");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(Occurrences(recorded.errors, "record: " + records[0].string() + "\n"), 1) << recorded.errors;
  const auto events = EventsOf(records[0]);
  EXPECT_EQ(ShownEvents(events), AsRecorded(recorded.lines));
  EXPECT_TRUE(HoldInOrder(events, row.recordHolds)) << ::testing::PrintToString(events);
  const auto crcs = ExpectCheckCrcs(events, folder.Path());
  const auto listed = Listed(folder / "state");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_NE(listed[0].find("\t" + events.back().substr(5) + "\tSM " + crcs.at("SM") + "\tBM " + crcs.at("BM") + "\t" +
                           records[0].string()),
            std::string::npos)
      << listed[0];

  WriteTextFile(folder / "no-folder", "");
  const UpdateResult unrecorded = Update(folder.Path(), folder / "no-folder", row.ovenOptions, row.interruptAfter);
  EXPECT_EQ(unrecorded.exitCode, recorded.exitCode);
  EXPECT_EQ(unrecorded.lines, recorded.lines);
  EXPECT_EQ(Occurrences(unrecorded.errors, "the record cannot be written"), 1) << unrecorded.errors;
  EXPECT_EQ(Occurrences(unrecorded.errors, "no record was kept"), 1) << unrecorded.errors;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RecordCliTest,
    ::testing::Values(
        RecordRow{"Whole", {"--repeat", "2"}, {}, 0,
                  {"start: ", "program: Tessaramond ", "system: ", "SM file: ", "BM file: ", "port: /dev/pts/",
                   "sent: update request", "SM ready sign: '>'", "SM identification: DpcT4, 508 blocks",
                   "SM start sign: '!'", "SM programmed in ", "BM ready sign: '#'", "BM start sign: '!'",
                   "BM programmed in ", "panel ready sign: '+'", "language line: Kesto", "pause: 8000 ms",
                   "language telegram 2: repeat requested",
                   "language file sent: Flash/flash_Std.bin, 218 bytes in 4 telegrams", "pause: 25000 ms",
                   "box: Update ok!!!", "language data ended in ", "end: succeeded"}},
        RecordRow{"RejectedBlock", {"--reject-block", "3"}, {}, 1,
                  {"SM identification: DpcT4", "SM block 3: rejected, '@' (0x40)", "line: ERROR: wrong data/checksum",
                   "SM ended in ", "end: failed: ERROR: wrong data/checksum"}},
        RecordRow{"CancelledInTheWait", {"--no-ready"}, "Switch main-power on...", 3,
                  {"port: ", "line: Switch main-power on...", "line: Programming canceled before start",
                   "end: cancelled: Programming canceled before start"}}),
    [](const ::testing::TestParamInfo<RecordRow>& row) { return std::string(row.param.name); });

// The folder keeps the newest 500 records and touches nothing but records. A
// run killed in the middle of the transfer leaves its record up to its last
// event, each line whole, and no end; --record writes the record where it is
// asked to instead.
TEST(RecordCliFolderTest, TheOldestRecordsGoBeyondTheLimitAKilledRunIsKeptAndRecordWritesWhereAsked) {
  const TemporaryFolder folder;
  const FirmwareRelease release(folder.Path(), 40, 0);
  const fs::path runs = folder / "state" / "tessaramond" / "runs";
  fs::create_directories(runs);
  for (int i = 0; i < 500; ++i) {
    WriteTextFile(runs / ("2000-01-01_" + std::to_string(100000 + i) + "_old.log"), "      0 start: 2000-01-01\n");
  }
  WriteTextFile(runs / "notes.txt", "mine");

  const std::string last = "Don't touch anything while programming ;-)";
  ASSERT_EQ(Update(folder.Path(), folder / "state", {"--once", "--pace", "--sm-only"}, last, SIGKILL).lines.back(), last);
  // 499 old ones, the new one and notes.txt.
  const auto records = RecordsIn(folder / "state");
  ASSERT_EQ(records.size(), 501u);
  EXPECT_FALSE(fs::exists(runs / "2000-01-01_100000_old.log"));
  EXPECT_TRUE(fs::exists(runs / "notes.txt"));
  const fs::path killed = records[499];  // after the old ones, before notes.txt
  EXPECT_TRUE(ReadAll(killed).ends_with("\n"));
  const auto events = EventsOf(killed);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "line: " + last);
  EXPECT_NE(Listed(folder / "state").at(0).find("\tunfinished\tSM "), std::string::npos);

  // A port that does not open ends the run at once.
  ChildProcess cli({CLI_PATH, "update", "--port", (folder / "no-port").string(), "--record", (folder / "asked.log").string()},
                   folder.Path().string(), (folder / "cli.err").string(), {"XDG_STATE_HOME=" + (folder / "state").string()});
  cli.ReadRest();
  EXPECT_EQ(cli.Wait(), 1);
  EXPECT_EQ(RecordsIn(folder / "state").size(), 501u);
  const auto asked = EventsOf(folder / "asked.log");
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back(), "end: failed: Can't open COM-Port !!!");
  EXPECT_NE(ReadAll(folder / "cli.err").find("record: " + (folder / "asked.log").string()), std::string::npos);
}

}  // namespace
