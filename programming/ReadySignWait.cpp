#include "ReadySignWait.h"

#include <algorithm>
#include <chrono>

namespace {

// The longest a single byte read waits.
constexpr std::chrono::milliseconds kReadTimeout(SerialPort::kReadTotalTimeoutMultiplier * 1 +
                                                 SerialPort::kReadTotalTimeoutConstant);

}  // namespace

std::optional<std::uint8_t> WaitForReadySign(const ProgrammingContext& run, SerialPort& port,
                                             std::initializer_list<std::uint8_t> signs,
                                             const CancelRequest::Wait& /*marked*/) {
  using Clock = std::chrono::steady_clock;
  for (;;) {
    const Clock::time_point start = Clock::now();
    std::uint8_t byte = 0;
    const bool received = port.ReadByte(byte);
    if (run.cancel.Take()) return std::nullopt;
    if (received && std::find(signs.begin(), signs.end(), byte) != signs.end()) return byte;
    if (!received) {
      // A port that has gone (an adapter pulled out) fails every read at
      // once; wait out the read's time instead of spinning.
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
      if (elapsed < kReadTimeout) run.pauses.Pause(kReadTimeout - elapsed);
    }
  }
}
