#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "FirmwareFileSelection.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "ProgrammingWorker.h"
#include "RecordingWindow.h"
#include "RunRecording.h"
#include "SerialPort.h"

// The failures that take the real line and the simulator to play: time-outs,
// the line dropping, the simulator's faults at any block or telegram; with
// all that the window is then asked: lines, boxes, the controls given back,
// the progress, in order. The dialogue tests play every failure on a scripted
// line; the fault matrix runs each row here once, the soak at random blocks
// and telegrams.
struct FaultRow {
  enum class Stage { SmWaiting, SmTransfer, SmDone, BmTransfer, Upload };
  const char* name;
  std::vector<std::string> ovenOptions;  // "K" stands for the block or telegram number
  Stage stage;                           // how far the run gets before its ending
  // The ending; any one of them where the line's timing decides. "at 0..K":
  // the progress up to block or telegram K.
  std::vector<Recording> endings;
  bool hangsUp = false;  // the line is gone afterwards
  std::chrono::milliseconds dropInPause{-1};  // the line drops in the run's pause of this length
};

// The data blocks of the release and its language telegrams, for choosing K.
inline constexpr int kReleaseDataBlocks = 16;
inline constexpr int kReleaseTelegrams = 4;

inline bool IsTelegramFault(const FaultRow& row) {
  return !row.ovenOptions.empty() && row.ovenOptions.front().find("telegram") != std::string::npos;
}

// Everything the window is asked in a run of `row` with K = `k`.
inline Recording ExpectedRecording(const FaultRow& row, const Recording& ending, int k) {
  using namespace Shown;
  Recording expected = kFilesFound;
  const std::vector<Recording> stages{kSmWaiting, kSmStarted, Join({{ProgressTo(507)}, kSmDone}),
                                      Join({kBmWaiting, kBmStarted}), Join({{ProgressTo(511)}, kUploadStarted})};
  for (int stage = 0; stage <= static_cast<int>(row.stage); ++stage) expected = Join({expected, stages[stage]});
  for (const std::string& shown : ending) expected.push_back(shown == "at 0..K" ? ProgressTo(k) : shown);
  return expected;
}

inline const std::vector<FaultRow>& FaultRows() {
  using Stage = FaultRow::Stage;
  const std::string k = "at 0..K";
  const std::string noAnswer = "ERROR: no answer from device";
  const std::string notWritten = "ERROR in data-transmission";
  const std::string sendError = "<error box> Error while sending";
  static const std::vector<FaultRow> rows{
      // The control module.
      {"NoIdentification", {"--no-identification"}, Stage::SmWaiting, {{"ERROR: TimeOut", "+Cancel"}}},
      {"BlockUnanswered", {"--silent-block", "K"}, Stage::SmTransfer, {{k, noAnswer, "+Update", "+Cancel"}}},
      // The block number may still have gone out whole when the line drops,
      // its data or its answer not.
      {"HangUpInABlock", {"--hang-up-block", "K"}, Stage::SmTransfer,
       {{k, notWritten, "+Cancel"}, {k, notWritten, "+Update", "+Cancel"}, {k, noAnswer, "+Update", "+Cancel"}},
       true},
      // The operating module.
      {"BmBlockUnanswered", {"--bm-silent-block", "K"}, Stage::BmTransfer, {{k, noAnswer, "+Cancel"}}},
      {"BmHangUpInABlock", {"--bm-hang-up-block", "K"}, Stage::BmTransfer,
       {{k, notWritten, "+Cancel"}, {k, noAnswer, "+Cancel"}}, true},
      // The language data.
      {"TelegramUnanswered", {"--silent-telegram", "K"}, Stage::Upload, {Join({{k, noAnswer}, Shown::kNewRun})}},
      {"HangUpInATelegram", {"--hang-up-telegram", "K"}, Stage::Upload,
       {Join({{k, noAnswer}, Shown::kNewRun}), Join({{k}, Shown::kNewRun, {sendError}})}, true},
      {"EndTelegramNotWritten", {}, Stage::Upload, {Join({{ProgressTo(3)}, Shown::kNewRun, {sendError}})}, true,
       std::chrono::milliseconds(200)},
      // The end telegram itself may be refused if the line drops at once.
      {"ClosingTelegramNotWritten", {"--hang-up-end"}, Stage::Upload,
       {Join({{ProgressTo(3), "at 2560", "BM Initialisation..."}, Shown::kNewRun, {sendError}}),
        Join({{ProgressTo(3)}, Shown::kNewRun, {sendError}})},
       true},
  };
  return rows;
}

// Names the row in test listings.
inline void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }

// A thousandth of each pause, as the command line takes against the
// simulator; in the one of `dropIn`, first `drop`.
class FaultRunPauses : public Pauses {
 public:
  FaultRunPauses(std::chrono::milliseconds dropIn, std::function<void()> drop) : dropIn_(dropIn), drop_(drop) {}
  void Pause(std::chrono::milliseconds duration) override {
    if (duration == dropIn_) drop_();
    scaled_.Pause(duration);
  }

 private:
  std::chrono::milliseconds dropIn_;
  std::function<void()> drop_;
  ScaledPauses scaled_{0.001};
};

// Runs the Update command and the programming run of `row` in this process,
// on the simulator's pseudo-terminal with the row's fault at block or
// telegram `k`, and compares what the window is asked as it comes. Returns
// the first difference from the row, with the recording and the simulator's
// log; "" when the run went as the row says, failed, and let the port go.
inline std::string RunWithFault(const FaultRow& row, int k) {
  TemporaryFolder folder;
  const FirmwareRelease release(folder.Path(), kReleaseDataBlocks, kReleaseDataBlocks,
                                66 * (kReleaseTelegrams - 1) + 20);
  const WorkingDirectory here(folder.Path());

  std::vector<std::string> command{OVENSIM_PATH};
  for (const std::string& option : row.ovenOptions) command.push_back(option == "K" ? std::to_string(k) : option);
  ChildProcess oven(command, folder.Path().string(), (folder / "ovensim.err").string());
  const auto port = oven.ReadLine();
  if (!port) return "the simulator gave no port";
  std::mutex ovenMutex;
  // The line drops: every wait of the run ends with it.
  const auto dropLine = [&] {
    const std::lock_guard lock(ovenMutex);
    oven.Signal(SIGKILL);
    oven.Wait();
  };

  RecordingWindow window;
  window.portName = *port;
  FaultRunPauses pauses(row.dropInPause, dropLine);
  CancelRequest cancel;
  RunOutcome outcome = RunOutcome::Succeeded;
  std::thread run([&] {
    if (LoadFirmwareFiles(window, kFirmwareFolder)) {
      outcome = ProgrammingWorker({window, [] { return std::make_unique<SerialPort>(); }, pauses, cancel});
    }
    window.EndRun();
  });
  std::vector<Recording> expected;
  for (const Recording& ending : row.endings) expected.push_back(ExpectedRecording(row, ending, k));
  std::string difference = window.FirstDifference(expected, std::chrono::seconds(10));
  if (!difference.empty()) dropLine();
  run.join();
  if (difference.empty() && outcome != RunOutcome::Failed) difference = "the run did not fail";
  if (difference.empty() && !row.hangsUp && !SerialPort().Open(*port, kOvenBaudRate)) {
    difference = "the port was not released";
  }
  dropLine();
  if (difference.empty()) return difference;
  difference += "\nshown:";
  for (const std::string& shown : window.Events()) difference += "\n  " + shown;
  return difference + "\novensim:\n" + ReadAll(folder / "ovensim.err");
}
