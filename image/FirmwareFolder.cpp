#include "FirmwareFolder.h"

#include <algorithm>
#include <system_error>

namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool HasHexExtension(const std::string& name) {
  static constexpr std::string_view kExtension = ".HEX";
  if (name.size() < kExtension.size()) return false;
  return std::equal(kExtension.begin(), kExtension.end(), name.end() - kExtension.size(),
                    [](char e, char c) { return e == UpperAscii(c); });
}

// NTFS keeps a folder sorted by names in upper case.
bool NameLess(const std::string& a, const std::string& b) {
  const auto upperLess = [](char x, char y) {
    return static_cast<unsigned char>(UpperAscii(x)) < static_cast<unsigned char>(UpperAscii(y));
  };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), upperLess)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), upperLess)) return false;
  return a < b;
}

}  // namespace

std::vector<std::string> ListFirmwareFiles(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  // The error_code forms throughout: a folder that fails half-way through
  // listing gives the names found so far, never an exception in the window.
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    std::string name = entry->path().filename().string();
    if (!HasHexExtension(name)) continue;
    // A folder is no firmware file, and a pipe or device would block the
    // window when opened; a dangling link stays, so its open failure shows.
    std::error_code statusError;
    const auto status = entry->status(statusError);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), NameLess);
  return names;
}

FirmwarePassResult RunFirmwarePass(const std::filesystem::path& folder, HexImage& image,
                                   std::span<const std::string_view> accepted,
                                   OpenFailure openFailure) {
  FirmwarePassResult pass;
  for (std::string& name : ListFirmwareFiles(folder)) {
    if (pass.accepted || pass.endsCommand) {
      pass.notRead.push_back(std::move(name));
      continue;
    }
    FirmwareCandidate& candidate = pass.read.emplace_back();
    candidate.path = folder / name;
    candidate.name = std::move(name);
    candidate.result = LoadHexFile(candidate.path, image, accepted, &candidate.details);
    switch (candidate.result) {
      case HexLoadResult::Accepted:
        pass.accepted = true;
        break;
      case HexLoadResult::OpenFailed:
        pass.endsCommand = openFailure == OpenFailure::EndsCommand;
        break;
      case HexLoadResult::ReadFailed:
        pass.endsCommand = true;
        break;
      default:
        break;
    }
  }
  return pass;
}
