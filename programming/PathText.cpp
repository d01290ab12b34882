#include "PathText.h"

namespace {

std::string FromU8(const std::u8string& text) { return std::string(text.begin(), text.end()); }

}  // namespace

std::string PathText(const std::filesystem::path& path) { return FromU8(path.u8string()); }

std::string GenericPathText(const std::filesystem::path& path) { return FromU8(path.generic_u8string()); }
