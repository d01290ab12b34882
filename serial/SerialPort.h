#pragma once

#include <cstdint>
#include <memory>
#include <string>

class SerialPortBackend;
#if !defined(_WIN32)
class SystemCalls;
#endif

// One COM port as a blocking byte channel: 8 data bits, no parity, one stop
// bit, no flow control, a time-out on every byte read, and fixed handling of
// the RTS and DTR lines around every write. Knows nothing of the protocol.
// Belongs to the thread that made it; every operation blocks that thread and
// reports failure by its result only.
class SerialPort {
 public:
  // Port events, with the Windows values.
  static constexpr std::uint32_t kEventRxChar = 1;   // EV_RXCHAR
  static constexpr std::uint32_t kEventTxEmpty = 4;  // EV_TXEMPTY
  // Purge flags, with the Windows values.
  static constexpr std::uint32_t kPurgeTxFlags = 5;   // PURGE_TXABORT | PURGE_TXCLEAR
  static constexpr std::uint32_t kPurgeRxFlags = 10;  // PURGE_RXABORT | PURGE_RXCLEAR
  // Read time-outs in ms, set before every byte read: one byte waits at most
  // multiplier x 1 + constant = 3000 ms. Writes have none.
  static constexpr std::uint32_t kReadIntervalTimeout = 1000;
  static constexpr std::uint32_t kReadTotalTimeoutMultiplier = 1000;
  static constexpr std::uint32_t kReadTotalTimeoutConstant = 2000;
  static constexpr std::uint32_t kWriteTotalTimeoutMultiplier = 0;
  static constexpr std::uint32_t kWriteTotalTimeoutConstant = 0;
  // Most bytes one Write sends and one ReadBytes gathers.
  static constexpr int kWriteBlockSize = 512;
  static constexpr int kReadBlockSize = 256;

  SerialPort();
  // Runs on the given backend instead of the platform's (tests).
  explicit SerialPort(std::unique_ptr<SerialPortBackend> backend);
#if !defined(_WIN32)
  // Runs on the given system calls instead of the real ones (tests).
  explicit SerialPort(SystemCalls& calls);
#endif
  virtual ~SerialPort();

  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens the named port ("COM2" on Windows, a device path such as
  // /dev/ttyUSB0 elsewhere) exclusively at the given rate. A port already held
  // by this object is released first.
  bool Open(const std::string& portName, std::uint32_t baudRate);
  // Releases the port; false when none was held.
  bool Close();
  bool IsOpen() const;
  // The OS error code (errno, or GetLastError on Windows) of the last Open if
  // it failed, 0 if it succeeded or none was tried.
  int LastOpenError() const;

  // True if one byte arrived within 3 s; otherwise destination keeps its value.
  bool ReadByte(std::uint8_t& destination);
  // True when the last ReadByte brought nothing because the line is gone
  // (the adapter pulled out, the far end hung up) rather than for want of a
  // byte.
  bool IsLineDown() const;
  // Reads up to count (0 to kReadBlockSize) bytes one by one, stopping at the
  // first that does not come; returns how many arrived. 0 for a count out of
  // range.
  int ReadBytes(std::uint8_t* destination, int count);
  // Sends length (1 to kWriteBlockSize) bytes with DTR high and RTS low, waits
  // until they have left, raises RTS, and discards whatever was received
  // meanwhile. True if every byte was sent; false also when they did not
  // leave within their line time and a margin (RTS then stays low).
  bool Write(const std::uint8_t* data, int length);

  // The building blocks of Write and ReadByte. Callers need not look at
  // their results.
  bool PurgeTx();
  bool PurgeRx();
  bool SetEventMask(std::uint32_t mask);
  bool SetTimeouts(std::uint32_t readInterval, std::uint32_t readTotalMultiplier,
                   std::uint32_t readTotalConstant, std::uint32_t writeTotalMultiplier,
                   std::uint32_t writeTotalConstant);
  bool SetRts();
  bool ClearRts();
  bool SetDtr();

 private:
  std::unique_ptr<SerialPortBackend> backend_;
  int lastOpenError_ = 0;
};
