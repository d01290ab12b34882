// libFuzzer target for the catalogue reader. Each input is one .qm file; every
// id a lookup can ask for is looked up in it. A read beyond the input ends the
// run under the address sanitizer; a text must always come out as UTF-8.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "QmCatalogue.h"

namespace {

bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto catalogue = QmCatalogue::FromBytes(std::vector<std::uint8_t>(data, data + size));
  if (!catalogue) return 0;
  // The program's message numbers and a few around them.
  for (unsigned number = 95; number <= 170; ++number) {
    if (!IsUtf8(catalogue->Translation(std::to_string(number)))) {
      std::fprintf(stderr, "message %u: the text is not UTF-8\n", number);
      std::abort();
    }
  }
  return 0;
}
