// How long LoadHexFile takes for a full 128 KiB image in 16-byte records with
// type 02 records, read from the page cache. Prints the time per load.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

#include "FirmwareImages.h"
#include "HexFiles.h"
#include "IntelHexReader.h"

int main(int argc, char** argv) {
  const int loads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

  std::vector<std::uint8_t> data(HexImage::kSize);
  std::mt19937 random(7);
  for (auto& byte : data) byte = static_cast<std::uint8_t>(random());
  TemporaryFolder folder;
  const auto path = folder / "full.hex";
  WriteTextFile(path, ImageHexText(data, "/SM"));

  auto image = std::make_unique<HexImage>(ByteOrder::Natural);
  using Clock = std::chrono::steady_clock;
  std::chrono::nanoseconds total{0};
  std::chrono::nanoseconds best = std::chrono::nanoseconds::max();
  for (int i = 0; i < loads; ++i) {
    const auto start = Clock::now();
    const HexLoadResult result = LoadHexFile(path, *image, kControlModuleIdentifications);
    const auto elapsed = Clock::now() - start;
    if (result != HexLoadResult::Accepted) {
      std::fprintf(stderr, "hex_load_bench: the generated file was not accepted\n");
      return 1;
    }
    total += elapsed;
    best = std::min(best, std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed));
  }
  if (!std::equal(data.begin(), data.end(), image->Bytes().begin())) {
    std::fprintf(stderr, "hex_load_bench: the image differs from the data\n");
    return 1;
  }
  std::printf("LoadHexFile, %ju-byte file, 16-byte records: %.3f ms per load (mean of %d), %.3f ms best\n",
              static_cast<std::uintmax_t>(std::filesystem::file_size(path)),
              std::chrono::duration<double, std::milli>(total).count() / loads, loads,
              std::chrono::duration<double, std::milli>(best).count());
  return 0;
}
