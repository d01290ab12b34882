#include "SerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
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
// The PC's serial write ends by purging its input. On a real line that purge
// comes long before any answer; on a pty a PC thread that is held up between
// its write and that purge throws our answer away. A purge after an answer
// with nothing sent since then, and the PC still silent this long after it,
// means the answer was lost: it goes out again. Should the PC have read it
// after all and merely be slow with its next write, the copy lands before
// that write's own closing purge and is thrown away there.
constexpr auto kLostAnswerSilence = std::chrono::milliseconds(20);
constexpr int kMostResends = 3;
// Paced: a sleep ends this much early and the rest is waited out awake, since
// waking from a sleep takes tens of microseconds here, more on a busy machine.
constexpr auto kWakeMargin = std::chrono::microseconds(300);

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

// Never returns before `deadline`, and hardly after it.
void WaitPreciselyUntil(SimulatorClock::time_point deadline) {
  SleepUntil(deadline - kWakeMargin);
  while (SimulatorClock::now() < deadline) {
  }
}

}  // namespace

SerialLine::SerialLine(PseudoTerminal& terminal, const StopRequest& stop, SimulatorLog& log, Timing timing)
    : terminal_(terminal), stop_(stop), log_(log), timing_(timing) {
  // A PC that does not read must not stop the oven.
  const int fd = terminal_.MasterDescriptor();
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  // Packet mode: every purge of the PC's input shows up here as a status byte.
  int on = 1;
  ::ioctl(fd, TIOCPKT, &on);
}

SerialLine::Wait SerialLine::AwaitBytes(SimulatorClock::time_point deadline) {
  for (;;) {
    if (stop_.Requested() || broken_) return Wait::Stopped;
    if (ReadPending()) return Wait::Arrived;
    if (broken_) return Wait::Stopped;
    auto now = SimulatorClock::now();
    if (now >= resendAt_) {
      ResendAnswerIfLost();
      continue;
    }
    const auto wakeAt = std::min(deadline, resendAt_);
    if (now >= deadline) return Wait::TimedOut;
    timespec timeout{};
    if (wakeAt > now) timeout = ToTimespec(wakeAt - now);
    pollfd waitFor{terminal_.MasterDescriptor(), POLLIN, 0};
    const int ready =
        ::ppoll(&waitFor, 1, wakeAt == SimulatorClock::time_point::max() ? nullptr : &timeout, &stop_.WaitMask());
    if (ready < 0 && errno != EINTR) {
      log_.Note("the line failed: %s", std::strerror(errno));
      broken_ = true;
    }
  }
}

bool SerialLine::ReadPending() {
  bool dataCame = false;
  for (;;) {
    std::uint8_t packet[4097];
    const ssize_t count = ::read(terminal_.MasterDescriptor(), packet, sizeof packet);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno == EAGAIN) return dataCame;
    if (count <= 0) {
      // The slave is held open, so the master never sees a hang-up of its own.
      log_.Note("the line failed: %s", count < 0 ? std::strerror(errno) : "end of input");
      broken_ = true;
      return dataCame;
    }
    if (packet[0] != TIOCPKT_DATA) {
      if ((packet[0] & TIOCPKT_FLUSHREAD) != 0) {
        lastPurge_ = SimulatorClock::now();
        if (!lastAnswer_.empty()) resendAt_ = lastPurge_ + kLostAnswerSilence;
      }
      continue;
    }
    const auto data = static_cast<std::size_t>(count - 1);
    if (data == 0) continue;
    const auto arrival = SimulatorClock::now();
    received_.insert(received_.end(), packet + 1, packet + 1 + data);
    lastArrival_ = arrival;
    receiveLineFree_ = std::max(receiveLineFree_, arrival) + LineTime(data);
    // The PC has gone on: whatever it did with the last answer, it had it.
    lastAnswer_.clear();
    resendAt_ = SimulatorClock::time_point::max();
    dataCame = true;
  }
}

void SerialLine::ResendAnswerIfLost() {
  resendAt_ = SimulatorClock::time_point::max();
  if (lastAnswer_.empty() || terminal_.UnreadOnSlave() != 0) return;
  if (answerResends_ >= kMostResends) return;
  ++answerResends_;
  log_.Note("the PC purged its input before reading the answer; sending it again");
  WriteOut(lastAnswer_);
  lastTransmission_ = SimulatorClock::now();
}

void SerialLine::Consume(std::size_t count) {
  received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(count));
}

void SerialLine::Send(std::string_view bytes) { Transmit(bytes, SimulatorClock::now(), false); }

void SerialLine::Answer(std::string_view bytes) {
  auto earliest = lastArrival_;
  if (timing_ != Timing::Prompt) earliest += kShortestTurnaround;
  if (timing_ == Timing::Paced) earliest = std::max(earliest, receiveLineFree_);
  lastAnswer_.clear();
  Transmit(bytes, earliest, true);
  lastAnswer_ = std::string(bytes);
  answerResends_ = 0;
  resendAt_ = SimulatorClock::time_point::max();
}

void SerialLine::Transmit(std::string_view bytes, SimulatorClock::time_point earliest, bool answer) {
  if (timing_ != Timing::Paced) {
    SleepUntil(earliest);
    // Purges the PC made before an answer do not concern it.
    if (answer) ReadPending();
    WriteOut(bytes);
  } else {
    const auto start = std::max(earliest, transmitLineFree_);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      // Each byte reaches the PC only once the line has carried it.
      transmitLineFree_ = start + LineTime(i + 1);
      // The PC goes on when the last byte is there; the others may be late.
      if (i + 1 == bytes.size()) {
        WaitPreciselyUntil(transmitLineFree_);
      } else {
        SleepUntil(transmitLineFree_);
      }
      if (answer && i == 0) ReadPending();
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
  // Delivered once the slave's queue is empty and no purge of the PC's has
  // thrown the last answer away: such a purge shows up within moments of the
  // answer, and the answer then goes out again (AwaitBytes does that). The
  // queue shows a byte only once the kernel has passed it on, and nothing
  // signals a read on the far end, so look again every few ms.
  while (!broken_ && !stop_.Requested()) {
    const auto now = SimulatorClock::now();
    const bool settled = now >= lastTransmission_ + kLostAnswerSilence &&
                         resendAt_ == SimulatorClock::time_point::max();
    if (now >= deadline || (settled && terminal_.UnreadOnSlave() == 0)) return;
    AwaitBytes(std::min(now + std::chrono::milliseconds(5), deadline));
  }
}

void SerialLine::DiscardUndelivered() {
  if (!broken_) terminal_.DiscardUnreadOnSlave();
}

void SerialLine::HangUp() {
  terminal_.Close();
  broken_ = true;
}
