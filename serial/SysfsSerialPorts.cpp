#include "SysfsSerialPorts.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "PortProbe.h"

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute without its line end; empty when the
// attribute is missing.
std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  return line;
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// The ttys the kernel writes its messages to: "ttyS0", or several.
std::vector<std::string> ConsoleTtys(const fs::path& classTty) {
  std::istringstream names(ReadAttribute(classTty / "console" / "active"));
  std::vector<std::string> ttys;
  for (std::string name; names >> name;) ttys.push_back(name);
  return ttys;
}

// What sysfs under root tells of tty `name`; see SysfsSerialPort::description.
std::string DescribeTty(const fs::path& root, const std::string& name) {
  std::error_code error;
  fs::path device = fs::canonical(root / "sys" / "class" / "tty" / name / "device", error);
  if (error) return {};
  // The USB device (the one with a vendor id) is the tty's device itself or
  // a level or two up: a USB-serial converter's port sits below the USB
  // interface, a modem's (ACM) tty on the interface.
  for (int level = 0; level <= 2; ++level) {
    if (Exists(device / "idVendor")) {
      std::string description;
      for (const char* attribute : {"product", "manufacturer", "serial"}) {
        const std::string value = ReadAttribute(device / attribute);
        if (value.empty()) continue;
        if (!description.empty()) description += ", ";
        description += value;
      }
      return description;
    }
    device = device.parent_path();
  }
  return {};
}

}  // namespace

std::vector<SysfsSerialPort> ScanSysfsSerialPorts(const fs::path& root) {
  const fs::path classTty = root / "sys" / "class" / "tty";
  const std::vector<std::string> consoles = ConsoleTtys(classTty);
  std::vector<SysfsSerialPort> ports;
  std::error_code error;
  for (fs::directory_iterator entry(classTty, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    // The virtual terminals, ptmx and the console itself have no device.
    if (!Exists(entry->path() / "device")) continue;
    // The serial core's "unknown": a slot the 8250 driver made without a UART.
    if (ReadAttribute(entry->path() / "type") == "0") continue;
    // Anything sent there would disturb the kernel's messages, and theirs us.
    if (std::find(consoles.begin(), consoles.end(), name) != consoles.end()) continue;
    ports.push_back({name, DescribeTty(root, name)});
  }
  std::sort(ports.begin(), ports.end(),
            [](const SysfsSerialPort& a, const SysfsSerialPort& b) { return NaturalLess(a.name, b.name); });
  return ports;
}
