#pragma once

#include <map>
#include <string>

// What Windows calls the COM ports present, as its Device Manager shows them
// ("USB Serial Port (COM5)"), by port name ("COM5"). Read from SetupAPI, so
// no port is opened. Ports without such a name (wine's) are left out.
std::map<std::string, std::string> ComPortFriendlyNames();
