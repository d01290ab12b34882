#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The update request telegram; the PC also closes a run with it.
inline constexpr std::array<std::uint8_t, 6> kUpdateRequest{0x02, 0x01, 0xAC, 0x00, 0xAD, 0x00};

// Finds the update request telegram anywhere in a byte stream, fed one byte
// at a time.
class UpdateRequestDetector {
 public:
  // True when `byte` completes a telegram.
  bool Feed(std::uint8_t byte);

 private:
  std::size_t matched_ = 0;
};
