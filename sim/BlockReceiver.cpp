#include "BlockReceiver.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

#include "AtomicFile.h"
#include "SimulatorLog.h"

namespace {

using namespace std::chrono_literals;

constexpr unsigned kBlockSize = 256;
// A data block: 256 bytes and their sum.
constexpr std::size_t kDataAndSum = kBlockSize + 1;
constexpr unsigned kEndMarker = 0xFFFF;
constexpr unsigned kEndMarkers = 101;
// After a data block the PC waits for the answer; after a blank block's
// number it writes the next one at once. Quiet this long tells them apart.
constexpr auto kQuietAfterData = 20ms;
// The PC writes the end markers back to back and then nothing. Paced, the
// line carries them long after the PC wrote them, and a marker more, written
// with them, would have come by then: kQuietAfterData is enough.
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

}  // namespace

BlockReceiver::BlockReceiver(SerialLine& line, SimulatorLog& log, const BlockFaults& faults, std::string logPrefix,
                             std::string saveFolder, std::string imageName)
    : line_(line),
      log_(log),
      faults_(faults),
      prefix_(std::move(logPrefix)),
      saveFolder_(std::move(saveFolder)),
      imageName_(std::move(imageName)) {}

DialogueEnd BlockReceiver::Receive(unsigned count) {
  const char* prefix = prefix_.c_str();
  std::vector<std::uint8_t> image(count * kBlockSize, 0xFF);
  unsigned dataBlocks = 0;
  for (unsigned number = 0; number < count; ++number) {
    const Fill fill = AwaitReceived(2, kStallLimit);
    if (fill == Fill::Stopped) return DialogueEnd::Stopped;
    if (fill == Fill::Stalled) {
      log_.ProtocolError("%sthe line went quiet where block number %u was due", prefix, number);
      return DialogueEnd::ProtocolError;
    }
    const unsigned received = Word(line_.Received());
    if (received != number) {
      log_.ProtocolError("%s%s where block number %u was due", prefix, Describe(received, count).c_str(), number);
      return DialogueEnd::ProtocolError;
    }
    line_.Consume(2);
    if (faults_.hangUpBlock == number) {
      log_.Note("%sfault: hanging up at block number %u", prefix, number);
      line_.HangUp();
      return DialogueEnd::HungUp;
    }
    const BlockKind kind = ClassifyBlock(number, count);
    if (kind == BlockKind::Stopped) return DialogueEnd::Stopped;
    if (kind == BlockKind::Blank) continue;
    const DialogueEnd end = ReceiveData(number, std::span(image).subspan(number * kBlockSize, kBlockSize));
    if (end != DialogueEnd::Completed) return end;
    ++dataBlocks;
  }
  log_.Note("%s%u blocks received, %u of them with data", prefix, count, dataBlocks);
  const DialogueEnd end = ReceiveEndMarkers(count);
  // Every block came, so the image is whole even when the ending was wrong.
  if (end != DialogueEnd::Stopped) SaveReceived(log_, saveFolder_, imageName_.c_str(), image, "image");
  return end;
}

// After block number n come either its data (when it is not blank) or the
// next number. Bytes other than the next number are data; when they equal it
// the block carries data only if exactly a block's data and sum came and then
// the line fell quiet, because the PC waits for the answer after a data block
// but writes on at once after a blank one.
BlockReceiver::BlockKind BlockReceiver::ClassifyBlock(unsigned number, unsigned count) {
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

DialogueEnd BlockReceiver::ReceiveData(unsigned number, std::span<std::uint8_t> block) {
  const char* prefix = prefix_.c_str();
  const Fill fill = AwaitReceived(kDataAndSum, kStallLimit);
  if (fill == Fill::Stopped) return DialogueEnd::Stopped;
  const auto received = line_.Received();
  if (fill == Fill::Stalled) {
    log_.ProtocolError("%sblock %u: only %zu of its %zu bytes of data and sum came", prefix, number, received.size(),
                       kDataAndSum);
    return DialogueEnd::ProtocolError;
  }
  if (received.size() > kDataAndSum) {
    log_.ProtocolError("%sblock %u: more bytes came before its answer", prefix, number);
    return DialogueEnd::ProtocolError;
  }
  const auto data = received.first(kBlockSize);
  const auto sum = static_cast<std::uint8_t>(std::accumulate(data.begin(), data.end(), 0u));
  const std::uint8_t sentSum = received[kBlockSize];
  if (sum != sentSum) {
    line_.Consume(kDataAndSum);
    line_.Answer("@");
    log_.ProtocolError("%sblock %u: sum %02X, but its data add up to %02X", prefix, number, sentSum, sum);
    return DialogueEnd::ProtocolError;
  }
  if (std::ranges::all_of(data, [](std::uint8_t byte) { return byte == 0xFF; })) {
    log_.ProtocolError("%sblock %u is blank but came with data", prefix, number);
  }
  std::ranges::copy(data, block.begin());
  line_.Consume(kDataAndSum);

  const auto hits = [number](const std::optional<std::uint16_t>& from) { return from && number >= *from; };
  if (hits(faults_.rejectBlock)) {
    log_.Note("%sfault: refusing block %u", prefix, number);
    line_.Answer("@");
    return DialogueEnd::Fault;
  }
  if (hits(faults_.silentBlock)) {
    log_.Note("%sfault: no answer to block %u", prefix, number);
    return DialogueEnd::Fault;
  }
  if (hits(faults_.oddAnswerBlock)) {
    log_.Note("%sfault: answering '?' to block %u", prefix, number);
    line_.Answer("?");
    return DialogueEnd::Fault;
  }
  line_.Answer("!");
  return DialogueEnd::Completed;
}

DialogueEnd BlockReceiver::ReceiveEndMarkers(unsigned count) {
  const char* prefix = prefix_.c_str();
  for (unsigned markers = 0;; ++markers) {
    const bool all = markers == kEndMarkers;
    const auto quietAfterEnd = line_.Paced() ? kQuietAfterData : kQuietAfterEnd;
    const Fill fill = AwaitReceived(2, all ? quietAfterEnd : kStallLimit);
    if (fill == Fill::Stopped) return DialogueEnd::Stopped;
    const auto received = line_.Received();
    if (all && received.empty()) return DialogueEnd::Completed;
    if (all) {
      const bool another = received.size() >= 2 && Word(received) == kEndMarker;
      log_.ProtocolError("%s%s after the %u end markers", prefix, another ? "another end marker" : "bytes",
                         kEndMarkers);
      return DialogueEnd::ProtocolError;
    }
    if (fill == Fill::Stalled) {
      log_.ProtocolError("%sonly %u of the %u end markers came", prefix, markers, kEndMarkers);
      return DialogueEnd::ProtocolError;
    }
    if (Word(received) != kEndMarker) {
      log_.ProtocolError("%s%s where end marker %u of %u was due", prefix, Describe(Word(received), count).c_str(),
                         markers + 1, kEndMarkers);
      return DialogueEnd::ProtocolError;
    }
    line_.Consume(2);
  }
}

BlockReceiver::Fill BlockReceiver::AwaitReceived(std::size_t count, SimulatorClock::duration quietLimit) {
  while (line_.Received().size() < count) {
    auto deadline = line_.LastActivity() + quietLimit;
    // Paced, the line is not quiet while it still carries bytes in.
    if (line_.Paced()) deadline = std::max(deadline, line_.ReceiveLineFree());
    switch (line_.AwaitBytes(deadline)) {
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
