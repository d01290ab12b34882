#include "PortsCommand.h"

#include <cstdio>

#include "PortProbe.h"
#include "Usage.h"

namespace {

void Note(const std::string& text) { std::fprintf(stderr, "%s: %s\n", kProgramName, text.c_str()); }

}  // namespace

int RunPortsCommand(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help") {
      PrintHelp();
      return kExitOk;
    }
    return UsageError("ports takes no argument '" + arg + "'");
  }
  const PortProbeResult ports = ProbePorts();
  // The full path: it is what --port takes, whatever the window shows.
  for (const FoundPort& port : ports.usablePorts) {
    if (port.description.empty()) {
      std::printf("%s\n", port.path.c_str());
    } else {
      std::printf("%s\t%s\n", port.path.c_str(), port.description.c_str());
    }
  }
  for (const FoundPort& port : ports.deniedPorts) {
#if defined(_WIN32)
    Note(port.path + ": access denied");
#else
    Note(port.path + ": this user may not open it: add the user to the group 'dialout' "
                     "(sudo adduser $USER dialout) and log in again");
#endif
  }
  if (ports.usablePorts.empty() && ports.deniedPorts.empty()) Note("no serial port found");
  return kExitOk;
}

std::string NamePorts(const std::vector<FoundPort>& ports) {
  if (ports.empty()) return "none";
  std::string names;
  for (const FoundPort& port : ports) {
    if (!names.empty()) names += ", ";
    names += port.path;
    if (!port.description.empty()) names += " (" + port.description + ")";
  }
  return names;
}
