#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "RunRecording.h"

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
  bool operatingModuleFile = true;
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
  Recording expected = row.operatingModuleFile ? kFilesFound : Recording{"-Update", "SM file found"};
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
  const Recording newRun = Shown::kNewRun;
  static const std::vector<FaultRow> rows{
      // The control module.
      {"NoIdentification", {"--no-identification"}, Stage::SmWaiting, {{"ERROR: TimeOut", "+Cancel"}}},
      {"BlockRejected", {"--reject-block", "K"}, Stage::SmTransfer,
       {{k, "ERROR: wrong data/checksum", "+Update", "+Cancel"}}},
      {"BlockUnanswered", {"--silent-block", "K"}, Stage::SmTransfer, {{k, noAnswer, "+Update", "+Cancel"}}},
      // The block number may still have gone out whole when the line drops,
      // its data or its answer not.
      {"HangUpInABlock", {"--hang-up-block", "K"}, Stage::SmTransfer,
       {{k, notWritten, "+Cancel"}, {k, notWritten, "+Update", "+Cancel"}, {k, noAnswer, "+Update", "+Cancel"}},
       true},
      // The operating module.
      {"NoOperatingModuleFile", {"--sm-only"}, Stage::SmDone,
       {{"no BM file loaded", "Language upload will proceed...", "<clear>", "+Cancel"}}, false, false},
      {"BmBlockUnanswered", {"--bm-silent-block", "K"}, Stage::BmTransfer, {{k, noAnswer, "+Cancel"}}},
      {"BmHangUpInABlock", {"--bm-hang-up-block", "K"}, Stage::BmTransfer,
       {{k, notWritten, "+Cancel"}, {k, noAnswer, "+Cancel"}}, true},
      // The language data.
      {"TelegramUnanswered", {"--silent-telegram", "K"}, Stage::Upload, {Join({{k, noAnswer}, newRun})}},
      {"HangUpInATelegram", {"--hang-up-telegram", "K"}, Stage::Upload,
       {Join({{k, noAnswer}, newRun}), Join({{k}, newRun, {sendError}})}, true},
      {"EndTelegramNotWritten", {}, Stage::Upload, {Join({{ProgressTo(3)}, newRun, {sendError}})}, true, true,
       std::chrono::milliseconds(200)},
      // The end telegram itself may be refused if the line drops at once.
      {"ClosingTelegramNotWritten", {"--hang-up-end"}, Stage::Upload,
       {Join({{ProgressTo(3), "at 2560", "BM Initialisation..."}, newRun, {sendError}}),
        Join({{ProgressTo(3)}, newRun, {sendError}})},
       true},
  };
  return rows;
}

// Names the row in test listings.
inline void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }
