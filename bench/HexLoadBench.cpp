// How long LoadHexFile takes for a full 128 KiB image in 16-byte records with
// type 02 records and CRLF line ends (a 368,692-byte file), read from the page
// cache (the median of the loads: one preempted load says nothing about the
// reader), and how many heap allocations a load makes: per load, and per record
// from the difference to a file of a sixteenth of the records.
// Usage: hex_load_bench [LOADS]   (default 2000)
// The last line is for scripts: "figures: name=value ...".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "FirmwareImages.h"
#include "HeapAllocationCount.h"
#include "HexFiles.h"
#include "IntelHexReader.h"

namespace {

// Firmware files come from Windows tool chains, with CRLF line ends.
std::string WithCrLf(const std::string& text) {
  std::string converted;
  converted.reserve(text.size() + text.size() / 40);
  for (char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}

std::size_t RecordCount(const std::string& text) { return std::size_t(std::count(text.begin(), text.end(), ':')); }

// The calling thread's CPU time: unlike the wall time, it leaves out the
// waits for a core on a busy machine.
std::chrono::nanoseconds ThreadCpuTime() {
  timespec time{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
  return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

struct LoadFigures {
  std::vector<std::chrono::nanoseconds> times;     // wall time of each load, sorted
  std::vector<std::chrono::nanoseconds> cpuTimes;  // CPU time of each load, sorted
  HeapAllocationCount allocations;
  bool accepted = true;

  double MedianMs() const { return Ms(times[times.size() / 2]); }
  double MedianCpuMs() const { return Ms(cpuTimes[cpuTimes.size() / 2]); }
  double BestMs() const { return Ms(times.front()); }
  double MeanMs() const {
    std::chrono::nanoseconds total{0};
    for (const auto time : times) total += time;
    return Ms(total) / static_cast<double>(times.size());
  }
  static double Ms(std::chrono::nanoseconds time) { return std::chrono::duration<double, std::milli>(time).count(); }
};

LoadFigures Load(const std::filesystem::path& path, HexImage& image, int loads) {
  using Clock = std::chrono::steady_clock;
  LoadFigures figures;
  figures.times.reserve(static_cast<std::size_t>(loads));
  figures.cpuTimes.reserve(static_cast<std::size_t>(loads));
  const HeapAllocationCount before = HeapAllocationsSoFar();
  for (int i = 0; i < loads; ++i) {
    const auto cpuStart = ThreadCpuTime();
    const auto start = Clock::now();
    const HexLoadResult result = LoadHexFile(path, image, kControlModuleIdentifications);
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start);
    figures.cpuTimes.push_back(ThreadCpuTime() - cpuStart);
    figures.accepted = figures.accepted && result == HexLoadResult::Accepted;
    figures.times.push_back(elapsed);
  }
  figures.allocations = HeapAllocationsSoFar() - before;
  std::sort(figures.times.begin(), figures.times.end());
  std::sort(figures.cpuTimes.begin(), figures.cpuTimes.end());
  return figures;
}

double PerLoad(std::uint64_t count, int loads) { return static_cast<double>(count) / loads; }

}  // namespace

int main(int argc, char** argv) {
  const int loads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

  std::vector<std::uint8_t> data(HexImage::kSize);
  std::mt19937 random(7);
  for (auto& byte : data) byte = static_cast<std::uint8_t>(random());
  TemporaryFolder folder;
  const auto fullPath = folder / "full.hex";
  const auto smallPath = folder / "small.hex";
  const std::string fullText = WithCrLf(ImageHexText(data, "/SM"));
  const std::string smallText =
      WithCrLf(ImageHexText(std::span<const std::uint8_t>(data).first(HexImage::kSize / 16), "/SM"));
  WriteTextFile(fullPath, fullText);
  WriteTextFile(smallPath, smallText);

  auto image = std::make_unique<HexImage>(ByteOrder::Natural);
  const LoadFigures full = Load(fullPath, *image, loads);
  if (!full.accepted) {
    std::fprintf(stderr, "hex_load_bench: the generated file was not accepted\n");
    return 1;
  }
  if (!std::equal(data.begin(), data.end(), image->Bytes().begin())) {
    std::fprintf(stderr, "hex_load_bench: the image differs from the data\n");
    return 1;
  }
  const LoadFigures small = Load(smallPath, *image, loads);
  if (!small.accepted) {
    std::fprintf(stderr, "hex_load_bench: the generated small file was not accepted\n");
    return 1;
  }

  const double perLoad = PerLoad(full.allocations.Total(), loads);
  const double newPerLoad = PerLoad(full.allocations.operatorNewCalls, loads);
  const double smallPerLoad = PerLoad(small.allocations.Total(), loads);
  const std::size_t fullRecords = RecordCount(fullText);
  const std::size_t smallRecords = RecordCount(smallText);
  const double perRecord = (perLoad - smallPerLoad) / static_cast<double>(fullRecords - smallRecords);
  const char* counted = full.allocations.mallocCounted ? "malloc and operator new" : "operator new only";

  std::printf("LoadHexFile, %zu-byte file, %zu records: %.3f ms per load (median of %d; mean %.3f, best %.3f; "
              "CPU time %.3f)\n",
              fullText.size(), fullRecords, full.MedianMs(), loads, full.MeanMs(), full.BestMs(), full.MedianCpuMs());
  std::printf("heap allocations (%s): %.2f per load (%.2f by operator new), %.2f per load of %zu records, "
              "%.4f per record\n",
              counted, perLoad, newPerLoad, smallPerLoad, smallRecords, perRecord);
  std::printf("figures: median_ms=%.4f median_cpu_ms=%.4f mean_ms=%.4f best_ms=%.4f loads=%d file_bytes=%zu records=%zu "
              "allocations_per_load=%.2f operator_new_per_load=%.2f allocations_per_record=%.4f "
              "malloc_counted=%d\n",
              full.MedianMs(), full.MedianCpuMs(), full.MeanMs(), full.BestMs(), loads, fullText.size(), fullRecords, perLoad, newPerLoad, perRecord,
              full.allocations.mallocCounted ? 1 : 0);
  return 0;
}
