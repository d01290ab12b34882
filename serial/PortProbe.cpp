#include "PortProbe.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

enum class ProbeOutcome { Usable, Denied, Unusable };

#ifdef _WIN32

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

#else

ProbeOutcome ProbeOne(const std::string& path) {
  // O_NONBLOCK: a port whose carrier is down must not hold the probe up.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // EBUSY is a port held exclusively by another program: simply not listed.
    return errno == EACCES || errno == EPERM ? ProbeOutcome::Denied : ProbeOutcome::Unusable;
  }
  ProbeOutcome outcome = ProbeOutcome::Unusable;
  // The lock is what another instance of this program holds while it talks to
  // the oven; taking and dropping it here leaves the port as it was.
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    termios settings{};
    if (::tcgetattr(fd, &settings) == 0) outcome = ProbeOutcome::Usable;
    ::flock(fd, LOCK_UN);
  }
  ::close(fd);
  return outcome;
}

bool IsSerialDeviceName(std::string_view name) {
  static constexpr std::string_view kPrefixes[] = {"ttyS", "ttyUSB", "ttyACM", "ttyAMA",
                                                   "ttyXRUSB", "ttymxc", "rfcomm"};
  for (std::string_view prefix : kPrefixes) {
    if (name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
        std::isdigit(static_cast<unsigned char>(name[prefix.size()]))) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> ScanDevices() {
  std::vector<std::string> names;
  DIR* dir = ::opendir("/dev");
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    if (IsSerialDeviceName(entry->d_name)) names.push_back(std::string("/dev/") + entry->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

#endif

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
  return ScanDevices();
}

PortProbeResult ProbePorts() {
  PortProbeResult result;
  for (const std::string& name : CandidatePorts()) {
    switch (ProbeOne(name)) {
      case ProbeOutcome::Usable: result.usablePorts.push_back(name); break;
      case ProbeOutcome::Denied: result.deniedPorts.push_back(name); break;
      case ProbeOutcome::Unusable: break;
    }
  }
  return result;
}
