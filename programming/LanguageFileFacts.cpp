#include "LanguageFileFacts.h"

#include <array>
#include <fstream>
#include <system_error>

#include "Crc32.h"
#include "LanguageUpload.h"

LanguageFileFacts ReadLanguageFileFacts(const std::filesystem::path& file) {
  LanguageFileFacts facts;
  std::error_code error;
  const auto status = std::filesystem::status(file, error);
  if (!std::filesystem::exists(status)) return facts;
  facts.found = true;
  std::ifstream in;
  if (std::filesystem::is_regular_file(status)) in.open(file, std::ios::binary);
  if (!in.is_open()) {
    facts.problem = std::filesystem::is_directory(status) ? "is a folder" : "cannot be opened";
    return facts;
  }
  for (;;) {
    std::array<std::uint8_t, LanguageUpload::kDataSize> data;
    data.fill(LanguageUpload::kFiller);
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    const auto got = static_cast<std::uint64_t>(in.gcount());
    if (in.bad()) {
      facts.problem = "cannot be read";
      return facts;
    }
    if (got == 0) break;
    facts.bytes += got;
    ++facts.telegrams;
    facts.crc = Crc32(data, facts.crc);
    if (got < data.size()) break;
  }
  return facts;
}
