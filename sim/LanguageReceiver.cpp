#include "LanguageReceiver.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <numeric>
#include <span>
#include <string_view>

#include "AtomicFile.h"
#include "ReadySign.h"
#include "SerialLine.h"
#include "SimulatorLog.h"
#include "UpdateRequestDetector.h"

namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kUploadCommand = '-';
constexpr std::size_t kTelegramSize = 76;
constexpr std::array<std::uint8_t, 4> kHeader{0x02, 0x01, 0xAD, 0x46};
constexpr std::size_t kCounterAt = 4;
constexpr std::size_t kDataAt = 8;
constexpr std::size_t kDataSize = 66;
constexpr std::size_t kChecksumAt = kDataAt + kDataSize;
constexpr std::uint32_t kEndCounter = 0xFFFFFFFF;
// The PC looks only at the fifth byte of the answer.
constexpr std::uint8_t kAccepted = 0x06;
constexpr std::uint8_t kRepeatRequest = 0x0D;
// The PC pauses 8 s before the first telegram and 25 s before the closing
// one, and may be told to pause less, never more.
constexpr auto kSilenceLimit = 60s;
// The PC writes each telegram in one go.
constexpr auto kQuietInTelegram = 100ms;

// A service telegram of command 0xAD carrying one byte.
std::string TelegramAnswer(std::uint8_t code) {
  std::array<std::uint8_t, 7> bytes{0x02, 0x01, 0xAD, 0x01, code, 0, 0};
  const auto sum = std::accumulate(bytes.begin() + 1, bytes.begin() + 5, 0u);
  bytes[5] = static_cast<std::uint8_t>(sum & 0xFF);
  bytes[6] = static_cast<std::uint8_t>(sum >> 8 & 0xFF);
  return std::string(bytes.begin(), bytes.end());
}

std::uint32_t LittleEndian(std::span<const std::uint8_t> bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

}  // namespace

LanguageReceiver::LanguageReceiver(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options)
    : line_(line),
      log_(log),
      faults_(options.languageFaults),
      readySign_(options.lumo ? '9' : '+'),
      saveFolder_(options.saveFolder) {}

DialogueEnd LanguageReceiver::Run() {
  std::function<void()> send;
  auto giveUpAt = SimulatorClock::time_point::max();
  if (!faults_.noReady) {
    send = [this] { line_.Send(std::string_view(&readySign_, 1)); };
    giveUpAt = SimulatorClock::now() + kSilenceLimit;
  }
  switch (AwaitReadySignAnswer(line_, log_, kUploadCommand, send, giveUpAt)) {
    case ReadySignAnswer::Answered:
      break;
    case ReadySignAnswer::UpdateRequest:
      return DialogueEnd::NewRun;
    case ReadySignAnswer::Unanswered:
      log_.ProtocolError("language: no upload command '-' within %lld s of the ready sign",
                         static_cast<long long>(kSilenceLimit.count()));
      return DialogueEnd::ProtocolError;
    case ReadySignAnswer::Stopped:
      return DialogueEnd::Stopped;
  }
  log_.Note("language: upload command");
  data_.clear();
  return ReceiveTelegrams();
}

DialogueEnd LanguageReceiver::ReceiveTelegrams() {
  std::uint32_t expected = 0;
  bool repeatPlayed = false;
  for (;;) {
    switch (AwaitTelegramBytes(kTelegramSize)) {
      case Arrival::Stopped:
        return DialogueEnd::Stopped;
      case Arrival::Silent:
        // A PC whose language file is missing ends its run after '-'.
        if (expected == 0) {
          log_.Note("language: no telegram within %lld s of '-'", static_cast<long long>(kSilenceLimit.count()));
          return DialogueEnd::Abandoned;
        }
        log_.ProtocolError("language: the line went quiet where telegram %u or the end telegram was due", expected);
        return DialogueEnd::ProtocolError;
      case Arrival::Short:
        if (std::ranges::equal(line_.Received(), kUpdateRequest)) {
          // Left on the line: a PC that began a new run finds its oven.
          log_.ProtocolError("language: an update request where telegram %u or the end telegram was due", expected);
          return DialogueEnd::ProtocolError;
        }
        log_.ProtocolError("language: only %zu of a telegram's %zu bytes came", line_.Received().size(),
                           kTelegramSize);
        if (!AskAgainForBrokenTelegram()) return DialogueEnd::Stopped;
        continue;
      case Arrival::Whole:
        break;
    }

    const auto telegram = line_.Received().first(kTelegramSize);
    if (!std::ranges::equal(telegram.first(kHeader.size()), kHeader)) {
      log_.ProtocolError("language: a telegram that begins %02X %02X %02X %02X", telegram[0], telegram[1],
                         telegram[2], telegram[3]);
      if (!AskAgainForBrokenTelegram()) return DialogueEnd::Stopped;
      continue;
    }
    const auto sum = std::accumulate(telegram.begin() + 1, telegram.begin() + kChecksumAt, 0u) & 0xFFFF;
    const std::uint32_t sentSum = LittleEndian(telegram.subspan(kChecksumAt, 2));
    const std::uint32_t counter = LittleEndian(telegram.subspan(kCounterAt, 4));
    if (sum != sentSum) {
      log_.ProtocolError("language: telegram %u: checksum %04X, but its bytes add up to %04X", counter, sentSum, sum);
      if (!AskAgainForBrokenTelegram()) return DialogueEnd::Stopped;
      continue;
    }
    if (counter == kEndCounter) return ReceiveEndTelegram(expected);
    if (line_.Received().size() > kTelegramSize) {
      log_.ProtocolError("language: telegram %u: more bytes came before its answer", counter);
      return DialogueEnd::ProtocolError;
    }
    if (faults_.hangUpTelegram == counter) {
      log_.Note("language: fault: hanging up at telegram %u", counter);
      line_.HangUp();
      return DialogueEnd::HungUp;
    }
    const auto data = telegram.subspan(kDataAt, kDataSize);
    if (expected > 0 && counter == expected - 1) {
      // The PC repeats only on request, and a telegram is requested again
      // only until it is accepted: keep the copy taken first.
      if (std::ranges::equal(data, std::span(data_).last(kDataSize))) {
        log_.Note("language: telegram %u came again; the first copy is kept", counter);
      } else {
        log_.ProtocolError("language: telegram %u came again with other data; the first copy is kept", counter);
      }
      line_.Consume(kTelegramSize);
      line_.Answer(TelegramAnswer(kAccepted));
      continue;
    }
    if (counter != expected) {
      log_.ProtocolError("language: telegram %u where telegram %u was due", counter, expected);
      return DialogueEnd::ProtocolError;
    }
    if (faults_.silentTelegram == counter) {
      log_.Note("language: fault: no answer to telegram %u", counter);
      line_.Consume(kTelegramSize);
      return DialogueEnd::Fault;
    }
    if (faults_.repeatTelegram == counter && !repeatPlayed) {
      log_.Note("language: fault: asking for telegram %u again", counter);
      repeatPlayed = true;
      line_.Consume(kTelegramSize);
      line_.Answer(TelegramAnswer(kRepeatRequest));
      continue;
    }
    data_.insert(data_.end(), data.begin(), data.end());
    ++expected;
    line_.Consume(kTelegramSize);
    line_.Answer(TelegramAnswer(kAccepted));
  }
}

DialogueEnd LanguageReceiver::ReceiveEndTelegram(std::uint32_t accepted) {
  const auto data = line_.Received().subspan(kDataAt, kDataSize);
  if (!std::ranges::all_of(data, [](std::uint8_t byte) { return byte == 0xFF; })) {
    log_.ProtocolError("language: the end telegram carries data other than FF");
  }
  line_.Consume(kTelegramSize);
  log_.Note("language: %u telegrams received", accepted);
  SaveReceived(log_, saveFolder_, "language.bin", data_, "language data");
  if (faults_.hangUpEnd) {
    log_.Note("language: fault: hanging up at the end telegram");
    line_.HangUp();
    return DialogueEnd::HungUp;
  }
  return AwaitClosingTelegram();
}

DialogueEnd LanguageReceiver::AwaitClosingTelegram() {
  switch (AwaitTelegramBytes(kUpdateRequest.size())) {
    case Arrival::Stopped:
      return DialogueEnd::Stopped;
    case Arrival::Silent:
      log_.ProtocolError("language: no closing telegram within %lld s of the end telegram",
                         static_cast<long long>(kSilenceLimit.count()));
      return DialogueEnd::ProtocolError;
    case Arrival::Short:
    case Arrival::Whole:
      break;
  }
  const auto received = line_.Received();
  if (received.size() < kUpdateRequest.size() ||
      !std::ranges::equal(received.first(kUpdateRequest.size()), kUpdateRequest)) {
    log_.ProtocolError("language: bytes other than the closing telegram after the end telegram");
    return DialogueEnd::ProtocolError;
  }
  // What follows belongs to the next run.
  line_.Consume(kUpdateRequest.size());
  log_.Note("closing telegram: run complete");
  return DialogueEnd::Completed;
}

LanguageReceiver::Arrival LanguageReceiver::AwaitTelegramBytes(std::size_t count) {
  for (;;) {
    const std::size_t size = line_.Received().size();
    if (size >= count) return Arrival::Whole;
    const auto deadline = size == 0 ? line_.LastActivity() + kSilenceLimit : line_.LastArrival() + kQuietInTelegram;
    switch (line_.AwaitBytes(deadline)) {
      case SerialLine::Wait::Stopped:
        return Arrival::Stopped;
      case SerialLine::Wait::TimedOut:
        return size == 0 ? Arrival::Silent : Arrival::Short;
      case SerialLine::Wait::Arrived:
        break;
    }
  }
}

bool LanguageReceiver::AskAgainForBrokenTelegram() {
  // Its rest would be taken for the start of the next one.
  for (;;) {
    switch (line_.AwaitBytes(line_.LastArrival() + kQuietInTelegram)) {
      case SerialLine::Wait::Stopped:
        return false;
      case SerialLine::Wait::TimedOut:
        line_.Consume(line_.Received().size());
        line_.Answer(TelegramAnswer(kRepeatRequest));
        return true;
      case SerialLine::Wait::Arrived:
        break;
    }
  }
}
