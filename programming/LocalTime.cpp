#include "LocalTime.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

struct CalendarTimes {
  std::tm local{};
  std::tm utc{};
};

CalendarTimes Calendar(std::chrono::system_clock::time_point moment) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
  CalendarTimes times;
#ifdef _WIN32
  localtime_s(&times.local, &seconds);
  gmtime_s(&times.utc, &seconds);
#else
  localtime_r(&seconds, &times.local);
  gmtime_r(&seconds, &times.utc);
#endif
  return times;
}

// Minutes east of UTC, from the two calendar times: strftime's %z gives a
// zone's name instead on Windows.
int UtcOffsetMinutes(const CalendarTimes& times) {
  int days = times.local.tm_yday - times.utc.tm_yday;
  // Across the turn of a year the days of the year jump.
  if (times.local.tm_year != times.utc.tm_year) days = times.local.tm_year > times.utc.tm_year ? 1 : -1;
  return days * 24 * 60 + (times.local.tm_hour - times.utc.tm_hour) * 60 + (times.local.tm_min - times.utc.tm_min);
}

}  // namespace

std::string LocalTimeText(std::chrono::system_clock::time_point moment) {
  const CalendarTimes times = Calendar(moment);
  const int offset = UtcOffsetMinutes(times);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d %c%02d%02d", times.local.tm_year + 1900,
                times.local.tm_mon + 1, times.local.tm_mday, times.local.tm_hour, times.local.tm_min,
                times.local.tm_sec, offset < 0 ? '-' : '+', std::abs(offset) / 60, std::abs(offset) % 60);
  return text;
}

std::string LocalTimeFileNameText(std::chrono::system_clock::time_point moment) {
  const std::tm& local = Calendar(moment).local;
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}
