#include "OperatingSystemName.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/utsname.h>
#endif

#ifdef _WIN32

std::string OperatingSystemName() {
  // GetVersionEx tells a program without a manifest that it runs on Windows
  // 8; ntdll tells the truth.
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  using WineVersion = const char*(CDECL*)();
  std::string name = "Windows";
  if (ntdll == nullptr) return name;
  if (auto getVersion = reinterpret_cast<GetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))) {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (getVersion(&version) == 0) {
      name += " " + std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) + "." +
              std::to_string(version.dwBuildNumber);
    }
  }
  if (auto wine = reinterpret_cast<WineVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))) {
    name += std::string(" (wine ") + wine() + ")";
  }
  return name;
}

#else

std::string OperatingSystemName() {
  utsname system{};
  if (::uname(&system) != 0) return "unknown";
  return std::string(system.sysname) + " " + system.release + " " + system.machine;
}

#endif
