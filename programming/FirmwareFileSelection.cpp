#include "FirmwareFileSelection.h"

#include <algorithm>
#include <set>

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
void ReportPassedOver(WindowRequests& window, const FirmwarePassResult& pass,
                      std::set<std::string>& reported) {
  const auto text = [&window](unsigned number) { return window.LoadLocalizedText(number); };
  for (const FirmwareCandidate& candidate : pass.read) {
    if (pass.endsCommand && &candidate == &pass.read.back()) break;
    const auto reason = PassedOverReason(candidate, text);
    if (reason && reported.insert(candidate.name).second) {
      AddLine(window, candidate.path.generic_string() + ": " + *reason);
    }
  }
}

bool EndCommand(WindowRequests& window, const FirmwarePassResult& pass) {
  window.ShowMessageBox(FileErrorText(pass.read.back()), MessageBoxIcon::Error);
  window.EnableControl(ControlId::kUpdateButton, true);
  return false;
}

}  // namespace

std::optional<std::string> PassedOverReason(const FirmwareCandidate& candidate,
                                            const std::function<std::string(unsigned)>& text) {
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
      return "cannot be opened: " + candidate.details.error.message();
    case HexLoadResult::ReadFailed:
      return "cannot be read: " + candidate.details.error.message();
  }
  return std::nullopt;
}

std::string FileErrorText(const FirmwareCandidate& candidate) {
  return "The file " + candidate.path.generic_string() + " " +
         PassedOverReason(candidate, [](unsigned) { return std::string(); }).value_or("");
}

bool LoadFirmwareFiles(WindowRequests& window, const std::filesystem::path& folder) {
  window.EnableControl(ControlId::kUpdateButton, false);
  // A run that stops early must not leave the flag of an overwritten image set.
  smFileLoaded = false;
  bmFileLoaded = false;
  std::set<std::string> reported;

  const FirmwarePassResult smPass =
      RunFirmwarePass(folder, smImage, kControlModuleIdentifications, OpenFailure::EndsCommand);
  ReportPassedOver(window, smPass, reported);
  if (smPass.endsCommand) return EndCommand(window, smPass);
  if (smPass.accepted) AddLine(window, window.LoadLocalizedText(kSmFileFoundMessage));
  smFileLoaded = smPass.accepted;

  const FirmwarePassResult bmPass =
      RunFirmwarePass(folder, bmImage, kOperatingModuleIdentifications, OpenFailure::PassesOver);
  ReportPassedOver(window, bmPass, reported);
  if (bmPass.endsCommand) return EndCommand(window, bmPass);
  if (bmPass.accepted) AddLine(window, window.LoadLocalizedText(kBmFileFoundMessage));
  bmFileLoaded = bmPass.accepted;
  return true;
}
