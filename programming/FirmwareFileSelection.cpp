#include "FirmwareFileSelection.h"

#include <algorithm>
#include <set>

#include "BuiltInMessageTable.h"
#include "ControlId.h"
#include "FirmwareImages.h"

namespace {

bool IsModuleIdentification(const std::string& identification) {
  const auto known = [&](const auto& identifications) {
    return std::find(identifications.begin(), identifications.end(), identification) !=
           identifications.end();
  };
  return known(kControlModuleIdentifications) || known(kOperatingModuleIdentifications);
}

void AddLine(WindowRequests& window, const std::string& text) {
  window.AppendLine(text);
  window.RepaintLines();
}

// A file that fails in one pass fails the same way in the other: its line is
// added once per command.
void ReportPassedOver(WindowRequests& window, RunEvents& events, const FirmwareModule& module,
                      const FirmwarePassResult& pass, std::set<std::string>& reported) {
  for (const FirmwareCandidate& candidate : pass.read) {
    if (pass.endsCommand && &candidate == &pass.read.back()) break;
    const auto reason = PassedOverReason(candidate);
    if (!reason) continue;
    events.FirmwarePassedOver(module, candidate, *reason);
    if (reported.insert(candidate.name).second) AddLine(window, candidate.path.generic_string() + ": " + *reason);
  }
}

// Runs the pass and reports it; false when the command ends here.
bool RunPass(WindowRequests& window, RunEvents& events, const std::filesystem::path& folder,
             const FirmwareModule& module, std::set<std::string>& reported) {
  const FirmwarePassResult result =
      RunFirmwarePass(folder, module.image, module.identifications, module.openFailure);
  ReportPassedOver(window, events, module, result, reported);
  if (result.endsCommand) {
    window.ShowMessageBox(FileErrorText(result.read.back()), MessageBoxIcon::Error);
    window.EnableControl(ControlId::kUpdateButton, true);
    return false;
  }
  events.FirmwareChosen(module, result.accepted ? &result.read.back() : nullptr);
  if (result.accepted) AddLine(window, window.LoadLocalizedText(module.foundMessage));
  module.loaded = result.accepted;
  return true;
}

// Why the system refused a file that cannot be opened or read.
std::string SystemReason(const FirmwareCandidate& candidate) {
  const char* what = candidate.result == HexLoadResult::OpenFailed ? "opened" : "read";
  return std::string("cannot be ") + what + ": " + candidate.details.error.message();
}

}  // namespace

const std::array<FirmwareModule, 2>& FirmwareModules() {
  static const std::array<FirmwareModule, 2> modules{{
      {"control module", "SM", smImage, kControlModuleIdentifications, OpenFailure::EndsCommand,
       kSmFileFoundMessage, smFileLoaded},
      {"operating module", "BM", bmImage, kOperatingModuleIdentifications, OpenFailure::PassesOver,
       kBmFileFoundMessage, bmFileLoaded},
  }};
  return modules;
}

std::optional<std::string> PassedOverReason(const FirmwareCandidate& candidate) {
  const auto text = [](unsigned number) { return std::string(BuiltInMessageText(number)); };
  switch (candidate.result) {
    case HexLoadResult::Accepted:
      return std::nullopt;
    case HexLoadResult::OtherFile:
      if (candidate.details.identification &&
          IsModuleIdentification(*candidate.details.identification)) {
        return std::nullopt;
      }
      return text(kNoIdentificationMessage);
    case HexLoadResult::InvalidCharacter:
      return text(kInvalidCharacterMessage);
    case HexLoadResult::ChecksumError:
      return text(kChecksumErrorMessage);
    case HexLoadResult::AddressOutOfRange:
      return std::string(kAddressOutOfRangeText);
    case HexLoadResult::OpenFailed:
    case HexLoadResult::ReadFailed:
      return SystemReason(candidate);
  }
  return std::nullopt;
}

std::string FileErrorText(const FirmwareCandidate& candidate) {
  return "The file " + candidate.path.generic_string() + " " + SystemReason(candidate);
}

bool LoadFirmwareFiles(WindowRequests& window, const std::filesystem::path& folder, RunEvents* events) {
  window.EnableControl(ControlId::kUpdateButton, false);
  // Each flag is set as its pass ends; a command that ends early keeps the
  // flags of the last complete one. It starts no worker, so no run reads a
  // flag whose image this command has overwritten.
  std::set<std::string> reported;
  for (const FirmwareModule& module : FirmwareModules()) {
    if (!RunPass(window, events != nullptr ? *events : NoRunEvents(), folder, module, reported)) return false;
  }
  return true;
}
