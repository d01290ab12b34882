#include "PortProbe.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <string_view>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include "ComPortFriendlyNames.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include "SysfsSerialPorts.h"
#endif

namespace {

std::vector<std::string> SplitPortList(std::string_view list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) names.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

#ifdef _WIN32

enum class ProbeOutcome { Usable, Denied, Unusable };

ProbeOutcome ProbeOne(const std::string& name) {
  const std::string device = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
  // Read access, no sharing, only if it exists: a port another program holds fails here.
  HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_ACCESS_DENIED ? ProbeOutcome::Denied : ProbeOutcome::Unusable;
  }
  DCB settings{};
  settings.DCBlength = sizeof settings;
  const bool readable = GetCommState(handle, &settings) != FALSE;
  CloseHandle(handle);
  return readable ? ProbeOutcome::Usable : ProbeOutcome::Unusable;
}

std::vector<std::string> ScanDevices() {
  std::vector<std::string> names;
  for (int n = 1; n <= 99; ++n) names.push_back("COM" + std::to_string(n));
  return names;
}

// COM5, also when given as \\.\COM5.
std::string ShortName(const std::string& path) {
  return path.rfind("\\\\.\\", 0) == 0 ? path.substr(4) : path;
}

#else

enum class Access { Granted, Denied, Absent };

// Decided without opening the device: opening a tty raises DTR and RTS and
// closing it drops them, which resets many a board on the line.
Access CheckAccess(const std::string& path, const PortSearch& search) {
  struct stat node {};
  // Links are followed: the oven simulator names its pty through one.
  if (::stat(path.c_str(), &node) != 0 || !S_ISCHR(node.st_mode)) return Access::Absent;
  const int mode = R_OK | W_OK;
  const int refused = search.access ? search.access(path.c_str(), mode) : ::access(path.c_str(), mode);
  return refused == 0 ? Access::Granted : Access::Denied;
}

// ttyUSB0 for /dev/ttyUSB0; a path outside /dev as it is.
std::string ShortName(const std::string& path) {
  constexpr std::string_view kDev = "/dev/";
  return path.starts_with(kDev) && path.size() > kDev.size() ? path.substr(kDev.size()) : path;
}

#endif

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const bool digitA = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
    const bool digitB = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
    if (digitA && digitB) {
      std::size_t endA = i;
      std::size_t endB = j;
      while (endA < a.size() && std::isdigit(static_cast<unsigned char>(a[endA]))) ++endA;
      while (endB < b.size() && std::isdigit(static_cast<unsigned char>(b[endB]))) ++endB;
      // Compare by value without converting: strip leading zeros, then length, then digits.
      std::size_t startA = i;
      std::size_t startB = j;
      while (startA + 1 < endA && a[startA] == '0') ++startA;
      while (startB + 1 < endB && b[startB] == '0') ++startB;
      const std::string_view runA(a.data() + startA, endA - startA);
      const std::string_view runB(b.data() + startB, endB - startB);
      if (runA.size() != runB.size()) return runA.size() < runB.size();
      if (runA != runB) return runA < runB;
      i = endA;
      j = endB;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

std::vector<std::string> CandidatePorts() {
  if (const char* list = std::getenv(kPortListVariable)) return SplitPortList(list);
#ifdef _WIN32
  return ScanDevices();
#else
  std::vector<std::string> paths;
  for (const SysfsSerialPort& port : ScanSysfsSerialPorts("/")) paths.push_back("/dev/" + port.name);
  return paths;
#endif
}

#ifdef _WIN32

PortProbeResult ProbePorts() {
  PortProbeResult result;
  const std::map<std::string, std::string> friendlyNames = ComPortFriendlyNames();
  for (const std::string& name : CandidatePorts()) {
    const auto friendly = friendlyNames.find(ShortName(name));
    FoundPort port{ShortName(name), name, friendly != friendlyNames.end() ? friendly->second : std::string()};
    switch (ProbeOne(name)) {
      case ProbeOutcome::Usable: result.usablePorts.push_back(std::move(port)); break;
      case ProbeOutcome::Denied: result.deniedPorts.push_back(std::move(port)); break;
      case ProbeOutcome::Unusable: break;
    }
  }
  return result;
}

#else

PortProbeResult ProbePorts() { return ListPorts({}); }

PortProbeResult ListPorts(const PortSearch& search) {
  std::vector<FoundPort> candidates;
  if (const char* list = std::getenv(kPortListVariable)) {
    for (const std::string& path : SplitPortList(list)) {
      candidates.push_back({ShortName(path), path, ""});
    }
  } else {
    for (const SysfsSerialPort& port : ScanSysfsSerialPorts(search.root)) {
      candidates.push_back({port.name, (search.root / "dev" / port.name).string(), port.description});
    }
  }
  PortProbeResult result;
  for (FoundPort& port : candidates) {
    switch (CheckAccess(port.path, search)) {
      case Access::Granted: result.usablePorts.push_back(std::move(port)); break;
      case Access::Denied: result.deniedPorts.push_back(std::move(port)); break;
      case Access::Absent: break;
    }
  }
  return result;
}

#endif
