#pragma once

#include <string>
#include <vector>

#if !defined(_WIN32)
#include <filesystem>
#include <functional>
#endif

// A serial port the technician can choose.
struct FoundPort {
  // How the port is named to the technician: ttyUSB0, ttyACM0, COM5; a path
  // from TESSARAMOND_PORTS outside /dev as it was given.
  std::string name{};
  // What SerialPort::Open is given: /dev/ttyUSB0, COM5.
  std::string path{};
  // What the port is, where the system says: on Linux the USB adapter's
  // product, manufacturer and serial number ("FT232R USB UART, FTDI,
  // A10K4ZQ"), on Windows the device's friendly name ("USB Serial Port
  // (COM5)"). Empty where nothing is known.
  std::string description{};

  friend bool operator==(const FoundPort&, const FoundPort&) = default;
};

// Which serial ports the technician can choose from.
struct PortProbeResult {
  // The ports this user may open, in natural order (ttyS2 before ttyS10;
  // COM3 before COM12) or in the order of TESSARAMOND_PORTS.
  std::vector<FoundPort> usablePorts;
  // Ports that exist but this user may not open.
  std::vector<FoundPort> deniedPorts;
};

// The environment variable that replaces the search for ports: device paths
// separated by ':'. Tests and the oven simulator name their ptys here, so that
// nothing ever opens a real port by accident.
inline constexpr const char* kPortListVariable = "TESSARAMOND_PORTS";

// Candidate port paths: the list from TESSARAMOND_PORTS when it is set (in
// its order), else the platform's serial ports in natural order.
std::vector<std::string> CandidatePorts();

// Finds the ports. On Linux nothing is opened: sysfs tells which ports there
// are and access(2) whether this user may open them (a port that another
// program holds is listed, and opening it later fails). On Windows each of
// COM1 to COM99 is opened exclusively and its line settings read, as that is
// how Windows tells a port; one that another program holds is left out.
PortProbeResult ProbePorts();

#if !defined(_WIN32)
// Where ProbePorts looks on Linux; the defaults are this machine's.
struct PortSearch {
  // The folder that holds sys/ and dev/. Tests give a tree of their own.
  std::filesystem::path root = "/";
  // access(2) when empty. Tests give their own, as root may open anything.
  std::function<int(const char* path, int mode)> access{};
};

// ProbePorts with the given search.
PortProbeResult ListPorts(const PortSearch& search);
#endif

// Natural ordering of device names: digit runs compare by value.
bool NaturalLess(const std::string& a, const std::string& b);
