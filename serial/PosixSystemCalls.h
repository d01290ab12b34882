#pragma once

#include "SystemCalls.h"

// The real calls.
class PosixSystemCalls final : public SystemCalls {
 public:
  // One stateless instance serves every port.
  static PosixSystemCalls& Instance();

  int Open(const char* path, int flags) override;
  int Close(int fd) override;
  int Flock(int fd, int operation) override;
  int GetStatusFlags(int fd) override;
  int SetStatusFlags(int fd, int flags) override;
  int SetExclusive(int fd) override;
  int ClearExclusive(int fd) override;
  int SetModemLines(int fd, int lines) override;
  int ClearModemLines(int fd, int lines) override;
  int GetLowLatency(int fd, bool& on) override;
  int SetLowLatency(int fd, bool on) override;
  int GetAttributes(int fd, termios& settings) override;
  int SetAttributes(int fd, int when, const termios& settings) override;
  int Flush(int fd, int queue) override;
  int Drain(int fd) override;
  ssize_t Write(int fd, const void* data, size_t length) override;
  ssize_t Read(int fd, void* destination, size_t length) override;
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;
};
