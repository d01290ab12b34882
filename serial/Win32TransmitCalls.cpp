#include "Win32TransmitCalls.h"

Win32TransmitCalls::~Win32TransmitCalls() = default;

bool Win32TransmitCalls::QueuedBytes(HANDLE port, DWORD& count) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(port, &errors, &status)) return false;
  count = status.cbOutQue;
  return true;
}

void Win32TransmitCalls::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

ULONGLONG Win32TransmitCalls::NowMs() { return GetTickCount64(); }
