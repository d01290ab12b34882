#pragma once

#include <string>
#include <vector>

struct FoundPort;

// tessaramond-cli ports: the serial ports, one a line, the path to give to
// --port and after a tab what the port is, where known; `args` follow "ports".
int RunPortsCommand(const std::vector<std::string>& args);

// The ports as one phrase for a message: "/dev/ttyUSB0 (FT232R USB UART,
// FTDI, A10K4ZQ), /dev/ttyACM0"; "none" when there are none.
std::string NamePorts(const std::vector<FoundPort>& ports);
