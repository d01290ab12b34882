#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// How many records the folder keeps: the oldest go beyond it.
inline constexpr std::size_t kRunRecordsKept = 500;

// Where the records of the runs are kept: on Linux
// $XDG_STATE_HOME/tessaramond/runs (~/.local/state/tessaramond/runs without
// it), on Windows %LOCALAPPDATA%\Tessaramond\runs. Empty, with the reason in
// `problem`, when the environment names no such place.
std::filesystem::path RunRecordFolder(std::string& problem);

// A record's file name: its run's start and port, "2026-12-08_101530_ttyUSB0.log";
// from the second `copy` on "..._ttyUSB0-2.log", for runs that began in the
// same second.
std::string RunRecordFileName(std::chrono::system_clock::time_point start, const std::string& portName, int copy);

// The records in `folder`, oldest first: the files named as records are,
// nothing else that may lie there.
std::vector<std::filesystem::path> ListRunRecords(const std::filesystem::path& folder);

// Removes the oldest records of `folder` beyond the newest `keep`.
void RemoveOldestRunRecords(const std::filesystem::path& folder, std::size_t keep = kRunRecordsKept);
