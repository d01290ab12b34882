#pragma once

#include <string>
#include <vector>

// tessaramond-cli check [DIR]; `args` follow "check".
int RunCheckCommand(const std::vector<std::string>& args);
