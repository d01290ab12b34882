#include "PosixSystemCalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#if defined(__linux__)
#include <linux/serial.h>
#endif

PosixSystemCalls& PosixSystemCalls::Instance() {
  static PosixSystemCalls calls;
  return calls;
}

int PosixSystemCalls::Open(const char* path, int flags) { return ::open(path, flags); }

int PosixSystemCalls::Close(int fd) { return ::close(fd); }

int PosixSystemCalls::Flock(int fd, int operation) { return ::flock(fd, operation); }

int PosixSystemCalls::GetStatusFlags(int fd) { return ::fcntl(fd, F_GETFL); }

int PosixSystemCalls::SetStatusFlags(int fd, int flags) { return ::fcntl(fd, F_SETFL, flags); }

int PosixSystemCalls::SetExclusive(int fd) { return ::ioctl(fd, TIOCEXCL); }

int PosixSystemCalls::ClearExclusive(int fd) { return ::ioctl(fd, TIOCNXCL); }

int PosixSystemCalls::SetModemLines(int fd, int lines) { return ::ioctl(fd, TIOCMBIS, &lines); }

int PosixSystemCalls::ClearModemLines(int fd, int lines) { return ::ioctl(fd, TIOCMBIC, &lines); }

int PosixSystemCalls::GetLowLatency(int fd, bool& on) {
#if defined(__linux__)
  serial_struct info{};
  if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return -1;
  on = (info.flags & ASYNC_LOW_LATENCY) != 0;
  return 0;
#else
  static_cast<void>(fd);
  static_cast<void>(on);
  errno = ENOTSUP;
  return -1;
#endif
}

int PosixSystemCalls::SetLowLatency(int fd, bool on) {
#if defined(__linux__)
  // The other serial settings go back as they were read.
  serial_struct info{};
  if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return -1;
  constexpr int kLowLatency = static_cast<int>(ASYNC_LOW_LATENCY);
  info.flags = on ? (info.flags | kLowLatency) : (info.flags & ~kLowLatency);
  return ::ioctl(fd, TIOCSSERIAL, &info);
#else
  static_cast<void>(fd);
  static_cast<void>(on);
  errno = ENOTSUP;
  return -1;
#endif
}

int PosixSystemCalls::GetAttributes(int fd, termios& settings) {
  return ::tcgetattr(fd, &settings);
}

int PosixSystemCalls::SetAttributes(int fd, int when, const termios& settings) {
  return ::tcsetattr(fd, when, &settings);
}

int PosixSystemCalls::Flush(int fd, int queue) { return ::tcflush(fd, queue); }

int PosixSystemCalls::Drain(int fd) { return ::tcdrain(fd); }

ssize_t PosixSystemCalls::Write(int fd, const void* data, size_t length) {
  return ::write(fd, data, length);
}

ssize_t PosixSystemCalls::Read(int fd, void* destination, size_t length) {
  return ::read(fd, destination, length);
}

int PosixSystemCalls::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
  return ::poll(fds, count, timeoutMs);
}
