#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

// Writes `bytes` as the file `path` through a temporary file beside it and a
// rename, so that a reader sees either no file or the whole new one. On
// failure leaves nothing behind and says why in `problem`.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string& problem);
