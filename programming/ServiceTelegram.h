#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The frame of every request to the oven's service interface: STX, address,
// command, data length N, N data bytes, and a 16-bit sum of address, command,
// length and data, low byte first.
namespace ServiceTelegram {
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kAddress = 0x01;
inline constexpr std::size_t kHeaderSize = 4;    // STX, address, command, N
inline constexpr std::size_t kChecksumSize = 2;
inline constexpr std::size_t kMaxDataSize = 255;  // N is one byte

// Asks the oven to start its boot loaders.
inline constexpr std::uint8_t kUpdateRequestCommand = 0xAC;
}  // namespace ServiceTelegram

// The whole telegram; data beyond kMaxDataSize bytes is not sent.
std::vector<std::uint8_t> BuildServiceTelegram(std::uint8_t command,
                                               std::span<const std::uint8_t> data = {});
