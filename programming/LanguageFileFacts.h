#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// A language file as the language upload would send it.
struct LanguageFileFacts {
  bool found = false;
  // Why it cannot be read; empty when it can (or is not there).
  std::string problem;
  std::uint64_t bytes = 0;
  std::uint32_t telegrams = 0;
  // The CRC-32 of the telegrams' data as sent: a short last telegram is
  // filled up with 0xFF.
  std::uint32_t crc = 0;
};

LanguageFileFacts ReadLanguageFileFacts(const std::filesystem::path& file);
