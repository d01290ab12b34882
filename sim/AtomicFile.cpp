#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "SimulatorLog.h"

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string& problem) {
  std::string temporary = path.string() + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    problem = std::strerror(errno);
    return false;
  }
  int writeError = 0;
  for (std::size_t written = 0; written < bytes.size() && writeError == 0;) {
    const ssize_t result = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (result > 0) {
      written += static_cast<std::size_t>(result);
    } else if (result == 0 || errno != EINTR) {
      writeError = result == 0 ? EIO : errno;
    }
  }
  // mkostemp makes the file 0600; an image is no secret.
  ::fchmod(fd, 0644);
  const bool closed = ::close(fd) == 0;
  if (writeError != 0 || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    problem = std::strerror(writeError != 0 ? writeError : errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

void SaveReceived(SimulatorLog& log, const std::string& folder, const char* name,
                  std::span<const std::uint8_t> bytes, const char* what) {
  if (folder.empty()) return;
  const auto path = std::filesystem::path(folder) / name;
  std::string problem;
  if (WriteFileAtomically(path, bytes, problem)) {
    log.Note("%s saved to %s", what, path.c_str());
  } else {
    log.Note("cannot save %s: %s", path.c_str(), problem.c_str());
  }
}
