#pragma once

#include <string>
#include <vector>

// tessaramond-cli update [--port DEVICE] [--language english|deutsch|francais]:
// the Update command and the programming run of the window, on the terminal.
int RunUpdateCommandLine(const std::vector<std::string>& args);
