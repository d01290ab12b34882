#include "ServiceTelegram.h"

#include <algorithm>

std::vector<std::uint8_t> BuildServiceTelegram(std::uint8_t command,
                                               std::span<const std::uint8_t> data) {
  using namespace ServiceTelegram;
  const auto length = static_cast<std::uint8_t>(std::min(data.size(), kMaxDataSize));
  std::vector<std::uint8_t> telegram;
  telegram.reserve(kHeaderSize + length + kChecksumSize);
  telegram.assign({kStx, kAddress, command, length});
  for (std::size_t i = 0; i < length; ++i) telegram.push_back(data[i]);
  std::uint16_t sum = 0;
  // STX is not summed.
  for (auto byte = telegram.begin() + 1; byte != telegram.end(); ++byte) {
    sum = static_cast<std::uint16_t>(sum + *byte);
  }
  telegram.push_back(static_cast<std::uint8_t>(sum & 0xFF));
  telegram.push_back(static_cast<std::uint8_t>(sum >> 8));
  return telegram;
}
