#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <utility>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "HexFiles.h"

// Reading back what the programs recorded of their runs.

// The records of the state folder `state` (as XDG_STATE_HOME names it).
inline std::vector<std::filesystem::path> RecordsIn(const std::filesystem::path& state) {
  std::vector<std::filesystem::path> records;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(state / "tessaramond" / "runs", error))
    records.push_back(entry.path());
  std::sort(records.begin(), records.end());
  return records;
}

// A record's events without their times; each line must begin with one.
inline std::vector<std::string> EventsOf(const std::filesystem::path& record) {
  std::vector<std::string> events;
  std::istringstream text(ReadAll(record));
  for (std::string line; std::getline(text, line);) {
    const auto time = line.find_first_not_of(' ');
    const auto space = line.find(' ', time);
    EXPECT_TRUE(time != std::string::npos && space != std::string::npos &&
                line.find_first_not_of("0123456789", time) == space)
        << line;
    if (space != std::string::npos) events.push_back(line.substr(space + 1));
  }
  return events;
}

// The events that stand for what the technician was shown.
inline std::vector<std::string> ShownEvents(const std::vector<std::string>& events) {
  std::vector<std::string> shown;
  std::copy_if(events.begin(), events.end(), std::back_inserter(shown), [](const std::string& event) {
    return event.starts_with("line: ") || event.starts_with("box: ") || event.starts_with("error box: ") ||
           event == "list cleared";
  });
  return shown;
}

// Whether `events` hold events that begin with each of `wanted`, in order.
inline bool HoldInOrder(const std::vector<std::string>& events, const std::vector<std::string>& wanted) {
  auto at = events.begin();
  for (const std::string& prefix : wanted) {
    at = std::find_if(at, events.end(), [&prefix](const std::string& event) { return event.starts_with(prefix); });
    if (at == events.end()) return false;
  }
  return true;
}

// The record names each module's file, in order, with the image CRC-32 that
// `tessaramond-cli check` prints for the release in `folder`, and the language
// data it sent with check's CRC-32 of that file. Check's CRC-32s by "SM", "BM"
// and "Kesto" (the language file).
inline std::map<std::string, std::string> ExpectCheckCrcs(const std::vector<std::string>& events,
                                                          const std::filesystem::path& folder) {
  ChildProcess check({CLI_PATH, "check"}, folder.string(), (folder / "check.err").string());
  std::map<std::string, std::string> crcs;
  for (const std::string& line : check.ReadRest()) {
    const auto at = line.find("CRC-32 ");
    for (const auto& [start, key] : {std::pair{"Control module", "SM"}, {"Operating module", "BM"}, {"Language file, Kesto", "Kesto"}}) {
      if (at != std::string::npos && line.starts_with(start)) crcs[key] = line.substr(at + 7, 8);
    }
  }
  EXPECT_EQ(check.Wait(), 0);
  const std::pair<std::string, std::string> endings[] = {{"SM file: Hex/sm.hex, ", "image CRC-32 " + crcs["SM"]},
                                                         {"BM file: Hex/bm.hex, ", "image CRC-32 " + crcs["BM"]},
                                                         {"language file sent: ", "CRC-32 " + crcs["Kesto"]}};
  for (const std::string& event : events) {
    for (const auto& [start, ending] : endings) EXPECT_TRUE(!event.starts_with(start) || event.ends_with(ending)) << event;
  }
  EXPECT_TRUE(HoldInOrder(events, {"SM file: Hex/sm.hex, ", "BM file: Hex/bm.hex, "})) << ::testing::PrintToString(events);
  return crcs;
}
