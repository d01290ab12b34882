#include "RecordsCommand.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <optional>

#include "PathText.h"
#include "RunRecord.h"
#include "RunRecordFolder.h"
#include "Usage.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDefaultCount = 20;

// What a listing tells of one record.
struct RecordSummary {
  std::string start = "?";
  std::string port = "?";
  std::string outcome = "unfinished";  // no end: the program was ended or crashed
  std::string smCrc = "-";
  std::string bmCrc = "-";
};

// The CRC in a module file's line; "-" for a module without a file.
std::string ImageCrcOf(const std::string& value) {
  const auto at = value.find(RunRecordKey::kImageCrc);
  return at == std::string::npos ? "-" : value.substr(at + std::char_traits<char>::length(RunRecordKey::kImageCrc), 8);
}

RecordSummary Summarise(const fs::path& path) {
  RecordSummary summary;
  std::ifstream file(path, std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    // "   1234 key: value"
    const auto time = line.find_first_not_of(' ');
    const auto space = line.find(' ', time);
    const auto colon = line.find(": ", space);
    if (time == std::string::npos || space == std::string::npos || colon == std::string::npos) continue;
    const std::string key = line.substr(space + 1, colon - space - 1);
    const std::string value = line.substr(colon + 2);
    if (key == RunRecordKey::kStart) summary.start = value;
    if (key == RunRecordKey::kPort) summary.port = value;
    if (key == RunRecordKey::kEnd) summary.outcome = value;
    if (key == RunRecordKey::kControlModuleFile) summary.smCrc = ImageCrcOf(value);
    if (key == RunRecordKey::kOperatingModuleFile) summary.bmCrc = ImageCrcOf(value);
  }
  return summary;
}

}  // namespace

int RunRecordsCommand(const std::vector<std::string>& args) {
  std::size_t count = kDefaultCount;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help") {
      PrintHelp();
      return kExitOk;
    }
    if (arg != "-n") return UsageError("records takes no argument '" + arg + "'");
    if (i + 1 == args.size()) return UsageError("option '-n' requires a number");
    const std::string& number = args[++i];
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), count);
    if (error != std::errc() || end != number.data() + number.size() || count == 0) {
      return UsageError("invalid number of records '" + number + "'");
    }
  }

  std::string problem;
  const fs::path folder = RunRecordFolder(problem);
  if (folder.empty()) return Failure("no records folder: " + problem);
  const std::vector<fs::path> records = ListRunRecords(folder);
  if (records.empty()) {
    std::fprintf(stderr, "%s: no records in %s\n", kProgramName, PathText(folder).c_str());
    return kExitOk;
  }
  // Newest first.
  const std::size_t shown = std::min(count, records.size());
  for (std::size_t i = 0; i < shown; ++i) {
    const fs::path& path = records[records.size() - 1 - i];
    const RecordSummary summary = Summarise(path);
    std::printf("%s\t%s\t%s\tSM %s\tBM %s\t%s\n", summary.start.c_str(), summary.port.c_str(),
                summary.outcome.c_str(), summary.smCrc.c_str(), summary.bmCrc.c_str(), PathText(path).c_str());
  }
  return kExitOk;
}
