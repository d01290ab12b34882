#include "ReadySign.h"

#include <algorithm>
#include <chrono>

#include "SimulatorLog.h"
#include "UpdateRequestDetector.h"

namespace {

constexpr auto kReadyInterval = std::chrono::milliseconds(100);
// A purge of the PC's after a sign may have thrown it away, as when the PC
// opens its port. A PC that read the sign writes its answer right after that
// purge; one that stays silent this long waits for the next sign.
constexpr auto kSilenceAfterPurge = std::chrono::milliseconds(20);

}  // namespace

ReadySignAnswer AwaitReadySignAnswer(SerialLine& line, SimulatorLog& log, std::uint8_t answer,
                                     const std::function<void()>& send, SimulatorClock::time_point giveUpAt) {
  UpdateRequestDetector updateRequest;
  bool readySent = false;
  auto sentAt = SimulatorClock::time_point::min();
  auto nextReady = SimulatorClock::now();
  for (;;) {
    const auto received = line.Received();
    for (std::size_t used = 0; used < received.size();) {
      const std::uint8_t byte = received[used++];
      if (updateRequest.Feed(byte)) {
        line.Consume(used);
        return ReadySignAnswer::UpdateRequest;
      }
      if (byte == answer && readySent) {
        line.Consume(used);
        return ReadySignAnswer::Answered;
      }
      if (byte == answer) log.ProtocolError("'%c' before any ready sign", answer);
    }
    line.Consume(received.size());

    const auto now = SimulatorClock::now();
    if (now >= giveUpAt) {
      line.DiscardUndelivered();
      return ReadySignAnswer::Unanswered;
    }
    if (send && now >= nextReady) {
      send();
      readySent = true;
      sentAt = SimulatorClock::now();
      // Keep the rhythm, but do not make up for lost time with a burst.
      nextReady += kReadyInterval;
      if (nextReady <= now) nextReady = now + kReadyInterval;
    }
    if (readySent && line.LastPurge() > sentAt) {
      nextReady = std::min(nextReady, line.LastPurge() + kSilenceAfterPurge);
    }
    const auto deadline = std::min(giveUpAt, send ? nextReady : SimulatorClock::time_point::max());
    if (line.AwaitBytes(deadline) == SerialLine::Wait::Stopped) return ReadySignAnswer::Stopped;
  }
}
