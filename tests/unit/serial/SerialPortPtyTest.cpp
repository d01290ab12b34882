// SerialPort on the slave side of a pseudo-terminal; the test, or a thread of
// it, is the oven on the master side. Never a real port.
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "SerialPort.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class SerialPortPtyTest : public testing::Test {
 protected:
  void SetUp() override {
    descriptorsBefore_ = OpenDescriptors();
    char name[256] = {};
    ASSERT_EQ(openpty(&oven_, &slave_, name, nullptr, nullptr), 0);
    name_ = name;
  }
  void TearDown() override {
    port_.Close();
    if (oven_ >= 0) close(oven_);
    close(slave_);
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore_) << "descriptor leaked";
  }

  static long OpenDescriptors() {
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return std::distance(begin(entries), end(entries));
  }

  // Gives the pty a moment to move the bytes across.
  void OvenSends(const Bytes& bytes) {
    ASSERT_EQ(write(oven_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    std::this_thread::sleep_for(20ms);
  }

  // What the oven got within a second, up to `count` bytes: a write has
  // drained, so what it sent is there to read in one go.
  Bytes OvenReceives(std::size_t count) {
    Bytes received(count);
    pollfd readable{oven_, POLLIN, 0};
    const ssize_t got = poll(&readable, 1, 1000) == 1 ? read(oven_, received.data(), count) : 0;
    received.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return received;
  }

  int ExclusiveFlag() const {
    int exclusive = -1;
    EXPECT_EQ(ioctl(slave_, TIOCGEXCL, &exclusive), 0);
    return exclusive;
  }

  int oven_ = -1;   // master
  int slave_ = -1;  // the test's own look at the tty
  std::string name_;
  long descriptorsBefore_ = 0;
  SerialPort port_;
};

TEST_F(SerialPortPtyTest, OpenSetsARawExclusiveLineAndCloseRestoresWhatItFound) {
  termios found{};
  ASSERT_EQ(tcgetattr(slave_, &found), 0);
  ASSERT_TRUE(port_.Open(name_, 57600));
  termios settings{};
  ASSERT_EQ(tcgetattr(slave_, &settings), 0);
  EXPECT_EQ(cfgetospeed(&settings), B57600);
  EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
            tcflag_t{CS8 | CLOCAL | CREAD});
  EXPECT_EQ(ExclusiveFlag(), 1);

  // No byte is translated, swallowed as XON/XOFF or echoed, either way; what
  // came before a write is never taken for the answer to it.
  const Bytes binary = {0x00, 0x0A, 0x0D, 0x11, 0x13, 0x03, 0x7F, 0xFF};
  OvenSends(binary);
  Bytes got(binary.size());
  EXPECT_EQ(port_.ReadBytes(got.data(), 8), 8);
  EXPECT_EQ(got, binary);
  OvenSends({'B'});
  ASSERT_TRUE(port_.Write(binary.data(), 8));
  EXPECT_EQ(OvenReceives(8), binary);
  OvenSends({'A'});
  EXPECT_EQ(port_.ReadBytes(got.data(), 1), 1);
  EXPECT_EQ(got[0], 'A');

  EXPECT_TRUE(port_.Close());
  ASSERT_EQ(tcgetattr(slave_, &settings), 0);
  EXPECT_EQ(settings.c_cflag, found.c_cflag);
  EXPECT_EQ(settings.c_lflag, found.c_lflag);
  // A pty keeps the flag after the last descriptor and would shut others out.
  EXPECT_EQ(ExclusiveFlag(), 0);
}

// A failed open says why and holds nothing. A held port refuses a second
// open until released; CI runs as root, which TIOCEXCL alone does not stop.
TEST_F(SerialPortPtyTest, FailedOpenSaysWhyAndHeldPortRefusesASecondOpenUntilReleased) {
  const std::pair<std::string, std::uint32_t> wrong[] = {{"/dev/pts/none", 57600}, {"/dev/null", 57600}, {name_, 12345}};
  const int errors[] = {ENOENT, ENOTTY, EINVAL};  // 12345: no such rate
  for (std::size_t i = 0; i < std::size(wrong); ++i) {
    EXPECT_FALSE(port_.Open(wrong[i].first, wrong[i].second));
    EXPECT_EQ(port_.LastOpenError(), errors[i]) << wrong[i].first;
  }
  EXPECT_FALSE(port_.Close());

  ASSERT_TRUE(port_.Open(name_, 57600));
  ASSERT_TRUE(port_.Open(name_, 57600));  // reopened: its own claim let go first
  SerialPort other;
  EXPECT_FALSE(other.Open(name_, 57600));
  EXPECT_EQ(other.LastOpenError(), EBUSY);
  EXPECT_EQ(ExclusiveFlag(), 1);  // the failed attempt left the holder's claim
  EXPECT_TRUE(port_.Close());
  {
    SerialPort scoped;
    ASSERT_TRUE(scoped.Open(name_, 57600));
  }
  EXPECT_TRUE(other.Open(name_, 57600));  // the destructor let go
}

// Silence: one byte gives up after 3 s, at no CPU cost, keeping what the
// destination held. The oven switched off or a USB adapter pulled: reads and
// writes fail at once, with no waiting out the 3 s.
TEST_F(SerialPortPtyTest, HangUpFailsReadsAndWritesAtOnceWhereSilenceWaitsThreeSeconds) {
  ASSERT_TRUE(port_.Open(name_, 57600));
  std::uint8_t buffer[5] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(port_.ReadBytes(buffer, 0), 0);
  OvenSends({'>', 0x01, 0x02});
  EXPECT_EQ(port_.ReadBytes(buffer, SerialPort::kReadBlockSize + 1), 0);  // no overflow
  const std::clock_t cpuBefore = std::clock();
  Clock::time_point start = Clock::now();
  EXPECT_EQ(port_.ReadBytes(buffer, 5), 3);
  EXPECT_GE(MillisecondsSince(start), 2990);
  EXPECT_LT(MillisecondsSince(start), 3300);
  EXPECT_LT(std::clock() - cpuBefore, CLOCKS_PER_SEC / 20);
  EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{'>', 0x01, 0x02, 0xEE, 0xEE}));
  EXPECT_FALSE(port_.IsLineDown());

  std::thread oven([&] {
    std::this_thread::sleep_for(100ms);
    close(oven_);
    oven_ = -1;
  });
  start = Clock::now();
  EXPECT_FALSE(port_.ReadByte(buffer[4]));
  oven.join();
  EXPECT_FALSE(port_.Write(buffer, 1));
  EXPECT_FALSE(port_.ReadByte(buffer[4]));
  EXPECT_TRUE(port_.IsLineDown());
  EXPECT_LT(MillisecondsSince(start), 1000);
  EXPECT_EQ(buffer[4], 0xEE);
}

}  // namespace
