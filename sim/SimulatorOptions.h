#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Faults of a boot loader's block transfer. The three answer faults hit the
// first block from K on that carries data, since a blank block gets no answer.
struct BlockFaults {
  std::optional<std::uint16_t> rejectBlock;
  std::optional<std::uint16_t> silentBlock;
  std::optional<std::uint16_t> oddAnswerBlock;
  std::optional<std::uint16_t> hangUpBlock;
};

// Faults that the control module's boot loader can play, one per way the PC's
// dialogue can fail.
struct ControlModuleFaults {
  bool noise = false;
  bool noReady = false;
  bool noIdentification = false;
  bool noStartSign = false;
  bool wrongStartSign = false;
  BlockFaults blocks;
};

// The same for the operating module's boot loader.
struct OperatingModuleFaults {
  bool noReady = false;
  bool noStartSign = false;
  bool wrongStartSign = false;
  BlockFaults blocks;
};

// And for the language receiver; K is a telegram counter.
struct LanguageFaults {
  bool noReady = false;
  std::optional<std::uint32_t> repeatTelegram;
  std::optional<std::uint32_t> silentTelegram;
  std::optional<std::uint32_t> hangUpTelegram;
  bool hangUpEnd = false;
};

// What the command line asks of the simulator.
struct SimulatorOptions {
  std::string linkPath;
  std::string saveFolder;
  bool pace = false;
  bool prompt = false;
  bool once = false;
  bool helpRequested = false;
  bool noControlModule = false;
  bool smOnly = false;
  bool lumo = false;
  std::string identification = "DpcT4";
  ControlModuleFaults controlModuleFaults;
  OperatingModuleFaults operatingModuleFaults;
  LanguageFaults languageFaults;

  // Reads the arguments; on a wrong command line gives nothing and says why
  // in `problem`.
  static std::optional<SimulatorOptions> Parse(int argc, char** argv, std::string& problem);
  static const char* UsageText();
};
