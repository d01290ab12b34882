#pragma once

#include <filesystem>

// The folder of this program's executable; empty when it cannot be told.
std::filesystem::path ExecutableDirectory();
