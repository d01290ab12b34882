#include "ReadySignWait.h"

#include <chrono>

namespace {

// The longest a single byte read waits.
constexpr std::chrono::milliseconds kReadTimeout(SerialPort::kReadTotalTimeoutMultiplier * 1 +
                                                 SerialPort::kReadTotalTimeoutConstant);

}  // namespace

ReadySignResult WaitForReadySign(const ProgrammingContext& run, SerialPort& port, std::uint8_t sign,
                                 const CancelRequest::Wait& /*marked*/) {
  using Clock = std::chrono::steady_clock;
  for (;;) {
    const Clock::time_point start = Clock::now();
    std::uint8_t byte = 0;
    const bool received = port.ReadByte(byte);
    if (run.cancel.Take()) return ReadySignResult::Cancelled;
    if (received && byte == sign) return ReadySignResult::Arrived;
    if (!received) {
      // A port that has gone (an adapter pulled out) fails every read at
      // once; wait out the read's time instead of spinning.
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
      if (elapsed < kReadTimeout) run.pauses.Pause(kReadTimeout - elapsed);
    }
  }
}
