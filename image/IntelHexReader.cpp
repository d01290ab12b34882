#include "IntelHexReader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

#include "TextLineReader.h"

namespace {

constexpr std::uint8_t kDataRecord = 0x00;
constexpr std::uint8_t kExtendedSegmentAddressRecord = 0x02;
constexpr std::uint8_t kExtendedLinearAddressRecord = 0x04;
constexpr std::uint8_t kPad = 0xFF;

constexpr std::array<std::int8_t, 256> kHexDigitValues = [] {
  std::array<std::int8_t, 256> values{};
  values.fill(-1);
  for (int c = '0'; c <= '9'; ++c) values[c] = static_cast<std::int8_t>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) values[c] = static_cast<std::int8_t>(c - 'A' + 10);
  for (int c = 'a'; c <= 'f'; ++c) values[c] = static_cast<std::int8_t>(c - 'a' + 10);
  return values;
}();

int HexDigitValue(std::string_view line, std::size_t position) {
  if (position >= line.size()) return -1;
  return kHexDigitValues[static_cast<unsigned char>(line[position])];
}

// The address base an extended address record sets. Its data bytes are taken
// in pairs from the first, a missing second byte counting as the pad value; the
// last pair gives the base.
std::uint64_t BaseFromPairs(std::span<const std::uint8_t> data, std::uint64_t unit) {
  const std::size_t j = (data.size() - 1) & ~std::size_t{1};
  const std::uint8_t second = j + 1 < data.size() ? data[j + 1] : kPad;
  return (std::uint64_t{data[j]} * 256 + second) * unit;
}

// Reads one record line; returns the outcome when it ends the file.
std::optional<HexLoadResult> ReadRecord(std::string_view line, HexImage& image, std::uint64_t& base) {
  std::uint8_t count = 0, offsetHigh = 0, offsetLow = 0, type = 0;
  if (!DecodeHexByte(line, 0, count) || !DecodeHexByte(line, 1, offsetHigh) ||
      !DecodeHexByte(line, 2, offsetLow) || !DecodeHexByte(line, 3, type)) {
    return HexLoadResult::InvalidCharacter;
  }
  // The data bytes and the checksum; a line that ends before them fails like
  // any character that is not a digit.
  const std::size_t end = 2 * (5 + std::size_t{count}) + 1;
  if (line.size() < end) return HexLoadResult::InvalidCharacter;
  std::array<std::uint8_t, 256> data;
  unsigned sum = count + offsetHigh + offsetLow + type;
  int invalid = 0;
  for (std::size_t j = 0, position = 9; position < end; ++j, position += 2) {
    const int high = kHexDigitValues[static_cast<unsigned char>(line[position])];
    const int low = kHexDigitValues[static_cast<unsigned char>(line[position + 1])];
    invalid |= high | low;
    data[j] = static_cast<std::uint8_t>(static_cast<unsigned>(high) << 4 | static_cast<unsigned>(low));
    sum += data[j];
  }
  if (invalid < 0) return HexLoadResult::InvalidCharacter;
  if ((sum & 0xFFu) != 0) return HexLoadResult::ChecksumError;
  if (count == 0) return std::nullopt;

  const std::span<const std::uint8_t> bytes(data.data(), count);
  switch (type) {
    case kDataRecord: {
      const std::uint64_t first = base + (unsigned{offsetHigh} << 8 | offsetLow);
      if (first + count > HexImage::kSize) return HexLoadResult::AddressOutOfRange;
      for (std::size_t j = 0; j < count; ++j) {
        image.Store(static_cast<std::uint32_t>(first + j), bytes[j]);
      }
      break;
    }
    case kExtendedSegmentAddressRecord:
      base = BaseFromPairs(bytes, 16);
      break;
    case kExtendedLinearAddressRecord:
      base = BaseFromPairs(bytes, 65536);
      break;
    default:
      break;
  }
  return std::nullopt;
}

// The parser both entries share: fills the image, then reads line by line.
// Inlined into each: as a function of its own the loop read a file a tenth
// slower (hex_load_bench).
[[gnu::always_inline]] inline HexLoadResult ReadLines(TextLineReader& reader, HexImage& image,
                                                      std::span<const std::string_view> accepted,
                                                      HexLoadDetails& details) {
  image.Fill(0xFF);
  std::uint64_t base = 0;
  std::string_view line;
  for (std::size_t lineNumber = 1;; ++lineNumber) {
    switch (reader.Next(line)) {
      case TextLineReader::Status::End:
        return HexLoadResult::OtherFile;
      case TextLineReader::Status::Error:
        details.lineNumber = lineNumber;
        details.error = std::error_code(reader.ErrorNumber(), std::generic_category());
        return HexLoadResult::ReadFailed;
      case TextLineReader::Status::Line:
        break;
    }
    if (!line.empty() && line[0] == ':') {
      if (const auto outcome = ReadRecord(line, image, base)) {
        details.lineNumber = lineNumber;
        return *outcome;
      }
      continue;
    }
    details.lineNumber = lineNumber;
    if (line.empty() || line[0] != '/') return HexLoadResult::OtherFile;
    const std::string_view identification = line.substr(1, 2);
    details.identification = std::string(identification);
    const bool isAccepted =
        std::find(accepted.begin(), accepted.end(), identification) != accepted.end();
    return isAccepted ? HexLoadResult::Accepted : HexLoadResult::OtherFile;
  }
}

std::FILE* OpenForReading(const std::filesystem::path& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

}  // namespace

bool DecodeHexByte(std::string_view line, std::size_t k, std::uint8_t& value) {
  const int high = HexDigitValue(line, 2 * k + 1);
  const int low = HexDigitValue(line, 2 * k + 2);
  if (high < 0 || low < 0) return false;
  value = static_cast<std::uint8_t>(static_cast<unsigned>(high) << 4 | static_cast<unsigned>(low));
  return true;
}

HexLoadResult LoadHexFile(const std::filesystem::path& path, HexImage& image,
                          std::span<const std::string_view> accepted, HexLoadDetails* details) {
  HexLoadDetails ignored;
  HexLoadDetails& out = details != nullptr ? *details : ignored;
  out = HexLoadDetails{};

  errno = 0;
  std::FILE* file = OpenForReading(path);
  if (file == nullptr) {
    out.error = std::error_code(errno != 0 ? errno : ENOENT, std::generic_category());
    return HexLoadResult::OpenFailed;
  }
  TextLineReader reader(file);
  const HexLoadResult result = ReadLines(reader, image, accepted, out);
  std::fclose(file);
  return result;
}

HexLoadResult LoadHexText(std::string_view text, HexImage& image, std::span<const std::string_view> accepted,
                          HexLoadDetails* details) {
  HexLoadDetails ignored;
  HexLoadDetails& out = details != nullptr ? *details : ignored;
  out = HexLoadDetails{};
  TextLineReader reader(text);
  return ReadLines(reader, image, accepted, out);
}
