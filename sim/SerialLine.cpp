#include "SerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "PseudoTerminal.h"
#include "SimulatorLog.h"
#include "StopRequest.h"

namespace {

using std::chrono::nanoseconds;

constexpr long long kBaud = 57600;
constexpr long long kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
// A real line cannot answer sooner; the PC's write purges its input after it.
constexpr auto kShortestTurnaround = std::chrono::milliseconds(1);

// Computed from the byte count each time, so that long runs do not drift.
nanoseconds LineTime(std::size_t bytes) {
  return nanoseconds(static_cast<long long>(bytes) * kBitsPerByte * 1'000'000'000LL / kBaud);
}

timespec ToTimespec(nanoseconds span) {
  const long long count = span.count();
  return {static_cast<time_t>(count / 1'000'000'000LL), static_cast<long>(count % 1'000'000'000LL)};
}

void SleepUntil(SimulatorClock::time_point deadline) {
  const timespec until = ToTimespec(deadline.time_since_epoch());
  while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

}  // namespace

SerialLine::SerialLine(PseudoTerminal& terminal, const StopRequest& stop, SimulatorLog& log, bool paced)
    : terminal_(terminal), stop_(stop), log_(log), paced_(paced) {
  // A PC that does not read must not stop the oven.
  const int fd = terminal_.MasterDescriptor();
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

SerialLine::Wait SerialLine::AwaitBytes(SimulatorClock::time_point deadline) {
  for (;;) {
    if (stop_.Requested() || broken_) return Wait::Stopped;
    const auto now = SimulatorClock::now();
    timespec timeout{};
    if (deadline > now) timeout = ToTimespec(deadline - now);
    pollfd waitFor{terminal_.MasterDescriptor(), POLLIN, 0};
    const int ready =
        ::ppoll(&waitFor, 1, deadline == SimulatorClock::time_point::max() ? nullptr : &timeout, &stop_.WaitMask());
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) return Wait::TimedOut;
    std::uint8_t buffer[4096];
    const ssize_t count = ready > 0 ? ::read(terminal_.MasterDescriptor(), buffer, sizeof buffer) : -1;
    if (count > 0) {
      const auto arrival = SimulatorClock::now();
      received_.insert(received_.end(), buffer, buffer + count);
      lastArrival_ = arrival;
      receiveLineFree_ = std::max(receiveLineFree_, arrival) + LineTime(static_cast<std::size_t>(count));
      return Wait::Arrived;
    }
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    // The slave is held open, so the master never sees a hang-up of its own.
    log_.Note("the line failed: %s", count < 0 ? std::strerror(errno) : "end of input");
    broken_ = true;
  }
}

void SerialLine::Consume(std::size_t count) {
  received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(count));
}

void SerialLine::Send(std::string_view bytes) { Transmit(bytes, SimulatorClock::now()); }

void SerialLine::Answer(std::string_view bytes) {
  auto earliest = lastArrival_ + kShortestTurnaround;
  if (paced_) earliest = std::max(earliest, receiveLineFree_);
  Transmit(bytes, earliest);
}

void SerialLine::Transmit(std::string_view bytes, SimulatorClock::time_point earliest) {
  if (!paced_) {
    SleepUntil(earliest);
    WriteOut(bytes);
  } else {
    const auto start = std::max(earliest, transmitLineFree_);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      // Each byte reaches the PC only once the line has carried it.
      transmitLineFree_ = start + LineTime(i + 1);
      SleepUntil(transmitLineFree_);
      WriteOut(bytes.substr(i, 1));
    }
  }
  lastTransmission_ = SimulatorClock::now();
}

void SerialLine::WriteOut(std::string_view bytes) {
  if (broken_) return;
  if (::write(terminal_.MasterDescriptor(), bytes.data(), bytes.size()) < 0 && errno != EAGAIN) {
    log_.Note("the line failed: %s", std::strerror(errno));
    broken_ = true;
  }
}

void SerialLine::AwaitDelivery(SimulatorClock::duration limit) {
  const auto deadline = SimulatorClock::now() + limit;
  // The slave's queue shows a byte only once the kernel has passed it on, a
  // moment after the write; and nothing signals a read on the far end, so
  // look again every few ms.
  auto next = std::min(lastTransmission_ + std::chrono::milliseconds(20), deadline);
  while (!broken_ && !stop_.Requested()) {
    const auto now = SimulatorClock::now();
    if (next > now) {
      // ppoll without descriptors: a pause that a stop request can cut short.
      const timespec pause = ToTimespec(next - now);
      ::ppoll(nullptr, 0, &pause, &stop_.WaitMask());
      continue;
    }
    if (now >= deadline || terminal_.UnreadOnSlave() == 0) return;
    next = std::min(now + std::chrono::milliseconds(5), deadline);
  }
}

void SerialLine::HangUp() {
  terminal_.Close();
  broken_ = true;
}
