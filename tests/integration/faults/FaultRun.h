#pragma once

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "FaultRows.h"
#include "FirmwareFileSelection.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "ProgrammingWorker.h"
#include "RecordingWindow.h"
#include "SerialPort.h"

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
  const FirmwareRelease release(folder.Path(), kReleaseDataBlocks, row.operatingModuleFile ? kReleaseDataBlocks : 0,
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
