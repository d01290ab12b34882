#pragma once

#include <string>

#if !defined(_WIN32)
// The user's home folder: $HOME when it is an absolute path, else the password
// database's; empty when neither is known.
std::string HomeFolder();
#endif
