#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

class SimulatorLog;

// Writes `bytes` as the file `path` through a temporary file beside it and a
// rename, so that a reader sees either no file or the whole new one. On
// failure leaves nothing behind and says why in `problem`.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string& problem);

// Keeps what the oven received as `folder`/`name` (nothing when `folder` is
// empty) and logs where, or why not; `what` begins the log line.
void SaveReceived(SimulatorLog& log, const std::string& folder, const char* name,
                  std::span<const std::uint8_t> bytes, const char* what);
