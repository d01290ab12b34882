#pragma once

#include <windows.h>

// The Windows calls with which a write waits for its bytes to leave the
// transmitter, one method per call; a test stands in for a driver whose
// transmitter never empties.
class Win32TransmitCalls {
 public:
  virtual ~Win32TransmitCalls();

  // ClearCommError: the bytes still in the port's output queue; false when
  // the call fails.
  virtual bool QueuedBytes(HANDLE port, DWORD& count);
  virtual void Sleep(DWORD milliseconds);
  // GetTickCount64.
  virtual ULONGLONG NowMs();
};
