#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// What SerialPort needs of the operating system. One implementation per
// platform; CMake compiles the one that fits. Every operation on a port that
// is not open fails.
class SerialPortBackend {
 public:
  struct Timeouts {
    std::uint32_t readInterval;
    std::uint32_t readTotalMultiplier;
    std::uint32_t readTotalConstant;
    std::uint32_t writeTotalMultiplier;
    std::uint32_t writeTotalConstant;
  };

  virtual ~SerialPortBackend();

  // Opens the port exclusively with 8N1, no flow control, DTR and RTS low.
  // On failure holds nothing and leaves the OS error code in osError (never 0).
  virtual bool Open(const std::string& portName, std::uint32_t baudRate, int& osError) = 0;
  // False when nothing was held.
  virtual bool Close() = 0;
  virtual bool IsOpen() const = 0;

  // One byte within the read time-outs last set; destination untouched otherwise.
  virtual bool ReadOne(std::uint8_t& destination) = 0;
  // True when the line is gone (the device removed, the far end hung up), as
  // the last ReadOne found, or a call on the open port since that only a
  // gone port refuses (setting a read's time-outs, watching the
  // transmitter); not for want of a byte.
  virtual bool IsLineDown() const = 0;
  // True only when every byte was handed to the driver.
  virtual bool WriteAll(const std::uint8_t* data, std::size_t length) = 0;
  // Returns once the `bytes` just handed to the driver have left the
  // transmitter; false when they are not gone within their line time and a
  // margin: then the write has failed. A port that can no longer tell (the
  // far end hung up as they went out) lets the write stand: the driver took
  // every byte, and the next read reports the line.
  virtual bool WaitTransmitEmpty(std::size_t bytes) = 0;

  virtual bool PurgeTx() = 0;
  virtual bool PurgeRx() = 0;
  virtual bool SetEventMask(std::uint32_t mask) = 0;
  virtual bool SetTimeouts(const Timeouts& timeouts) = 0;
  virtual bool SetRts() = 0;
  virtual bool ClearRts() = 0;
  virtual bool SetDtr() = 0;
};

// The backend of the platform this was built for, holding no port.
std::unique_ptr<SerialPortBackend> MakeSerialPortBackend();
