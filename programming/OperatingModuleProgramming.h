#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "ProgrammingContext.h"

// The operating module's boot loader dialogue, reached through the control
// module on the same line.
namespace OperatingModuleBootLoader {
inline constexpr std::uint8_t kReadySign = '#';
inline constexpr std::uint8_t kProgrammingCommand = '*';
inline constexpr std::uint8_t kStartSign = '!';
inline constexpr int kBlockCount = 512;
inline constexpr int kProgressMaximum = 512;
// The port when none is selected.
inline constexpr std::string_view kDefaultPortName = "COM2";
// How long the lines about the missing file stay up before the list is
// cleared: longer after a control-module run, whose lines stand above them.
inline constexpr std::chrono::milliseconds kNoFileShownAfterControlModule{5000};
inline constexpr std::chrono::milliseconds kNoFileShown{3000};
}  // namespace OperatingModuleBootLoader

// Loads bmImage into the operating module over a port of its own and goes on
// to the language upload on it; without a BM image only says so. Every end
// releases the port.
RunOutcome ProgramBM(const ProgrammingContext& run);
