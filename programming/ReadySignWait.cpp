#include "ReadySignWait.h"

#include <algorithm>
#include <chrono>

namespace {

// The longest a single byte read waits.
constexpr std::chrono::milliseconds kReadTimeout(SerialPort::kReadTotalTimeoutMultiplier * 1 +
                                                 SerialPort::kReadTotalTimeoutConstant);

}  // namespace

ReadySignWaitEnd WaitForReadySign(const ProgrammingContext& run, SerialPort& port,
                                  std::initializer_list<std::uint8_t> signs, CancelRequest::Wait& marked) {
  using How = ReadySignWaitEnd::How;
  using Clock = std::chrono::steady_clock;
  for (;;) {
    const Clock::time_point start = Clock::now();
    std::uint8_t byte = 0;
    const bool received = port.ReadByte(byte);
    if (run.cancel.Take()) {
      marked.End();
      return {How::Cancelled};
    }
    const bool arrived = received && std::find(signs.begin(), signs.end(), byte) != signs.end();
    const bool lineDown = !received && port.IsLineDown();
    // The request may have come after the check above: the end decides.
    if (arrived || lineDown) {
      if (marked.End()) return {How::Cancelled};
      return arrived ? ReadySignWaitEnd{How::Arrived, byte} : ReadySignWaitEnd{How::LineDown};
    }
    if (!received) {
      // A read that fails at once for any other reason must not make this
      // loop spin: wait out the read's time.
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
      if (elapsed < kReadTimeout) run.pauses.Pause(kReadTimeout - elapsed);
    }
  }
}
