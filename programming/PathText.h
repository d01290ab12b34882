#pragma once

#include <filesystem>
#include <string>

// A path as UTF-8 text for lines, records and boxes, whatever the system's
// code page holds.
std::string PathText(const std::filesystem::path& path);
// The same with '/' between its parts, on every system.
std::string GenericPathText(const std::filesystem::path& path);
