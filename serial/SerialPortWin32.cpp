#include "SerialPortWin32.h"

#include <algorithm>

#include "SerialPort.h"

static_assert(SerialPort::kEventRxChar == EV_RXCHAR);
static_assert(SerialPort::kEventTxEmpty == EV_TXEMPTY);
static_assert(SerialPort::kPurgeTxFlags == (PURGE_TXABORT | PURGE_TXCLEAR));
static_assert(SerialPort::kPurgeRxFlags == (PURGE_RXABORT | PURGE_RXCLEAR));

namespace {

int LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<int>(error) : static_cast<int>(ERROR_GEN_FAILURE);
}

// How long `bytes` take on the line: 10 bits each (start, 8 data, stop).
ULONGLONG LineTimeMs(ULONGLONG bytes, DWORD baudRate) {
  if (baudRate == 0) return 0;
  return (bytes * 10 * 1000 + baudRate - 1) / baudRate;
}

Win32TransmitCalls& RealTransmitCalls() {
  static Win32TransmitCalls calls;
  return calls;
}

}  // namespace

std::unique_ptr<SerialPortBackend> MakeSerialPortBackend() {
  return std::make_unique<SerialPortWin32>();
}

SerialPortWin32::SerialPortWin32() : transmitCalls_(RealTransmitCalls()) {}

SerialPortWin32::SerialPortWin32(Win32TransmitCalls& transmitCalls) : transmitCalls_(transmitCalls) {}

SerialPortWin32::~SerialPortWin32() {
  if (IsOpen()) Close();
}

bool SerialPortWin32::Open(const std::string& portName, std::uint32_t baudRate, int& osError) {
  if (IsOpen()) Close();
  if (portName.empty()) {
    osError = static_cast<int>(ERROR_FILE_NOT_FOUND);
    return false;
  }
  // The device namespace reaches COM10 and above too.
  const std::string path = portName.rfind("\\\\.\\", 0) == 0 ? portName : "\\\\.\\" + portName;
  // No sharing (exclusive), existing devices only, not overlapped.
  const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    osError = LastError();
    return false;
  }
  DCB settings{};
  settings.DCBlength = sizeof settings;
  if (!GetCommState(handle, &settings)) {
    osError = LastError();
    CloseHandle(handle);
    return false;
  }
  // Everything not named here keeps the value the port reports.
  settings.BaudRate = baudRate;
  settings.ByteSize = 8;
  settings.Parity = NOPARITY;
  settings.StopBits = ONESTOPBIT;
  settings.fParity = FALSE;
  settings.fOutxCtsFlow = FALSE;
  settings.fOutxDsrFlow = FALSE;
  settings.fDtrControl = DTR_CONTROL_DISABLE;  // DTR low until the first write
  settings.fRtsControl = RTS_CONTROL_DISABLE;  // RTS likewise
  settings.fOutX = FALSE;
  settings.fInX = FALSE;
  settings.fAbortOnError = FALSE;
  if (!SetCommState(handle, &settings)) {
    osError = LastError();
    CloseHandle(handle);
    return false;
  }
  handle_ = handle;
  settings_ = settings;
  wroteSinceOpen_ = false;
  lineDown_ = false;
  return true;
}

bool SerialPortWin32::Close() {
  if (!IsOpen()) return false;
  const BOOL closed = CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  return closed != FALSE;
}

bool SerialPortWin32::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

bool SerialPortWin32::ReadOne(std::uint8_t& destination) {
  lineDown_ = false;
  if (!IsOpen()) return false;
  BYTE byte = 0;
  DWORD got = 0;
  // Returns TRUE with nothing read when the time-outs run out; a failure is
  // the device gone.
  if (!ReadFile(handle_, &byte, 1, &got, nullptr)) {
    lineDown_ = true;
    return false;
  }
  if (got != 1) {
    // Nothing came, or nothing can come any more: some drivers (wine on a
    // hung-up pseudo-terminal) let a read of a gone device run out its
    // time-outs, but none answers ClearCommError for it.
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_, &errors, &status)) lineDown_ = true;
    return false;
  }
  destination = byte;
  return true;
}

bool SerialPortWin32::WriteAll(const std::uint8_t* data, std::size_t length) {
  if (!IsOpen()) return false;
  wroteSinceOpen_ = true;
  const DWORD wanted = static_cast<DWORD>(length);
  DWORD written = 0;
  return WriteFile(handle_, data, wanted, &written, nullptr) && written == wanted;
}

// The driver's output queue is watched rather than waited on with
// WaitCommEvent(EV_TXEMPTY), which on a synchronous handle has no time-out: a
// driver that never signals the event would hang the run.
bool SerialPortWin32::WaitTransmitEmpty(std::size_t bytes) {
  if (!IsOpen()) return false;
  const DWORD baudRate = settings_.BaudRate;
  const ULONGLONG deadline = transmitCalls_.NowMs() + LineTimeMs(bytes, baudRate) + kTransmitMarginMs;
  for (;;) {
    DWORD queued = 0;
    // The driver took every byte; a status query that fails (the far end
    // hung up just as they went out, as an oven restarting on the closing
    // telegram does) says nothing about them: the line is down, the write
    // stands, and the next read reports the line.
    if (!transmitCalls_.QueuedBytes(handle_, queued)) {
      lineDown_ = true;
      return true;
    }
    if (queued == 0) return true;
    const ULONGLONG now = transmitCalls_.NowMs();
    if (now >= deadline) return false;
    // The queued bytes need their line time before they can be gone.
    const ULONGLONG pause = std::clamp<ULONGLONG>(LineTimeMs(queued, baudRate), 1, deadline - now);
    transmitCalls_.Sleep(static_cast<DWORD>(pause));
  }
}

bool SerialPortWin32::PurgeTx() {
  if (!IsOpen()) return false;
  // Once we have written, a transmit purge can only throw away our own bytes:
  // with no flow control nothing else is ever queued, and a driver whose
  // transmitter-empty event comes early (wine on a pseudo-terminal) would
  // lose the end of the block.
  if (wroteSinceOpen_) return true;
  return PurgeComm(handle_, SerialPort::kPurgeTxFlags) != FALSE;
}

bool SerialPortWin32::PurgeRx() {
  return IsOpen() && PurgeComm(handle_, SerialPort::kPurgeRxFlags) != FALSE;
}

bool SerialPortWin32::SetEventMask(std::uint32_t mask) {
  return IsOpen() && SetCommMask(handle_, mask) != FALSE;
}

bool SerialPortWin32::SetTimeouts(const Timeouts& timeouts) {
  if (!IsOpen()) return false;
  COMMTIMEOUTS windowsTimeouts{timeouts.readInterval, timeouts.readTotalMultiplier,
                               timeouts.readTotalConstant, timeouts.writeTotalMultiplier,
                               timeouts.writeTotalConstant};
  // Refused on an open port, the port is gone (a pulled USB adapter): the
  // read that was to follow will not be made, so this ends a wait for it.
  if (!SetCommTimeouts(handle_, &windowsTimeouts)) {
    lineDown_ = true;
    return false;
  }
  return true;
}

bool SerialPortWin32::SetRts() { return IsOpen() && EscapeCommFunction(handle_, SETRTS) != FALSE; }

bool SerialPortWin32::ClearRts() {
  return IsOpen() && EscapeCommFunction(handle_, CLRRTS) != FALSE;
}

bool SerialPortWin32::SetDtr() { return IsOpen() && EscapeCommFunction(handle_, SETDTR) != FALSE; }
