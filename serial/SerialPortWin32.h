#pragma once

#include <windows.h>

#include "SerialPortBackend.h"
#include "Win32TransmitCalls.h"

// A COM port through the Windows communications functions, synchronous I/O.
class SerialPortWin32 final : public SerialPortBackend {
 public:
  // How long past the line time of its bytes a write may take to leave.
  static constexpr ULONGLONG kTransmitMarginMs = 500;

  SerialPortWin32();  // the real calls
  // Waits for the transmitter through `transmitCalls` (tests).
  explicit SerialPortWin32(Win32TransmitCalls& transmitCalls);
  ~SerialPortWin32() override;

  SerialPortWin32(const SerialPortWin32&) = delete;
  SerialPortWin32& operator=(const SerialPortWin32&) = delete;

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
  Win32TransmitCalls& transmitCalls_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool lineDown_ = false;
  bool wroteSinceOpen_ = false;
  DCB settings_{};  // as written by Open
};
