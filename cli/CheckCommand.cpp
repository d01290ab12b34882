#include "CheckCommand.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <optional>

#include "FirmwareFileSelection.h"
#include "OutcomeDescription.h"
#include "Usage.h"

namespace {

namespace fs = std::filesystem;

unsigned long ImageCrc(const HexImage& image) {
  const auto bytes = image.Bytes();
  return crc32(crc32(0L, Z_NULL, 0), bytes.data(), static_cast<uInt>(bytes.size()));
}

// The folder the Update command would read when started in `dir`. A folder
// that holds .hex files itself but no Hex folder is taken as the firmware
// folder: that is what an engineer pointing at it means.
fs::path FirmwareFolderOf(const std::optional<fs::path>& dir) {
  const fs::path folder = dir ? *dir / kFirmwareFolder : fs::path(kFirmwareFolder);
  std::error_code error;
  if (dir && !fs::is_directory(folder, error) && !ListFirmwareFiles(*dir).empty()) return *dir;
  return folder;
}

void Print(const std::string& line) { std::printf("%s\n", line.c_str()); }

// Runs one pass and prints what it chose and why.
FirmwarePassResult CheckPass(const fs::path& folder, const FirmwareModule& module) {
  FirmwarePassResult pass =
      RunFirmwarePass(folder, module.image, module.identifications, module.openFailure);
  std::string title = std::string(module.name) + " (" + module.shortName + ")";
  title[0] = static_cast<char>(title[0] - 'a' + 'A');
  if (pass.accepted) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08lx", ImageCrc(module.image));
    Print(title + ": " + pass.read.back().path.generic_string() +
          ", image CRC-32 " + crc);
  } else {
    Print(title + ": no file");
  }
  for (const FirmwareCandidate& candidate : pass.read) {
    const char* verdict = candidate.result == HexLoadResult::Accepted ? "used"
                          : pass.endsCommand && &candidate == &pass.read.back()
                              ? "stops the command"
                              : "passed over";
    Print("  " + candidate.path.generic_string() + ": " + verdict + ": " +
          DescribeOutcome(candidate, module.name));
  }
  for (const std::string& name : pass.notRead) {
    Print("  " + (folder / name).generic_string() + ": not read: the pass had ended");
  }
  if (pass.read.empty()) {
    std::error_code error;
    Print(fs::is_directory(folder, error) ? "  no .hex file in " + folder.generic_string()
                                          : "  no folder " + folder.generic_string());
  }
  return pass;
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args) {
  std::optional<fs::path> dir;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg == "--help") {
      PrintHelp();
      return kExitOk;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return UsageError("unrecognized option '" + arg + "'");
    } else if (dir) {
      return UsageError("check: extra operand '" + arg + "'");
    } else {
      dir = fs::path(arg);
    }
  }

  const fs::path folder = FirmwareFolderOf(dir);
  bool bothFound = true;
  for (const FirmwareModule& module : FirmwareModules()) {
    const FirmwarePassResult pass = CheckPass(folder, module);
    if (pass.endsCommand) {
      Print("The Update command stops here with the file-error box: " +
            FileErrorText(pass.read.back()));
      return kExitFailure;
    }
    bothFound = bothFound && pass.accepted;
  }
  return bothFound ? kExitOk : kExitFailure;
}
