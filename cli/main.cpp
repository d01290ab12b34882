// tessaramond-cli: the firmware checks, the serial ports and the update without
// the window.
#include <string>
#include <vector>

#include "CheckCommand.h"
#include "ImageCommand.h"
#include "PortsCommand.h"
#include "RecordsCommand.h"
#include "UpdateCommandLine.h"
#include "Usage.h"

int main(int argc, char** argv) {
  if (argc < 2) return UsageError("missing command");
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "--help") {
    PrintHelp();
    return kExitOk;
  }
  if (command == "--version") {
    PrintVersion();
    return kExitOk;
  }
  if (command == "image") return RunImageCommand(args);
  if (command == "check") return RunCheckCommand(args);
  if (command == "ports") return RunPortsCommand(args);
  if (command == "update") return RunUpdateCommandLine(args);
  if (command == "records") return RunRecordsCommand(args);
  return UsageError("unknown command '" + command + "'");
}
