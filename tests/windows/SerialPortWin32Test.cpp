// The Windows port under wine, on two COM ports that tests/windows/with-com-pair
// maps to the two ends of a null-modem pair of pseudo-terminals: each end is
// the other's oven. Wine on a pseudo-terminal cannot set the modem lines, does
// not open exclusively and reports no transmitter-empty event; nothing here
// relies on those.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "PortProbe.h"
#include "SerialPort.h"
#include "SerialPortWin32.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kBaudRate = 57600;

// The two ports of the pair, from TESSARAMOND_PORTS only: without it the list
// would be every COM port, and under wine COM1 is the machine's console.
std::vector<std::string> NamedPair() {
  if (std::getenv(kPortListVariable) == nullptr) return {};
  std::vector<std::string> names = CandidatePorts();
  if (names.size() != 2) return {};
  return names;
}

class SerialPortWin32Test : public testing::Test {
 protected:
  void SetUp() override {
    const std::vector<std::string> names = NamedPair();
    ASSERT_EQ(names.size(), 2u) << "TESSARAMOND_PORTS must name the two ends of a pair";
    near_ = names[0];
    far_ = names[1];
    ASSERT_TRUE(pc_.Open(near_, kBaudRate)) << near_ << ": error " << pc_.LastOpenError();
    ASSERT_TRUE(oven_.Open(far_, kBaudRate)) << far_ << ": error " << oven_.LastOpenError();
  }

  // Everything that arrives at `port` until a byte fails to come.
  static Bytes Drain(SerialPort& port, int most) {
    Bytes bytes(static_cast<std::size_t>(most));
    int got = 0;
    while (got < most) {
      const int count = port.ReadBytes(bytes.data() + got, std::min(most - got, SerialPort::kReadBlockSize));
      if (count == 0) break;
      got += count;
    }
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
  }

  std::string near_;
  std::string far_;
  SerialPort pc_;
  SerialPort oven_;
};

// A block of the boot loaders and a language telegram, back to back, as the
// dialogues send them: nothing may be lost between the write and the purges
// that follow it.
TEST_F(SerialPortWin32Test, EveryWrittenBlockArrivesWholeAndInOrder) {
  Bytes sent;
  for (int length : {2, 256, 1, 259, 76, SerialPort::kWriteBlockSize}) {
    Bytes block(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + length);
    ASSERT_TRUE(pc_.Write(block.data(), length));
    sent.insert(sent.end(), block.begin(), block.end());
  }
  EXPECT_EQ(Drain(oven_, static_cast<int>(sent.size())), sent);
}

TEST_F(SerialPortWin32Test, AWriteDropsWhatArrivedBeforeItButNotWhatComesAfter) {
  const std::uint8_t stale[] = {'>', '>', '>'};
  ASSERT_TRUE(oven_.Write(stale, 3));
  Sleep(100);  // the stale bytes are through the pair before the answer is asked for
  const std::uint8_t request[] = {'<'};
  ASSERT_TRUE(pc_.Write(request, 1));
  std::uint8_t got = 0;
  ASSERT_TRUE(oven_.ReadByte(got));
  EXPECT_EQ(got, '<');
  const std::uint8_t answer[] = {'S', 'M'};
  ASSERT_TRUE(oven_.Write(answer, 2));
  EXPECT_EQ(Drain(pc_, 2), (Bytes{'S', 'M'}));
}

TEST_F(SerialPortWin32Test, AByteThatDoesNotComeEndsTheReadAfterThreeSeconds) {
  std::uint8_t destination = 0x5A;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(pc_.ReadByte(destination));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(destination, 0x5A);
  EXPECT_FALSE(pc_.IsLineDown());
  // Generous bounds: the point is neither at once nor never.
  EXPECT_GE(waited, std::chrono::milliseconds(2500));
  EXPECT_LT(waited, std::chrono::milliseconds(6000));
}

TEST_F(SerialPortWin32Test, OpenAndCloseReportWhatHappened) {
  SerialPort missing;
  EXPECT_FALSE(missing.Open("COM77", kBaudRate));
  EXPECT_EQ(missing.LastOpenError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_FALSE(missing.Close());
  std::uint8_t byte = 0;
  EXPECT_FALSE(missing.ReadByte(byte));
  EXPECT_FALSE(missing.Write(&byte, 1));

  // Opening again releases the port first, and the port still works.
  ASSERT_TRUE(pc_.Open(near_, kBaudRate));
  EXPECT_EQ(pc_.LastOpenError(), 0);
  const std::uint8_t sign[] = {'#'};
  ASSERT_TRUE(pc_.Write(sign, 1));
  EXPECT_EQ(Drain(oven_, 1), (Bytes{'#'}));
  EXPECT_TRUE(pc_.Close());
  EXPECT_FALSE(pc_.IsOpen());
}

// A driver's output queue as a write waits for it to run empty, on a clock of
// its own: each sleep moves it on, and nothing waits for real.
class ScriptedTransmitter : public Win32TransmitCalls {
 public:
  explicit ScriptedTransmitter(int looksUntilEmpty) : looksUntilEmpty_(looksUntilEmpty) {}
  bool QueuedBytes(HANDLE, DWORD& count) override {
    ++looks;
    count = looks >= looksUntilEmpty_ ? 0 : 100;
    return true;
  }
  void Sleep(DWORD milliseconds) override {
    EXPECT_GE(milliseconds, 1u);  // never a spin
    now += milliseconds;
  }
  ULONGLONG NowMs() override { return now; }

  int looks = 0;
  ULONGLONG now = 1000;

 private:
  int looksUntilEmpty_;
};

TEST_F(SerialPortWin32Test, AWriteWaitsForTheTransmitterNoLongerThanItsLineTimeAndAMargin) {
  ASSERT_TRUE(pc_.Close());
  const Bytes block(256, 0x5A);  // 45 ms at 57600 baud

  ScriptedTransmitter emptying(3);
  SerialPort port(std::make_unique<SerialPortWin32>(emptying));
  ASSERT_TRUE(port.Open(near_, kBaudRate));
  EXPECT_TRUE(port.Write(block.data(), 256));
  EXPECT_EQ(emptying.looks, 3);
  EXPECT_EQ(Drain(oven_, 256), block);

  // A driver whose transmitter never empties: the write fails in bounded time.
  ScriptedTransmitter stuck(std::numeric_limits<int>::max());
  SerialPort stuckPort(std::make_unique<SerialPortWin32>(stuck));
  port.Close();
  ASSERT_TRUE(stuckPort.Open(near_, kBaudRate));
  EXPECT_FALSE(stuckPort.Write(block.data(), 256));
  const ULONGLONG waited = stuck.now - 1000;
  EXPECT_GE(waited, 45 + SerialPortWin32::kTransmitMarginMs);
  EXPECT_LT(waited, 45 + SerialPortWin32::kTransmitMarginMs + 20);
  EXPECT_LT(stuck.looks, 60);
}

TEST(PortProbeWin32Test, ListsTheNamedPortsThatOpenAndLeavesOutTheRest) {
  const std::vector<std::string> named = NamedPair();
  ASSERT_EQ(named.size(), 2u) << "TESSARAMOND_PORTS must name the two ends of a pair";
  const std::string saved = std::getenv(kPortListVariable);
  _putenv_s(kPortListVariable, (named[1] + ":COM77:" + named[0]).c_str());
  const PortProbeResult result = ProbePorts();
  _putenv_s(kPortListVariable, saved.c_str());
  EXPECT_EQ(result.usablePorts, (std::vector<FoundPort>{{named[1], named[1]}, {named[0], named[0]}}));
  EXPECT_TRUE(result.deniedPorts.empty());
}

}  // namespace
