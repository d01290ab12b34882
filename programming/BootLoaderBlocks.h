#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "HexImage.h"

class SerialPort;

// How both boot loaders take an image: numbered 256-byte blocks, each that is
// not blank followed by its sum and confirmed by the module, then the end
// marker.
namespace BootLoader {
inline constexpr std::uint8_t kBlockAccepted = '!';
inline constexpr std::uint8_t kBlockRejected = '@';
inline constexpr std::uint8_t kBlankByte = 0xFF;
// Block number 0xFFFF ends the transfer; the boot loaders want it many times,
// each in a write of its own.
inline constexpr std::uint16_t kEndMarkerNumber = 0xFFFF;
inline constexpr int kEndMarkerWrites = 101;
}  // namespace BootLoader

// One block as it goes on the line.
struct ImageBlock {
  std::array<std::uint8_t, HexImage::kBlockSize> bytes{};
  std::uint8_t sum = 0;  // the bytes added modulo 256
  bool blank = true;     // every byte is 0xFF: only the number is sent
};

ImageBlock CopyImageBlock(const HexImage& image, std::size_t number);

enum class BlockTransferResult {
  Accepted,           // the module answered '!'
  SentBlank,          // only the number went out; no answer is due
  NumberNotWritten,
  DataNotWritten,     // the 256 bytes or the sum
  NoAnswer,
  Rejected,           // '@': wrong data or sum
  UnexpectedAnswer,
};

// Purges the port, sends block `number` of `image` (its number high byte
// first; for a block that is not blank then its bytes and sum) and reads the
// module's answer. `beforeData` runs after the number of a block that is not
// blank, before its bytes. `answer`, where given, gets the answer byte when
// one came.
BlockTransferResult SendImageBlock(SerialPort& port, const HexImage& image, std::uint16_t number,
                                   const std::function<void()>& beforeData = {},
                                   std::uint8_t* answer = nullptr);

// The message that reports a block that did not go through; 0 for an
// answer that is neither '!' nor '@', which ends the run without a line.
unsigned BlockFailureMessage(BlockTransferResult result);

// The end marker, kEndMarkerWrites times; false at the first write that fails.
bool SendEndMarkers(SerialPort& port);
