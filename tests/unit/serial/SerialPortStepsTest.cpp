// The system calls behind SerialPort, on a recording stand-in for the OS: a
// pty has no modem lines, so this is where the line changes can be seen.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "SerialPort.h"
#include "SystemCalls.h"

namespace {

using testing::ElementsAre;

std::string Lines(int lines) {
  return std::string((lines & TIOCM_DTR) ? " DTR" : "") + ((lines & TIOCM_RTS) ? " RTS" : "");
}

// Everything succeeds unless scripted otherwise, except the modem lines,
// which fail like a pty's.
class RecordingCalls : public SystemCalls {
 public:
  std::vector<std::string> log;
  int openError = 0;
  int lockError = 0;
  std::deque<ssize_t> writes;  // bytes taken, or -errno; none left: all
  std::deque<short> polls;     // revents of a ready poll, 0 for time-out, -errno
  std::vector<int> pollTimeouts;
  static constexpr std::chrono::milliseconds kInterruptedAfter{300};
  std::string written;
  int lowLatencyError = ENOTTY;  // no serial settings, like a pty
  bool lowLatency = false;
  termios current{};  // the port's line settings

  int Open(const char*, int flags) override {
    return Say(std::string("open") + ((flags & O_NOCTTY) ? " noctty" : "") +
                   ((flags & O_NONBLOCK) ? " nonblock" : ""),
               openError, 7);
  }
  int Close(int) override { return Say("close"); }
  int Flock(int, int operation) override {
    return operation == LOCK_UN ? Say("unlock") : Say("lock", lockError);
  }
  int GetStatusFlags(int) override { return O_RDWR | O_NONBLOCK; }
  int SetStatusFlags(int, int flags) override {
    return Say((flags & O_NONBLOCK) ? "nonblocking" : "blocking");
  }
  int SetExclusive(int) override { return Say("excl"); }
  int ClearExclusive(int) override { return Say("nxcl"); }
  int SetModemLines(int, int lines) override { return Say("raise" + Lines(lines), ENOTTY); }
  int ClearModemLines(int, int lines) override { return Say("lower" + Lines(lines), ENOTTY); }
  int GetLowLatency(int, bool& on) override {
    on = lowLatency;
    return Say("", lowLatencyError);
  }
  int SetLowLatency(int, bool on) override {
    lowLatency = on;
    return Say(on ? "low latency on" : "low latency off");
  }
  int GetAttributes(int, termios& settings) override {
    settings = current;
    return 0;
  }
  int SetAttributes(int, int when, const termios& settings) override {
    current = settings;
    return Say(when == TCSANOW ? "tcsetattr now" : when == TCSADRAIN ? "tcsetattr drain" : "tcsetattr flush");
  }
  int Flush(int, int queue) override { return Say(queue == TCIFLUSH ? "flush rx" : "flush tx"); }
  int Drain(int) override { return Say("drain"); }
  ssize_t Write(int, const void* data, size_t length) override {
    ssize_t taken = static_cast<ssize_t>(length);
    if (!writes.empty()) {
      taken = std::min(taken, writes.front());
      writes.pop_front();
    }
    if (taken < 0) return Say("write failed", static_cast<int>(-taken));
    written.append(static_cast<const char*>(data), static_cast<std::size_t>(taken));
    log.push_back("write " + std::to_string(taken));
    return taken;
  }
  ssize_t Read(int, void* destination, size_t) override {
    *static_cast<std::uint8_t*>(destination) = 'R';
    return 1;
  }
  int Poll(pollfd* fds, nfds_t, int timeoutMs) override {
    pollTimeouts.push_back(timeoutMs);
    const short result = polls.empty() ? 0 : polls.front();
    if (!polls.empty()) polls.pop_front();
    // An interrupted wait has used up part of its time.
    if (result == -EINTR) std::this_thread::sleep_for(kInterruptedAfter);
    if (result < 0) return Say("poll failed", -result);
    fds[0].revents = result;
    return result != 0 ? 1 : 0;
  }

 private:
  int Say(const std::string& entry, int error = 0, int success = 0) {
    if (!entry.empty()) log.push_back(entry);
    if (error == 0) return success;
    errno = error;
    return -1;
  }
};

class SerialPortStepsTest : public testing::Test {
 protected:
  void OpenPort() {
    ASSERT_TRUE(port_.Open("/dev/ttyUSB0", 57600));  // reaches only the stand-in
    calls_.log.clear();
  }
  RecordingCalls calls_;
  SerialPort port_{calls_};
  const std::uint8_t data_[4] = {'a', 'b', 'c', 'd'};
};

// Whether closed or destroyed, the port is left as it was found: its
// settings back once the output has left, the driver's low-latency flag as it
// was before.
TEST(SerialPortRelease, LeavesThePortAsFound) {
  struct Row {
    const char* driver;
    int lowLatencyError;
    bool lowLatency;
    std::vector<std::string> opened;    // after claiming the port
    std::vector<std::string> released;  // before restoring its settings
  };
  const std::vector<std::string> claimed{"open noctty nonblock", "lock", "excl", "blocking", "tcsetattr now",
                                         "lower DTR RTS"};
  const std::vector<std::string> restored{"tcsetattr drain", "nxcl", "unlock", "close"};
  const Row rows[] = {
      {"no serial settings (a pty)", ENOTTY, false, {}, {}},
      {"low latency off", 0, false, {"low latency on"}, {"low latency off"}},
      {"low latency on", 0, true, {}, {}},
  };
  for (const Row& row : rows) {
    for (const bool destroy : {false, true}) {
      SCOPED_TRACE(std::string(row.driver) + (destroy ? ", destroyed" : ", closed"));
      RecordingCalls calls;
      calls.lowLatencyError = row.lowLatencyError;
      calls.lowLatency = row.lowLatency;
      std::vector<std::string> opened = claimed;
      opened.insert(opened.end(), row.opened.begin(), row.opened.end());
      std::vector<std::string> released = row.released;
      released.insert(released.end(), restored.begin(), restored.end());
      {
        SerialPort port(calls);
        ASSERT_TRUE(port.Open("/dev/ttyUSB0", 57600));  // reaches only the stand-in
        EXPECT_EQ(calls.log, opened);
        calls.log.clear();
        if (!destroy) {
          EXPECT_TRUE(port.Close());
        }
      }
      EXPECT_EQ(calls.log, released);
      EXPECT_EQ(calls.lowLatency, row.lowLatency);
      const termios found{};
      EXPECT_EQ(std::memcmp(&calls.current, &found, sizeof found), 0);
    }
  }
}

TEST_F(SerialPortStepsTest, WriteRaisesDtrLowersRtsPurgesWritesDrainsRaisesRtsPurges) {
  OpenPort();
  ASSERT_TRUE(port_.Write(data_, 3));
  EXPECT_THAT(calls_.log, ElementsAre("raise DTR", "lower RTS", "flush rx", "write 3", "drain",
                                      "raise RTS", "flush rx"));
  // tcdrain returns before a pty or some USB adapters have sent everything:
  // a transmit purge must not destroy it.
  calls_.log.clear();
  EXPECT_TRUE(port_.PurgeTx());
  EXPECT_TRUE(calls_.log.empty());
}

TEST_F(SerialPortStepsTest, ShortWritesContinueAndAFailedOneLeavesRtsLowAndPurgesNothing) {
  OpenPort();
  calls_.writes = {1, -EINTR, 1};
  ASSERT_TRUE(port_.Write(data_, 4));
  EXPECT_EQ(calls_.written, "abcd");

  calls_.log.clear();
  calls_.writes = {2, -EIO};
  EXPECT_FALSE(port_.Write(data_, 3));
  EXPECT_THAT(calls_.log,
              ElementsAre("raise DTR", "lower RTS", "flush rx", "write 2", "write failed"));

  calls_.log.clear();
  const std::vector<std::uint8_t> tooLong(SerialPort::kWriteBlockSize + 1);
  EXPECT_FALSE(port_.Write(tooLong.data(), SerialPort::kWriteBlockSize + 1));
  EXPECT_FALSE(port_.Write(data_, 0));
  EXPECT_TRUE(calls_.log.empty());
}

TEST_F(SerialPortStepsTest, PortIsReleasedOnceAndOnlyByItsHolder) {
  OpenPort();
  EXPECT_TRUE(port_.Close());
  calls_.log.clear();
  EXPECT_FALSE(port_.Close());
  EXPECT_TRUE(calls_.log.empty());

  // Held by someone else: the exclusive flag is theirs, not ours to clear.
  calls_.lockError = EWOULDBLOCK;
  EXPECT_FALSE(port_.Open("/dev/ttyUSB0", 57600));
  EXPECT_EQ(port_.LastOpenError(), EBUSY);
  EXPECT_THAT(calls_.log, ElementsAre("open noctty nonblock", "lock", "unlock", "close"));

  calls_.log.clear();
  calls_.openError = EACCES;
  EXPECT_FALSE(port_.Open("/dev/ttyUSB0", 57600));
  EXPECT_EQ(port_.LastOpenError(), EACCES);
  EXPECT_FALSE(port_.Close());
  EXPECT_THAT(calls_.log, ElementsAre("open noctty nonblock"));
}

TEST_F(SerialPortStepsTest, ReadWaitsAgainstOneDeadlineAndStopsAtAHangUp) {
  OpenPort();
  calls_.polls = {-EINTR, POLLIN};
  std::uint8_t destination = 0;
  ASSERT_TRUE(port_.ReadByte(destination));
  EXPECT_EQ(destination, 'R');
  ASSERT_EQ(calls_.pollTimeouts.size(), 2u);
  EXPECT_EQ(calls_.pollTimeouts[0], 3000);
  // What is left of the 3 s after the interruption, not a fresh 3 s.
  EXPECT_GT(calls_.pollTimeouts[1], 2500);
  EXPECT_LE(calls_.pollTimeouts[1], 3000 - RecordingCalls::kInterruptedAfter.count() + 1);

  calls_.pollTimeouts.clear();
  calls_.polls = {POLLHUP, POLLIN};
  EXPECT_FALSE(port_.ReadByte(destination));
  EXPECT_EQ(calls_.pollTimeouts.size(), 1u);
}

}  // namespace
