#pragma once

#include <array>
#include <string_view>

#include "HexImage.h"

// The two firmware images and their loaded flags. They live for the whole run
// of the program; the Update command fills them before the programming worker
// starts, and the worker only reads them.
extern HexImage smImage;
extern HexImage bmImage;
extern bool smFileLoaded;
extern bool bmFileLoaded;

// The identification lines each image accepts.
inline constexpr std::array<std::string_view, 2> kControlModuleIdentifications{"SM", "SD"};
inline constexpr std::array<std::string_view, 1> kOperatingModuleIdentifications{"BM"};
