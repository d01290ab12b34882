#include "SimulatorLog.h"

#include <cstdarg>
#include <cstdio>

void SimulatorLog::Note(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::fputs("ovensim: ", stderr);
  std::vfprintf(stderr, format, arguments);
  std::fputc('\n', stderr);
  va_end(arguments);
}

void SimulatorLog::ProtocolError(const char* format, ...) {
  ++protocolErrors_;
  std::va_list arguments;
  va_start(arguments, format);
  std::fputs("ovensim: protocol error: ", stderr);
  std::vfprintf(stderr, format, arguments);
  std::fputc('\n', stderr);
  va_end(arguments);
}
