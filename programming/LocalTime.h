#pragma once

#include <chrono>
#include <string>

// A moment in the machine's local time with its offset from UTC,
// "2026-12-08 10:15:30 +0100": what a technician's clock said, and enough to
// put records from ovens in several time zones in order.
std::string LocalTimeText(std::chrono::system_clock::time_point moment);

// The same moment as it begins a record's file name: "2026-12-08_101530".
std::string LocalTimeFileNameText(std::chrono::system_clock::time_point moment);
