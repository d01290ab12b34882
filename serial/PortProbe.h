#pragma once

#include <string>
#include <vector>

// Which serial ports the technician can choose from.
struct PortProbeResult {
  // Ports that opened exclusively and whose line settings could be read, in
  // natural order (ttyS2 before ttyS10; COM3 before COM12).
  std::vector<std::string> usablePorts;
  // Devices that exist but were refused for lack of permission.
  std::vector<std::string> deniedPorts;
};

// The environment variable that replaces the device scan: device paths
// separated by ':'. Tests and the oven simulator name their ptys here, so that
// nothing ever opens a real port by accident.
inline constexpr const char* kPortListVariable = "TESSARAMOND_PORTS";

// Candidate device names: the list from TESSARAMOND_PORTS when it is set
// (in its order), else the platform's serial device nodes in natural order.
std::vector<std::string> CandidatePorts();

// Opens each candidate exclusively, reads its line settings and closes it
// again at once; keeps those that pass.
PortProbeResult ProbePorts();

// Natural ordering of device names: digit runs compare by value.
bool NaturalLess(const std::string& a, const std::string& b);
