#pragma once

#include <cstdint>
#include <span>
#include <string>

// The CRC-32 of zip and PNG (zlib's), by which a release's images and
// language files are told apart in `check`, in a run's record and in the
// service office's notes. `previous` continues a CRC over more bytes.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t previous = 0);

// Eight lower-case hex digits, as every place that shows one writes it.
std::string Crc32Text(std::uint32_t crc);
