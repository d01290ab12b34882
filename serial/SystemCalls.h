#pragma once

#include <poll.h>
#include <sys/types.h>
#include <termios.h>

// The operating-system calls the POSIX port makes, one method per call, so a
// test can record their order and make any of them fail. Each returns what the
// call returns and leaves the reason in errno, exactly like the call itself.
class SystemCalls {
 public:
  virtual ~SystemCalls();

  virtual int Open(const char* path, int flags) = 0;
  virtual int Close(int fd) = 0;
  virtual int Flock(int fd, int operation) = 0;
  virtual int GetStatusFlags(int fd) = 0;             // fcntl F_GETFL
  virtual int SetStatusFlags(int fd, int flags) = 0;  // fcntl F_SETFL
  virtual int SetExclusive(int fd) = 0;               // ioctl TIOCEXCL
  virtual int ClearExclusive(int fd) = 0;             // ioctl TIOCNXCL
  virtual int SetModemLines(int fd, int lines) = 0;   // ioctl TIOCMBIS
  virtual int ClearModemLines(int fd, int lines) = 0; // ioctl TIOCMBIC
  // The driver's low-latency flag (ASYNC_LOW_LATENCY of TIOCGSERIAL and
  // TIOCSSERIAL): when on, it hands each received byte on at once rather than
  // batching. Drivers without serial settings (a pty) refuse both.
  virtual int GetLowLatency(int fd, bool& on) = 0;
  virtual int SetLowLatency(int fd, bool on) = 0;
  virtual int GetAttributes(int fd, termios& settings) = 0;
  virtual int SetAttributes(int fd, int when, const termios& settings) = 0;
  virtual int Flush(int fd, int queue) = 0;
  virtual int Drain(int fd) = 0;
  virtual ssize_t Write(int fd, const void* data, size_t length) = 0;
  virtual ssize_t Read(int fd, void* destination, size_t length) = 0;
  virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;
};
