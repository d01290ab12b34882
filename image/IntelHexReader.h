#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "HexImage.h"

// The outcome of reading one firmware file.
enum class HexLoadResult {
  Accepted,           // an accepted identification line was read
  OtherFile,          // no identification line, or one this reading does not accept
  InvalidCharacter,   // a record field is not two hex digits, or the line is too short
  ChecksumError,      // a record's bytes do not sum to 0 modulo 256
  AddressOutOfRange,  // a data record reaches 0x20000 or beyond
  OpenFailed,         // the file cannot be opened
  ReadFailed,         // the file opened, but reading it failed
};

// What a firmware engineer needs beside the outcome to find the cause.
struct HexLoadDetails {
  // The 1-based line that decided the outcome; 0 when the file ended first.
  std::size_t lineNumber = 0;
  // The identification (positions 1 and 2) of the identification line read.
  std::optional<std::string> identification;
  // The system's reason for OpenFailed and ReadFailed.
  std::error_code error;
};

// The value of byte k of a record line: the two characters at positions 2k+1
// and 2k+2 read as hex digits (either case). False when either is not a hex
// digit or lies beyond the end of the line.
bool DecodeHexByte(std::string_view line, std::size_t k, std::uint8_t& value);

// Reads the Intel HEX file at `path` into `image` (first filled with 0xFF)
// until its identification line, which must name one of `accepted`.
HexLoadResult LoadHexFile(const std::filesystem::path& path, HexImage& image,
                          std::span<const std::string_view> accepted,
                          HexLoadDetails* details = nullptr);

// The same for a file's bytes already in memory, read by the same parser: the
// outcome, details and image are those LoadHexFile gives for a file holding
// `text`. Never OpenFailed or ReadFailed.
HexLoadResult LoadHexText(std::string_view text, HexImage& image, std::span<const std::string_view> accepted,
                          HexLoadDetails* details = nullptr);
