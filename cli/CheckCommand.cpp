#include "CheckCommand.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "Crc32.h"
#include "FirmwareFileSelection.h"
#include "LanguageFileFacts.h"
#include "LanguageUpload.h"
#include "OutcomeDescription.h"
#include "Usage.h"

namespace {

namespace fs = std::filesystem;

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
    Print(title + ": " + pass.read.back().path.generic_string() + ", image CRC-32 " +
          Crc32Text(Crc32(module.image.Bytes())));
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

// Each line's language file: the oven's ready sign decides which one it
// takes, so a missing one is only a warning.
void CheckLanguageFiles(const std::optional<fs::path>& dir) {
  for (const bool lumo : {false, true}) {
    const fs::path file = dir ? *dir / LanguageFileName(lumo) : fs::path(LanguageFileName(lumo));
    const LanguageFileFacts facts = ReadLanguageFileFacts(file);
    std::string line = std::string("Language file, ") + (lumo ? "Lumo" : "Kesto") + " line: " + file.generic_string();
    if (!facts.found) {
      line += ": missing (warning: an oven of the " + std::string(lumo ? "Lumo" : "Kesto") +
              " line cannot take its language data from here)";
    } else if (!facts.problem.empty()) {
      line += ": " + facts.problem + " (warning: the language data cannot be sent)";
    } else {
      line += ", " + std::to_string(facts.bytes) + " bytes, " + std::to_string(facts.telegrams) +
              " telegrams, CRC-32 " + Crc32Text(facts.crc) + " as sent";
    }
    Print(line);
  }
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
      bothFound = false;
      break;
    }
    bothFound = bothFound && pass.accepted;
  }
  CheckLanguageFiles(dir);
  return bothFound ? kExitOk : kExitFailure;
}
