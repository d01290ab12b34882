#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "HexImage.h"
#include "IntelHexReader.h"

// The firmware files of a folder, as the Update command takes them: every
// entry that is not a folder and whose name ends in ".hex" in any case, in
// ascending order of name with letters compared without case (the order NTFS
// lists a folder in), so the choice between two candidates is predictable.
// Empty when the folder does not exist.
std::vector<std::string> ListFirmwareFiles(const std::filesystem::path& folder);

// One file a pass read, and how it ended.
struct FirmwareCandidate {
  std::string name;                // file name within the folder
  std::filesystem::path path;      // folder / name
  HexLoadResult result = HexLoadResult::OtherFile;
  HexLoadDetails details;
};

// What an unopenable file does to a pass: the control-module pass ends the
// whole command, the operating-module pass passes over the file.
enum class OpenFailure { EndsCommand, PassesOver };

struct FirmwarePassResult {
  // Every file read, in order; an accepted file or one that ends the command
  // is the last.
  std::vector<FirmwareCandidate> read;
  // Files the pass never opened because it had ended before them.
  std::vector<std::string> notRead;
  bool accepted = false;
  // An unopenable (EndsCommand) or unreadable file stopped the command.
  bool endsCommand = false;
};

// One pass of the Update command over `folder`: reads the files in turn into
// `image` until one is accepted. Each file is judged on its own.
FirmwarePassResult RunFirmwarePass(const std::filesystem::path& folder, HexImage& image,
                                   std::span<const std::string_view> accepted, OpenFailure openFailure);
