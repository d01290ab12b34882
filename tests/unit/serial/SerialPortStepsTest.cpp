// The system calls behind SerialPort, on a recording stand-in for the OS: a
// pty has no modem lines, so this is where the line changes can be seen.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "SerialPort.h"
#include "SystemCalls.h"

namespace {

std::string Lines(int lines) {
  return std::string((lines & TIOCM_DTR) ? " DTR" : "") + ((lines & TIOCM_RTS) ? " RTS" : "");
}

// Everything succeeds unless scripted otherwise, except the modem lines,
// which fail like a pty's. The calls made go into `log`, ", " between them.
class RecordingCalls : public SystemCalls {
 public:
  std::string log;
  int openError = 0;
  int lockError = 0;
  std::deque<ssize_t> writes;    // bytes taken, or -errno; none left: all
  std::deque<short> polls;       // revents of a ready poll, 0 for time-out, -errno
  int lowLatencyError = ENOTTY;  // no serial settings, like a pty
  bool lowLatency = false;
  termios current{};  // the port's line settings

  int Open(const char*, int flags) override {
    return Say(std::string("open") + ((flags & O_NOCTTY) ? " noctty" : "") + ((flags & O_NONBLOCK) ? " nonblock" : ""),
               openError, 7);
  }
  int Close(int) override { return Say("close"); }
  int Flock(int, int operation) override { return operation == LOCK_UN ? Say("unlock") : Say("lock", lockError); }
  int GetStatusFlags(int) override { return O_RDWR | O_NONBLOCK; }
  int SetStatusFlags(int, int flags) override { return Say((flags & O_NONBLOCK) ? "nonblocking" : "blocking"); }
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
  // Logs the bytes taken.
  ssize_t Write(int, const void* data, size_t length) override {
    const ssize_t taken = std::min(static_cast<ssize_t>(length), Next(writes, static_cast<ssize_t>(length)));
    if (taken < 0) return Say("write failed", static_cast<int>(-taken));
    return Say("write " + std::string(static_cast<const char*>(data), static_cast<std::size_t>(taken)), 0,
               static_cast<int>(taken));
  }
  ssize_t Read(int, void* destination, size_t) override {
    *static_cast<std::uint8_t*>(destination) = 'R';
    return Say("read", 0, 1);
  }
  int Poll(pollfd* fds, nfds_t, int timeoutMs) override {
    // After an interruption (300 ms here) what is left of the 3 s, not a fresh 3 s.
    Say(timeoutMs == 3000                       ? "poll 3 s"
        : timeoutMs > 2500 && timeoutMs <= 2701 ? "poll the rest"
                                                : "poll " + std::to_string(timeoutMs));
    const short result = Next(polls, short{0});
    if (result == -EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (result < 0) return Say("", -result);
    fds[0].revents = result;
    return result != 0 ? 1 : 0;
  }

 private:
  template <typename T>
  static T Next(std::deque<T>& script, T otherwise) {
    if (script.empty()) return otherwise;
    const T next = script.front();
    script.pop_front();
    return next;
  }
  int Say(const std::string& entry, int error = 0, int success = 0) {
    if (!entry.empty()) log += (log.empty() ? "" : ", ") + entry;
    if (error == 0) return success;
    errno = error;
    return -1;
  }
};

const char* const kPort = "/dev/ttyUSB0";  // reaches only the stand-in

// Whether closed or destroyed, the port is left as it was found: its
// settings back once the output has left (the pty test sees them), the
// driver's low-latency flag as it was before.
TEST(SerialPortRelease, LeavesThePortAsFound) {
  struct Row {
    int lowLatencyError;
    bool lowLatency;
    std::string opened;  // after claiming the port
    std::string released;
  };
  const std::string claimed = "open noctty nonblock, lock, excl, blocking, tcsetattr now, lower DTR RTS";
  const std::string restored = "tcsetattr drain, nxcl, unlock, close";
  const Row rows[] = {
      {ENOTTY, false, claimed, restored},  // no serial settings, a pty
      {0, false, claimed + ", low latency on", "low latency off, " + restored},
      {0, true, claimed, restored},
  };
  for (const Row& row : rows) {
    for (const bool destroy : {false, true}) {
      SCOPED_TRACE(row.opened + (destroy ? ", destroyed" : ", closed"));
      RecordingCalls calls;
      calls.lowLatencyError = row.lowLatencyError;
      calls.lowLatency = row.lowLatency;
      {
        SerialPort port(calls);
        ASSERT_TRUE(port.Open(kPort, 57600));
        EXPECT_EQ(calls.log, row.opened);
        calls.log.clear();
        EXPECT_TRUE(destroy || port.Close());
      }
      EXPECT_EQ(calls.log, row.released);
      EXPECT_EQ(calls.lowLatency, row.lowLatency);
    }
  }
}

// One step on an open port, its calls scripted for the stand-in: the calls
// it makes, in order, and what it returns.
TEST(SerialPortSteps, EachStepPutsItsCallsOnTheLineInOrder) {
  static const std::uint8_t data[] = {'a', 'b', 'c', 'd'};
  static const std::vector<std::uint8_t> tooLong(SerialPort::kWriteBlockSize + 1);
  struct Row {
    std::function<void(RecordingCalls&)> script;
    std::function<bool(SerialPort&)> step;
    bool result;
    std::string log;
  };
  const auto write = [](int length) { return [length](SerialPort& port) { return port.Write(data, length); }; };
  const auto read = [](SerialPort& port) {
    std::uint8_t byte = 0;
    return port.ReadByte(byte);
  };
  // False only when the open failed for `error` and left nothing to close.
  const auto reopen = [](int error) {
    return [error](SerialPort& port) { return port.Open(kPort, 57600) || port.LastOpenError() != error || port.Close(); };
  };
  const std::string released = "tcsetattr drain, nxcl, unlock, close";
  const Row rows[] = {
      {{}, write(3), true, "raise DTR, lower RTS, flush rx, write abc, drain, raise RTS, flush rx"},
      // tcdrain returns before a pty or some USB adapters have sent
      // everything: a transmit purge must not destroy it.
      {{}, [](SerialPort& port) { return port.PurgeTx(); }, true, ""},
      {[](RecordingCalls& calls) { calls.writes = {1, -EINTR, 1}; }, write(4), true,
       "raise DTR, lower RTS, flush rx, write a, write failed, write b, write cd, drain, raise RTS, flush rx"},
      // Failed: RTS stays low and nothing is purged.
      {[](RecordingCalls& calls) { calls.writes = {2, -EIO}; }, write(3), false,
       "raise DTR, lower RTS, flush rx, write ab, write failed"},
      {{}, [](SerialPort& port) { return port.Write(tooLong.data(), SerialPort::kWriteBlockSize + 1) || port.Write(data, 0); },
       false, ""},
      {[](RecordingCalls& calls) { calls.polls = {POLLIN}; }, read, true, "poll 3 s, read"},
      {[](RecordingCalls& calls) { calls.polls = {-EINTR, POLLIN}; }, read, true, "poll 3 s, poll the rest, read"},
      {[](RecordingCalls& calls) { calls.polls = {POLLHUP, POLLIN}; }, read, false, "poll 3 s"},
      {{}, [](SerialPort& port) { return port.Close() && port.Close(); }, false, released},
      // The exclusive flag is the holder's, not ours to clear.
      {[](RecordingCalls& calls) { calls.lockError = EWOULDBLOCK; }, reopen(EBUSY), false,
       released + ", open noctty nonblock, lock, unlock, close"},
      {[](RecordingCalls& calls) { calls.openError = EACCES; }, reopen(EACCES), false, released + ", open noctty nonblock"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("row " + std::to_string(&row - rows));
    RecordingCalls calls;
    SerialPort port(calls);
    ASSERT_TRUE(port.Open(kPort, 57600));
    calls.log.clear();
    if (row.script) row.script(calls);
    EXPECT_EQ(row.step(port), row.result);
    EXPECT_EQ(calls.log, row.log);
  }
}

}  // namespace
