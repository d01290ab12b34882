#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ProgrammingContext.h"

// The control module's boot loader dialogue.
namespace ControlModuleBootLoader {
inline constexpr std::uint8_t kReadySign = '>';
inline constexpr std::uint8_t kReadyAnswer = '<';
inline constexpr std::uint8_t kStartSign = '!';
inline constexpr int kIdentificationLength = 5;
// The identifications and how many blocks each module takes; bytes of the
// image beyond them are never sent.
inline constexpr std::string_view kLargeModule = "DpcT4";
inline constexpr int kLargeModuleBlocks = 508;
inline constexpr std::string_view kSmallModule = "SDZT1";
inline constexpr int kSmallModuleBlocks = 248;
// The progress bar's range, whatever the module.
inline constexpr int kProgressMaximum = 512;
}  // namespace ControlModuleBootLoader

// Loads smImage into the control module over `port` (closed on entry, as the
// worker left it after the update request), opened again on `portName`, the
// port the update request went to, and, on success, hands over to the
// operating module's dialogue. Every end releases the port.
RunOutcome ProgramSM(const ProgrammingContext& run, SerialPort& port, const std::string& portName);
