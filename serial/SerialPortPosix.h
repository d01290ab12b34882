#pragma once

#include <termios.h>

#include "SerialPortBackend.h"

class SystemCalls;

// A tty through termios. Exclusive against everyone, root included, holds the
// settings it found and puts them back on release, once what was written has
// left.
class SerialPortPosix final : public SerialPortBackend {
 public:
  SerialPortPosix();  // real system calls
  explicit SerialPortPosix(SystemCalls& calls);
  ~SerialPortPosix() override;

  SerialPortPosix(const SerialPortPosix&) = delete;
  SerialPortPosix& operator=(const SerialPortPosix&) = delete;

  bool Open(const std::string& portName, std::uint32_t baudRate, int& osError) override;
  bool Close() override;
  bool IsOpen() const override;
  bool ReadOne(std::uint8_t& destination) override;
  bool IsLineDown() const override { return lineDown_; }
  bool WriteAll(const std::uint8_t* data, std::size_t length) override;
  bool WaitTransmitEmpty(std::size_t bytes) override;
  bool PurgeTx() override;
  bool PurgeRx() override;
  bool SetEventMask(std::uint32_t mask) override;
  bool SetTimeouts(const Timeouts& timeouts) override;
  bool SetRts() override;
  bool ClearRts() override;
  bool SetDtr() override;

 private:
  // Takes the freshly opened fd_ over; 0 or the errno of the failing step.
  int Claim(speed_t speed);
  // Undoes what Open did, in reverse; the close's result.
  int Release();

  SystemCalls& calls_;
  int fd_ = -1;
  bool exclusive_ = false;      // TIOCEXCL set by us, to be cleared by us
  bool settingsFound_ = false;  // foundSettings_ holds what to restore
  termios foundSettings_{};
  bool lowLatencySet_ = false;  // the driver's flag was off until Claim set it
  Timeouts timeouts_{};
  bool lineDown_ = false;
};
