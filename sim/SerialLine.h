#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

class PseudoTerminal;
class SimulatorLog;
class StopRequest;

// steady_clock is CLOCK_MONOTONIC on Linux; the line's absolute sleeps rely on that.
using SimulatorClock = std::chrono::steady_clock;

// The oven's end of the RS232 line, on the master side of the pseudo-terminal.
// It keeps what came in until a dialogue consumes it, and it times what goes
// out as a real line would: an answer never reaches the PC before the PC's
// write has returned (the PC purges its input right after writing). Paced, it
// also models 57600 baud, 10 bits a byte, in both directions, to within a few
// microseconds. Prompt, it answers without the shortest turnaround of a real
// line and sends again what the PC's closing purge threw away.
class SerialLine {
 public:
  enum class Timing { Turnaround, Prompt, Paced };
  SerialLine(PseudoTerminal& terminal, const StopRequest& stop, SimulatorLog& log, Timing timing);

  enum class Wait { Arrived, TimedOut, Stopped };
  // Waits for more bytes until `deadline` (time_point::max() waits without a
  // limit) and adds what comes to Received().
  Wait AwaitBytes(SimulatorClock::time_point deadline);

  std::span<const std::uint8_t> Received() const { return received_; }
  void Consume(std::size_t count);
  SimulatorClock::time_point LastArrival() const { return lastArrival_; }
  // The later of the last arrival and the end of the last transmission.
  SimulatorClock::time_point LastActivity() const { return std::max(lastArrival_, lastTransmission_); }
  bool Paced() const { return timing_ == Timing::Paced; }
  // Paced only: when the line has carried the last byte received.
  SimulatorClock::time_point ReceiveLineFree() const { return receiveLineFree_; }
  // When the PC last purged its input, as far as the line has seen.
  SimulatorClock::time_point LastPurge() const { return lastPurge_; }

  // Bytes the oven sends of its own accord, such as the ready sign.
  void Send(std::string_view bytes);
  // A reply to what came in: after the line has carried all of it in, and
  // (but prompt) at least 1 ms after the last byte was read. Sent again if
  // the PC throws it away (see ReadPending).
  void Answer(std::string_view bytes);

  // Waits at most `limit` for the PC to read what was sent.
  void AwaitDelivery(SimulatorClock::duration limit);
  // Throws away what the PC has not read, such as ready signs that no one
  // will read, so that they do not hold up the end.
  void DiscardUndelivered();

  // Closes the line for good: the PC sees a hang-up.
  void HangUp();

 private:
  void Transmit(std::string_view bytes, SimulatorClock::time_point earliest, bool answer);
  // Reads what the pty holds without waiting: data into Received(), and the
  // PC's purges of its input. True when data came.
  bool ReadPending();
  void ResendAnswerIfLost();
  // What the PC has no room for is lost, as on a real line.
  void WriteOut(std::string_view bytes);

  PseudoTerminal& terminal_;
  const StopRequest& stop_;
  SimulatorLog& log_;
  const Timing timing_;
  bool broken_ = false;
  std::vector<std::uint8_t> received_;
  SimulatorClock::time_point lastArrival_{};
  SimulatorClock::time_point lastTransmission_{};
  SimulatorClock::time_point lastPurge_{};
  // Paced only: when the last byte in each direction has passed the line.
  SimulatorClock::time_point receiveLineFree_{};
  SimulatorClock::time_point transmitLineFree_{};
  // The last answer, while the PC has sent nothing since; and when to send it
  // again if it was purged before the PC read it.
  std::string lastAnswer_;
  int answerResends_ = 0;
  SimulatorClock::time_point resendAt_ = SimulatorClock::time_point::max();
};
