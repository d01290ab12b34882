#include "OutcomeDescription.h"

#include "BuiltInMessageTable.h"
#include "FirmwareFileSelection.h"

namespace {

std::string AtLine(const FirmwareCandidate& candidate) {
  return "line " + std::to_string(candidate.details.lineNumber) + ": ";
}

std::string WhyNoIdentification(const FirmwareCandidate& candidate) {
  const HexLoadDetails& details = candidate.details;
  if (details.lineNumber == 0) return "the file ends without an identification line";
  if (details.identification) {
    return "line " + std::to_string(details.lineNumber) + " names no module: \"/" +
           *details.identification + "\"";
  }
  return "line " + std::to_string(details.lineNumber) +
         " is empty or begins with neither ':' nor '/', which ends the reading";
}

}  // namespace

std::string MessageText(unsigned number) { return std::string(BuiltInMessageText(number)); }

std::string DescribeOutcome(const FirmwareCandidate& candidate, const std::string& module) {
  const HexLoadDetails& details = candidate.details;
  switch (candidate.result) {
    case HexLoadResult::Accepted:
      return AtLine(candidate) + "identification \"" + details.identification.value_or("") + "\"";
    case HexLoadResult::OtherFile:
      if (!PassedOverReason(candidate)) {
        return AtLine(candidate) + "identification \"" + details.identification.value_or("") +
               "\" is not for the " + module;
      }
      return MessageText(kNoIdentificationMessage) + " (" + WhyNoIdentification(candidate) + ")";
    case HexLoadResult::InvalidCharacter:
    case HexLoadResult::ChecksumError:
    case HexLoadResult::AddressOutOfRange:
      return AtLine(candidate) + *PassedOverReason(candidate);
    case HexLoadResult::OpenFailed:
      return *PassedOverReason(candidate);
    case HexLoadResult::ReadFailed:
      return AtLine(candidate) + *PassedOverReason(candidate);
  }
  return {};
}
