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

// One step on a port just opened, the stand-in scripted first: the calls it
// makes, after those that claimed the port, in order, and what it returns.
TEST(SerialPortSteps, EachStepPutsItsCallsOnTheLineInOrder) {
  // One byte more than a write may take.
  static const std::uint8_t data[SerialPort::kWriteBlockSize + 1] = {'a', 'b', 'c', 'd'};
  using Script = std::function<void(RecordingCalls&)>;
  struct Row {
    Script script;
    std::function<bool(SerialPort&, RecordingCalls&)> step;
    bool result;
    std::string log;
  };
  const auto write = [](int length) { return [length](SerialPort& port, auto&) { return port.Write(data, length); }; };
  // False only when no byte came because the line is down.
  const auto read = [](SerialPort& port, auto&) {
    std::uint8_t byte = 0;
    return port.ReadByte(byte) || !port.IsLineDown();
  };
  const auto close = [](SerialPort& port, auto&) { return port.Close(); };
  // False only when the open failed for `error` and left nothing to close.
  const auto reopen = [](Script script, int error) {
    return [script, error](SerialPort& port, RecordingCalls& calls) {
      script(calls);
      return port.Open(kPort, 57600) || port.LastOpenError() != error || port.Close();
    };
  };
  const std::string released = "tcsetattr drain, nxcl, unlock, close";
  const Row rows[] = {
      // A driver without serial settings, such as a pty's; closed twice.
      {{}, [](SerialPort& port, auto&) { return port.Close() && port.Close(); }, false, released},
      // The low-latency flag outlives the port: it is left as it was found.
      {[](RecordingCalls& calls) { calls.lowLatencyError = 0; }, close, true,
       "low latency on, low latency off, " + released},
      {[](RecordingCalls& calls) { calls.lowLatencyError = 0, calls.lowLatency = true; }, close, true, released},
      {{}, write(3), true, "raise DTR, lower RTS, flush rx, write abc, drain, raise RTS, flush rx"},
      // tcdrain returns before a pty or some USB adapters have sent
      // everything: a transmit purge must not destroy it.
      {{}, [](SerialPort& port, auto&) { return port.PurgeTx(); }, true, ""},
      {[](RecordingCalls& calls) { calls.writes = {1, -EINTR, 1}; }, write(4), true,
       "raise DTR, lower RTS, flush rx, write a, write failed, write b, write cd, drain, raise RTS, flush rx"},
      // Failed: RTS stays low and nothing is purged.
      {[](RecordingCalls& calls) { calls.writes = {2, -EIO}; }, write(3), false,
       "raise DTR, lower RTS, flush rx, write ab, write failed"},
      {{}, write(0), false, ""},
      {{}, write(SerialPort::kWriteBlockSize + 1), false, ""},
      {[](RecordingCalls& calls) { calls.polls = {-EINTR, POLLIN}; }, read, true, "poll 3 s, poll the rest, read"},
      {[](RecordingCalls& calls) { calls.polls = {POLLHUP, POLLIN}; }, read, false, "poll 3 s"},
      // Reopening lets the port go first. Held by someone else, the exclusive
      // flag is theirs, not ours to clear.
      {{}, reopen([](RecordingCalls& calls) { calls.lockError = EWOULDBLOCK; }, EBUSY), false,
       released + ", open noctty nonblock, lock, unlock, close"},
      {{}, reopen([](RecordingCalls& calls) { calls.openError = EACCES; }, EACCES), false,
       released + ", open noctty nonblock"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("row " + std::to_string(&row - rows));
    RecordingCalls calls;
    if (row.script) row.script(calls);
    SerialPort port(calls);
    ASSERT_TRUE(port.Open(kPort, 57600));
    const std::string claimed = "open noctty nonblock, lock, excl, blocking, tcsetattr now, lower DTR RTS";
    EXPECT_EQ(calls.log.substr(0, claimed.size()), claimed);
    calls.log.erase(0, std::min(calls.log.size(), claimed.size() + 2));
    EXPECT_EQ(row.step(port, calls), row.result);
    EXPECT_EQ(calls.log, row.log);
  }
}

}  // namespace
