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
#include "Utf8Text.h"

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
