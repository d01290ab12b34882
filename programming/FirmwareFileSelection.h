#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "FirmwareFolder.h"
#include "RunEvents.h"
#include "WindowRequests.h"

// The firmware folder, relative to the working directory.
inline constexpr std::string_view kFirmwareFolder = "Hex";

// Message numbers of the file selection.
inline constexpr unsigned kInvalidCharacterMessage = 147;
inline constexpr unsigned kChecksumErrorMessage = 149;
inline constexpr unsigned kNoIdentificationMessage = 150;
inline constexpr unsigned kBmFileFoundMessage = 159;
inline constexpr unsigned kSmFileFoundMessage = 160;

// The out-of-range outcome has no numbered message of its own.
inline constexpr std::string_view kAddressOutOfRangeText = "Address out of range in hex-File!";

// One module's pass of the Update command: the image it fills, what it
// accepts, what an unopenable file does to it, its line when a file is found,
// and its loaded flag.
struct FirmwareModule {
  const char* name;        // "control module"
  const char* shortName;   // "SM"
  HexImage& image;
  std::span<const std::string_view> identifications;
  OpenFailure openFailure;
  unsigned foundMessage;
  bool& loaded;
};

// The control-module and the operating-module pass, in the order the command
// runs them.
const std::array<FirmwareModule, 2>& FirmwareModules();

// Why a pass passed over `candidate`, in words for the technician; nullopt when
// nothing was wrong with it (accepted, or the other module's file). The
// numbered reasons come from the built-in table in every language: they are
// the words firmware engineers search their files and notes for.
std::optional<std::string> PassedOverReason(const FirmwareCandidate& candidate);

// What the file-error box says of a file that cannot be opened or read.
std::string FileErrorText(const FirmwareCandidate& candidate);

// Steps 2 to 6 of the Update command: disables the Update button, reads the
// folder's files into smImage and bmImage, adds a line for each file passed
// over for a fault and one for each module's file found, and sets each loaded
// flag as its pass ends. False when a file could not be opened or read: the
// file-error box has been shown, the Update button is enabled again, the flags
// of the passes not ended keep their values, and no worker may start.
// `events`, where given, hears of each module's choice and of each file
// passed over.
bool LoadFirmwareFiles(WindowRequests& window, const std::filesystem::path& folder, RunEvents* events = nullptr);
