#pragma once

#include <cstddef>
#include <cstdint>

// Finds the update request telegram 02 01 AC 00 AD 00 anywhere in a byte
// stream, fed one byte at a time.
class UpdateRequestDetector {
 public:
  // True when `byte` completes a telegram.
  bool Feed(std::uint8_t byte);

 private:
  std::size_t matched_ = 0;
};
