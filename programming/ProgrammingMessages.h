#pragma once

#include <string_view>

// The numbered messages of the programming dialogues.
namespace ProgrammingMessage {
inline constexpr unsigned kNoSmFile = 128;
inline constexpr unsigned kCantOpenPort = 129;
inline constexpr unsigned kSwitchMainPowerOn = 130;
inline constexpr unsigned kCantWrite = 131;
inline constexpr unsigned kTimeOut = 132;
inline constexpr unsigned kBadVerifyString = 133;
inline constexpr unsigned kNoStartSign = 134;
inline constexpr unsigned kWrongStartSign = 135;
inline constexpr unsigned kProgrammingStarted = 136;
inline constexpr unsigned kDontTouch = 137;
inline constexpr unsigned kTransmissionError = 138;
inline constexpr unsigned kNoAnswer = 139;
inline constexpr unsigned kWrongDataOrChecksum = 140;
inline constexpr unsigned kSmSuccessful = 141;
inline constexpr unsigned kThreadNotStarted = 144;
inline constexpr unsigned kCanceledBeforeStart = 145;
inline constexpr unsigned kSmUploadInProgress = 158;
}  // namespace ProgrammingMessage

// Lines the dialogues show in English whatever the language.
namespace FixedLine {
// Spelt as the technicians have always seen it.
inline constexpr std::string_view kStartCharacterFound = "Start charater found...";
inline constexpr std::string_view kResetPellandrix1 = "Please reset the Pellandrix by press ";
inline constexpr std::string_view kResetPellandrix2 = "the On/Off button for 4 seconds";
}  // namespace FixedLine
