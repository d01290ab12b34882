#pragma once

#include <string>

inline constexpr const char* kProgramName = "tessaramond-cli";

// Exit codes: accepted or succeeded / passed over or failed / wrong use /
// cancelled by the technician.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCancelled = 3;

void PrintHelp();
void PrintVersion();

// Reports a wrong use on standard error, GNU style, and gives kExitUsage.
int UsageError(const std::string& problem);

// Reports a failure on standard error as "tessaramond-cli: what" and gives
// kExitFailure.
int Failure(const std::string& what);
