#pragma once

#include <string>
#include <vector>

// tessaramond-cli records [-n COUNT]: the newest records of update runs, one
// a line; `args` follow "records".
int RunRecordsCommand(const std::vector<std::string>& args);
