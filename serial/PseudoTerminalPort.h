#pragma once

#include <string>

// Whether the port at `path` is the slave of a pseudo-terminal (/dev/pts/N,
// also through links): a simulated line such as ovensim's, never an oven.
// Looks at the device node only, without opening it. Always false on
// Windows, which has no such ports.
bool IsPseudoTerminalPort(const std::string& path);
