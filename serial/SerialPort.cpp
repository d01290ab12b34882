#include "SerialPort.h"

#include <algorithm>
#include <array>
#include <utility>

#include "SerialPortBackend.h"

#if !defined(_WIN32)
#include "SerialPortPosix.h"
#endif

SerialPort::SerialPort() : backend_(MakeSerialPortBackend()) {}

SerialPort::SerialPort(std::unique_ptr<SerialPortBackend> backend) : backend_(std::move(backend)) {}

#if !defined(_WIN32)
SerialPort::SerialPort(SystemCalls& calls) : backend_(std::make_unique<SerialPortPosix>(calls)) {}
#endif

// The backend releases a port still held.
SerialPort::~SerialPort() = default;

bool SerialPort::Open(const std::string& portName, std::uint32_t baudRate) {
  int osError = 0;
  const bool opened = backend_->Open(portName, baudRate, osError);
  lastOpenError_ = opened ? 0 : osError;
  return opened;
}

bool SerialPort::Close() { return backend_->Close(); }

bool SerialPort::IsOpen() const { return backend_->IsOpen(); }

int SerialPort::LastOpenError() const { return lastOpenError_; }

bool SerialPort::ReadByte(std::uint8_t& destination) {
  // 1. Wait for received characters; the result does not matter.
  SetEventMask(kEventRxChar);
  // 2. At most 3 s for this byte.
  if (!SetTimeouts(kReadIntervalTimeout, kReadTotalTimeoutMultiplier, kReadTotalTimeoutConstant,
                   kWriteTotalTimeoutMultiplier, kWriteTotalTimeoutConstant)) {
    return false;
  }
  // 3. One byte, or nothing and destination unchanged.
  return backend_->ReadOne(destination);
}

bool SerialPort::IsLineDown() const { return backend_->IsLineDown(); }

int SerialPort::ReadBytes(std::uint8_t* destination, int count) {
  if (count < 0 || count > kReadBlockSize || (destination == nullptr && count > 0)) return 0;
  int received = 0;
  while (received < count && ReadByte(destination[received])) ++received;
  return received;
}

bool SerialPort::Write(const std::uint8_t* data, int length) {
  if (data == nullptr || length < 1 || length > kWriteBlockSize) return false;
  // 1. Copy the data into the block.
  std::array<std::uint8_t, kWriteBlockSize> block{};
  std::copy_n(data, length, block.begin());
  // 2. The event to wait for in step 7.
  SetEventMask(kEventTxEmpty);
  // 3. DTR high.
  SetDtr();
  // 4. RTS low while transmitting.
  ClearRts();
  // 5. Drop what arrived before this write.
  PurgeRx();
  // 6. All bytes; on failure the lines stay as they are (RTS low) and
  // nothing is purged.
  if (!backend_->WriteAll(block.data(), static_cast<std::size_t>(length))) return false;
  // 7. Until the last byte has left the line. A transmitter that does not
  // empty in time fails the write like a failed write call: a driver that
  // never reports it must not hang the run (and the close lock with it).
  if (!backend_->WaitTransmitEmpty(static_cast<std::size_t>(length))) return false;
  // 8. RTS high: transmission over.
  SetRts();
  // 9. Purge the transmit side. On POSIX this discards nothing, as the bytes
  // written above may still be queued (SerialPortPosix::PurgeTx).
  PurgeTx();
  // 10. Drop what arrived during the write, such as an echo of our bytes:
  // only what the device sends afterwards reaches the next read.
  PurgeRx();
  // 11.
  return true;
}

bool SerialPort::PurgeTx() { return backend_->PurgeTx(); }

bool SerialPort::PurgeRx() { return backend_->PurgeRx(); }

bool SerialPort::SetEventMask(std::uint32_t mask) { return backend_->SetEventMask(mask); }

bool SerialPort::SetTimeouts(std::uint32_t readInterval, std::uint32_t readTotalMultiplier,
                             std::uint32_t readTotalConstant, std::uint32_t writeTotalMultiplier,
                             std::uint32_t writeTotalConstant) {
  return backend_->SetTimeouts({readInterval, readTotalMultiplier, readTotalConstant,
                                writeTotalMultiplier, writeTotalConstant});
}

bool SerialPort::SetRts() { return backend_->SetRts(); }

bool SerialPort::ClearRts() { return backend_->ClearRts(); }

bool SerialPort::SetDtr() { return backend_->SetDtr(); }
