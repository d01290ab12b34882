#include "ExecutableDirectory.h"

#include <string>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

std::filesystem::path ExecutableDirectory() {
#if defined(_WIN32)
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
    name.resize(name.size() * 2);  // cut short: try a larger buffer
  }
#else
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
#endif
}
