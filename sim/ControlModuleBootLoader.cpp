#include "ControlModuleBootLoader.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <numeric>

#include "AtomicFile.h"
#include "SimulatorLog.h"
#include "UpdateRequestDetector.h"

namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kReadySign = '>';
constexpr std::uint8_t kAnswerSign = '<';
constexpr unsigned kBlockSize = 256;
// A data block: 256 bytes and their sum.
constexpr std::size_t kDataAndSum = kBlockSize + 1;
constexpr unsigned kEndMarker = 0xFFFF;
constexpr unsigned kEndMarkers = 101;
constexpr auto kReadyInterval = 100ms;
// After a data block the PC waits for the answer; after a blank block's
// number it writes the next one at once. Quiet this long tells them apart.
constexpr auto kQuietAfterData = 20ms;
// The PC writes the end markers back to back and then nothing.
constexpr auto kQuietAfterEnd = 100ms;
// Within the transfer the PC never pauses this long of its own accord.
constexpr auto kStallLimit = 10s;

unsigned Word(std::span<const std::uint8_t> bytes) { return static_cast<unsigned>(bytes[0] << 8 | bytes[1]); }

std::string Describe(unsigned word, unsigned count) {
  if (word == kEndMarker) return "an end marker";
  std::string text = "block number " + std::to_string(word);
  if (word >= count) text += " (beyond the " + std::to_string(count) + " blocks)";
  return text;
}

// What follows the number of a blank block when every later block is blank
// too: the later numbers and the end markers. Left empty when that is no
// shorter than a data block, since the byte count alone decides then.
std::vector<std::uint8_t> BlankEnding(unsigned number, unsigned count) {
  std::vector<std::uint8_t> ending;
  if (2 * (count - 1 - number) + 2 * kEndMarkers >= kDataAndSum) return ending;
  for (unsigned later = number + 1; later < count; ++later) {
    ending.push_back(static_cast<std::uint8_t>(later >> 8));
    ending.push_back(static_cast<std::uint8_t>(later & 0xFF));
  }
  ending.insert(ending.end(), 2 * kEndMarkers, 0xFF);
  return ending;
}

unsigned BlockCount(const std::string& identification) {
  if (identification == "DpcT4") return 508;
  if (identification == "SDZT1") return 248;
  return 0;
}

}  // namespace

ControlModuleBootLoader::ControlModuleBootLoader(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options)
    : line_(line),
      log_(log),
      faults_(options.controlModuleFaults),
      identification_(options.identification),
      saveFolder_(options.saveFolder) {}

ControlModuleBootLoader::End ControlModuleBootLoader::Run() {
  if (!AwaitAnswerSign()) return End::Stopped;
  if (faults_.noIdentification) {
    log_.Note("fault: no identification");
    return End::Fault;
  }
  std::string reply = identification_;
  if (faults_.wrongStartSign) {
    reply += '?';
  } else if (!faults_.noStartSign) {
    reply += '!';
  }
  line_.Answer(reply);
  if (faults_.wrongStartSign || faults_.noStartSign) {
    log_.Note("fault: %s after the identification", faults_.wrongStartSign ? "'?'" : "no start sign");
    return End::Fault;
  }
  const unsigned count = BlockCount(identification_);
  if (count == 0) {
    log_.Note("fault: identification '%s' is none the PC knows", identification_.c_str());
    return End::Fault;
  }
  log_.Note("identification %s: %u blocks", identification_.c_str(), count);
  return ReceiveBlocks(count);
}

bool ControlModuleBootLoader::AwaitAnswerSign() {
  UpdateRequestDetector updateRequest;
  bool readySent = false;
  auto nextReady = SimulatorClock::now();
  for (;;) {
    const auto received = line_.Received();
    for (std::size_t used = 0; used < received.size();) {
      const std::uint8_t byte = received[used++];
      if (updateRequest.Feed(byte)) {
        log_.Note("update request");
        readySent = false;
        nextReady = SimulatorClock::now();
      } else if (byte == kAnswerSign && readySent) {
        line_.Consume(used);
        return true;
      } else if (byte == kAnswerSign) {
        log_.ProtocolError("'<' before any ready sign");
      }
    }
    line_.Consume(received.size());

    const auto now = SimulatorClock::now();
    if (!faults_.noReady && now >= nextReady) {
      SendReadySign();
      readySent = true;
      // Keep the rhythm, but do not make up for lost time with a burst.
      nextReady += kReadyInterval;
      if (nextReady <= now) nextReady = now + kReadyInterval;
    }
    const auto deadline = faults_.noReady ? SimulatorClock::time_point::max() : nextReady;
    if (line_.AwaitBytes(deadline) == SerialLine::Wait::Stopped) return false;
  }
}

void ControlModuleBootLoader::SendReadySign() {
  std::string bytes;
  if (faults_.noise) {
    for (int i = 0; i < 3; ++i) {
      const auto byte = static_cast<char>(noise_() >> 8);
      bytes += byte == static_cast<char>(kReadySign) ? '\0' : byte;
    }
  }
  bytes += static_cast<char>(kReadySign);
  line_.Send(bytes);
}

ControlModuleBootLoader::End ControlModuleBootLoader::ReceiveBlocks(unsigned count) {
  std::vector<std::uint8_t> image(count * kBlockSize, 0xFF);
  unsigned dataBlocks = 0;
  for (unsigned number = 0; number < count; ++number) {
    const Fill fill = AwaitReceived(2, kStallLimit);
    if (fill == Fill::Stopped) return End::Stopped;
    if (fill == Fill::Stalled) {
      log_.ProtocolError("the line went quiet where block number %u was due", number);
      return End::ProtocolError;
    }
    const unsigned received = Word(line_.Received());
    if (received != number) {
      log_.ProtocolError("%s where block number %u was due", Describe(received, count).c_str(), number);
      return End::ProtocolError;
    }
    line_.Consume(2);
    if (faults_.hangUpBlock == number) {
      log_.Note("fault: hanging up at block number %u", number);
      line_.HangUp();
      return End::HungUp;
    }
    const BlockKind kind = ClassifyBlock(number, count);
    if (kind == BlockKind::Stopped) return End::Stopped;
    if (kind == BlockKind::Blank) continue;
    const End end = ReceiveData(number, std::span(image).subspan(number * kBlockSize, kBlockSize));
    if (end != End::Completed) return end;
    ++dataBlocks;
  }
  log_.Note("%u blocks received, %u of them with data", count, dataBlocks);
  const End end = ReceiveEndMarkers(count);
  // Every block came, so the image is whole even when the ending was wrong.
  if (end != End::Stopped) SaveImage(image);
  return end;
}

// After block number n come either its data (when it is not blank) or the
// next number. Bytes other than the next number are data; when they equal it
// the block carries data only if exactly a block's data and sum came and then
// the line fell quiet, because the PC waits for the answer after a data block
// but writes on at once after a blank one.
ControlModuleBootLoader::BlockKind ControlModuleBootLoader::ClassifyBlock(unsigned number, unsigned count) {
  const unsigned next = number + 1 < count ? number + 1 : kEndMarker;
  const std::vector<std::uint8_t> blankEnding = BlankEnding(number, count);
  for (;;) {
    const auto received = line_.Received();
    if (received.size() >= 2 && Word(received) != next) return BlockKind::Data;
    if (received.size() > kDataAndSum) return BlockKind::Blank;
    // Quiet after fewer bytes means the PC is done only when they are the
    // whole blank ending; otherwise it is merely slow.
    const bool mayBeWhole =
        received.size() == kDataAndSum || (!blankEnding.empty() && std::ranges::equal(received, blankEnding));
    const auto deadline = mayBeWhole ? line_.LastArrival() + kQuietAfterData : line_.LastActivity() + kStallLimit;
    const std::size_t size = received.size();
    switch (line_.AwaitBytes(deadline)) {
      case SerialLine::Wait::Stopped:
        return BlockKind::Stopped;
      case SerialLine::Wait::TimedOut:
        // A PC that stalls is caught by reading on as if the block were blank.
        return size == kDataAndSum ? BlockKind::Data : BlockKind::Blank;
      case SerialLine::Wait::Arrived:
        break;
    }
  }
}

ControlModuleBootLoader::End ControlModuleBootLoader::ReceiveData(unsigned number, std::span<std::uint8_t> block) {
  const Fill fill = AwaitReceived(kDataAndSum, kStallLimit);
  if (fill == Fill::Stopped) return End::Stopped;
  const auto received = line_.Received();
  if (fill == Fill::Stalled) {
    log_.ProtocolError("block %u: only %zu of its %zu bytes of data and sum came", number, received.size(),
                       kDataAndSum);
    return End::ProtocolError;
  }
  if (received.size() > kDataAndSum) {
    log_.ProtocolError("block %u: more bytes came before its answer", number);
    return End::ProtocolError;
  }
  const auto data = received.first(kBlockSize);
  const auto sum = static_cast<std::uint8_t>(std::accumulate(data.begin(), data.end(), 0u));
  const std::uint8_t sentSum = received[kBlockSize];
  if (sum != sentSum) {
    line_.Consume(kDataAndSum);
    line_.Answer("@");
    log_.ProtocolError("block %u: sum %02X, but its data add up to %02X", number, sentSum, sum);
    return End::ProtocolError;
  }
  if (std::ranges::all_of(data, [](std::uint8_t byte) { return byte == 0xFF; })) {
    log_.ProtocolError("block %u is blank but came with data", number);
  }
  std::ranges::copy(data, block.begin());
  line_.Consume(kDataAndSum);

  const auto hits = [number](const std::optional<std::uint16_t>& from) { return from && number >= *from; };
  if (hits(faults_.rejectBlock)) {
    log_.Note("fault: refusing block %u", number);
    line_.Answer("@");
    return End::Fault;
  }
  if (hits(faults_.silentBlock)) {
    log_.Note("fault: no answer to block %u", number);
    return End::Fault;
  }
  if (hits(faults_.oddAnswerBlock)) {
    log_.Note("fault: answering '?' to block %u", number);
    line_.Answer("?");
    return End::Fault;
  }
  line_.Answer("!");
  return End::Completed;
}

ControlModuleBootLoader::End ControlModuleBootLoader::ReceiveEndMarkers(unsigned count) {
  for (unsigned markers = 0;; ++markers) {
    const bool all = markers == kEndMarkers;
    const Fill fill = AwaitReceived(2, all ? kQuietAfterEnd : kStallLimit);
    if (fill == Fill::Stopped) return End::Stopped;
    const auto received = line_.Received();
    if (all && received.empty()) return End::Completed;
    if (all) {
      const bool another = received.size() >= 2 && Word(received) == kEndMarker;
      log_.ProtocolError("%s after the %u end markers", another ? "another end marker" : "bytes", kEndMarkers);
      return End::ProtocolError;
    }
    if (fill == Fill::Stalled) {
      log_.ProtocolError("only %u of the %u end markers came", markers, kEndMarkers);
      return End::ProtocolError;
    }
    if (Word(received) != kEndMarker) {
      log_.ProtocolError("%s where end marker %u of %u was due", Describe(Word(received), count).c_str(),
                         markers + 1, kEndMarkers);
      return End::ProtocolError;
    }
    line_.Consume(2);
  }
}

ControlModuleBootLoader::Fill ControlModuleBootLoader::AwaitReceived(std::size_t count,
                                                                   SimulatorClock::duration quietLimit) {
  while (line_.Received().size() < count) {
    switch (line_.AwaitBytes(line_.LastActivity() + quietLimit)) {
      case SerialLine::Wait::Stopped:
        return Fill::Stopped;
      case SerialLine::Wait::TimedOut:
        return Fill::Stalled;
      case SerialLine::Wait::Arrived:
        break;
    }
  }
  return Fill::Ready;
}

void ControlModuleBootLoader::SaveImage(std::span<const std::uint8_t> image) {
  if (saveFolder_.empty()) return;
  const auto path = std::filesystem::path(saveFolder_) / "sm-image.bin";
  std::string problem;
  if (WriteFileAtomically(path, image, problem)) {
    log_.Note("image saved to %s", path.c_str());
  } else {
    log_.Note("cannot save %s: %s", path.c_str(), problem.c_str());
  }
}
