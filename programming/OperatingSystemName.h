#pragma once

#include <string>

// The operating system this program runs on, its version and the machine:
// "Linux 6.1.0-18-amd64 x86_64", "Windows 10.0.19045" (with wine's version
// when wine runs it).
std::string OperatingSystemName();
