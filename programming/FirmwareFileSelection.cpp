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

// One module's pass: its image, what it accepts, what an unopenable file does
// to it, the line for a file found, and its loaded flag.
struct Pass {
  HexImage& image;
  std::span<const std::string_view> identifications;
  OpenFailure openFailure;
  unsigned foundMessage;
  bool& loaded;
};

// Runs the pass and reports it; false when the command ends here.
bool RunPass(WindowRequests& window, const std::filesystem::path& folder, const Pass& pass,
             std::set<std::string>& reported) {
  const FirmwarePassResult result =
      RunFirmwarePass(folder, pass.image, pass.identifications, pass.openFailure);
  ReportPassedOver(window, result, reported);
  if (result.endsCommand) {
    window.ShowMessageBox(FileErrorText(result.read.back()), MessageBoxIcon::Error);
    window.EnableControl(ControlId::kUpdateButton, true);
    return false;
  }
  if (result.accepted) AddLine(window, window.LoadLocalizedText(pass.foundMessage));
  pass.loaded = result.accepted;
  return true;
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
  return RunPass(window, folder,
                 {smImage, kControlModuleIdentifications, OpenFailure::EndsCommand,
                  kSmFileFoundMessage, smFileLoaded},
                 reported) &&
         RunPass(window, folder,
                 {bmImage, kOperatingModuleIdentifications, OpenFailure::PassesOver,
                  kBmFileFoundMessage, bmFileLoaded},
                 reported);
}
