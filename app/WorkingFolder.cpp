#include "WorkingFolder.h"

#include <cstdlib>
#include <fstream>
#include <string_view>
#include <system_error>

#include "HomeFolder.h"
#include "PathText.h"
#include "WorkingFolderReadme.h"

namespace fs = std::filesystem;

namespace {

// A value of user-dirs.dirs: "$HOME/…" or an absolute path, in double quotes
// with backslash escapes. Empty when it is neither.
fs::path UserDirValue(std::string_view quoted, const std::string& home) {
  while (!quoted.empty() && (quoted.back() == ' ' || quoted.back() == '\t' || quoted.back() == '\r')) {
    quoted.remove_suffix(1);
  }
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return {};
  std::string value;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    if (quoted[i] == '\\' && i + 2 < quoted.size()) ++i;
    value += quoted[i];
  }
  constexpr std::string_view kHome = "$HOME";
  if (value.starts_with(kHome) && (value.size() == kHome.size() || value[kHome.size()] == '/')) {
    return fs::path(home + value.substr(kHome.size()));
  }
  if (value.starts_with('/')) return fs::path(value);
  return {};
}

}  // namespace

fs::path TechnicianWorkingFolder(const std::string& home, const std::string& configHome) {
  const fs::path config = configHome.starts_with('/') ? fs::path(configHome) : fs::path(home) / ".config";
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
  fs::path documents = home;
  std::ifstream file(config / "user-dirs.dirs");
  std::string line;
  // Read as the shell would source it: the last assignment holds.
  while (std::getline(file, line)) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || std::string_view(line).substr(start, kKey.size()) != kKey) continue;
    if (fs::path value = UserDirValue(std::string_view(line).substr(start + kKey.size()), home); !value.empty()) {
      documents = value;
    }
  }
  return (documents / "Tessaramond").lexically_normal();
}

std::string MakeWorkingFolder(const fs::path& folder) {
  std::error_code error;
  for (const char* part : {"Hex", "Flash"}) {
    fs::create_directories(folder / part, error);
    if (error) return "cannot make " + PathText(folder / part) + ": " + error.message();
  }
  const fs::path readme = folder / "README.txt";
  if (fs::exists(fs::symlink_status(readme, error))) return {};
  std::ofstream out(readme, std::ios::binary);
  out << WorkingFolderReadme();
  out.close();
  if (!out) return "cannot write " + PathText(readme);
  return {};
}

std::string EnterWorkingFolderWhenAsked() {
  if (std::getenv(kStartInWorkingFolderVariable) == nullptr) return {};
  ::unsetenv(kStartInWorkingFolderVariable);
  std::error_code error;
  const std::string instead =
      " Tessaramond reads its Hex and Flash folders from " + PathText(fs::current_path(error)) + " instead.";
  const std::string home = HomeFolder();
  if (home.empty()) return "No home folder is known, so Tessaramond has no working folder." + instead;
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const fs::path folder = TechnicianWorkingFolder(home, configHome != nullptr ? configHome : "");
  std::string problem = MakeWorkingFolder(folder);
  if (problem.empty()) {
    fs::current_path(folder, error);
    if (!error) return {};
    problem = "cannot change into " + PathText(folder) + ": " + error.message();
  }
  return "Tessaramond's working folder " + PathText(folder) + " is not ready (" + problem + ")." + instead;
}
