#pragma once

#include <string>
#include <vector>

// tessaramond-cli image FILE --sm|--bm [-o OUT]; `args` follow "image".
int RunImageCommand(const std::vector<std::string>& args);
