#include "Crc32.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t previous) {
  // zlib takes at most a uInt at a time.
  uLong crc = previous;
  while (!bytes.empty()) {
    const std::size_t chunk = std::min<std::size_t>(bytes.size(), 1u << 30);
    crc = crc32(crc, bytes.data(), static_cast<uInt>(chunk));
    bytes = bytes.subspan(chunk);
  }
  return static_cast<std::uint32_t>(crc);
}

std::string Crc32Text(std::uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(crc));
  return text;
}
