#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "HexFiles.h"

// A firmware release in a working folder as a technician gets it: random
// data in Hex/sm.hex and Hex/bm.hex, and a language file whose length is no
// multiple of a telegram's 66 bytes. Also what the oven must receive of each.
struct FirmwareRelease {
  std::vector<std::uint8_t> smImage;
  std::vector<std::uint8_t> bmFirmware;  // in address order, as the file holds it
  std::string language;

  // `smDataBlocks` and `bmDataBlocks` blocks from address 0 carry data, with
  // a blank stretch in the control module's; 0 leaves that file out.
  FirmwareRelease(const std::filesystem::path& folder, std::size_t smDataBlocks, std::size_t bmDataBlocks,
                  std::size_t languageBytes = 66 * 3 + 20) {
    std::mt19937 random(17);
    const auto fill = [&random](std::vector<std::uint8_t>& image, std::size_t blocks) {
      image.assign(0x20000, 0xFF);
      for (std::size_t i = 0; i < blocks * 256; ++i) image[i] = static_cast<std::uint8_t>(random());
    };
    fill(smImage, smDataBlocks);
    if (smDataBlocks > 110) std::fill(smImage.begin() + 100 * 256, smImage.begin() + 110 * 256, 0xFF);
    fill(bmFirmware, bmDataBlocks);
    for (std::size_t i = 0; i < languageBytes; ++i) language += static_cast<char>(random());

    std::filesystem::create_directories(folder / "Hex");
    std::filesystem::create_directories(folder / "Flash");
    if (smDataBlocks > 0) WriteTextFile(folder / "Hex" / "sm.hex", ImageHexText(smImage, "/SM"));
    if (bmDataBlocks > 0) WriteTextFile(folder / "Hex" / "bm.hex", ImageHexText(bmFirmware, "/BM"));
    WriteTextFile(folder / "Flash" / "flash_Std.bin", language);
  }

  // The blocks a "DpcT4" control module takes.
  std::string ExpectedSm() const { return std::string(smImage.begin(), smImage.begin() + 508 * 256); }
  // The operating module takes the bytes of each pair exchanged.
  std::string ExpectedBm() const {
    std::string sent(bmFirmware.size(), '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(bmFirmware[i ^ 1]);
    return sent;
  }
  // Every byte of the language file, the last telegram filled up with 0xFF.
  std::string ExpectedLanguage() const {
    return language + std::string((66 - language.size() % 66) % 66, '\xFF');
  }
};
