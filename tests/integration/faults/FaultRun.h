#pragma once

#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "FaultRows.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "SerialPort.h"

// What one update against a faulty simulator came to.
struct FaultRunResult {
  int exitCode = -1;
  std::vector<std::string> lines;
  bool portReleased = false;  // a second open of the port succeeded right after
  std::string errorOutput;
  std::string ovenLog;
};

// The data blocks of the release and its language telegrams, for choosing K.
inline constexpr int kReleaseDataBlocks = 16;
inline constexpr int kReleaseTelegrams = 4;

// Runs tessaramond-cli update in a fresh folder against ovensim with the
// row's fault at block or telegram `k`.
inline FaultRunResult RunWithFault(const FaultRow& row, int k) {
  TemporaryFolder folder;
  const FirmwareRelease release(folder.Path(), row.controlModuleFile ? kReleaseDataBlocks : 0,
                                row.operatingModuleFile ? kReleaseDataBlocks : 0, 66 * (kReleaseTelegrams - 1) + 20);
  const auto languageFile = folder / "Flash" / "flash_Std.bin";
  if (row.languageFile != FaultRow::LanguageFile::Present) std::filesystem::remove(languageFile);
  if (row.languageFile == FaultRow::LanguageFile::Unreadable) std::filesystem::create_directory(languageFile);

  std::vector<std::string> command{OVENSIM_PATH};
  for (const std::string& option : row.ovenOptions) command.push_back(option == "K" ? std::to_string(k) : option);
  ChildProcess oven(command, folder.Path().string(), (folder / "ovensim.err").string());
  FaultRunResult result;
  const auto port = oven.ReadLine();
  if (!port) return result;

  ChildProcess cli({CLI_PATH, "update", "--port", *port}, folder.Path().string(), (folder / "cli.err").string(),
                   {"TESSARAMOND_PAUSE_SCALE=0.001"});
  result.lines = cli.ReadRest(std::chrono::seconds(60));
  result.exitCode = cli.Wait(std::chrono::seconds(10));
  if (!row.hangsUp) {
    SerialPort again;
    result.portReleased = again.Open(*port, 57600);
  }
  oven.Signal(SIGTERM);
  oven.Wait(std::chrono::seconds(10));
  result.errorOutput = ReadAll(folder / "cli.err");
  result.ovenLog = ReadAll(folder / "ovensim.err");
  return result;
}

// Why the result is not what the row says; empty when it is.
inline std::string Mismatch(const FaultRow& row, const FaultRunResult& result) {
  if (result.exitCode != 1) return "exit code " + std::to_string(result.exitCode) + ", not 1";
  if (result.lines.empty()) return "no line at all";
  for (const char* success : {"Upload process succeeded :-)", "[box] Update ok!!!"}) {
    if (std::find(result.lines.begin(), result.lines.end(), success) != result.lines.end()) {
      return std::string("a failure shown as success: ") + success;
    }
  }
  if (std::find(row.lastLines.begin(), row.lastLines.end(), result.lines.back()) == row.lastLines.end()) {
    return "last line \"" + result.lines.back() + "\"";
  }
  if (!row.hangsUp && !result.portReleased) return "the port was not released";
  return {};
}
