#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <vector>

// Intel HEX text and scratch folders for tests and benchmarks.

// One record line with its checksum, without a line end.
inline std::string HexRecord(std::uint8_t type, std::uint16_t offset,
                             const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(data.size()),
                                  static_cast<std::uint8_t>(offset >> 8),
                                  static_cast<std::uint8_t>(offset & 0xFF), type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  bytes.push_back(static_cast<std::uint8_t>(-sum & 0xFF));
  std::string line = ":";
  for (std::uint8_t b : bytes) line += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 0xF]};
  return line;
}

// A whole image in records of `recordLength` bytes, a type 02 record before
// each 64 KiB, an end-of-file record, then `identification` ("/SM" ...).
inline std::string ImageHexText(std::span<const std::uint8_t> image, const std::string& identification,
                                std::size_t recordLength = 16) {
  std::string text;
  for (std::size_t address = 0; address < image.size(); address += recordLength) {
    if (address % 0x10000 == 0) {
      text += HexRecord(0x02, 0, {static_cast<std::uint8_t>(address >> 12), 0x00}) + "\n";
    }
    const std::size_t length = std::min(recordLength, image.size() - address);
    const auto data = image.subspan(address, length);
    text += HexRecord(0x00, static_cast<std::uint16_t>(address & 0xFFFF),
                      std::vector<std::uint8_t>(data.begin(), data.end())) + "\n";
  }
  return text + ":00000001FF\n" + identification + "\n";
}

inline void WriteTextFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A whole file's bytes; empty when it cannot be read.
inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A fresh folder under the system's temporary folder, removed with the object.
class TemporaryFolder {
 public:
  // A random name that nobody holds yet; create_directory fails on a taken one.
  TemporaryFolder() {
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100 && path_.empty() && !error; ++attempt) {
      const auto candidate = base / ("tessaramond-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate;
    }
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Makes `folder` the working directory for the object's life: the program
// reads Hex/ and Flash/ relative to it.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~WorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};
