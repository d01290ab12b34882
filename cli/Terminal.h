#pragma once

#include <cstdio>

// Whether the stream is a terminal rather than a file or a pipe.
bool IsTerminal(std::FILE* stream);
