#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Faults that the control module's boot loader can play, one per way the PC's
// dialogue can fail. The three answer faults hit the first block from K on
// that carries data, since a blank block gets no answer.
struct ControlModuleFaults {
  bool noise = false;
  bool noReady = false;
  bool noIdentification = false;
  bool noStartSign = false;
  bool wrongStartSign = false;
  std::optional<std::uint16_t> rejectBlock;
  std::optional<std::uint16_t> silentBlock;
  std::optional<std::uint16_t> oddAnswerBlock;
  std::optional<std::uint16_t> hangUpBlock;
};

// What the command line asks of the simulator.
struct SimulatorOptions {
  std::string linkPath;
  std::string saveFolder;
  bool pace = false;
  bool once = false;
  bool helpRequested = false;
  std::string identification = "DpcT4";
  ControlModuleFaults controlModuleFaults;

  // Reads the arguments; on a wrong command line gives nothing and says why
  // in `problem`.
  static std::optional<SimulatorOptions> Parse(int argc, char** argv, std::string& problem);
  static const char* UsageText();
};
