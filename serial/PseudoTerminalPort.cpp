#include "PseudoTerminalPort.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

bool IsPseudoTerminalPort(const std::string& path) {
#if defined(_WIN32)
  static_cast<void>(path);
  return false;
#else
  // Linux gives the slaves of /dev/ptmx the majors 136 to 143.
  constexpr unsigned kFirstPtySlaveMajor = 136;
  constexpr unsigned kLastPtySlaveMajor = 143;
  struct stat node {};
  if (::stat(path.c_str(), &node) != 0 || !S_ISCHR(node.st_mode)) return false;
  const unsigned major = ::major(node.st_rdev);
  return major >= kFirstPtySlaveMajor && major <= kLastPtySlaveMajor;
#endif
}
