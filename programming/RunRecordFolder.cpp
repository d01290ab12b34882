#include "RunRecordFolder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "HomeFolder.h"
#include "LocalTime.h"
#include "PathText.h"


namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExtension = ".log";
constexpr std::size_t kLongestPortPart = 40;

// The port as a part of a file name: ttyUSB0 for /dev/ttyUSB0, pts-3 for
// /dev/pts/3, COM5 for \\.\COM5, oven for a link /tmp/site/oven; anything a
// file name may not hold as '-'.
std::string PortPart(std::string port) {
  constexpr std::string_view kDevices = "/dev/";
  constexpr std::string_view kWindowsDevices = "\\\\.\\";
  if (port.starts_with(kDevices)) {
    port.erase(0, kDevices.size());
  } else if (port.starts_with(kWindowsDevices)) {
    port.erase(0, kWindowsDevices.size());
  } else if (const auto separator = port.find_last_of("/\\"); separator != std::string::npos) {
    port.erase(0, separator + 1);
  }
  std::string part;
  for (const char c : port) {
    const bool plain = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '_' || c == '-';
    part += plain ? c : '-';
  }
  if (part.size() > kLongestPortPart) part.resize(kLongestPortPart);
  return part.empty() ? "no-port" : part;
}

// "2026-12-08_101530_" and at least one character of port before ".log".
bool IsRecordName(const std::string& name) {
  constexpr std::string_view kPattern = "dddd-dd-dd_dddddd_";
  if (name.size() < kPattern.size() + 1 + kExtension.size() || !name.ends_with(kExtension)) return false;
  for (std::size_t i = 0; i < kPattern.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
    if (kPattern[i] == 'd' ? !digit : name[i] != kPattern[i]) return false;
  }
  return true;
}

}  // namespace

fs::path RunRecordFolder(std::string& problem) {
#ifdef _WIN32
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || *local == L'\0') {
    problem = "LOCALAPPDATA is not set";
    return {};
  }
  return fs::path(local) / L"Tessaramond" / L"runs";
#else
  // A relative XDG_STATE_HOME is to be ignored, as freedesktop.org has it.
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
    return fs::path(state) / "tessaramond" / "runs";
  }
  const std::string home = HomeFolder();
  if (home.empty()) {
    problem = "neither XDG_STATE_HOME nor a home folder is known";
    return {};
  }
  return fs::path(home) / ".local" / "state" / "tessaramond" / "runs";
#endif
}

std::string RunRecordFileName(std::chrono::system_clock::time_point start, const std::string& portName, int copy) {
  std::string name = LocalTimeFileNameText(start) + "_" + PortPart(portName);
  if (copy > 1) name += "-" + std::to_string(copy);
  return name + std::string(kExtension);
}

std::vector<fs::path> ListRunRecords(const fs::path& folder) {
  std::vector<fs::path> records;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    std::error_code typeError;
    if (IsRecordName(PathText(entry->path().filename())) && entry->is_regular_file(typeError)) {
      records.push_back(entry->path());
    }
  }
  // The names begin with the start time, so their order is the runs'.
  std::sort(records.begin(), records.end(),
            [](const fs::path& a, const fs::path& b) { return PathText(a.filename()) < PathText(b.filename()); });
  return records;
}

void RemoveOldestRunRecords(const fs::path& folder, std::size_t keep) {
  const std::vector<fs::path> records = ListRunRecords(folder);
  if (records.size() <= keep) return;
  for (std::size_t i = 0; i < records.size() - keep; ++i) {
    std::error_code ignored;
    fs::remove(records[i], ignored);
  }
}
