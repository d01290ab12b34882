#pragma once

#include <string_view>

// The numbered messages of the programming dialogues.
namespace ProgrammingMessage {
inline constexpr unsigned kLanguageFileNotOpened = 116;
inline constexpr unsigned kSendError = 126;
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
inline constexpr unsigned kNoBmFile = 142;
inline constexpr unsigned kThreadNotStarted = 144;
inline constexpr unsigned kCanceledBeforeStart = 145;
inline constexpr unsigned kBmUploadInProgress = 157;
inline constexpr unsigned kSmUploadInProgress = 158;
inline constexpr unsigned kFlashUploadInProgress = 161;
inline constexpr unsigned kUploadSucceeded = 162;
inline constexpr unsigned kLumoFlashUpdate = 163;
inline constexpr unsigned kKestoFlashUpdate = 164;
}  // namespace ProgrammingMessage

// Lines and box texts the dialogues show in the same words whatever the
// language.
namespace FixedLine {
// Spelt as the technicians have always seen it.
inline constexpr std::string_view kStartCharacterFound = "Start charater found...";
inline constexpr std::string_view kResetPellandrix1 = "Please reset the Pellandrix by press ";
inline constexpr std::string_view kResetPellandrix2 = "the On/Off button for 4 seconds";
inline constexpr std::string_view kLanguageUploadWillProceed = "Language upload will proceed...";
inline constexpr std::string_view kBmInitialisation = "BM Initialisation...";
// Box texts.
inline constexpr std::string_view kUpdateOk = "Update ok!!!";
inline constexpr std::string_view kErrorOccurred = "Fehler aufgetreten";
}  // namespace FixedLine
