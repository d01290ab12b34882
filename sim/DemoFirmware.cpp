// ovensim-demo-firmware: writes a made-up firmware release for the demo and
// for trying the program against ovensim: a control-module and an
// operating-module file in DIR/Hex and the language files in DIR/Flash.
// The contents are deterministic noise; only the layout is realistic: data in
// a few regions, blank (0xFF) elsewhere, so blank blocks show their speed.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Region {
  std::uint32_t start;
  std::uint32_t length;
};

// A small linear congruential generator: the same bytes on every machine.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed) {}
  std::uint8_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<std::uint8_t>(state_ >> 24);
  }

 private:
  std::uint32_t state_;
};

std::string Record(std::uint8_t type, std::uint16_t offset, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(data.size()),
                                  static_cast<std::uint8_t>(offset >> 8),
                                  static_cast<std::uint8_t>(offset & 0xFF), type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (const std::uint8_t byte : bytes) sum += byte;
  bytes.push_back(static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0xFF));
  std::string line = ":";
  char digits[3];
  for (const std::uint8_t byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    line += digits;
  }
  return line + "\r\n";
}

// Intel HEX in 16-byte records with a type 04 record before each 64 KiB,
// an end-of-file record, and the identification line the program sorts by.
bool WriteHexFile(const std::filesystem::path& path, const std::vector<Region>& regions,
                  std::uint32_t seed, const char* identification) {
  std::ofstream out(path, std::ios::binary);
  Noise noise(seed);
  std::uint32_t currentBase = 0xFFFFFFFF;
  for (const Region& region : regions) {
    for (std::uint32_t address = region.start; address < region.start + region.length; address += 16) {
      if ((address >> 16) != currentBase) {
        currentBase = address >> 16;
        out << Record(0x04, 0, {static_cast<std::uint8_t>(currentBase >> 8),
                                static_cast<std::uint8_t>(currentBase & 0xFF)});
      }
      std::vector<std::uint8_t> data(16);
      for (auto& byte : data) byte = noise.Next();
      out << Record(0x00, static_cast<std::uint16_t>(address & 0xFFFF), data);
    }
  }
  out << Record(0x01, 0, {}) << identification << "\r\n";
  return static_cast<bool>(out.flush());
}

bool WriteLanguageFile(const std::filesystem::path& path, std::size_t length, std::uint32_t seed) {
  std::ofstream out(path, std::ios::binary);
  Noise noise(seed);
  for (std::size_t i = 0; i < length; ++i) out.put(static_cast<char>(noise.Next()));
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  const bool full = argc == 3 && std::strcmp(argv[1], "--full") == 0;
  if ((argc != 2 && !full) || std::strcmp(argv[1], "--help") == 0) {
    std::fputs("Usage: ovensim-demo-firmware [--full] DIR\n"
               "Writes demo firmware for ovensim: DIR/Hex/SM_demo.hex, DIR/Hex/BM_demo.hex,\n"
               "DIR/Flash/flash_Std.bin and DIR/Flash/flash_StdBeta.bin.\n"
               "  --full  data in every block and 2560 language telegrams: the longest\n"
               "          run, for measuring\n",
               argc == 2 ? stdout : stderr);
    return argc == 2 ? 0 : 2;
  }
  const std::filesystem::path folder = argv[full ? 2 : 1];
  std::error_code error;
  std::filesystem::create_directories(folder / "Hex", error);
  if (!error) std::filesystem::create_directories(folder / "Flash", error);
  if (error) {
    std::fprintf(stderr, "ovensim-demo-firmware: %s: %s\n", folder.c_str(), error.message().c_str());
    return 1;
  }
  // Code at the bottom, a parameter table near the top of what the control
  // module takes; the operating module's code and fonts.
  const std::vector<Region> everything{{0x00000, 0x20000}};
  const std::vector<Region> controlModule =
      full ? everything : std::vector<Region>{{0x00000, 0x8000}, {0x1F000, 0x0C00}};
  const std::vector<Region> operatingModule =
      full ? everything : std::vector<Region>{{0x00000, 0x6000}, {0x18000, 0x2000}};
  const std::size_t telegrams = full ? 2560 : 200;
  const bool written = WriteHexFile(folder / "Hex" / "SM_demo.hex", controlModule, 1, "/SM") &&
                       WriteHexFile(folder / "Hex" / "BM_demo.hex", operatingModule, 2, "/BM") &&
                       WriteLanguageFile(folder / "Flash" / "flash_Std.bin", telegrams * 66, 3) &&
                       WriteLanguageFile(folder / "Flash" / "flash_StdBeta.bin", telegrams * 66, 4);
  if (!written) {
    std::fprintf(stderr, "ovensim-demo-firmware: cannot write into %s: %s\n", folder.c_str(),
                 std::strerror(errno));
    return 1;
  }
  std::printf("Demo firmware written to %s\n", folder.c_str());
  return 0;
}
