#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A serial port as sysfs tells of it.
struct SysfsSerialPort {
  // The tty's name, which is its node's in /dev: ttyUSB0.
  std::string name;
  // The product, manufacturer and serial number of the USB device behind
  // it ("FT232R USB UART, FTDI, A10K4ZQ"), each where it has one; empty for
  // any other port.
  std::string description;
};

// The ttys under root/sys/class/tty with hardware behind them, in natural
// order of name: not the virtual ones (no device), not the 8250 slots that
// have no UART (type 0), not the kernel's console. Only sysfs is read; no
// device is opened.
std::vector<SysfsSerialPort> ScanSysfsSerialPorts(const std::filesystem::path& root);
