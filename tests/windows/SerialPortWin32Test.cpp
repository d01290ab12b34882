// The Windows port under wine, on two COM ports that tests/windows/with-com-pair
// maps to the two ends of a null-modem pair of pseudo-terminals: each end is
// the other's oven. Wine on a pseudo-terminal cannot set the modem lines, does
// not open exclusively and reports no transmitter-empty event; nothing here
// relies on those. A line that drops is tested by line-drop-under-wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
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
  std::vector<std::string> names;
  if (std::getenv(kPortListVariable) != nullptr) names = CandidatePorts();
  return names.size() == 2 ? names : std::vector<std::string>{};
}

// Everything that arrives at `port` until a byte fails to come.
Bytes Drain(SerialPort& port, int most) {
  Bytes bytes(static_cast<std::size_t>(most));
  int got = 0;
  for (int count = 1; got < most && count > 0; got += count) {
    count = port.ReadBytes(bytes.data() + got, std::min(most - got, SerialPort::kReadBlockSize));
  }
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

class SerialPortWin32Test : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ports_.size(), 2u) << "TESSARAMOND_PORTS must name the two ends of a pair";
    ASSERT_TRUE(pc_.Open(ports_[0], kBaudRate)) << ports_[0] << ": error " << pc_.LastOpenError();
    ASSERT_TRUE(oven_.Open(ports_[1], kBaudRate)) << ports_[1] << ": error " << oven_.LastOpenError();
  }

  const std::vector<std::string> ports_ = NamedPair();
  SerialPort pc_;
  SerialPort oven_;
};

// Blocks of the boot loaders and a language telegram, back to back, as the
// dialogues send them: nothing may be lost between a write and the purges that
// follow it. A write drops what arrived before it, not the answer after it.
TEST_F(SerialPortWin32Test, EveryWrittenBlockArrivesWholeAndAWriteDropsOnlyWhatCameBeforeIt) {
  Bytes sent;
  for (int length : {2, 256, 1, 259, 76, SerialPort::kWriteBlockSize}) {
    Bytes block(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + length);
    ASSERT_TRUE(pc_.Write(block.data(), length));
    sent.insert(sent.end(), block.begin(), block.end());
  }
  EXPECT_EQ(Drain(oven_, static_cast<int>(sent.size())), sent);

  ASSERT_TRUE(oven_.Write(Bytes{'>', '>', '>'}.data(), 3));
  Sleep(100);  // the stale bytes are through the pair before the answer is asked for
  ASSERT_TRUE(pc_.Write(Bytes{'<'}.data(), 1));
  EXPECT_EQ(Drain(oven_, 1), Bytes{'<'});
  ASSERT_TRUE(oven_.Write(Bytes{'S', 'M'}.data(), 2));
  EXPECT_EQ(Drain(pc_, 2), (Bytes{'S', 'M'}));
}

TEST_F(SerialPortWin32Test, AByteThatDoesNotComeEndsTheReadAfterThreeSecondsAndAMissingPortSaysSo) {
  std::uint8_t destination = 0x5A;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(pc_.ReadByte(destination));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(destination, 0x5A);
  EXPECT_FALSE(pc_.IsLineDown());
  // Generous bounds: the point is neither at once nor never.
  EXPECT_GE(waited, std::chrono::milliseconds(2500));
  EXPECT_LT(waited, std::chrono::milliseconds(6000));

  SerialPort missing;
  EXPECT_FALSE(missing.Open("COM77", kBaudRate));
  EXPECT_EQ(missing.LastOpenError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(missing.Write(&destination, 1));
}

// A driver whose transmitter never empties, on a clock of its own: each sleep
// moves it on, and nothing waits for real.
struct StuckTransmitter : Win32TransmitCalls {
  bool QueuedBytes(HANDLE, DWORD& count) override {
    ++looks;
    count = 100;
    return !hungUp;
  }
  void Sleep(DWORD milliseconds) override {
    EXPECT_GE(milliseconds, 1u);  // never a spin
    now += milliseconds;
  }
  ULONGLONG NowMs() override { return now; }

  int looks = 0;
  ULONGLONG now = 1000;
  bool hungUp = false;
};

// The real driver's empty transmitter ends every write of the tests above.
TEST_F(SerialPortWin32Test, AWriteWaitsForTheTransmitterNoLongerThanItsLineTimeAndAMargin) {
  ASSERT_TRUE(pc_.Close());
  StuckTransmitter stuck;
  SerialPort port(std::make_unique<SerialPortWin32>(stuck));
  ASSERT_TRUE(port.Open(ports_[0], kBaudRate));
  const Bytes block(256, 0x5A);  // 45 ms at 57600 baud
  EXPECT_FALSE(port.Write(block.data(), 256));
  EXPECT_GE(stuck.now - 1000, 45 + SerialPortWin32::kTransmitMarginMs);
  EXPECT_LT(stuck.now - 1000, 45 + SerialPortWin32::kTransmitMarginMs + 20);
  EXPECT_LT(stuck.looks, 60);

  // The far end hung up as the bytes went out, as an oven restarting on the
  // closing telegram does: the driver took them all, so the write stands.
  stuck.hungUp = true;
  EXPECT_TRUE(port.Write(block.data(), 256));
  EXPECT_TRUE(port.IsLineDown());
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
