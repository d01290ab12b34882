#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// How an image lays out the firmware's bytes. The operating module's boot
// loader takes 16-bit words high byte first, so its image holds each pair of
// bytes swapped.
enum class ByteOrder { Natural, PairSwapped };

// The memory image of one firmware file: 128 KiB, indexed by firmware address
// (after the byte order is applied), sent to the oven as 512 blocks of 256.
class HexImage {
 public:
  static constexpr std::size_t kSize = 0x20000;
  static constexpr std::size_t kBlockSize = 256;
  static constexpr std::size_t kBlockCount = kSize / kBlockSize;

  // Holds zeros until the first file is read into it.
  explicit constexpr HexImage(ByteOrder order) : order_(order) {}

  ByteOrder Order() const { return order_; }

  std::span<const std::uint8_t, kSize> Bytes() const { return bytes_; }
  std::span<const std::uint8_t, kBlockSize> Block(std::size_t n) const {
    return std::span<const std::uint8_t, kBlockSize>(bytes_.data() + n * kBlockSize, kBlockSize);
  }

  void Fill(std::uint8_t value) { bytes_.fill(value); }

  // Stores the data byte of firmware address `address` (below kSize) where the
  // byte order puts it: pair-swapped, address x lands at x XOR 1.
  void Store(std::uint32_t address, std::uint8_t value) {
    bytes_[order_ == ByteOrder::PairSwapped ? address ^ 1u : address] = value;
  }

 private:
  std::array<std::uint8_t, kSize> bytes_{};
  ByteOrder order_;
};
