// libFuzzer target for the Intel HEX reader. Each input is one firmware file's
// bytes, read from memory (LoadHexText, the parser LoadHexFile shares) into an
// image of each byte order, once with the control module's identifications
// and once with the operating module's. The outcomes must agree with each
// other and with the input's lines, and no load may write outside its image.
// Every 32nd input also goes through a file, behind a long first line that
// moves it across the line reader's buffer refills, and must read the same.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "FirmwareImages.h"
#include "IntelHexReader.h"
#include "TextLineReader.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

[[noreturn]] void Fail(const char* what, int line) {
  std::fprintf(stderr, "fuzz_intel_hex:%d: check failed: %s\n", line, what);
  std::abort();
}

#define CHECK(condition)                          \
  do {                                            \
    if (!(condition)) Fail(#condition, __LINE__); \
  } while (false)

// The reader's buffer size. Should it change, the shifted load still checks
// everything, only no longer right at a refill.
constexpr std::size_t kReaderBuffer = 64 * 1024;

constexpr std::string_view kEndRecord = ":00000001FF";

// One scratch file per process, rewritten for each input. It is unlinked at
// once and opened through /proc/self/fd, so nothing is left behind however the
// process ends (libFuzzer leaves with _Exit on a finding).
int scratchFd = -1;
std::string scratchPath;

void WriteAt(const void* bytes, std::size_t size, std::size_t offset) {
  const auto* p = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t n = ::pwrite(scratchFd, p, size, static_cast<off_t>(offset));
    if (n <= 0) Fail("writing the scratch file", __LINE__);
    p += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::size_t>(n);
  }
}

// The file is `prefixLength` bytes of one end-of-file record line (a record
// the reader skips) followed by the input.
void WriteScratch(std::span<const std::uint8_t> input, std::size_t prefixLength) {
  static const std::string filler = [] {
    std::string text(kEndRecord);
    text.resize(2 * kReaderBuffer, 'x');
    return text;
  }();
  if (prefixLength > 0) {
    WriteAt(filler.data(), prefixLength - 1, 0);
    WriteAt("\n", 1, prefixLength - 1);
  }
  WriteAt(input.data(), input.size(), prefixLength);
  // Cut after writing: ext4 flushes a file to disk when it is closed after a
  // truncation to zero, which would slow each load down to a disk write.
  const auto length = static_cast<off_t>(prefixLength + input.size());
  if (::ftruncate(scratchFd, length) != 0) Fail("truncating the scratch file", __LINE__);
}

constexpr std::uint8_t kGuard = 0xA5;

// An image between two guards: a store beside the image's bytes lands in a
// guard, which ASan alone would not see inside one object.
struct GuardedImage {
  explicit GuardedImage(ByteOrder order) : image(order) {
    before.fill(kGuard);
    after.fill(kGuard);
  }
  bool Intact(ByteOrder order) const {
    const auto isGuard = [](std::uint8_t b) { return b == kGuard; };
    return std::all_of(before.begin(), before.end(), isGuard) &&
           std::all_of(after.begin(), after.end(), isGuard) && image.Order() == order;
  }

  std::array<std::uint8_t, 256> before;
  HexImage image;
  std::array<std::uint8_t, 256> after;
};

GuardedImage naturalSm{ByteOrder::Natural};
GuardedImage swappedBm{ByteOrder::PairSwapped};
GuardedImage shiftedSm{ByteOrder::Natural};

struct Outcome {
  HexLoadResult result;
  HexLoadDetails details;
};

// Reads `text` from memory, or the scratch file when `text` is none.
Outcome Load(GuardedImage& guarded, std::span<const std::string_view> accepted,
             std::optional<std::string_view> text) {
  const ByteOrder order = guarded.image.Order();
  Outcome outcome;
  outcome.result = text ? LoadHexText(*text, guarded.image, accepted, &outcome.details)
                        : LoadHexFile(scratchPath, guarded.image, accepted, &outcome.details);
  CHECK(guarded.Intact(order));
  CHECK(outcome.result != HexLoadResult::OpenFailed && outcome.result != HexLoadResult::ReadFailed);
  return outcome;
}

// Line n (1-based) of the text, without its line end; none when the text has
// fewer lines. Only its first three characters count: how the reader cuts long
// lines is no concern of the loader.
std::optional<std::string_view> LineAt(std::string_view text, std::size_t n) {
  for (; n > 1; --n) {
    const std::size_t lf = text.find('\n');
    if (lf == std::string_view::npos) return std::nullopt;
    text.remove_prefix(lf + 1);
  }
  if (text.empty()) return std::nullopt;
  std::string_view line = text.substr(0, text.find('\n'));
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

bool IsRecordFault(HexLoadResult result) {
  return result == HexLoadResult::InvalidCharacter || result == HexLoadResult::ChecksumError ||
         result == HexLoadResult::AddressOutOfRange;
}

// The outcome names the line that decided it, and that line has the right kind.
void CheckAgainstInput(std::string_view text, const Outcome& outcome,
                       std::span<const std::string_view> accepted) {
  const HexLoadDetails& details = outcome.details;
  if (details.lineNumber == 0) {
    CHECK(outcome.result == HexLoadResult::OtherFile && !details.identification);
    return;
  }
  const std::optional<std::string_view> line = LineAt(text, details.lineNumber);
  CHECK(line);
  if (IsRecordFault(outcome.result)) {
    CHECK(line->starts_with(':') && !details.identification);
    return;
  }
  if (line->starts_with('/')) {
    CHECK(details.identification == line->substr(1, 2));
    const bool isAccepted =
        std::find(accepted.begin(), accepted.end(), *details.identification) != accepted.end();
    CHECK(outcome.result == (isAccepted ? HexLoadResult::Accepted : HexLoadResult::OtherFile));
  } else {
    CHECK(outcome.result == HexLoadResult::OtherFile && !details.identification);
    CHECK(!line->starts_with(':'));
  }
}

// a[x] == b[x ^ 1] for every x of two images. Two whole images per input:
// with the sanitizers' checks this loop took half the fuzzer's time, and it reads
// nothing but the two images. Plain pointers: the sanitized span would not be
// inlined here.
__attribute__((no_sanitize("address", "undefined"))) bool SameBytesSwappedInPairs(const std::uint8_t* a, const std::uint8_t* b) {
  std::uint64_t difference = 0;
  for (std::size_t x = 0; x < HexImage::kSize; x += 8) {
    std::uint64_t wordA = 0;
    std::uint64_t wordB = 0;
    std::memcpy(&wordA, a + x, 8);
    std::memcpy(&wordB, b + x, 8);
    difference |= wordA ^ ((wordB & 0x00FF00FF00FF00FFu) << 8 | (wordB >> 8 & 0x00FF00FF00FF00FFu));
  }
  return difference == 0;
}

// Another load of the same records: same lines, same bytes in the image (at
// x XOR 1 when the byte order differs).
void CheckSameRecords(const Outcome& reference, const HexImage& referenceImage, const Outcome& other,
                      const HexImage& otherImage, std::size_t lineShift) {
  CHECK(other.details.identification == reference.details.identification);
  const std::size_t expectedLine =
      reference.details.lineNumber == 0 ? 0 : reference.details.lineNumber + lineShift;
  CHECK(other.details.lineNumber == expectedLine);
  const auto a = referenceImage.Bytes();
  const auto b = otherImage.Bytes();
  if (referenceImage.Order() == otherImage.Order()) {
    CHECK(std::memcmp(a.data(), b.data(), a.size()) == 0);
  } else {
    CHECK(SameBytesSwappedInPairs(a.data(), b.data()));
  }
}

// Control module and operating module accept different identifications; a
// file can be Accepted by at most one, and otherwise the outcome is the same.
void CheckOtherModule(const Outcome& sm, const Outcome& bm) {
  if (sm.result == HexLoadResult::Accepted) {
    CHECK(bm.result == HexLoadResult::OtherFile);
  } else if (bm.result == HexLoadResult::Accepted) {
    CHECK(sm.result == HexLoadResult::OtherFile);
  } else {
    CHECK(bm.result == sm.result);
  }
}

// Records whose checksum a mutation broke end the reading at once. Mending
// them lets the fuzzer reach the address handling behind the checksum.
void MendChecksums(std::uint8_t* data, std::size_t size) {
  std::size_t begin = 0;
  while (begin < size) {
    const auto* start = reinterpret_cast<const char*>(data + begin);
    const void* lf = std::memchr(start, '\n', size - begin);
    const std::size_t end =
        lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) + begin : size;
    const std::string_view line(start, end - begin);
    std::uint8_t count = 0;
    if (line.starts_with(':') && DecodeHexByte(line, 0, count)) {
      const std::size_t checksum = 4 + std::size_t{count};
      unsigned sum = 0;
      bool digits = 2 * checksum + 3 <= line.size();
      for (std::size_t k = 0; digits && k < checksum; ++k) {
        std::uint8_t value = 0;
        digits = DecodeHexByte(line, k, value);
        sum += value;
      }
      if (digits) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        const unsigned value = (0x100 - (sum & 0xFF)) & 0xFF;
        data[begin + 2 * checksum + 1] = static_cast<std::uint8_t>(kHex[value >> 4]);
        data[begin + 2 * checksum + 2] = static_cast<std::uint8_t>(kHex[value & 0xF]);
      }
    }
    begin = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* folder = std::getenv("TMPDIR");
  std::string pattern =
      std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/tessaramond-fuzz-XXXXXX";
  scratchFd = ::mkstemp(pattern.data());
  if (scratchFd < 0) Fail("creating the scratch file", __LINE__);
  ::unlink(pattern.c_str());
  scratchPath = "/proc/self/fd/" + std::to_string(scratchFd);
  return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
  size = LLVMFuzzerMutate(data, size, maxSize);
  // Only every other input, so that broken checksums stay explored too.
  if (seed % 2 == 0) MendChecksums(data, size);
  return size;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::span<const std::string_view> sm = kControlModuleIdentifications;
  const std::span<const std::string_view> bm = kOperatingModuleIdentifications;

  const Outcome reference = Load(naturalSm, sm, text);
  CheckAgainstInput(text, reference, sm);

  const Outcome other = Load(swappedBm, bm, text);
  CheckAgainstInput(text, other, bm);
  CheckOtherModule(reference, other);
  CheckSameRecords(reference, naturalSm.image, other, swappedBm.image, 0);

  // A file costs a write and a read of twice the reader's buffer: only for
  // some inputs, chosen by their bytes so that a finding reproduces.
  if (std::hash<std::string_view>{}(text) % 32 != 0) return 0;
  // A first line longer than the reader's buffer is cut and its rest skipped
  // in a refill; the buffer then ends in the middle of the input, and the line
  // that straddles that end must read as before.
  const std::size_t middle = std::min(size / 2, kReaderBuffer - TextLineReader::kMaxLineKept - 1);
  const std::size_t prefixLength = 2 * kReaderBuffer - TextLineReader::kMaxLineKept - middle;
  WriteScratch(input, prefixLength);
  const Outcome shifted = Load(shiftedSm, sm, std::nullopt);
  CHECK(shifted.result == reference.result);
  CheckSameRecords(reference, naturalSm.image, shifted, shiftedSm.image, 1);
  return 0;
}
